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

constexpr size_t kKinds = 4;
std::string (&KindFolders())[kKinds] {
  static std::string folders[kKinds];
  return folders;
}

// The files of the application folder that are not work files, by name.
struct NamedFile {
  const char* name;
  AppFileKind kind;
};
constexpr NamedFile kNamedFiles[] = {
    {"QvrArc.ini", AppFileKind::Settings}, {"DllStatus.ini", AppFileKind::Settings},
    {"Log.txt", AppFileKind::State},       {"FilterName.hst", AppFileKind::State},
    {"FilterExt.hst", AppFileKind::State}, {"tmp", AppFileKind::Runtime},
};
// The work files an earlier version left in its one folder.
constexpr const char* kWorkFiles[] = {"addlist.tmp", "addlist2.tmp", "FileList.tmp", "original.lst",
                                      "ArcFiles"};

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
  for (std::string& kindFolder : KindFolders()) kindFolder = Folder();
}

AppFileKind AppFileKindOf(const std::string& name) {
  for (const NamedFile& file : kNamedFiles)
    if (name == file.name) return file.kind;
  return AppFileKind::Cache;
}

const std::string& AppFileFolder(AppFileKind kind) {
  return KindFolders()[size_t(kind)];
}

namespace {

// Moves an earlier version's file or folder over; one of that name already there stays, and
// so does the old one (nothing is lost).
void MoveOver(const std::string& from, const std::string& to) {
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(from, ec)) ||
      std::filesystem::exists(std::filesystem::symlink_status(to, ec)))
    return;
  std::filesystem::rename(from, to, ec);
  if (!ec) return;
  // Another file system: a copy, and the old one goes only when the copy is whole.
  std::filesystem::copy(from, to, std::filesystem::copy_options::recursive, ec);
  if (!ec) std::filesystem::remove_all(from, ec);
}

}  // namespace

void SetAppFileFolders(const std::string& executableFolder) {
  if (!IsInstalledCopy(executableFolder)) return;
  const std::string runtime = XdgRuntimeDir();
  const std::string cache = WithSlash(XdgCacheHome() + "/QuiverArchiver");
  const std::string folders[kKinds] = {
      WithSlash(XdgConfigHome() + "/QuiverArchiver"), WithSlash(XdgStateHome() + "/QuiverArchiver"),
      cache, runtime.empty() ? cache : WithSlash(runtime + "/QuiverArchiver")};
  for (size_t kind = 0; kind < kKinds; ++kind) {
    std::error_code ec;
    std::filesystem::create_directories(folders[kind], ec);
    KindFolders()[kind] = folders[kind];
  }
  const std::string& old = Folder();
  for (const NamedFile& file : kNamedFiles)
    MoveOver(old + file.name, AppFileFolder(file.kind) + file.name);
  for (const char* name : kWorkFiles) MoveOver(old + name, cache + name);
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

std::string XdgStateHome() {
  return XdgBase("XDG_STATE_HOME", "/.local/state");
}

std::string XdgCacheHome() {
  return XdgBase("XDG_CACHE_HOME", "/.cache");
}

std::string XdgRuntimeDir() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  return runtime && *runtime == '/' ? runtime : "";
}

std::vector<std::string> XdgDataDirs() {
  return XdgDirs("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
}

std::vector<std::string> XdgConfigDirs() {
  return XdgDirs("XDG_CONFIG_DIRS", "/etc/xdg");
}

}  // namespace qvr
