// A test plugin exporting only part of UnLHA32's entries (version, check, open, first entry,
// close: no command, count, subversion, next entry or 64-bit sizes). Its one entry is 3 GB
// large, so a 32-bit size read as signed would turn negative.
#include <cstdint>
#include <cstring>

#include "qvr/ArchiverAbi.h"

#define QVR_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
int openArchive = 0;
}

QVR_EXPORT uint16_t UnlhaGetVersion() {
  return 123;
}

QVR_EXPORT int32_t UnlhaCheckArchive(const char*, int32_t) {
  return 1;
}

QVR_EXPORT qvr::HARC UnlhaOpenArchive(void*, const char*, uint32_t) {
  return &openArchive;
}

QVR_EXPORT int32_t UnlhaFindFirst(qvr::HARC, const char*, qvr::EntryInfo* entry) {
  std::memset(entry, 0, sizeof *entry);
  entry->OriginalSize = 3000000000u;
  entry->CompressedSize = 2500000000u;
  std::strcpy(entry->FileName, "big.bin");
  return 0;
}

QVR_EXPORT int32_t UnlhaCloseArchive(qvr::HARC) {
  return 0;
}
