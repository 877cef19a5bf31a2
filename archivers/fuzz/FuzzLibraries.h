// The libraries' C entries, linked into one fuzzing binary; the input's first byte picks
// the library, the rest is the archive.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "EntryInfo.h"

#define QVR_FUZZ_DECLARE(P)                                                  \
  extern "C" int32_t P(void*, const char*, char*, uint32_t);                 \
  extern "C" int32_t P##CheckArchive(const char*, int32_t);                  \
  extern "C" int32_t P##GetFileCount(const char*);                           \
  extern "C" void* P##OpenArchive(void*, const char*, uint32_t);             \
  extern "C" int32_t P##CloseArchive(void*);                                 \
  extern "C" int32_t P##FindFirst(void*, const char*, qvr::arc::EntryInfo*); \
  extern "C" int32_t P##FindNext(void*, qvr::arc::EntryInfo*);               \
  extern "C" int32_t P##GetOriginalSizeEx(void*, int64_t*);

QVR_FUZZ_DECLARE(UnZip)
QVR_FUZZ_DECLARE(SevenZip)
QVR_FUZZ_DECLARE(Unlha)
QVR_FUZZ_DECLARE(Cab)
QVR_FUZZ_DECLARE(Unrar)
QVR_FUZZ_DECLARE(Tar)

namespace qvr::fuzz {

struct Library {
  int32_t (*command)(void*, const char*, char*, uint32_t);
  int32_t (*check)(const char*, int32_t);
  int32_t (*count)(const char*);
  void* (*open)(void*, const char*, uint32_t);
  int32_t (*close)(void*);
  int32_t (*first)(void*, const char*, arc::EntryInfo*);
  int32_t (*next)(void*, arc::EntryInfo*);
  int32_t (*sizeEx)(void*, int64_t*);
  const char* extract;  // the extraction words the program sends
};

#define QVR_FUZZ_ROW(P, words)                                                          \
  Library {                                                                             \
    P, P##CheckArchive, P##GetFileCount, P##OpenArchive, P##CloseArchive, P##FindFirst, \
        P##FindNext, P##GetOriginalSizeEx, words                                        \
  }

inline const Library& Pick(uint8_t b) {
  static const Library libs[] = {QVR_FUZZ_ROW(UnZip, "-x -o -s -V -i -C -qq "),
                                 QVR_FUZZ_ROW(SevenZip, "x -y "),
                                 QVR_FUZZ_ROW(Unlha, "x -c1 -m1 -y1 -jf0 "),
                                 QVR_FUZZ_ROW(Cab, "-x -o "),
                                 QVR_FUZZ_ROW(Unrar, "-x -y -o "),
                                 QVR_FUZZ_ROW(Tar, "-x --use-directory=1 ")};
  return libs[b % (sizeof libs / sizeof libs[0])];
}

// A private folder per process holding the input as a file (the readers seek in files).
inline const std::string& WorkFolder() {
  static std::string folder = [] {
    std::string f =
        std::filesystem::temp_directory_path().string() + "/qvrfuzz." + std::to_string(getpid());
    std::filesystem::create_directories(f);
    return f;
  }();
  return folder;
}

inline std::string WriteInput(const uint8_t* data, size_t size) {
  std::string path = WorkFolder() + "/input.arc";
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return path;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
  return path;
}

}  // namespace qvr::fuzz
