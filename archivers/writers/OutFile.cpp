#include "OutFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "FileRange.h"

namespace qvr::writers {

bool OutFile::Fail(int err) {
  if (error_ == 0) error_ = err ? err : EIO;
  return false;
}

bool OutFile::Write(const void* data, size_t size) {
  if (error_) return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  if (buffer_.size() + size > kBufferSize && !Flush()) return false;
  if (size >= kBufferSize) {
    for (size_t done = 0; done < size;) {
      ssize_t n = write(fd_, bytes + done, size - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return Fail(errno);
      done += static_cast<size_t>(n);
    }
  } else {
    buffer_.insert(buffer_.end(), bytes, bytes + size);
  }
  position_ += size;
  return true;
}

bool OutFile::Flush() {
  if (error_) return false;
  for (size_t done = 0; done < buffer_.size();) {
    ssize_t n = write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Fail(errno);
    done += static_cast<size_t>(n);
  }
  buffer_.clear();
  return true;
}

bool OutFile::PatchAt(uint64_t offset, const void* data, size_t size) {
  uint64_t flushed = position_ - buffer_.size();
  if (offset >= flushed) {  // still in the buffer
    std::memcpy(buffer_.data() + (offset - flushed), data, size);
    return true;
  }
  if (!Flush()) return false;
  if (pwrite(fd_, data, size, static_cast<off_t>(offset)) != static_cast<ssize_t>(size))
    return Fail(errno);
  return true;
}

bool OutFile::CopyFrom(int inFd, uint64_t offset, uint64_t size) {
  if (!Flush()) return false;
  if (int error = arc::CopyFileRange(inFd, offset, fd_, nullptr, size)) return Fail(error);
  position_ += size;
  return true;
}

}  // namespace qvr::writers
