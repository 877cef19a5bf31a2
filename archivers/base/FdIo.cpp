#include "FdIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace qvr::arc {

int UniqueFd::release() {
  int fd = fd_;
  fd_ = -1;
  return fd;
}

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

int UniqueFd::Close() {
  if (fd_ < 0) return 0;
  int closed = ::close(release());
  return closed == 0 ? 0 : errno;
}

ssize_t ReadSome(int fd, void* buffer, size_t size) {
  for (;;) {
    ssize_t n = ::read(fd, buffer, size);
    if (n >= 0 || errno != EINTR) return n;
  }
}

ssize_t PreadSome(int fd, void* buffer, size_t size, uint64_t offset) {
  for (;;) {
    ssize_t n = ::pread(fd, buffer, size, static_cast<off_t>(offset));
    if (n >= 0 || errno != EINTR) return n;
  }
}

size_t PreadFull(int fd, void* buffer, size_t size, uint64_t offset) {
  auto* p = static_cast<char*>(buffer);
  size_t done = 0;
  while (done < size) {
    ssize_t n = PreadSome(fd, p + done, size - done, offset + done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

PartedFile::PartedFile(int fd) {
  struct stat st {};
  if (fd >= 0 && fstat(fd, &st) == 0) {
    parts_.push_back({fd, 0, static_cast<uint64_t>(st.st_size)});
    size_ = parts_.back().size;
  }
}

bool PartedFile::Open(const std::vector<std::string>& paths) {
  parts_.clear();
  owned_.clear();
  size_ = 0;
  for (const std::string& path : paths) {
    UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
      parts_.clear();
      owned_.clear();
      size_ = 0;
      return false;
    }
    parts_.push_back({fd.get(), size_, static_cast<uint64_t>(st.st_size)});
    size_ += parts_.back().size;
    owned_.push_back(std::move(fd));
  }
  return true;
}

size_t PartedFile::ReadAt(void* buffer, size_t size, uint64_t offset) const {
  auto* p = static_cast<char*>(buffer);
  size_t done = 0;
  for (const Part& part : parts_) {
    if (done == size) break;
    const uint64_t at = offset + done;
    if (at < part.begin || at >= part.begin + part.size) continue;
    const size_t want =
        static_cast<size_t>(std::min<uint64_t>(size - done, part.begin + part.size - at));
    const size_t got = PreadFull(part.fd, p + done, want, at - part.begin);
    done += got;
    if (got < want) break;
  }
  return done;
}

namespace {

// The loop of both writes; at < 0 writes at the file offset.
int WriteLoop(int fd, const void* data, size_t size, int64_t at) {
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = at < 0 ? ::write(fd, p, size) : ::pwrite(fd, p, size, static_cast<off_t>(at));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0 || errno == 0 ? EIO : errno;
    p += n;
    size -= static_cast<size_t>(n);
    if (at >= 0) at += n;
  }
  return 0;
}

}  // namespace

int WriteAll(int fd, const void* data, size_t size) {
  return WriteLoop(fd, data, size, -1);
}

int PwriteAll(int fd, const void* data, size_t size, uint64_t offset) {
  return WriteLoop(fd, data, size, static_cast<int64_t>(offset));
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  struct stat sa {
  }, sb{};
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace qvr::arc
