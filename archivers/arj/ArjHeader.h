// The headers of ARJ archives: the main header at the archive's start and one local header
// before each entry's data, each a "basic header" guarded by its CRC-32, followed by
// extended headers. Read from a random-access source; no file-system code.
#pragma once

#include <cstdint>
#include <string>

#include "LzhIo.h"

namespace qvr::arj {

using lzh::RandomAccessSource;

// How far into a file a self-extracting stub may reach before the main header.
constexpr uint64_t kMaxStubSize = 16u << 20;
// The largest basic header ARJ writes.
constexpr unsigned kMaxBasicHeader = 2600;

enum Flag : uint8_t {
  kGarbled = 0x01,  // the data is encrypted with a password
  kVolume = 0x04,   // main header: more volumes follow; local: the file goes on in the next
  kExtFile = 0x08,  // local: this part continues a file of the previous volume
  kPathSym = 0x10,  // "\" in names were turned into "/"
  kSecured = 0x40,
};

enum class FileType : uint8_t {
  kBinary = 0,
  kText = 1,
  kMain = 2,  // the main header
  kFolder = 3,
  kVolumeLabel = 4,
  kChapter = 5,
};

enum HostOs : uint8_t { kMsDos = 0, kUnix = 2, kNext = 8, kWin95 = 10, kWin32 = 11 };

struct Header {
  uint8_t version = 0;
  uint8_t minVersion = 0;
  uint8_t hostOs = 0;
  uint8_t flags = 0;
  uint8_t method = 0;  // 0 stored, 1-3 LZ77 with static Huffman codes, 4 the fastest
  FileType type = FileType::kBinary;
  uint32_t stamp = 0;  // seconds since 1970 for Unix hosts, else an MS-DOS date and time
  uint32_t packedSize = 0;
  uint32_t originalSize = 0;
  uint32_t crc = 0;  // CRC-32 of the original data (of this part, for a split file)
  uint16_t mode = 0;
  uint32_t extFilePos = 0;  // where this part starts in the whole file
  std::string name;         // the stored bytes
  std::string comment;
  uint64_t offset = 0;      // of the header's id
  uint64_t dataOffset = 0;  // after the extended headers
};

enum class ParseStatus { kOk, kEnd, kNotHeader, kBadCrc, kTruncated };

// The header at `offset`; kEnd for the end mark (a basic header of size 0).
ParseStatus ReadHeader(RandomAccessSource& src, uint64_t offset, Header* h);

// The main header: at the start, or after a self-extracting stub (the first place within
// kMaxStubSize where a main header with a valid CRC stands). False when there is none.
bool FindMainHeader(RandomAccessSource& src, Header* main);

bool UnixTimes(uint8_t hostOs);

}  // namespace qvr::arj
