// The packed 560-byte entry record of the common archiver calling convention.
#pragma once

#include <cstdint>

namespace qvr::arc {

#pragma pack(push, 1)
struct EntryInfo {
  uint32_t OriginalSize;
  uint32_t CompressedSize;
  uint32_t Crc;
  uint32_t Flag;
  uint32_t OsType;
  int16_t Ratio;  // tenths of a percent
  uint16_t Date;  // MS-DOS date, local time
  uint16_t Time;  // MS-DOS time, local time
  char FileName[513];
  char Reserved[3];
  char Attribute[8];
  char Mode[8];
  char Padding[2];
};
#pragma pack(pop)
static_assert(sizeof(EntryInfo) == 560, "EntryInfo must stay 560 bytes");
static_assert(__builtin_offsetof(EntryInfo, FileName) == 26, "FileName at 26");
static_assert(__builtin_offsetof(EntryInfo, Attribute) == 542, "Attribute at 542");
static_assert(__builtin_offsetof(EntryInfo, Mode) == 550, "Mode at 550");

}  // namespace qvr::arc
