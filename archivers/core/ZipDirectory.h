// The central directory of a ZIP archive: found from the end of the file, read record by
// record through a bounded window (the enumeration lists it without touching the data), or
// read whole with each entry's span so that entries can be copied into a new archive as
// they are (headers and compressed data), without decompressing anything.
#pragma once

#include "NameDecoder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qvr::arc {

struct ZipEntryRecord {
  uint16_t madeBy = 0;
  uint16_t needed = 0;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t dosTime = 0;
  uint16_t dosDate = 0;
  uint32_t crc = 0;
  uint64_t compressedSize = 0;
  uint64_t size = 0;
  uint16_t internalAttr = 0;
  uint32_t externalAttr = 0;
  uint64_t localOffset = 0;  // where the local header starts in the file
  uint64_t spanEnd = 0;      // end of the local header, the data and its descriptor
  uint16_t diskStart = 0;    // the part of a split archive the entry starts in (written only)
  bool zip64 = false;        // the record carries a Zip64 field
  std::string name;          // the stored bytes
  std::string extra;         // central extra fields, without the Zip64 field
  std::string comment;
  std::optional<int64_t> unixTime;  // from the extended timestamp field (or the old Unix one)
};

// The end of central directory record (the Zip64 one where there is one).
struct ZipEnd {
  uint64_t count = 0;    // entries the record announces
  uint64_t cdStart = 0;  // where the directory starts in the file
  uint64_t cdSize = 0;
  uint64_t shift = 0;  // bytes in front of the archive (a self-extractor's stub) that the
                       // recorded offsets leave out
  std::string comment;
};

// Searches the end record from the end of the file: the last one whose directory starts with
// a central header where the record places it (a fake record in the comment is passed over).
// kOk, ERROR_NOT_ARC_FILE when there is none, ERROR_HEADER_BROKEN for a broken Zip64 record;
// `why` gets the words for the report.
int32_t FindZipEnd(int fd, uint64_t fileSize, ZipEnd* end, std::string* why);

// The directory's records one after the other; holds one window of the directory, never the
// whole of it.
class ZipDirectoryWalk {
 public:
  ZipDirectoryWalk(int fd, const ZipEnd& end) : fd_(fd), end_(end) {}
  // kOk with the next record (local offset already shifted), kEnd after the last one that
  // the end record announces, ERROR_HEADER_BROKEN when a record does not hold together, lies
  // outside the directory, or the directory holds more or fewer records than announced.
  int32_t Next(ZipEntryRecord* e);
  const std::string& why() const { return why_; }

 private:
  bool Window(uint64_t at, size_t size);
  int32_t Broken(const std::string& what);

  int fd_;
  ZipEnd end_;
  uint64_t pos_ = 0;  // offset in the directory
  uint64_t read_ = 0;
  std::vector<uint8_t> window_;
  uint64_t windowAt_ = 0;
  std::string why_;
};

struct ZipDirectory {
  std::vector<ZipEntryRecord> entries;
  std::string comment;
  uint64_t prefixEnd = 0;  // bytes before the first entry (a self-extractor's stub)
};

// The whole directory with each entry's span. Fails with ERROR_NOT_ARC_FILE when the file is
// no ZIP and ERROR_HEADER_BROKEN when its directory or an entry's local header does not hold
// together.
int32_t ReadZipDirectory(int fd, uint64_t fileSize, ZipDirectory* out, std::string* why);

// The encoding a record's name is read in: flagged UTF-8 is UTF-8; without the flag, valid
// UTF-8 stays UTF-8 in an archive whose unflagged names all are (as Info-ZIP writes them on
// Linux), and the names of any other archive come from the code page (Windows' Explorer).
NameFlag ZipNameFlag(uint16_t flags, bool unflaggedAreUtf8);
// Notes whether a record's name keeps an archive's unflagged names all UTF-8.
void NoteUnflaggedName(uint16_t flags, const std::string& name, bool* unflaggedAreUtf8);

// True when the local header the record points to starts with its signature.
bool LocalHeaderAt(int fd, const ZipEntryRecord& e);
// The local header's stored name and extra fields; false when it does not read.
bool LocalNameAt(int fd, const ZipEntryRecord& e, std::string* name, std::string* extra);

// MS-DOS time and date (local time) of a time stamp, 1980-01-01 for older ones.
void ToDosTime(int64_t unixTime, uint16_t* dosTime, uint16_t* dosDate);
int64_t FromDosTime(uint16_t dosTime, uint16_t dosDate);

}  // namespace qvr::arc
