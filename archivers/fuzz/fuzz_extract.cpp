// The command entry extracting into a temporary folder, which is emptied afterwards;
// nothing may appear beside it.
#include <filesystem>

#include "FuzzLibraries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const qvr::fuzz::Library& lib = qvr::fuzz::Pick(data[0]);
  std::string path = qvr::fuzz::WriteInput(data + 1, size - 1);
  std::string dest = qvr::fuzz::WorkFolder() + "/out";
  std::string line = std::string(lib.extract) + "\"" + path + "\" \"" + dest + "/\"";
  char report[qvr::kCommandOutputSize];
  lib.command(nullptr, line.c_str(), report, sizeof report);
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(qvr::fuzz::WorkFolder(), ec)) {
    std::string name = e.path().filename().string();
    if (name != "out" && name != "input.arc") __builtin_trap();  // written outside
  }
  std::filesystem::remove_all(dest, ec);
  return 0;
}
