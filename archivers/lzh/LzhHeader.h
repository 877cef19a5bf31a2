// Entry headers of LZH archives: reading levels 0 to 3 with their extended headers, writing
// level 2 with the header CRC. Names stay raw bytes: the archive does not say their
// encoding (LzhNames helps to tell).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "LzhMethod.h"

namespace qvr::lzh {

// Headers larger than this are taken as broken (level 3 allows 4 GiB).
constexpr size_t kMaxHeaderSize = 1 << 20;

struct Header {
  std::string methodId;  // the five bytes, e.g. "-lh5-"
  Method method = Method::kUnknown;
  int level = 0;
  uint64_t packedSize = 0;
  uint64_t originalSize = 0;
  uint16_t crc = 0;
  bool hasCrc = false;  // old level-0 headers carry none
  uint8_t osId = 0;
  uint8_t attribute = 0x20;  // MS-DOS attribute

  // Times: level 0/1 store an MS-DOS local time, level 2/3 a Unix time; extended headers may
  // add a Unix time (0x54) or Windows times (0x41, 100 ns since 1601).
  bool hasDosTime = false;
  uint32_t dosTime = 0;  // date << 16 | time
  bool hasUnixTime = false;
  int64_t unixTime = 0;
  bool hasWindowsTime = false;
  uint64_t winCreate = 0, winModify = 0, winAccess = 0;
  bool hasUnixMode = false;
  uint16_t unixMode = 0;
  bool hasOwner = false;
  uint16_t uid = 0, gid = 0;

  std::string name;       // file-name bytes as stored (levels 0/1: may hold a path)
  std::string directory;  // directory-name bytes as stored (0xFF separators)
  size_t headerSize = 0;  // bytes from the header's start to the entry's data

  bool IsDirectory() const { return method == Method::kLhd; }
  // The entry path with "/" separators, no leading or trailing "/". Separators are 0xFF, "/"
  // and "\" (the last one read DBCS-aware: a CP932 trail byte 0x5C is no separator).
  std::string Path() const;
  // Modification time as Unix seconds when the header has one in UTC (not the MS-DOS time).
  bool UtcModificationTime(int64_t* t) const;
};

enum class ParseStatus {
  kOk,
  kEnd,       // the end-of-archive mark (a zero byte) or no bytes left
  kNeedMore,  // *needed says how many bytes from the header's start are required
  kBad,       // not a header, or a broken one (checksum, CRC, sizes)
};

ParseStatus ParseHeader(const uint8_t* p, size_t avail, Header* h, size_t* needed);

// What the writer puts in a level-2 header.
struct NewHeader {
  Method method = Method::kLh5;
  uint64_t packedSize = 0;
  uint64_t originalSize = 0;
  uint16_t crc = 0;
  int64_t unixTime = 0;
  std::string name;       // file-name bytes ("" for a folder entry)
  std::string directory;  // folder bytes with "/" separators, no trailing "/"
  uint8_t attribute = 0x20;
  bool hasUnixMode = false;
  uint16_t unixMode = 0;
  bool largeSizes = false;  // add the 64-bit size header (entries of 4 GiB and more)
};

// The level-2 header bytes, CRC included ("" when the names make it longer than 64 KiB). The length
// depends only on the names and flags, so a header written ahead with zero sizes can be rewritten
// in place once they are known.
std::string WriteLevel2Header(const NewHeader& h);

}  // namespace qvr::lzh
