// A test-side loader for our archiver plugins: dlopen the real .so from build/bin and look
// up one library's prefixed entries.
#pragma once

#include <dlfcn.h>

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "qvr/ArchiverAbi.h"

namespace qvr::test {

struct ArchiverLib {
  using Command = CommandEntry*;
  using Version = VersionEntry*;
  using Check = CheckArchiveEntry*;
  using Count = GetFileCountEntry*;
  using Open = OpenArchiveEntry*;
  using Close = CloseArchiveEntry*;
  using First = FindFirstEntry*;
  using Next = FindNextEntry*;
  using SizeEx = SizeExEntry*;
  using Skipped = SkippedCountEntry*;

  ArchiverLib(const std::string& file, const std::string& prefix) {
    handle = dlopen((std::string(QVR_BIN_DIR) + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) throw std::runtime_error(dlerror());
    command = Sym<Command>(prefix);
    getVersion = Sym<Version>(prefix + "GetVersion");
    getSubVersion = Sym<Version>(prefix + "GetSubVersion");
    checkArchive = Sym<Check>(prefix + "CheckArchive");
    getFileCount = Sym<Count>(prefix + "GetFileCount");
    openArchive = Sym<Open>(prefix + "OpenArchive");
    closeArchive = Sym<Close>(prefix + "CloseArchive");
    findFirst = Sym<First>(prefix + "FindFirst");
    findNext = Sym<Next>(prefix + "FindNext");
    originalSizeEx = Sym<SizeEx>(prefix + "GetOriginalSizeEx");
    compressedSizeEx = Sym<SizeEx>(prefix + "GetCompressedSizeEx");
    skippedCount = Sym<Skipped>(prefix + "GetSkippedCount");
  }
  ~ArchiverLib() {
    // Kept loaded: Qt may still hold references into the library's code.
  }
  ArchiverLib(const ArchiverLib&) = delete;
  ArchiverLib& operator=(const ArchiverLib&) = delete;

  int32_t Run(const std::string& line, void* owner = nullptr, std::string* report = nullptr) {
    char out[kCommandOutputSize];
    int32_t r = command(owner, line.c_str(), out, sizeof out);
    if (report) *report = out;
    return r;
  }

  void* handle = nullptr;
  Command command = nullptr;
  Version getVersion = nullptr, getSubVersion = nullptr;
  Check checkArchive = nullptr;
  Count getFileCount = nullptr;
  Open openArchive = nullptr;
  Close closeArchive = nullptr;
  First findFirst = nullptr;
  Next findNext = nullptr;
  SizeEx originalSizeEx = nullptr, compressedSizeEx = nullptr;
  Skipped skippedCount = nullptr;

 private:
  template <typename F>
  F Sym(const std::string& name) {
    void* p = dlsym(handle, name.c_str());
    if (!p) throw std::runtime_error("missing entry " + name);
    return reinterpret_cast<F>(p);
  }
};

// The library of that file, loaded at its first use in the test process and kept.
inline ArchiverLib& Library(const std::string& file, const std::string& prefix) {
  static std::map<std::string, std::unique_ptr<ArchiverLib>> loaded;
  auto& slot = loaded[file];
  if (!slot) slot = std::make_unique<ArchiverLib>(file, prefix);
  return *slot;
}

}  // namespace qvr::test
