#include "ArjDecoder.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "LzhBits.h"
#include "LzhWindow.h"

namespace qvr::arj {
namespace {

constexpr unsigned kThreshold = 3;           // the shortest match
constexpr unsigned kMethod4Ring = 1u << 15;  // distances reach 15871

// A count coded as ones ending in a zero (at most stop - start of them), then a value of
// start + ones bits; each one adds the next power of two from 2^start.
unsigned UnaryPrefixed(lzh::BitReader& br, int start, int stop) {
  unsigned plus = 0, power = 1u << start;
  int width = start;
  for (; width < stop; ++width) {
    if (!br.Get(1)) break;
    plus += power;
    power <<= 1;
  }
  return plus + br.Get(width);
}

// Method 4: a length code (0 = a literal byte follows), then for a match its distance.
DecodeStatus Method4Step(lzh::BitReader& br, lzh::Window& w) {
  while (!w.Done() && !w.HasOutput()) {
    if (br.Overrun()) return DecodeStatus::kTruncated;
    unsigned len = UnaryPrefixed(br, 0, 7);
    if (len == 0) {
      w.Put(br.GetByte());
    } else {
      unsigned distance = UnaryPrefixed(br, 9, 13) + 1;
      w.CopyBack(distance, len - 1 + kThreshold);
    }
  }
  return DecodeStatus::kOk;
}

}  // namespace

struct StreamDecoder::State {
  State(const DecodeRequest& r, lzh::ByteSource& s) : req(r), src(s) {}

  DecodeStatus Deliver(const uint8_t* data, size_t n, const uint8_t** out, size_t* len) {
    crc = static_cast<uint32_t>(crc32(crc, data, static_cast<uInt>(n)));
    *out = data;
    *len = n;
    return DecodeStatus::kOk;
  }
  DecodeStatus Finish() {
    done = true;
    return crc == req.crc ? DecodeStatus::kOk : DecodeStatus::kCrcMismatch;
  }
  DecodeStatus ReadStored(const uint8_t** out, size_t* len);
  DecodeStatus ReadMethod4(const uint8_t** out, size_t* len);

  DecodeRequest req;
  lzh::ByteSource& src;
  std::unique_ptr<lzh::StreamDecoder> lzh;  // methods 1 to 3
  std::unique_ptr<lzh::BitReader> bits;     // method 4
  std::unique_ptr<lzh::Window> window;
  std::vector<uint8_t> block;
  uint64_t storedLeft = 0;
  uint32_t crc = 0;
  bool done = false;
  DecodeStatus failed = DecodeStatus::kOk;
};

DecodeStatus StreamDecoder::State::ReadStored(const uint8_t** out, size_t* len) {
  if (storedLeft == 0)
    return req.packedSize < req.originalSize ? DecodeStatus::kTruncated : Finish();
  block.resize(64 * 1024);
  size_t got =
      src.Read(block.data(), static_cast<size_t>(std::min<uint64_t>(storedLeft, block.size())));
  if (got == 0) return DecodeStatus::kTruncated;
  storedLeft -= got;
  return Deliver(block.data(), got, out, len);
}

DecodeStatus StreamDecoder::State::ReadMethod4(const uint8_t** out, size_t* len) {
  window->out.clear();
  DecodeStatus st = Method4Step(*bits, *window);
  if (st != DecodeStatus::kOk) return st;
  if (window->Done()) {
    window->Finish();
    if (bits->Overrun()) return DecodeStatus::kTruncated;
  }
  if (window->out.empty()) return Finish();
  return Deliver(window->out.data(), window->out.size(), out, len);
}

StreamDecoder::StreamDecoder(const DecodeRequest& req, lzh::ByteSource& src)
    : s_(std::make_unique<State>(req, src)) {
  switch (req.method) {
    case 0:
      s_->storedLeft = std::min(req.packedSize, req.originalSize);
      break;
    case 1:
    case 2:
    case 3: {
      lzh::DecodeRequest inner;
      inner.method = lzh::Method::kLh7;
      inner.packedSize = req.packedSize;
      inner.originalSize = req.originalSize;
      inner.checkCrc = false;  // ARJ's own CRC-32 is checked here
      s_->lzh = std::make_unique<lzh::StreamDecoder>(inner, src);
      break;
    }
    case 4:
      s_->bits = std::make_unique<lzh::BitReader>(src, req.packedSize);
      s_->window = std::make_unique<lzh::Window>(kMethod4Ring, req.originalSize, false);
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
  DecodeStatus st = DecodeStatus::kUnsupported;
  if (s.req.method == 0) {
    st = s.ReadStored(data, len);
  } else if (s.lzh) {
    const uint8_t* p = nullptr;
    size_t n = 0;
    st = s.lzh->Read(&p, &n);
    if (st == DecodeStatus::kOk) st = n == 0 ? s.Finish() : s.Deliver(p, n, data, len);
  } else if (s.bits) {
    st = s.ReadMethod4(data, len);
  }
  if (st != DecodeStatus::kOk) {
    s.failed = st;
    *len = 0;
  }
  return st;
}

DecodeStatus Decode(const DecodeRequest& req, lzh::ByteSource& src, lzh::ByteSink& sink) {
  StreamDecoder dec(req, src);
  return lzh::DrainInto(dec, sink);
}

}  // namespace qvr::arj
