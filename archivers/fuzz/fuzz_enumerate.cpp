// OpenArchive, FindFirst/FindNext (twice, the second walk starting over) and the sizes.
#include <cstring>

#include "FuzzLibraries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const qvr::fuzz::Library& lib = qvr::fuzz::Pick(data[0]);
  std::string path = qvr::fuzz::WriteInput(data + 1, size - 1);
  void* h = lib.open(nullptr, path.c_str(), 0x400000);
  if (!h) return 0;
  for (const char* wildcard : {"*", "*.txt"}) {
    qvr::EntryInfo info;
    for (int r = lib.first(h, wildcard, &info); r == 0; r = lib.next(h, &info)) {
      int64_t s = 0;
      lib.sizeEx(h, &s);
      if (std::memchr(info.FileName, 0, sizeof info.FileName) == nullptr) __builtin_trap();
    }
  }
  lib.close(h);
  return 0;
}
