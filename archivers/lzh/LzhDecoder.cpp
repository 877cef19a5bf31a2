#include "LzhDecoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "LzhAdaptiveHuffman.h"
#include "LzhBits.h"
#include "LzhCrc.h"
#include "LzhHuffman.h"

namespace qvr::lzh {

const char* DescribeStatus(DecodeStatus s) {
  switch (s) {
    case DecodeStatus::kOk:
      return "ok";
    case DecodeStatus::kCorrupt:
      return "broken compressed data";
    case DecodeStatus::kTruncated:
      return "compressed data ends too early";
    case DecodeStatus::kCrcMismatch:
      return "CRC error";
    case DecodeStatus::kSinkFailed:
      return "output could not be written";
    case DecodeStatus::kUnsupported:
      return "unsupported method";
  }
  return "?";
}

namespace {

// The history ring. Bytes reach the sink when the ring wraps and at the end.
class Window {
 public:
  Window(unsigned size, ByteSink& sink, uint64_t total)
      : ring_(size, ' '), mask_(size - 1), sink_(sink), left_(total) {}

  uint8_t* Ring() { return ring_.data(); }
  void StartAt(unsigned pos) { pos_ = flushFrom_ = pos; }
  bool Done() const { return left_ == 0; }
  bool Failed() const { return failed_; }
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
  bool Finish() {
    Flush(pos_);
    return !failed_;
  }

 private:
  void Wrap() {
    Flush(static_cast<unsigned>(ring_.size()));
    pos_ = flushFrom_ = 0;
  }
  void Flush(unsigned end) {
    if (end > flushFrom_) {
      crc_ = UpdateCrc16(crc_, ring_.data() + flushFrom_, end - flushFrom_);
      if (!failed_ && !sink_.Write(ring_.data() + flushFrom_, end - flushFrom_)) failed_ = true;
    }
    flushFrom_ = end;
  }

  std::vector<uint8_t> ring_;
  unsigned mask_;
  ByteSink& sink_;
  uint64_t left_;
  unsigned pos_ = 0, flushFrom_ = 0;
  uint16_t crc_ = 0;
  bool failed_ = false;
};

DecodeStatus CopyStored(const DecodeRequest& req, ByteSource& src, ByteSink& sink, uint16_t* crc) {
  std::array<uint8_t, 16384> buf;
  uint64_t left = req.originalSize;
  if (req.packedSize < left) left = req.packedSize;
  while (left > 0) {
    size_t got = src.Read(buf.data(), std::min<uint64_t>(left, buf.size()));
    if (got == 0) return DecodeStatus::kTruncated;
    *crc = UpdateCrc16(*crc, buf.data(), got);
    if (!sink.Write(buf.data(), got)) return DecodeStatus::kSinkFailed;
    left -= got;
  }
  return req.packedSize < req.originalSize ? DecodeStatus::kTruncated : DecodeStatus::kOk;
}

// -lh1-: adaptive Huffman for literals and lengths, a static code for positions.
DecodeStatus DecodeLh1(BitReader& br, Window& w) {
  AdaptiveHuffman huff;
  while (!w.Done()) {
    if (br.Overrun()) return DecodeStatus::kTruncated;
    int c = huff.Decode(br);
    if (c < 0) return DecodeStatus::kCorrupt;
    if (c < 256) {
      w.Put(static_cast<uint8_t>(c));
    } else {
      unsigned distance = GetLh1Position(br) + 1;
      w.CopyBack(distance, static_cast<unsigned>(c - 253));
    }
  }
  return DecodeStatus::kOk;
}

// Lengths of the code-length code and of the position code (ar002's read_pt_len).
bool ReadPtLengths(BitReader& br, int nn, int nbit, int special, HuffDecoder& dec) {
  std::array<uint8_t, 32> lens{};
  int n = static_cast<int>(br.Get(nbit));
  if (n == 0) {
    int c = static_cast<int>(br.Get(nbit));
    if (c >= nn) return false;
    dec.SetSingle(c);
    return true;
  }
  if (n > nn) return false;
  int i = 0;
  while (i < n) {
    int c = static_cast<int>(br.Peek(3));
    if (c == 7) {
      uint32_t v = br.Peek(16);
      for (uint32_t mask = 1u << 12; mask && (v & mask); mask >>= 1) ++c;
      if (c > kMaxCodeLen) return false;
    }
    br.Skip(c < 7 ? 3 : c - 3);
    lens[i++] = static_cast<uint8_t>(c);
    if (i == special) {
      int zeros = static_cast<int>(br.Get(2));
      if (i + zeros > nn) return false;
      i += zeros;  // lens are already zero there
    }
  }
  return dec.Build(lens.data(), nn);
}

constexpr int kNC = 510;  // 256 literals + lengths 3..256
constexpr int kNT = 19;

bool ReadCLengths(BitReader& br, const HuffDecoder& pt, HuffDecoder& dec) {
  std::array<uint8_t, kNC> lens{};
  int n = static_cast<int>(br.Get(9));
  if (n == 0) {
    int c = static_cast<int>(br.Get(9));
    if (c >= kNC) return false;
    dec.SetSingle(c);
    return true;
  }
  if (n > kNC) return false;
  int i = 0;
  while (i < n) {
    int c = pt.Decode(br);
    if (c < 0) return false;
    if (c <= 2) {
      int zeros = c == 0   ? 1
                  : c == 1 ? static_cast<int>(br.Get(4)) + 3
                           : static_cast<int>(br.Get(9)) + 20;
      if (i + zeros > kNC) return false;
      i += zeros;
    } else {
      lens[i++] = static_cast<uint8_t>(c - 2);
    }
  }
  return dec.Build(lens.data(), kNC);
}

// -lh4- to -lh7-: blocks of static Huffman codes (the ar002 format).
DecodeStatus DecodeStatic(BitReader& br, Window& w, int dicbit) {
  const int np = std::max(dicbit + 1, 14);
  const int pbit = dicbit >= 15 ? 5 : 4;
  const unsigned window = 1u << dicbit;
  HuffDecoder pt, c, p;
  unsigned blockLeft = 0;
  while (!w.Done()) {
    if (br.Overrun()) return DecodeStatus::kTruncated;
    if (blockLeft == 0) {
      blockLeft = br.Get(16);
      if (blockLeft == 0) return br.Overrun() ? DecodeStatus::kTruncated : DecodeStatus::kCorrupt;
      bool ok = ReadPtLengths(br, kNT, 5, 3, pt) && ReadCLengths(br, pt, c) &&
                ReadPtLengths(br, np, pbit, -1, p);
      if (br.Overrun()) return DecodeStatus::kTruncated;
      if (!ok) return DecodeStatus::kCorrupt;
    }
    --blockLeft;
    int sym = c.Decode(br);
    if (sym < 0) return DecodeStatus::kCorrupt;
    if (sym < 256) {
      w.Put(static_cast<uint8_t>(sym));
      continue;
    }
    int ps = p.Decode(br);
    if (ps < 0) return DecodeStatus::kCorrupt;
    unsigned offset = ps <= 1 ? static_cast<unsigned>(ps) : (1u << (ps - 1)) + br.Get(ps - 1);
    if (offset >= window) return DecodeStatus::kCorrupt;
    w.CopyBack(offset + 1, static_cast<unsigned>(sym - 253));
  }
  return DecodeStatus::kOk;
}

// -lzs- (LArc): a flag bit, then a literal byte or an 11-bit position and 4-bit length.
DecodeStatus DecodeLzs(BitReader& br, Window& w) {
  w.StartAt(2048 - 17);
  while (!w.Done()) {
    if (br.Overrun()) return DecodeStatus::kTruncated;
    if (br.Get(1)) {
      w.Put(br.GetByte());
    } else {
      unsigned pos = br.Get(11);
      w.CopyFrom(pos, br.Get(4) + 2);
    }
  }
  return DecodeStatus::kOk;
}

// The history -lz5- starts with: zeros, runs of every byte value, both byte ramps, zeros,
// blanks.
void FillLz5Start(uint8_t* ring) {
  std::memset(ring, 0, 18);
  for (int i = 0; i < 256; ++i) std::memset(ring + i * 13 + 18, i, 13);
  for (int i = 0; i < 256; ++i) ring[256 * 13 + 18 + i] = static_cast<uint8_t>(i);
  for (int i = 0; i < 256; ++i) ring[256 * 13 + 256 + 18 + i] = static_cast<uint8_t>(255 - i);
  std::memset(ring + 256 * 13 + 512 + 18, 0, 128);
  std::memset(ring + 256 * 13 + 512 + 128 + 18, ' ', 128 - 18);
}

// -lz5- (LArc): a flag byte for eight items, each a literal or a 12-bit position and length.
DecodeStatus DecodeLz5(BitReader& br, Window& w) {
  FillLz5Start(w.Ring());
  // Writing starts at the ring's start; stored positions are 18 bytes behind the ring's.
  while (!w.Done()) {
    if (br.Overrun()) return DecodeStatus::kTruncated;
    unsigned flags = br.GetByte();
    for (int bit = 0; bit < 8 && !w.Done(); ++bit, flags >>= 1) {
      if (flags & 1) {
        w.Put(br.GetByte());
      } else {
        unsigned lo = br.GetByte(), hi = br.GetByte();
        w.CopyFrom((lo | ((hi & 0xF0) << 4)) + 18, (hi & 0x0F) + 3);
      }
    }
  }
  return DecodeStatus::kOk;
}

int DicBits(Method m) {
  switch (m) {
    case Method::kLh4:
      return 12;
    case Method::kLh5:
      return 13;
    case Method::kLh6:
      return 15;
    case Method::kLh7:
      return 16;
    default:
      return 0;
  }
}

}  // namespace

DecodeStatus Decode(const DecodeRequest& req, ByteSource& src, ByteSink& sink) {
  uint16_t crc = 0;
  DecodeStatus st = DecodeStatus::kOk;
  switch (req.method) {
    case Method::kLhd:
      return DecodeStatus::kOk;
    case Method::kUnknown:
      return DecodeStatus::kUnsupported;
    case Method::kLh0:
    case Method::kLz4:
      st = CopyStored(req, src, sink, &crc);
      break;
    default: {
      BitReader br(src, req.packedSize);
      Window w(WindowSize(req.method), sink, req.originalSize);
      if (req.method == Method::kLh1)
        st = DecodeLh1(br, w);
      else if (req.method == Method::kLzs)
        st = DecodeLzs(br, w);
      else if (req.method == Method::kLz5)
        st = DecodeLz5(br, w);
      else
        st = DecodeStatic(br, w, DicBits(req.method));
      if (!w.Finish()) return DecodeStatus::kSinkFailed;
      if (st == DecodeStatus::kOk && br.Overrun()) st = DecodeStatus::kTruncated;
      crc = w.Crc();
      break;
    }
  }
  if (st != DecodeStatus::kOk) return st;
  if (req.checkCrc && crc != req.crc) return DecodeStatus::kCrcMismatch;
  return DecodeStatus::kOk;
}

}  // namespace qvr::lzh
