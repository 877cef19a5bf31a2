// The ids of the 7Z format: the method ids of its coders (their id bytes read big-endian) with
// their names, and the ids of its header records and file properties, with the attribute
// bits, shared by our 7Z reader and our 7Z writer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace qvr::arc {

constexpr uint64_t kMethodCopy = 0x00;
constexpr uint64_t kMethodDelta = 0x03;
constexpr uint64_t kMethodX86 = 0x04;
constexpr uint64_t kMethodPpc = 0x05;
constexpr uint64_t kMethodIa64 = 0x06;
constexpr uint64_t kMethodArm = 0x07;
constexpr uint64_t kMethodArmThumb = 0x08;
constexpr uint64_t kMethodSparc = 0x09;
constexpr uint64_t kMethodArm64 = 0x0A;
constexpr uint64_t kMethodLzma2 = 0x21;
constexpr uint64_t kMethodLzma = 0x030101;
constexpr uint64_t kMethodBcjX86 = 0x03030103;
constexpr uint64_t kMethodBcj2 = 0x0303011B;
constexpr uint64_t kMethodBcjPpc = 0x03030205;
constexpr uint64_t kMethodBcjIa64 = 0x03030401;
constexpr uint64_t kMethodBcjArm = 0x03030501;
constexpr uint64_t kMethodBcjArmThumb = 0x03030701;
constexpr uint64_t kMethodBcjSparc = 0x03030805;
constexpr uint64_t kMethodPpmd = 0x030401;
constexpr uint64_t kMethodDeflate = 0x040108;
constexpr uint64_t kMethodDeflate64 = 0x040109;
constexpr uint64_t kMethodBzip2 = 0x040202;
constexpr uint64_t kMethodAes = 0x06F10701;

inline std::string SevenZipCoderName(uint64_t id) {
  switch (id) {
    case kMethodCopy:
      return "Copy";
    case kMethodDelta:
      return "Delta";
    case kMethodX86:
    case kMethodBcjX86:
      return "BCJ";
    case kMethodPpc:
    case kMethodBcjPpc:
      return "PPC";
    case kMethodIa64:
    case kMethodBcjIa64:
      return "IA64";
    case kMethodArm:
    case kMethodBcjArm:
      return "ARM";
    case kMethodArmThumb:
    case kMethodBcjArmThumb:
      return "ARMT";
    case kMethodSparc:
    case kMethodBcjSparc:
      return "SPARC";
    case kMethodArm64:
      return "ARM64";
    case kMethodLzma2:
      return "LZMA2";
    case kMethodLzma:
      return "LZMA";
    case kMethodBcj2:
      return "BCJ2";
    case kMethodPpmd:
      return "PPMd";
    case kMethodDeflate:
      return "Deflate";
    case kMethodDeflate64:
      return "Defl64";
    case kMethodBzip2:
      return "BZip2";
    case kMethodAes:
      return "7zAES";
    default: {
      char hex[24];
      std::snprintf(hex, sizeof hex, "%llX", static_cast<unsigned long long>(id));
      return hex;
    }
  }
}

}  // namespace qvr::arc

namespace qvr::arc::sevenzip {

enum Id : uint8_t {
  kEnd = 0x00,
  kHeader = 0x01,
  kArchiveProperties = 0x02,
  kAdditionalStreamsInfo = 0x03,
  kMainStreamsInfo = 0x04,
  kFilesInfo = 0x05,
  kPackInfo = 0x06,
  kUnpackInfo = 0x07,
  kSubStreamsInfo = 0x08,
  kSize = 0x09,
  kCrc = 0x0A,
  kFolder = 0x0B,
  kCodersUnpackSize = 0x0C,
  kNumUnpackStream = 0x0D,
  kEmptyStream = 0x0E,
  kEmptyFile = 0x0F,
  kAnti = 0x10,
  kName = 0x11,
  kMTime = 0x14,
  kWinAttributes = 0x15,
  kEncodedHeader = 0x17,
};

// Windows attributes, with the Unix mode in the upper half where kAttrUnixExtension is set.
constexpr uint32_t kAttrReadOnly = 0x01;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrUnixExtension = 0x8000;

// Times are FILETIME: 100 ns units since 1601; this many seconds lie between 1601 and 1970.
constexpr int64_t kFileTimeEpochSeconds = 11644473600;

}  // namespace qvr::arc::sevenzip
