// Buffered writing to the new archive's file, with patching of headers written earlier and
// copying of byte ranges from the old archive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ByteOrder.h"

namespace qvr::writers {

class OutFile {
 public:
  explicit OutFile(int fd) : fd_(fd) { buffer_.reserve(kBufferSize); }

  bool Write(const void* data, size_t size);
  bool Write(const std::string& bytes) { return Write(bytes.data(), bytes.size()); }
  // Overwrites bytes already written at an earlier position.
  bool PatchAt(uint64_t offset, const void* data, size_t size);
  // Appends a byte range of another file, in the kernel where it can.
  bool CopyFrom(int inFd, uint64_t offset, uint64_t size);
  bool Flush();

  uint64_t position() const { return position_; }
  int error() const { return error_; }  // errno of the first failure, 0 when none

 private:
  static constexpr size_t kBufferSize = 1 << 20;
  bool Fail(int err);

  int fd_;
  uint64_t position_ = 0;
  std::vector<uint8_t> buffer_;
  int error_ = 0;
};

// Header fields, read and written as on the reading side.
using arc::GetLe16;
using arc::GetLe32;
using arc::GetLe64;
using arc::PutLe16;
using arc::PutLe32;
using arc::PutLe64;

}  // namespace qvr::writers
