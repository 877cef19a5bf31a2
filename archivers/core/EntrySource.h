// What the core reads archives through: one entry after another, its data as a stream.
// The libarchive reader serves every library; a library may bring its own (an own LZH
// decoder, for instance) through LibraryTraits::open, or a faster one for listing through
// LibraryTraits::list (the ZIP central directory).
#pragma once

#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

namespace qvr::arc {

// Archive formats a library reads (a bit set).
enum Format : unsigned {
  kFormatZip = 1u << 0,
  kFormat7z = 1u << 1,
  kFormatLha = 1u << 2,
  kFormatCab = 1u << 3,
  kFormatRar = 1u << 4,
  kFormatTar = 1u << 5,
  kFormatCompressedFile = 1u << 6,  // a single .gz, .bz2, .Z, .xz, .lzma, .zst or .lz4 file
};

// Next() and Read() answer kOk, kEnd or a result code of ArcErrors.h.
constexpr int32_t kEnd = 1;

struct Entry {
  enum class Kind { File, Folder, Symlink, Hardlink, Other };
  std::string path;  // UTF-8, "/" separators, as stored (folders may end in "/")
  Kind kind = Kind::File;
  std::string linkTarget;  // symbolic link target or the hard link's entry path
  int64_t size = 0;
  // The archive's header states `size` (a file's data must come to exactly that length), and
  // whether the data has holes (a sparse member: what the reader does not hand out is zeros,
  // also after its last block).
  bool sizeDeclared = false;
  bool sparse = false;
  int64_t compressedSize = -1;  // -1 when the format does not tell
  time_t mtime = 0;
  bool mtimeSet = false;
  // The MS-DOS local date (high half) and time as the archive stores them, when it stores no
  // better time (0 when none); reported as they stand, with no round trip through mtime.
  uint32_t dosStamp = 0;
  uint32_t perm = 0644;
  bool encrypted = false;
  std::string method;         // "Deflate", "-lh5-", "Stored"...
  int64_t headerOffset = -1;  // where the entry's header starts in the archive file
  // What the report should say about the entry beside its result ("" when nothing).
  std::string note;
};

class EntrySource {
 public:
  virtual ~EntrySource() = default;
  virtual int32_t Next(Entry& entry) = 0;
  // The current entry's data, block by block; len 0 with kOk at its end.
  virtual int32_t Read(const void** data, size_t* len) = 0;
  // Words for the report about the last failure.
  virtual std::string ErrorWords() const = 0;
  // True when the archive was recognised as one of the requested formats.
  virtual bool FormatKnown() const = 0;
  // How many bytes of the archive file were read so far; -1 when the source cannot tell
  // (the progress then goes by the entries' packed sizes).
  virtual int64_t BytesRead() const { return -1; }
};

struct SourceOptions {
  std::string path;
  unsigned formats = 0;
  // Called when an encrypted entry needs a password; false = none given. `wrong` is how
  // many answers have proved wrong so far (0 for the first question).
  std::function<bool(int wrong, std::string& password)> password;
};

// Opens the archive; on failure returns null and sets `error` (ERROR_NOT_EXIST,
// ERROR_ARC_FILE_OPEN, ERROR_NOT_ARC_FILE...).
using SourceOpener = std::unique_ptr<EntrySource> (*)(const SourceOptions&, int32_t& error);
std::unique_ptr<EntrySource> OpenLibarchiveSource(const SourceOptions& options, int32_t& error);
// For listing only (no data): a ZIP archive's entries straight from its central directory;
// any other file, or a directory that does not hold together, through OpenLibarchiveSource.
std::unique_ptr<EntrySource> OpenZipDirectorySource(const SourceOptions& options, int32_t& error);
// 7Z archives that libarchive refuses (an encrypted header, data encrypted with 7zAES)
// through our own 7Z reader; every other file through OpenLibarchiveSource, or for listing
// through OpenZipDirectorySource.
std::unique_ptr<EntrySource> OpenSevenZipSource(const SourceOptions& options, int32_t& error);
std::unique_ptr<EntrySource> OpenSevenZipListSource(const SourceOptions& options, int32_t& error);

// Where local headers of a ZIP archive name other paths than its central directory: for each
// such local path (decoded as the entry names are), the directory's paths of every record
// whose local header bears it, in the order of the local headers. Empty when all agree or
// the directory does not hold together.
using ZipNameFixes = std::map<std::string, std::deque<std::string>>;
ZipNameFixes ZipNamesToFix(int fd);

}  // namespace qvr::arc
