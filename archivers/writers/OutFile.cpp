#include "OutFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "FdIo.h"
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
    if (int err = arc::WriteAll(fd_, bytes, size)) return Fail(err);
  } else {
    buffer_.insert(buffer_.end(), bytes, bytes + size);
  }
  position_ += size;
  return true;
}

bool OutFile::Flush() {
  if (error_) return false;
  if (int err = arc::WriteAll(fd_, buffer_.data(), buffer_.size())) return Fail(err);
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
  if (int err = arc::PwriteAll(fd_, data, size, offset)) return Fail(err);
  return true;
}

bool OutFile::CopyFrom(int inFd, uint64_t offset, uint64_t size) {
  if (!Flush()) return false;
  if (int error = arc::CopyFileRange(inFd, offset, fd_, nullptr, size)) return Fail(error);
  position_ += size;
  return true;
}

}  // namespace qvr::writers
