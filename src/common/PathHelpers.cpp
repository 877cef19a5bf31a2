#include "PathHelpers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <vector>

#include "MainWindowPort.h"
#include "Translate.h"

namespace qvr {

std::string FolderOf(std::string_view path) {
  auto pos = path.rfind(kSep);
  if (pos == std::string_view::npos) return std::string(1, kSep);
  return std::string(path.substr(0, pos));
}

std::string FileNameOf(std::string_view path) {
  auto pos = path.rfind(kSep);
  if (pos == std::string_view::npos) return std::string(path);
  return std::string(path.substr(pos + 1));
}

std::string StripExtension(std::string_view name) {
  auto pos = name.rfind('.');
  if (pos == std::string_view::npos) return std::string(name);
  return std::string(name.substr(0, pos));
}

std::string ExtensionOf(std::string_view name) {
  auto pos = name.rfind('.');
  if (pos == std::string_view::npos) return std::string(name);
  return std::string(name.substr(pos + 1));
}

std::string QuotePath(std::string_view path) {
  if (path.find(' ') == std::string_view::npos) return std::string(path);
  std::string quoted;
  quoted.reserve(path.size() + 2);
  quoted += '"';
  quoted += path;
  quoted += '"';
  return quoted;
}

bool IsValidFileName(std::string_view name, MainWindowPort& window) {
  if (name.find_first_of("\\/:,;*?\"<>|") == std::string_view::npos) return true;
  // ";" is refused although the message does not list it.
  window.messageBox(
      Tr("PathHelpers", "ファイル名に次の文字は使えません。\r\n\\ / : , * ? \" < > |"),
      MsgIcon::Critical, MsgButtons::Ok);
  return false;
}

bool MakeFolders(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return std::filesystem::is_directory(path, ec);
}

namespace {

// The components of a relative sub-path; empty when it is absolute, empty or would
// climb ("..") out of its base.
std::vector<std::string> SafeComponents(const std::string& subPath) {
  std::vector<std::string> parts;
  if (subPath.empty() || subPath.front() == kSep) return {};
  size_t start = 0;
  while (start <= subPath.size()) {
    size_t end = subPath.find(kSep, start);
    if (end == std::string::npos) end = subPath.size();
    std::string part = subPath.substr(start, end - start);
    if (part == "..") return {};
    if (!part.empty() && part != ".") parts.push_back(part);
    start = end + 1;
  }
  return parts;
}

// The names in an open folder, "." and ".." left out; the folder's descriptor stays open.
std::vector<std::string> EntryNames(int dirFd) {
  std::vector<std::string> names;
  int listFd = dup(dirFd);
  if (listFd < 0) return names;
  DIR* dir = fdopendir(listFd);
  if (!dir) {
    close(listFd);
    return names;
  }
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

void DeleteFilesIn(int dirFd) {
  for (const auto& name : EntryNames(dirFd)) {
    struct stat st;
    if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    // Files and links are deleted (a link itself, never its target); folders stay.
    if (S_ISDIR(st.st_mode)) continue;
    unlinkat(dirFd, name.c_str(), 0);
  }
}

// Deletes the folder's contents, depth first, each level opened without following links.
void RemoveContentsAt(int dirFd) {
  for (const auto& name : EntryNames(dirFd)) {
    struct stat st;
    if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (!S_ISDIR(st.st_mode)) {
      unlinkat(dirFd, name.c_str(), 0);
      continue;
    }
    // Pin the folder itself (never a link put in its place), then make it writable: a
    // read-only folder cannot be emptied otherwise.
    int pinned = openat(dirFd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (pinned < 0) continue;
    std::string self = "/proc/self/fd/" + std::to_string(pinned);
    chmod(self.c_str(), (st.st_mode & 07777) | S_IRWXU);
    int sub = open(self.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    close(pinned);
    if (sub >= 0) {
      RemoveContentsAt(sub);
      close(sub);
    }
    unlinkat(dirFd, name.c_str(), AT_REMOVEDIR);
  }
}

}  // namespace

void EmptyFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  RemoveContentsAt(fd);
  close(fd);
}

bool RemoveFolderChain(const std::string& base, const std::string& subPath) {
  std::vector<std::string> parts = SafeComponents(subPath);
  if (parts.empty() || base.empty()) return true;

  // Open each level below the base without following links, so the walk can never
  // leave the base however the folders were swapped.
  std::vector<int> fds;
  int baseFd = open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (baseFd < 0) return true;
  fds.push_back(baseFd);
  for (const auto& part : parts) {
    int fd = openat(fds.back(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) break;
    fds.push_back(fd);
  }
  if (fds.size() == parts.size() + 1) DeleteFilesIn(fds.back());
  // Remove from the deepest folder reached up to, not including, the base.
  for (size_t level = fds.size() - 1; level >= 1; --level) {
    unlinkat(fds[level - 1], parts[level - 1].c_str(), AT_REMOVEDIR);
  }
  for (int fd : fds) close(fd);
  return true;
}

std::string LCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string UCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

}  // namespace qvr

namespace qvr {

int64_t FileLen(const std::string& path) {
  std::error_code ec;
  auto size = std::filesystem::file_size(path, ec);
  return ec ? 0 : int64_t(size);
}

std::vector<int64_t> FileLens(const std::vector<std::string>& paths) {
  std::vector<int64_t> sizes;
  sizes.reserve(paths.size());
  for (const std::string& path : paths) sizes.push_back(FileLen(path));
  return sizes;
}

bool IsExistingFile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

}  // namespace qvr
