#include "AppFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qvr {
namespace {

std::string& Folder() {
  static std::string folder;
  return folder;
}

std::string WithSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

const std::string& AppFolder() {
  return Folder();
}

void SetAppFolder(const std::string& folder) {
  Folder() = WithSlash(folder);
}

std::string ExecutableFolder() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return WithSlash(std::filesystem::current_path(ec).string());
  return WithSlash(exe.parent_path().string());
}

std::string ResolveAppFolder(const std::string& executableFolder) {
  if (!executableFolder.empty() && access(executableFolder.c_str(), W_OK) == 0) {
    return WithSlash(executableFolder);
  }
  std::string base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.local/share";
  } else {
    base = "/tmp";
  }
  std::string folder = WithSlash(base) + "QuiverArchiver/";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return folder;
}

}  // namespace qvr
