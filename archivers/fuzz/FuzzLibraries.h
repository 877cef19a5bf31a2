// The libraries' C entries, linked into one fuzzing binary; the input's first byte picks
// the library, the rest is the archive.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "qvr/ArchiverAbi.h"

QVR_ABI_DECLARE_LIBRARY(UnZip);
QVR_ABI_DECLARE_LIBRARY(SevenZip);
QVR_ABI_DECLARE_LIBRARY(Unlha);
QVR_ABI_DECLARE_LIBRARY(Cab);
QVR_ABI_DECLARE_LIBRARY(Unrar);
QVR_ABI_DECLARE_LIBRARY(Tar);

namespace qvr::fuzz {

struct Library {
  CommandEntry* command;
  CheckArchiveEntry* check;
  GetFileCountEntry* count;
  OpenArchiveEntry* open;
  CloseArchiveEntry* close;
  FindFirstEntry* first;
  FindNextEntry* next;
  SizeExEntry* sizeEx;
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

// A private folder per process holding the input as a file (the readers seek in files),
// removed when the process ends (libFuzzer ends through exit, also at -max_total_time).
struct WorkFolderOfProcess {
  std::string path =
      std::filesystem::temp_directory_path().string() + "/qvrfuzz." + std::to_string(getpid());
  WorkFolderOfProcess() { std::filesystem::create_directories(path); }
  ~WorkFolderOfProcess() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
};

inline const std::string& WorkFolder() {
  static WorkFolderOfProcess folder;
  return folder.path;
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
