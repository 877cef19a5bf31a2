#include "SafeWriter.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <random>

#include "ArcErrors.h"
#include "FdIo.h"

namespace qvr::arc {

std::vector<std::string> CleanPath(const std::string& path) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string c = path.substr(start, end - start);
    bool drive = out.empty() && c.size() == 2 && c[1] == ':' &&
                 std::isalpha(static_cast<unsigned char>(c[0]));
    if (!c.empty() && c != "." && c != ".." && !drive) out.push_back(c);
    start = end + 1;
  }
  return out;
}

bool LinkStaysInside(const std::vector<std::string>& linkComponents, const std::string& target) {
  if (target.empty() || target[0] == '/' || target.find('\\') != std::string::npos) return false;
  size_t depth = linkComponents.empty() ? 0 : linkComponents.size() - 1;
  bool descending = false;
  size_t start = 0;
  while (start <= target.size()) {
    size_t end = target.find('/', start);
    if (end == std::string::npos) end = target.size();
    std::string c = target.substr(start, end - start);
    if (c == "..") {
      if (descending || depth == 0) return false;
      --depth;
    } else if (!c.empty() && c != ".") {
      descending = true;
    }
    start = end + 1;
  }
  return true;
}

static int32_t WriteError(int err) {
  return err == ENOSPC || err == EDQUOT ? ERROR_DISK_SPACE : ERROR_CANNOT_WRITE;
}

SafeWriter::~SafeWriter() {
  if (cachedFd_ >= 0) close(cachedFd_);
  if (root_ >= 0) close(root_);
}

int32_t SafeWriter::Open(const std::string& destination) {
  std::string dest = destination.empty() ? "." : destination;
  // The destination itself is the user's choice: make the missing levels, then hold it.
  for (size_t i = 1; i <= dest.size(); ++i) {
    if (i == dest.size() || dest[i] == '/') {
      std::string level = dest.substr(0, i);
      if (mkdir(level.c_str(), 0777) != 0 && errno != EEXIST) return ERROR_MAKEDIRECTORY;
    }
  }
  root_ = open(dest.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return root_ >= 0 ? kOk : ERROR_MAKEDIRECTORY;
}

int SafeWriter::OpenParent(const std::vector<std::string>& components, int32_t& error,
                           bool create) {
  std::string key;
  for (size_t i = 0; i + 1 < components.size(); ++i) key += components[i] + "/";
  if (cachedFd_ >= 0 && key == cachedParent_) return cachedFd_;
  int fd = dup(root_);
  for (size_t i = 0; fd >= 0 && i + 1 < components.size(); ++i) {
    const char* name = components[i].c_str();
    int next = openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0 && errno == ENOENT && !create) {
      close(fd);
      error = ERROR_NOT_FIND_FILE;
      return -1;
    }
    if (next < 0 && errno == ENOENT) {
      if (mkdirat(fd, name, 0777) != 0 && errno != EEXIST) {
        close(fd);
        error = ERROR_MAKEDIRECTORY;
        return -1;
      }
      next = openat(fd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    }
    close(fd);
    fd = next;
  }
  if (fd < 0) {  // a link or a file stands where a folder must be: never go through it
    error = ERROR_MAKEDIRECTORY;
    return -1;
  }
  if (cachedFd_ >= 0) close(cachedFd_);
  cachedFd_ = fd;
  cachedParent_ = key;
  return fd;
}

Existing SafeWriter::Exists(const std::vector<std::string>& components) {
  int32_t error = kOk;
  int parent = OpenParent(components, error);
  struct stat st;
  if (parent < 0 || fstatat(parent, components.back().c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return Existing::None;
  return S_ISDIR(st.st_mode) ? Existing::Folder : Existing::File;
}

bool SafeWriter::HasFile(const std::vector<std::string>& components) {
  if (components.empty()) return false;
  int32_t error = kOk;
  int parent = OpenParent(components, error, false);
  struct stat st;
  return parent >= 0 && fstatat(parent, components.back().c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
         !S_ISDIR(st.st_mode);
}

int32_t SafeWriter::MakeFolder(const std::vector<std::string>& components, const Entry& entry) {
  int32_t error = kOk;
  int parent = OpenParent(components, error);
  if (parent < 0) return error;
  struct stat st;
  if (mkdirat(parent, components.back().c_str(), 0777) != 0) {
    if (fstatat(parent, components.back().c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISDIR(st.st_mode))
      return ERROR_MAKEDIRECTORY;
  }
  if (entry.mtimeSet) folderTimes_.emplace_back(components, entry.mtime);
  return kOk;
}

static std::string TempName(const std::string& name) {
  static thread_local std::mt19937_64 rng{std::random_device{}()};
  char tag[24];
  std::snprintf(tag, sizeof tag, "%012llx",
                static_cast<unsigned long long>(rng() & 0xFFFFFFFFFFFFull));
  std::string base = name.size() > 200 ? name.substr(0, 200) : name;
  return "." + base + ".qvr" + tag;
}

// Our temporary names exactly: "." + name + ".qvr" + 12 lower-case hex digits.
static bool IsOurTempName(const std::string& name) {
  constexpr size_t kTail = 4 + 12;  // ".qvr" + the tag
  if (name.size() < 2 + kTail || name[0] != '.') return false;
  size_t tag = name.size() - 12;
  if (name.compare(tag - 4, 4, ".qvr") != 0) return false;
  for (size_t i = tag; i < name.size(); ++i) {
    char c = name[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

void SafeWriter::RemoveLeftovers(int folder) {
  struct stat st {};
  if (fstat(folder, &st) != 0 || !cleaned_.insert({st.st_dev, st.st_ino}).second) return;
  int listed = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = listed >= 0 ? fdopendir(listed) : nullptr;
  if (!dir) {
    if (listed >= 0) close(listed);
    return;
  }
  while (struct dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (!IsOurTempName(name)) continue;
    struct stat file {};
    if (fstatat(folder, name.c_str(), &file, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(file.st_mode) ||
        file.st_mtime >= runStart_)
      continue;
    // A run that is still writing holds a lock on its file; one that was killed holds none.
    UniqueFd held(openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (held.valid() && flock(held.get(), LOCK_EX | LOCK_NB) == 0)
      unlinkat(folder, name.c_str(), 0);
  }
  closedir(dir);
}

// Whether files can be made without a name (O_TMPFILE) and named later through /proc.
static bool ProcFdsReachable() {
  static const bool reachable = access("/proc/self/fd", X_OK) == 0;
  return reachable;
}

int SafeWriter::CreateTemp(int parent, const std::string& name, mode_t mode, std::string& temp) {
  temp.clear();
  // Nameless until complete where the file system allows: if the process dies, the kernel
  // drops the file.
  int fd = ProcFdsReachable() ? openat(parent, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, mode) : -1;
  for (int tries = 0; fd < 0 && tries < 8; ++tries) {
    temp = TempName(name);
    fd = openat(parent, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
  }
  // Held until closed, also once named: RemoveLeftovers of other runs passes it over.
  if (fd >= 0) flock(fd, LOCK_EX);
  return fd;
}

// Gives a nameless file its temporary name in the parent.
static int NameTemp(int fd, int parent, const std::string& name, std::string& temp) {
  char self[64];
  std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
  for (int tries = 0; tries < 8; ++tries) {
    temp = TempName(name);
    if (linkat(AT_FDCWD, self, parent, temp.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno != EEXIST) break;
  }
  int err = errno;
  temp.clear();
  return err;
}

int32_t SafeWriter::WriteFile(const std::vector<std::string>& components, const Entry& entry,
                              EntrySource& source) {
  words_.clear();
  int32_t error = kOk;
  int parent = OpenParent(components, error);
  if (parent < 0) return error;
  RemoveLeftovers(parent);
  // Set-user-id, set-group-id and sticky bits are never restored.
  mode_t mode = (entry.perm & 0777) | 0600;
  std::string temp;
  UniqueFd file(CreateTemp(parent, components.back(), mode, temp));
  if (!file.valid()) return WriteError(errno);
  int fd = file.get();
  int32_t result = kOk;
  int64_t written = 0;
  for (;;) {
    const void* data = nullptr;
    size_t len = 0;
    result = source.Read(&data, &len);
    if (result != kOk || len == 0) break;
    // Declared sizes are kept while writing: a bomb that claims little stops at once.
    if (entry.sizeDeclared && static_cast<int64_t>(len) > entry.size - written) {
      result = ERROR_BROKEN_DATA;
      words_ = "more data than the archive declares (" + std::to_string(entry.size) + " bytes)";
      break;
    }
    if (int err = WriteAll(fd, data, len)) {
      result = WriteError(err);
      break;
    }
    written += static_cast<int64_t>(len);
  }
  if (result == kOk && entry.sizeDeclared && written < entry.size) {
    if (!entry.sparse) {
      result = ERROR_BROKEN_DATA;
      words_ = "the data ends at " + std::to_string(written) + " of " + std::to_string(entry.size) +
               " declared bytes";
    } else if (ftruncate(fd, entry.size) != 0) {  // a hole up to the declared end
      result = WriteError(errno);
    }
  }
  if (result == kOk && entry.mtimeSet) {
    struct timespec times[2] = {{entry.mtime, 0}, {entry.mtime, 0}};
    futimens(fd, times);
  }
  if (result == kOk && temp.empty()) {
    if (int err = NameTemp(fd, parent, components.back(), temp)) result = WriteError(err);
  }
  if (int err = file.Close(); err != 0 && result == kOk) result = WriteError(err);
  if (result == kOk && renameat(parent, temp.c_str(), parent, components.back().c_str()) != 0)
    result = ERROR_CANNOT_WRITE;
  if (result != kOk && !temp.empty()) unlinkat(parent, temp.c_str(), 0);
  return result;
}

int32_t SafeWriter::MakeSymlink(const std::vector<std::string>& components,
                                const std::string& target) {
  int32_t error = kOk;
  int parent = OpenParent(components, error);
  if (parent < 0) return error;
  std::string temp = TempName(components.back());
  if (symlinkat(target.c_str(), parent, temp.c_str()) != 0) return WriteError(errno);
  if (renameat(parent, temp.c_str(), parent, components.back().c_str()) != 0) {
    unlinkat(parent, temp.c_str(), 0);
    return ERROR_CANNOT_WRITE;
  }
  return kOk;
}

int32_t SafeWriter::MakeHardlink(const std::vector<std::string>& components,
                                 const std::vector<std::string>& targetComponents) {
  if (targetComponents.empty()) return ERROR_NOT_FIND_FILE;
  int32_t error = kOk;
  int from = OpenParent(targetComponents, error);
  if (from < 0) return error;
  int held = dup(from);  // the cache moves on when the link's own folder is entered
  int to = OpenParent(components, error);
  int32_t result = kOk;
  if (to < 0) {
    result = error;
  } else {
    std::string temp = TempName(components.back());
    if (linkat(held, targetComponents.back().c_str(), to, temp.c_str(), 0) != 0) {
      result = errno == ENOENT ? ERROR_NOT_FIND_FILE : WriteError(errno);
    } else if (renameat(to, temp.c_str(), to, components.back().c_str()) != 0) {
      unlinkat(to, temp.c_str(), 0);
      result = ERROR_CANNOT_WRITE;
    }
  }
  close(held);
  return result;
}

void SafeWriter::RestoreFolderTimes() {
  // After every file is in place: creating a file changes its folder's time.
  for (auto it = folderTimes_.begin(); it != folderTimes_.end(); ++it) {
    int32_t error = kOk;
    int parent = OpenParent(it->first, error);
    if (parent < 0) continue;
    struct timespec times[2] = {{it->second, 0}, {it->second, 0}};
    utimensat(parent, it->first.back().c_str(), times, AT_SYMLINK_NOFOLLOW);
  }
  folderTimes_.clear();
}

}  // namespace qvr::arc
