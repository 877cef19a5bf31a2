// Reads the central directory of an existing ZIP so that its entries can be copied into a
// new archive as they are (headers and compressed data), without decompressing anything.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "WriteResult.h"

namespace qvr::writers {

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
  std::string name;
  std::string extra;  // central extra fields, without the Zip64 field
  std::string comment;
  std::optional<int64_t> unixTime;  // from the extended timestamp field
};

struct ZipDirectory {
  std::vector<ZipEntryRecord> entries;
  std::string comment;
  uint64_t prefixEnd = 0;  // bytes before the first entry (a self-extractor's stub)
};

// Fails with ERROR_NOT_ARC_FILE when the file is no ZIP and ERROR_HEADER_BROKEN when its
// directory or an entry's local header does not hold together.
WriteResult ReadZipDirectory(int fd, uint64_t fileSize, ZipDirectory* out);

// MS-DOS time and date (local time) of a time stamp, 1980-01-01 for older ones.
void ToDosTime(int64_t unixTime, uint16_t* dosTime, uint16_t* dosDate);
int64_t FromDosTime(uint16_t dosTime, uint16_t dosDate);

}  // namespace qvr::writers
