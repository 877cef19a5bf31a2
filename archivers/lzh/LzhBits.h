// MSB-first bit streams of the LZH methods. The reader never takes more than the entry's
// compressed size from its source and feeds zero bits past it, counting them, so that a
// decoder can tell a stream that ran out from one that ended cleanly.
#pragma once

#include <array>
#include <cstdint>

#include "LzhIo.h"

namespace qvr::lzh {

class BitReader {
 public:
  BitReader(ByteSource& src, uint64_t limit) : src_(src), remaining_(limit) {}

  // The next n bits (1..32) without taking them.
  uint32_t Peek(int n) {
    if (count_ < n) Refill();
    return static_cast<uint32_t>(bits_ >> (64 - n));
  }
  void Skip(int n) {
    if (count_ < n) Refill();
    bits_ <<= n;
    count_ -= n;
  }
  uint32_t Get(int n) {
    if (n == 0) return 0;
    uint32_t v = Peek(n);
    Skip(n);
    return v;
  }
  uint8_t GetByte() { return static_cast<uint8_t>(Get(8)); }
  // More bits were taken than the stream holds (beyond a little slack for the lookahead of
  // old encoders that flushed short).
  bool Overrun() const { return padBits_ - count_ > 32; }

 private:
  void Refill() {
    while (count_ <= 56) {
      uint64_t byte = 0;
      if (pos_ == len_) Load();
      if (pos_ < len_) {
        byte = buf_[pos_++];
      } else {
        padBits_ += 8;
      }
      bits_ |= byte << (56 - count_);
      count_ += 8;
    }
  }
  void Load() {
    pos_ = len_ = 0;
    if (remaining_ == 0) return;
    size_t want = remaining_ < buf_.size() ? static_cast<size_t>(remaining_) : buf_.size();
    len_ = src_.Read(buf_.data(), want);
    remaining_ -= len_;
    if (len_ == 0) remaining_ = 0;
  }

  ByteSource& src_;
  uint64_t remaining_;
  std::array<uint8_t, 8192> buf_{};
  size_t pos_ = 0, len_ = 0;
  uint64_t bits_ = 0;
  int count_ = 0;
  int64_t padBits_ = 0;
};

class BitWriter {
 public:
  explicit BitWriter(ByteSink& sink) : sink_(sink) {}

  // Writes the low n bits (0..32) of v, most significant first.
  void Put(int n, uint32_t v) {
    if (n == 0) return;
    bits_ = (bits_ << n) | (v & ((n == 32) ? 0xFFFFFFFFu : ((1u << n) - 1)));
    count_ += n;
    while (count_ >= 8) {
      count_ -= 8;
      Byte(static_cast<uint8_t>(bits_ >> count_));
    }
  }
  // Pads the last byte with zero bits and hands everything to the sink.
  bool Finish() {
    if (count_ > 0) Put(8 - count_, 0);
    return Drain();
  }
  uint64_t BytesWritten() const { return written_ + len_; }
  bool Failed() const { return failed_; }

 private:
  void Byte(uint8_t b) {
    buf_[len_++] = b;
    if (len_ == buf_.size()) Drain();
  }
  bool Drain() {
    if (len_ > 0 && !failed_ && !sink_.Write(buf_.data(), len_)) failed_ = true;
    written_ += len_;
    len_ = 0;
    return !failed_;
  }

  ByteSink& sink_;
  std::array<uint8_t, 8192> buf_{};
  size_t len_ = 0;
  uint64_t written_ = 0;
  uint64_t bits_ = 0;
  int count_ = 0;
  bool failed_ = false;
};

}  // namespace qvr::lzh
