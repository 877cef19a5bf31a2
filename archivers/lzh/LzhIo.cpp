#include "LzhIo.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace qvr::lzh {

bool ArchiveSink::CopyFrom(RandomAccessSource& src, uint64_t offset, uint64_t size) {
  std::array<uint8_t, 65536> buf;
  while (size > 0) {
    size_t got = src.ReadAt(offset, buf.data(), std::min<uint64_t>(size, buf.size()));
    if (got == 0 || !Write(buf.data(), got)) return false;
    offset += got;
    size -= got;
  }
  return true;
}

size_t MemorySource::Read(uint8_t* buf, size_t n) {
  size_t got = ReadAt(pos_, buf, n);
  pos_ += got;
  return got;
}

size_t MemorySource::ReadAt(uint64_t offset, uint8_t* buf, size_t n) {
  if (offset >= data_.size()) return 0;
  size_t got = std::min<uint64_t>(n, data_.size() - offset);
  std::memcpy(buf, data_.data() + offset, got);
  return got;
}

bool MemorySink::Write(const uint8_t* p, size_t n) {
  data.append(reinterpret_cast<const char*>(p), n);
  return true;
}

bool MemorySink::WriteAt(uint64_t offset, const uint8_t* p, size_t n) {
  if (offset + n > data.size()) return false;
  std::memcpy(data.data() + offset, p, n);
  return true;
}

bool MemorySink::Truncate(uint64_t size) {
  if (size > data.size()) return false;
  data.resize(size);
  return true;
}

}  // namespace qvr::lzh
