// A plugin for the tests of the walks' limits, installed as unlha32.so: its count is -5, it
// accepts every file, and FindFirst/FindNext answer an entry forever. The entry's name is
// QVR_ENDLESS_NAME when set, else 513 bytes "d/aaa..." filling the whole field without a NUL.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "qvr/ArchiverAbi.h"

using qvr::EntryInfo;
using qvr::HARC;

namespace {

int32_t Fill(EntryInfo* entry) {
  if (!entry) return -1;
  std::memset(entry, 0, sizeof *entry);
  entry->OriginalSize = 1;
  entry->CompressedSize = 1;
  entry->Ratio = 1000;
  if (const char* name = std::getenv("QVR_ENDLESS_NAME")) {
    std::strncpy(entry->FileName, name, sizeof entry->FileName - 1);
  } else {
    std::memset(entry->FileName, 'a', sizeof entry->FileName);
    entry->FileName[0] = 'd';
    entry->FileName[1] = '/';
  }
  return 0;
}

int handle;

}  // namespace

#define QVR_EXPORT extern "C" __attribute__((visibility("default")))

QVR_EXPORT uint16_t UnlhaGetVersion() {
  return 100;
}
QVR_EXPORT int32_t UnlhaCheckArchive(const char*, int32_t) {
  return 1;
}
QVR_EXPORT int32_t UnlhaGetFileCount(const char*) {
  return -5;
}
QVR_EXPORT HARC UnlhaOpenArchive(void*, const char*, uint32_t) {
  return &handle;
}
QVR_EXPORT int32_t UnlhaCloseArchive(HARC) {
  return 0;
}
QVR_EXPORT int32_t UnlhaFindFirst(HARC, const char*, EntryInfo* entry) {
  return Fill(entry);
}
QVR_EXPORT int32_t UnlhaFindNext(HARC, EntryInfo* entry) {
  return Fill(entry);
}
