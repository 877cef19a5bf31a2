// The records of the 7Z container: the signature header at the start of the file and the
// header at its end that describes the packed streams, the folders that decode them and the
// files (names, times, attributes, sizes and CRCs).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qvr::writers {

inline constexpr size_t kSevenZipSignatureSize = 32;

// One folder: a coder turning one packed stream into the data of `streams` files, with 7zAES
// before it when the folder is encrypted.
struct SevenZipFolder {
  bool copy = false;           // stored as it is; otherwise LZMA2
  uint8_t dictionaryProp = 0;  // the LZMA2 coder's property
  std::string aesProperties;   // not empty: encrypted, the 7zAES coder's properties
  uint64_t codedSize = 0;      // encrypted: what the coder put out (before the AES padding)
  uint64_t packSize = 0;
  uint64_t unpackSize = 0;
  size_t streams = 0;           // how many files have their data here
  std::optional<uint32_t> crc;  // of the unpacked data (given for the encoded header)
};

struct SevenZipFile {
  std::string name;  // UTF-8, "/" between folders, no trailing "/"
  bool folder = false;
  bool hasData = false;  // false for folders and empty files
  uint64_t size = 0;
  uint32_t crc = 0;
  uint64_t mtime = 0;  // FILETIME: 100 ns units since 1601-01-01
  uint32_t attributes = 0;
};

// The 7Z variable-length number.
void PutNumber(std::string& out, uint64_t value);

// The header that lists the folders (their packed streams start right after the signature
// header) and the files; the files with data come in the order of the folders' streams.
std::string SevenZipMainHeader(const std::vector<SevenZipFolder>& folders,
                               const std::vector<SevenZipFile>& files);

// The header that points to the packed main header at packPos (its folder carries the CRC).
std::string SevenZipEncodedHeader(const SevenZipFolder& folder, uint64_t packPos);

// The 32 bytes at the start of the archive; an empty archive has a zero next header.
std::string SevenZipSignature(uint64_t nextHeaderOffset, uint64_t nextHeaderSize,
                              uint32_t nextHeaderCrc);

// Windows attributes with the Unix mode in the upper half, as 7-Zip and libarchive read them.
uint32_t SevenZipAttributes(uint32_t mode, bool folder);
// Seconds and nanoseconds since 1970 as a FILETIME.
uint64_t SevenZipTime(int64_t seconds, long nanoseconds);

}  // namespace qvr::writers
