#include "Deflate64.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace qvr::arc {
namespace {

constexpr size_t kHistory = 1u << 16;
constexpr size_t kBlock = 1u << 16;
constexpr size_t kLongestMatch = 3 + 65535;
constexpr int kFastBits = 10;
constexpr int kMaxBits = 15;

constexpr uint16_t kLengthBase[29] = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                      15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                      67, 83, 99, 115, 131, 163, 195, 227, 3};
constexpr uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                      2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 16};
constexpr uint32_t kDistBase[32] = {1,    2,    3,    4,     5,     7,     9,     13,
                                    17,   25,   33,   49,    65,    97,    129,   193,
                                    257,  385,  513,  769,   1025,  1537,  2049,  3073,
                                    4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
constexpr uint8_t kDistExtra[32] = {0, 0, 0, 0, 1, 1, 2,  2,  3,  3,  4,  4,  5,  5,  6,  6,
                                    7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};

}  // namespace

// A canonical code read least significant bit first: a table for codes of up to kFastBits
// bits, the counts and symbols for longer ones.
struct Deflate64Decoder::Huffman {
  std::array<uint16_t, 1 << kFastBits> fast{};  // symbol << 4 | length; 0 = longer code
  std::array<uint16_t, kMaxBits + 1> counts{};
  std::array<uint16_t, 320> symbols{};

  bool Build(const uint8_t* lens, int n) {
    counts.fill(0);
    fast.fill(0);
    for (int i = 0; i < n; ++i) counts[lens[i]]++;
    counts[0] = 0;
    int left = 1;
    for (int len = 1; len <= kMaxBits; ++len) {
      left = (left << 1) - counts[len];
      if (left < 0) return false;  // more codes than fit
    }
    std::array<uint16_t, kMaxBits + 2> offs{};
    for (int len = 1; len <= kMaxBits; ++len) offs[len + 1] = offs[len] + counts[len];
    for (int i = 0; i < n; ++i)
      if (lens[i]) symbols[offs[lens[i]]++] = static_cast<uint16_t>(i);
    uint32_t code = 0;
    int index = 0;
    for (int len = 1; len <= kFastBits; ++len) {
      for (int k = 0; k < counts[len]; ++k, ++code, ++index) {
        uint32_t reversed = 0;
        for (int b = 0; b < len; ++b) reversed |= ((code >> b) & 1u) << (len - 1 - b);
        for (uint32_t at = reversed; at < fast.size(); at += 1u << len)
          fast[at] = static_cast<uint16_t>((symbols[index] << 4) | len);
      }
      code <<= 1;
    }
    return true;
  }
};

Deflate64Decoder::Deflate64Decoder(Reader read, uint64_t size)
    : read_(std::move(read)),
      size_(size),
      in_(64 * 1024),
      buf_(kHistory + kBlock + kLongestMatch),
      lit_(new Huffman),
      dist_(new Huffman) {}

Deflate64Decoder::~Deflate64Decoder() {
  delete lit_;
  delete dist_;
}

// At least n bits in hand, unless the compressed data ends first.
bool Deflate64Decoder::Fill(int n) {
  while (count_ < n) {
    if (inPos_ == inLen_) {
      if (inEnd_) return false;
      inLen_ = read_(in_.data(), in_.size());
      inPos_ = 0;
      if (inLen_ == 0) {
        inEnd_ = true;
        return false;
      }
    }
    bits_ |= static_cast<uint64_t>(in_[inPos_++]) << count_;
    count_ += 8;
  }
  return true;
}

// n bits (0..16); call only after Fill(n) succeeded.
uint32_t Deflate64Decoder::Bits(int n) {
  uint32_t v = static_cast<uint32_t>(bits_ & ((1ull << n) - 1));
  bits_ >>= n;
  count_ -= n;
  return v;
}

// The next symbol; -1 for a code no symbol has, -2 when the data ends.
int Deflate64Decoder::Decode(const Huffman& h) {
  Fill(kMaxBits);
  uint16_t e = h.fast[bits_ & ((1u << kFastBits) - 1)];
  if (e != 0) {
    int len = e & 15;
    if (len > count_) return -2;
    Bits(len);
    return e >> 4;
  }
  int code = 0, first = 0, index = 0;
  for (int len = 1; len <= kMaxBits; ++len) {
    if (count_ < 1) return -2;
    code |= static_cast<int>(Bits(1));
    int n = h.counts[len];
    if (code - n < first) return h.symbols[index + (code - first)];
    index += n;
    first = (first + n) << 1;
    code <<= 1;
  }
  return -1;
}

Deflate64Decoder::Status Deflate64Decoder::BlockHeader() {
  if (!Fill(3)) return Status::kTruncated;
  last_ = Bits(1);
  switch (Bits(2)) {
    case 0: {
      Bits(count_ & 7);  // to the byte boundary
      if (!Fill(32)) return Status::kTruncated;
      uint32_t len = Bits(16), nlen = Bits(16);
      if ((len ^ 0xFFFF) != nlen) return Status::kCorrupt;
      storedLeft_ = len;
      block_ = 0;
      return Status::kOk;
    }
    case 1: {
      std::array<uint8_t, 320> lens{};
      for (int i = 0; i < 288; ++i) lens[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
      std::array<uint8_t, 32> d{};
      d.fill(5);
      lit_->Build(lens.data(), 288);
      dist_->Build(d.data(), 32);
      block_ = 1;
      return Status::kOk;
    }
    case 2:
      return Dynamic();
    default:
      return Status::kCorrupt;
  }
}

Deflate64Decoder::Status Deflate64Decoder::Dynamic() {
  static const uint8_t kOrder[19] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                     11, 4,  12, 3, 13, 2, 14, 1, 15};
  if (!Fill(14)) return Status::kTruncated;
  int nlen = static_cast<int>(Bits(5)) + 257, ndist = static_cast<int>(Bits(5)) + 1;
  int ncode = static_cast<int>(Bits(4)) + 4;
  if (nlen > 288 || ndist > 32) return Status::kCorrupt;
  std::array<uint8_t, 19> cl{};
  for (int i = 0; i < ncode; ++i) {
    if (!Fill(3)) return Status::kTruncated;
    cl[kOrder[i]] = static_cast<uint8_t>(Bits(3));
  }
  Huffman codeLengths;
  if (!codeLengths.Build(cl.data(), 19)) return Status::kCorrupt;
  std::array<uint8_t, 320> lens{};
  for (int i = 0; i < nlen + ndist;) {
    int sym = Decode(codeLengths);
    if (sym == -2) return Status::kTruncated;
    if (sym < 0) return Status::kCorrupt;
    if (sym < 16) {
      lens[i++] = static_cast<uint8_t>(sym);
      continue;
    }
    uint8_t value = 0;
    int repeat = 0;
    if (!Fill(7)) return Status::kTruncated;
    if (sym == 16) {
      if (i == 0) return Status::kCorrupt;
      value = lens[i - 1];
      repeat = 3 + static_cast<int>(Bits(2));
    } else if (sym == 17) {
      repeat = 3 + static_cast<int>(Bits(3));
    } else {
      repeat = 11 + static_cast<int>(Bits(7));
    }
    if (i + repeat > nlen + ndist) return Status::kCorrupt;
    while (repeat--) lens[i++] = value;
  }
  if (lens[256] == 0) return Status::kCorrupt;  // no end-of-block code
  if (!lit_->Build(lens.data(), nlen) || !dist_->Build(lens.data() + nlen, ndist))
    return Status::kCorrupt;
  block_ = 1;
  return Status::kOk;
}

Deflate64Decoder::Status Deflate64Decoder::Stored() {
  while (storedLeft_ > 0 && pos_ - start_ < kBlock) {
    size_t room = buf_.size() - pos_;
    size_t n = std::min<size_t>(storedLeft_, room);
    // Whole bytes still in the bit buffer come first.
    while (n > 0 && count_ >= 8) {
      buf_[pos_++] = static_cast<uint8_t>(Bits(8));
      --n;
      --storedLeft_;
    }
    while (n > 0) {
      if (inPos_ == inLen_) {
        if (inEnd_ || (inLen_ = read_(in_.data(), in_.size())) == 0) {
          inEnd_ = true;
          return Status::kTruncated;
        }
        inPos_ = 0;
      }
      size_t take = std::min(n, inLen_ - inPos_);
      std::memcpy(buf_.data() + pos_, in_.data() + inPos_, take);
      inPos_ += take;
      pos_ += take;
      n -= take;
      storedLeft_ -= static_cast<uint32_t>(take);
    }
  }
  if (storedLeft_ == 0) block_ = -1;
  return Status::kOk;
}

Deflate64Decoder::Status Deflate64Decoder::Codes() {
  uint8_t* out = buf_.data();
  while (pos_ - start_ < kBlock) {
    int sym = Decode(*lit_);
    if (sym == -2) return Status::kTruncated;
    if (sym < 0) return Status::kCorrupt;
    if (sym < 256) {
      out[pos_++] = static_cast<uint8_t>(sym);
      continue;
    }
    if (sym == 256) {
      block_ = -1;
      return Status::kOk;
    }
    sym -= 257;
    if (sym >= 29) return Status::kCorrupt;
    if (!Fill(kLengthExtra[sym])) return Status::kTruncated;
    size_t len = kLengthBase[sym] + Bits(kLengthExtra[sym]);
    int ds = Decode(*dist_);
    if (ds == -2) return Status::kTruncated;
    if (ds < 0) return Status::kCorrupt;
    if (!Fill(kDistExtra[ds])) return Status::kTruncated;
    size_t dist = kDistBase[ds] + Bits(kDistExtra[ds]);
    if (dist > pos_) return Status::kCorrupt;  // before the stream's start
    const uint8_t* from = out + pos_ - dist;
    uint8_t* to = out + pos_;
    if (dist >= len) {
      std::memcpy(to, from, len);
    } else {
      for (size_t i = 0; i < len; ++i) to[i] = from[i];
    }
    pos_ += len;
  }
  return Status::kOk;
}

Deflate64Decoder::Status Deflate64Decoder::Read(const uint8_t** data, size_t* len) {
  *len = 0;
  if (failed_ != Status::kOk) return failed_;
  // Keep the last 64 KiB as history, before the block to come.
  if (pos_ > kHistory) {
    std::memmove(buf_.data(), buf_.data() + pos_ - kHistory, kHistory);
    pos_ = kHistory;
  }
  start_ = pos_;
  Status st = Status::kOk;
  while (st == Status::kOk && !done_ && pos_ - start_ < kBlock) {
    if (block_ < 0) {
      if (last_) {
        done_ = true;
        break;
      }
      st = BlockHeader();
    } else {
      st = block_ == 0 ? Stored() : Codes();
    }
  }
  produced_ += pos_ - start_;
  if (st == Status::kOk && (produced_ > size_ || (done_ && produced_ != size_)))
    st = produced_ > size_ ? Status::kCorrupt : Status::kTruncated;
  if (st != Status::kOk) {
    failed_ = st;
    return st;
  }
  *data = buf_.data() + start_;
  *len = pos_ - start_;
  return Status::kOk;
}

}  // namespace qvr::arc
