#include "LzhDecoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "LzhAdaptiveHuffman.h"
#include "LzhBits.h"
#include "LzhCrc.h"
#include "LzhHuffman.h"
#include "LzhWindow.h"

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

// One method's decoding loop, run until the window has output to hand on (or the entry is
// complete); it keeps its place between runs.
class MethodDecoder {
 public:
  virtual ~MethodDecoder() = default;
  virtual DecodeStatus Step(BitReader& br, Window& w) = 0;
};

// -lh1-: adaptive Huffman for literals and lengths, a static code for positions.
class Lh1Decoder : public MethodDecoder {
 public:
  DecodeStatus Step(BitReader& br, Window& w) override {
    while (!w.Done() && !w.HasOutput()) {
      if (br.Overrun()) return DecodeStatus::kTruncated;
      int c = huff_.Decode(br);
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

 private:
  AdaptiveHuffman huff_;
};

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
class StaticDecoder : public MethodDecoder {
 public:
  explicit StaticDecoder(int dicbit)
      : np_(std::max(dicbit + 1, 14)), pbit_(dicbit >= 15 ? 5 : 4), window_(1u << dicbit) {}

  DecodeStatus Step(BitReader& br, Window& w) override {
    while (!w.Done() && !w.HasOutput()) {
      if (br.Overrun()) return DecodeStatus::kTruncated;
      if (blockLeft_ == 0) {
        DecodeStatus st = ReadBlockHeader(br);
        if (st != DecodeStatus::kOk) return st;
      }
      --blockLeft_;
      int sym = c_.Decode(br);
      if (sym < 0) return DecodeStatus::kCorrupt;
      if (sym < 256) {
        w.Put(static_cast<uint8_t>(sym));
        continue;
      }
      int ps = p_.Decode(br);
      if (ps < 0) return DecodeStatus::kCorrupt;
      unsigned offset = ps <= 1 ? static_cast<unsigned>(ps) : (1u << (ps - 1)) + br.Get(ps - 1);
      if (offset >= window_) return DecodeStatus::kCorrupt;
      w.CopyBack(offset + 1, static_cast<unsigned>(sym - 253));
    }
    return DecodeStatus::kOk;
  }

 private:
  DecodeStatus ReadBlockHeader(BitReader& br) {
    blockLeft_ = br.Get(16);
    if (blockLeft_ == 0) return br.Overrun() ? DecodeStatus::kTruncated : DecodeStatus::kCorrupt;
    bool ok = ReadPtLengths(br, kNT, 5, 3, pt_) && ReadCLengths(br, pt_, c_) &&
              ReadPtLengths(br, np_, pbit_, -1, p_);
    if (br.Overrun()) return DecodeStatus::kTruncated;
    return ok ? DecodeStatus::kOk : DecodeStatus::kCorrupt;
  }

  const int np_, pbit_;
  const unsigned window_;
  HuffDecoder pt_, c_, p_;
  unsigned blockLeft_ = 0;
};

// -lzs- (LArc): a flag bit, then a literal byte or an 11-bit position and 4-bit length.
class LzsDecoder : public MethodDecoder {
 public:
  explicit LzsDecoder(Window& w) { w.StartAt(2048 - 17); }
  DecodeStatus Step(BitReader& br, Window& w) override {
    while (!w.Done() && !w.HasOutput()) {
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
};

// -lz5- (LArc): a flag byte for eight items, each a literal or a 12-bit position and length.
// The history starts with zeros, runs of every byte value, both byte ramps, zeros, blanks;
// writing starts at the ring's start and stored positions are 18 bytes behind the ring's.
class Lz5Decoder : public MethodDecoder {
 public:
  explicit Lz5Decoder(Window& w) {
    uint8_t* ring = w.Ring();
    std::memset(ring, 0, 18);
    for (int i = 0; i < 256; ++i) std::memset(ring + i * 13 + 18, i, 13);
    for (int i = 0; i < 256; ++i) ring[256 * 13 + 18 + i] = static_cast<uint8_t>(i);
    for (int i = 0; i < 256; ++i) ring[256 * 13 + 256 + 18 + i] = static_cast<uint8_t>(255 - i);
    std::memset(ring + 256 * 13 + 512 + 18, 0, 128);
    std::memset(ring + 256 * 13 + 512 + 128 + 18, ' ', 128 - 18);
  }
  DecodeStatus Step(BitReader& br, Window& w) override {
    while (!w.Done() && !w.HasOutput()) {
      if (br.Overrun()) return DecodeStatus::kTruncated;
      if (items_ == 0) {
        flags_ = br.GetByte();
        items_ = 8;
      }
      --items_;
      bool literal = flags_ & 1;
      flags_ >>= 1;
      if (literal) {
        w.Put(br.GetByte());
      } else {
        unsigned lo = br.GetByte(), hi = br.GetByte();
        w.CopyFrom((lo | ((hi & 0xF0) << 4)) + 18, (hi & 0x0F) + 3);
      }
    }
    return DecodeStatus::kOk;
  }

 private:
  unsigned flags_ = 0;
  int items_ = 0;
};

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

struct StreamDecoder::State {
  State(const DecodeRequest& r, ByteSource& s)
      : req(r),
        src(s),
        br(s, r.packedSize),
        window(std::max(WindowSize(r.method), 2u), r.originalSize, r.checkCrc) {}

  DecodeStatus ReadStored(const uint8_t** data, size_t* len);
  DecodeStatus Finish(size_t* len) {
    *len = 0;
    done = true;
    if (req.checkCrc && crc != req.crc) return DecodeStatus::kCrcMismatch;
    return DecodeStatus::kOk;
  }

  DecodeRequest req;
  ByteSource& src;
  BitReader br;
  Window window;
  std::unique_ptr<MethodDecoder> method;
  std::vector<uint8_t> block;
  uint64_t storedLeft = 0;
  uint16_t crc = 0;
  bool done = false;
  DecodeStatus failed = DecodeStatus::kOk;
};

DecodeStatus StreamDecoder::State::ReadStored(const uint8_t** data, size_t* len) {
  if (storedLeft == 0) {
    if (req.packedSize < req.originalSize) return DecodeStatus::kTruncated;
    return Finish(len);
  }
  block.resize(16384);
  size_t got = src.Read(block.data(), std::min<uint64_t>(storedLeft, block.size()));
  if (got == 0) return DecodeStatus::kTruncated;
  storedLeft -= got;
  crc = UpdateCrc16(crc, block.data(), got);
  *data = block.data();
  *len = got;
  return DecodeStatus::kOk;
}

StreamDecoder::StreamDecoder(const DecodeRequest& req, ByteSource& src)
    : s_(std::make_unique<State>(req, src)) {
  switch (req.method) {
    case Method::kLh1:
      s_->method = std::make_unique<Lh1Decoder>();
      break;
    case Method::kLzs:
      s_->method = std::make_unique<LzsDecoder>(s_->window);
      break;
    case Method::kLz5:
      s_->method = std::make_unique<Lz5Decoder>(s_->window);
      break;
    case Method::kLh4:
    case Method::kLh5:
    case Method::kLh6:
    case Method::kLh7:
      s_->method = std::make_unique<StaticDecoder>(DicBits(req.method));
      break;
    case Method::kLh0:
    case Method::kLz4:
      s_->storedLeft = std::min(req.packedSize, req.originalSize);
      break;
    default:
      break;
  }
}

StreamDecoder::~StreamDecoder() = default;

DecodeStatus StreamDecoder::Read(const uint8_t** data, size_t* len) {
  State& s = *s_;
  *len = 0;
  if (s.failed != DecodeStatus::kOk) return s.failed;
  if (s.done) return DecodeStatus::kOk;
  DecodeStatus st;
  switch (s.req.method) {
    case Method::kLhd:
      st = s.Finish(len);
      break;
    case Method::kUnknown:
      st = DecodeStatus::kUnsupported;
      break;
    case Method::kLh0:
    case Method::kLz4:
      st = s.ReadStored(data, len);
      break;
    default: {
      s.window.out.clear();
      st = s.method->Step(s.br, s.window);
      if (st == DecodeStatus::kOk && s.window.Done()) {
        s.window.Finish();
        if (s.br.Overrun()) st = DecodeStatus::kTruncated;
      }
      if (st != DecodeStatus::kOk) break;
      s.crc = s.window.Crc();
      if (s.window.out.empty()) {
        st = s.Finish(len);
      } else {
        *data = s.window.out.data();
        *len = s.window.out.size();
      }
    }
  }
  if (st != DecodeStatus::kOk) s.failed = st;
  return st;
}

DecodeStatus Decode(const DecodeRequest& req, ByteSource& src, ByteSink& sink) {
  StreamDecoder dec(req, src);
  return DrainInto(dec, sink);
}

}  // namespace qvr::lzh
