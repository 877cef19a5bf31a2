#include "BackendsTest.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace qvr::test {

BackendsTest::BackendsTest() {
  std::filesystem::create_directories(plugin.folder());
  std::filesystem::create_directories(pathFolder);
  std::filesystem::create_directories(currentFolder);
  if (const char* path = std::getenv("PATH")) savedPath_ = path;
  savedCwd_ = std::filesystem::current_path().string();
  setenv("PATH", (pathFolder + ":/usr/bin:/bin").c_str(), 1);
  std::filesystem::current_path(currentFolder);
}

BackendsTest::~BackendsTest() {
  setenv("PATH", savedPath_.c_str(), 1);
  std::error_code ec;
  std::filesystem::current_path(savedCwd_, ec);
}

void BackendsTest::InstallTool(const std::string& name, const std::string& folder) {
  std::string target = (folder.empty() ? plugin.folder() : folder) + name;
  std::filesystem::copy_file(QVR_STUB_TOOL, target,
                             std::filesystem::copy_options::overwrite_existing);
}

void BackendsTest::ToolPrints(const std::string& name, const std::string& mode,
                              const std::string& text) {
  WriteFile(App(name + ".prints-" + mode), text);
}

std::vector<std::string> BackendsTest::ToolArgs(const std::string& name) const {
  std::vector<std::string> args;
  std::istringstream in(ReadFile(App(name + ".args")));
  std::string line;
  while (std::getline(in, line)) args.push_back(line.substr(1, line.size() - 2));
  return args;
}

}  // namespace qvr::test
