// Closes a file descriptor when it goes out of scope (source files the writers read).
#pragma once

#include <unistd.h>

namespace qvr::writers {

class FdCloser {
 public:
  explicit FdCloser(int fd) : fd_(fd) {}
  ~FdCloser() {
    if (fd_ >= 0) close(fd_);
  }
  FdCloser(const FdCloser&) = delete;
  FdCloser& operator=(const FdCloser&) = delete;

 private:
  int fd_;
};

}  // namespace qvr::writers
