// Whole LZH archives: the entries of an archive read from a random-access source (also
// inside a self-extracting .exe), their data decoded or copied unchanged, and new archives
// written with level-2 headers.
#pragma once

#include <cstdint>
#include <string>

#include "LzhDecoder.h"
#include "LzhEncoder.h"
#include "LzhHeader.h"
#include "LzhIo.h"

namespace qvr::lzh {

// How far into a file a self-extracting stub may reach before the first header.
constexpr uint64_t kMaxStubSize = 1 << 20;

struct Entry {
  Header header;
  uint64_t headerOffset = 0;
  uint64_t dataOffset = 0;
};

class ArchiveReader {
 public:
  explicit ArchiveReader(RandomAccessSource& src) : src_(src) {}

  // Finds the first header: at the start of the file, or after an MZ stub. False when the
  // source holds no LZH archive.
  bool Open();
  uint64_t StartOffset() const { return start_; }

  enum class Next { kEntry, kEnd, kBroken };
  // The next entry; kBroken for a header that does not read or data that runs past the end.
  Next NextEntry(Entry* e);

  // The entry whose header starts at `offset` (as another reader listed it); false when no
  // valid header stands there or its data runs past the end.
  bool EntryAt(uint64_t offset, Entry* e);

  // Expands an entry's data into the sink, CRC checked.
  DecodeStatus Extract(const Entry& e, ByteSink& sink);
  // Copies an entry as it stands (header and compressed data), for updates and deletes.
  bool CopyRaw(const Entry& e, ArchiveSink& sink);

 private:
  ParseStatus ReadHeader(uint64_t offset, Header* h);

  RandomAccessSource& src_;
  uint64_t start_ = 0;
  uint64_t next_ = 0;
  bool broken_ = false;
};

// A window onto a range of a random-access source, read forward.
class RangeSource : public ByteSource {
 public:
  RangeSource(RandomAccessSource& src, uint64_t offset, uint64_t size)
      : src_(src), pos_(offset), left_(size) {}
  size_t Read(uint8_t* buf, size_t n) override;

 private:
  RandomAccessSource& src_;
  uint64_t pos_, left_;
};

// What an entry to be written is.
struct NewEntry {
  std::string name;       // stored file-name bytes (for a folder entry: "")
  std::string directory;  // stored folder bytes, "/" separated, no trailing "/"
  int64_t unixTime = 0;   // modification time, UTC
  bool hasUnixMode = false;
  uint16_t unixMode = 0;
  uint64_t sizeHint = 0;  // the expected size (decides the 64-bit size header)
};

enum class WriteStatus { kOk, kSourceFailed, kSinkFailed, kTooLarge, kNameTooLong, kUnsupported };

class ArchiveWriter {
 public:
  explicit ArchiveWriter(ArchiveSink& sink) : sink_(sink) {}

  // Compresses the source with the method; data that does not shrink is stored (-lh0-),
  // as every LHA does.
  WriteStatus AddFile(const NewEntry& e, SeekableSource& data, Method method);
  // AddFile with the method that gives the smallest entry (-jma).
  WriteStatus AddFileSmallest(const NewEntry& e, SeekableSource& data);
  WriteStatus AddFolder(const NewEntry& e);
  // An entry of another archive, copied unchanged.
  WriteStatus CopyEntry(ArchiveReader& reader, const Entry& e);
  // The end mark.
  WriteStatus Finish();

 private:
  WriteStatus WriteOnce(const NewEntry& e, SeekableSource& data, Method method, EncodeResult* r);

  ArchiveSink& sink_;
};

}  // namespace qvr::lzh
