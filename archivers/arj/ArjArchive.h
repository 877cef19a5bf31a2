// Whole ARJ archives: the entries of an archive read from random-access sources, one per
// volume (a self-extracting stub before the first is skipped), a file split across volumes
// joined into one entry of several parts, and an entry's data expanded part after part.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ArjDecoder.h"
#include "ArjHeader.h"

namespace qvr::arj {

// One part of an entry's data: the header before it and the volume it lies in.
struct Part {
  Header header;
  unsigned volume = 0;
};

struct Entry {
  Header header;  // of the first part
  uint64_t size = 0;
  uint64_t packedSize = 0;
  std::vector<Part> parts;
};

// The volume of a set by its number (0 = the file opened first); null when there is none.
using VolumeOpener = std::function<std::unique_ptr<RandomAccessSource>(unsigned volume)>;

class ArchiveReader {
 public:
  explicit ArchiveReader(VolumeOpener open) : open_(std::move(open)) {}

  // Finds the main header of the first volume; false when it holds no ARJ archive.
  bool Open();
  const Header& MainHeader() const { return main_; }

  enum class Next { kEntry, kEnd, kBroken };
  // The next entry; kBroken for a header that does not read, data that runs past its
  // volume, or a missing or foreign next volume (Error() says which).
  Next NextEntry(Entry* e);
  const std::string& Error() const { return error_; }

  // The volume's source (opened by NextEntry); null when it is not open.
  RandomAccessSource* Volume(unsigned volume);

 private:
  Next Broken(std::string words);
  bool EnterVolume(unsigned volume);
  Next ReadPart(Part* part);

  VolumeOpener open_;
  std::vector<std::unique_ptr<RandomAccessSource>> volumes_;
  Header main_;
  unsigned current_ = 0;
  uint64_t next_ = 0;
  bool ended_ = false;
  std::string error_;
};

// An entry's data, part after part, each with its CRC checked.
class EntryDecoder {
 public:
  EntryDecoder(ArchiveReader& reader, const Entry& entry) : reader_(reader), entry_(entry) {}
  DecodeStatus Read(const uint8_t** data, size_t* len);

 private:
  bool StartPart();

  ArchiveReader& reader_;
  const Entry& entry_;
  size_t part_ = 0;
  uint64_t done_ = 0;
  std::unique_ptr<lzh::ByteSource> range_;
  std::unique_ptr<StreamDecoder> decoder_;
};

}  // namespace qvr::arj
