#include "AppFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "Version.h"

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

std::string XdgBase(const char* variable, const char* underHome) {
  if (const char* xdg = std::getenv(variable); xdg && *xdg == '/') return xdg;
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + underHome;
  return std::string("/tmp") + underHome;
}

std::vector<std::string> XdgDirs(const char* variable, const char* defaults) {
  const char* value = std::getenv(variable);
  std::string list = value && *value ? value : defaults;
  std::vector<std::string> folders;
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    if (end > start) folders.push_back(list.substr(start, end - start));
    start = end + 1;
  }
  return folders;
}

// The folder as the file system resolves it (links, "..", a trailing "/"); "" when missing.
std::string Canonical(const std::string& folder) {
  std::error_code ec;
  auto path = std::filesystem::canonical(folder, ec);
  return ec ? std::string() : path.string();
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

std::string ExecutablePath() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? ExecutableFolder() + "QuiverArchiver" : exe.string();
}

bool IsInstalledCopy(const std::string& executableFolder) {
  std::string folder = Canonical(executableFolder);
  if (folder.empty()) return false;
  if (folder == Canonical(kInstallBinDir)) return true;
  std::filesystem::path bin(folder);
  std::error_code ec;
  return bin.filename() == "bin" &&
         std::filesystem::is_directory(bin.parent_path() / "share" / "quiverarchiver", ec);
}

std::string ResolveAppFolder(const std::string& executableFolder) {
  if (!executableFolder.empty() && !IsInstalledCopy(executableFolder) &&
      access(executableFolder.c_str(), W_OK) == 0) {
    return WithSlash(executableFolder);
  }
  std::string folder = XdgDataHome() + "/QuiverArchiver/";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return folder;
}

std::string XdgDataHome() {
  return XdgBase("XDG_DATA_HOME", "/.local/share");
}

std::string XdgConfigHome() {
  return XdgBase("XDG_CONFIG_HOME", "/.config");
}

std::vector<std::string> XdgDataDirs() {
  return XdgDirs("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
}

std::vector<std::string> XdgConfigDirs() {
  return XdgDirs("XDG_CONFIG_DIRS", "/etc/xdg");
}

}  // namespace qvr
