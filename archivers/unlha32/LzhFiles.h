// Files as the LZH codec's sources and sinks (the codec itself never touches the file
// system); the ARJ decoder reads through the same interfaces.
#pragma once

#include <string>

#include "FdIo.h"
#include "LzhDecoder.h"
#include "LzhIo.h"

namespace qvr::arc {

// The result code of a decoder's status (the LZH codec's, which ARJ's decoder shares).
int32_t ResultOf(lzh::DecodeStatus st);

// A whole file read at offsets (pread).
class FileRandomAccess : public lzh::RandomAccessSource {
 public:
  explicit FileRandomAccess(const std::string& path);
  bool IsOpen() const { return fd_.valid(); }
  uint64_t Size() const override { return size_; }
  size_t ReadAt(uint64_t offset, uint8_t* buf, size_t n) override;
  int fd() const { return fd_.get(); }

 private:
  UniqueFd fd_;
  uint64_t size_ = 0;
};

// A file read from its start; can start over (the stored fallback, -jma).
class FileSource : public lzh::SeekableSource {
 public:
  explicit FileSource(const std::string& path);
  bool IsOpen() const { return fd_.valid(); }
  uint64_t SizeNow() const;
  size_t Read(uint8_t* buf, size_t n) override;
  bool Failed() const override { return failed_; }
  bool Rewind() override;

 private:
  UniqueFd fd_;
  bool failed_ = false;
};

// The new archive being written (a temporary file beside the old one).
class FileArchiveSink : public lzh::ArchiveSink {
 public:
  explicit FileArchiveSink(int fd) : fd_(fd) {}
  bool Write(const uint8_t* p, size_t n) override;
  uint64_t Tell() const override { return pos_; }
  bool WriteAt(uint64_t offset, const uint8_t* p, size_t n) override;
  bool Truncate(uint64_t size) override;
  bool CopyFrom(lzh::RandomAccessSource& src, uint64_t offset, uint64_t size) override;
  // Whether a write failed for lack of space.
  bool DiskFull() const { return diskFull_; }

 private:
  bool WriteAll(uint64_t offset, const uint8_t* p, size_t n);
  int fd_;
  uint64_t pos_ = 0;
  bool diskFull_ = false;
};

}  // namespace qvr::arc
