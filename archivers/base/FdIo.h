// File-descriptor helpers of our libraries: the one owner that closes a descriptor, and the
// read and write loops, each call repeated when a signal interrupts it, and the test whether
// two paths name one file.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qvr::arc {

// Owns a file descriptor and closes it when it goes out of scope (-1: none).
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Gives the descriptor up without closing it.
  int release();
  // Closes the one held (if any) and holds fd.
  void reset(int fd = -1);
  // Closes now; 0, or close's errno (a delayed write error surfaces here).
  int Close();

 private:
  int fd_ = -1;
};

// One read(2) / pread(2), repeated while a signal interrupts it; the result is the call's.
ssize_t ReadSome(int fd, void* buffer, size_t size);
ssize_t PreadSome(int fd, void* buffer, size_t size, uint64_t offset);
// Reads at offset until size bytes are in; fewer only when the file ends or a read fails.
size_t PreadFull(int fd, void* buffer, size_t size, uint64_t offset);
// Writes every byte (at the file offset, or at offset); 0, or the errno of the failure
// (EIO when the system wrote nothing and gave no reason).
int WriteAll(int fd, const void* data, size_t size);
int PwriteAll(int fd, const void* data, size_t size, uint64_t offset);

// The parts of a volume set read as one file, in order (one file is a set of one part).
class PartedFile {
 public:
  PartedFile() = default;
  // One file already open, not owned.
  explicit PartedFile(int fd);
  // Opens every part; false when one does not open (the file is then empty).
  bool Open(const std::vector<std::string>& paths);
  // As PreadFull across the parts.
  size_t ReadAt(void* buffer, size_t size, uint64_t offset) const;
  uint64_t size() const { return size_; }
  // The first part's descriptor (-1 when none).
  int first() const { return parts_.empty() ? -1 : parts_.front().fd; }

 private:
  struct Part {
    int fd;
    uint64_t begin;
    uint64_t size;
  };
  std::vector<Part> parts_;
  std::vector<UniqueFd> owned_;
  uint64_t size_ = 0;
};

// True when both paths name one file (equal, or the same device and inode).
bool SameFile(const std::string& a, const std::string& b);

}  // namespace qvr::arc
