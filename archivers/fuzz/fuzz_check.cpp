// CheckArchive and GetFileCount of the library the first byte picks.
#include "FuzzLibraries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const qvr::fuzz::Library& lib = qvr::fuzz::Pick(data[0]);
  std::string path = qvr::fuzz::WriteInput(data + 1, size - 1);
  lib.check(path.c_str(), 0);
  lib.count(path.c_str());
  return 0;
}
