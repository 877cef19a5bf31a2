// The history ring of the LZ77 decoders (the LZH methods and ARJ's). Bytes leave it when the
// ring wraps and at the end, into `out`, which the caller empties between steps; the CRC-16
// of LZH is kept on the way unless the format checks its data another way.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "LzhCrc.h"

namespace qvr::lzh {

class Window {
 public:
  // `size` is a power of two; `total` the entry's original size.
  Window(unsigned size, uint64_t total, bool crc16 = true)
      : ring_(size, ' '), mask_(size - 1), left_(total), crc16_(crc16) {}

  uint8_t* Ring() { return ring_.data(); }
  void StartAt(unsigned pos) { pos_ = flushFrom_ = pos; }
  bool Done() const { return left_ == 0; }
  bool HasOutput() const { return !out.empty(); }
  uint16_t Crc() const { return crc_; }

  void Put(uint8_t b) {
    ring_[pos_++] = b;
    --left_;
    if (pos_ == ring_.size()) Wrap();
  }
  // A match `distance` bytes back, cut at the entry's end.
  void CopyBack(unsigned distance, unsigned len) { CopyFrom(pos_ - distance, len); }
  // A match at an absolute ring position (LArc methods).
  void CopyFrom(unsigned from, unsigned len) {
    len = static_cast<unsigned>(std::min<uint64_t>(len, left_));
    for (unsigned i = 0; i < len; ++i) Put(ring_[(from + i) & mask_]);
  }
  void Finish() { Flush(pos_); }

  std::vector<uint8_t> out;

 private:
  void Wrap() {
    Flush(static_cast<unsigned>(ring_.size()));
    pos_ = flushFrom_ = 0;
  }
  void Flush(unsigned end) {
    if (end > flushFrom_) {
      if (crc16_) crc_ = UpdateCrc16(crc_, ring_.data() + flushFrom_, end - flushFrom_);
      out.insert(out.end(), ring_.data() + flushFrom_, ring_.data() + end);
    }
    flushFrom_ = end;
  }

  std::vector<uint8_t> ring_;
  unsigned mask_;
  uint64_t left_;
  bool crc16_;
  unsigned pos_ = 0, flushFrom_ = 0;
  uint16_t crc_ = 0;
};

}  // namespace qvr::lzh
