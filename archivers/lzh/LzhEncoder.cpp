#include "LzhEncoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "LzhAdaptiveHuffman.h"
#include "LzhBits.h"
#include "LzhCrc.h"
#include "LzhHuffman.h"

namespace qvr::lzh {
namespace {

constexpr unsigned kMinMatch = 3;

// What the match finder hands on: literals and (length, distance) pairs.
class ItemSink {
 public:
  virtual ~ItemSink() = default;
  virtual void Literal(uint8_t c) = 0;
  virtual void Match(unsigned len, unsigned distance) = 0;
  virtual void End() = 0;
};

struct SearchParams {
  unsigned goodLength;  // a match this long already: search less for the next one
  unsigned lazyLength;  // a match this long is taken without looking one byte further
  unsigned niceLength;  // a match this long ends the search
  unsigned maxChain;    // candidates tried per position
};

// LZ77 over a sliding buffer of two windows, hash chains of 3-byte prefixes, lazy matching.
// Positions in head_/prev_ are buffer positions + 1 (0 = none), moved down on each slide.
class MatchFinder {
 public:
  MatchFinder(unsigned window, unsigned maxMatch, SearchParams sp, ByteSource& src)
      : w_(window),
        maxMatch_(maxMatch),
        sp_(sp),
        src_(src),
        buf_(2 * window + maxMatch + 8, 0),
        head_(kHashSize, 0),
        prev_(window, 0) {}

  bool Run(ItemSink& out);
  uint64_t Size() const { return size_; }
  uint16_t Crc() const { return crc_; }

 private:
  static constexpr unsigned kHashBits = 15;
  static constexpr unsigned kHashSize = 1u << kHashBits;

  unsigned Hash(unsigned pos) const {
    uint32_t v = buf_[pos] | (buf_[pos + 1] << 8) | (buf_[pos + 2] << 16);
    return (v * 2654435761u) >> (32 - kHashBits);
  }
  // Adds `pos` to its chain; returns the previous head (0 = none).
  uint32_t Insert(unsigned pos) {
    if (pos + kMinMatch > end_) return 0;
    unsigned h = Hash(pos);
    uint32_t first = head_[h];
    prev_[pos & (w_ - 1)] = first;
    head_[h] = pos + 1;
    return first;
  }
  unsigned Longest(uint32_t cand, unsigned pos, unsigned prevLen, unsigned* matchPos) const;
  bool Fill();
  void Slide();

  const unsigned w_, maxMatch_;
  const SearchParams sp_;
  ByteSource& src_;
  std::vector<uint8_t> buf_;
  std::vector<uint32_t> head_, prev_;
  unsigned pos_ = 0, end_ = 0;
  unsigned prevPos_ = 0;  // where the match found at pos_ - 1 starts
  bool eof_ = false;
  uint64_t size_ = 0;
  uint16_t crc_ = 0;
};

void MatchFinder::Slide() {
  std::memmove(buf_.data(), buf_.data() + w_, end_ - w_);
  pos_ -= w_;
  end_ -= w_;
  prevPos_ -= w_;  // may wrap below 0: only differences to pos_ are used
  for (auto& v : head_) v = v > w_ ? v - w_ : 0;
  for (auto& v : prev_) v = v > w_ ? v - w_ : 0;
}

// Keeps at least maxMatch + kMinMatch bytes ahead of pos_ while the source has them.
bool MatchFinder::Fill() {
  if (end_ - pos_ >= maxMatch_ + kMinMatch || eof_) return true;
  if (pos_ >= 2 * w_ - maxMatch_ - kMinMatch - 1 && pos_ > w_) Slide();
  while (!eof_ && end_ < buf_.size() - 8) {
    size_t got = src_.Read(buf_.data() + end_, buf_.size() - 8 - end_);
    if (got == 0) {
      eof_ = true;
      if (src_.Failed()) return false;
      break;
    }
    crc_ = UpdateCrc16(crc_, buf_.data() + end_, got);
    size_ += got;
    end_ += static_cast<unsigned>(got);
  }
  std::memset(buf_.data() + end_, 0, buf_.size() - end_);
  return true;
}

unsigned MatchFinder::Longest(uint32_t cand, unsigned pos, unsigned prevLen,
                              unsigned* matchPos) const {
  const unsigned limit = std::min(maxMatch_, end_ - pos);
  unsigned best = prevLen;
  unsigned chain = prevLen >= sp_.goodLength ? sp_.maxChain / 4 : sp_.maxChain;
  const uint8_t* s = buf_.data() + pos;
  while (cand != 0 && chain-- > 0) {
    unsigned c = cand - 1;
    if (pos - c >= w_) break;  // beyond the history a reader keeps
    const uint8_t* m = buf_.data() + c;
    if (m[best] == s[best] && m[0] == s[0] && m[1] == s[1]) {
      unsigned len = 2;
      while (len < limit && m[len] == s[len]) ++len;
      if (len > best) {
        best = len;
        *matchPos = c;
        if (len >= sp_.niceLength || len >= limit) break;
      }
    }
    cand = prev_[c & (w_ - 1)];
  }
  return best;
}

bool MatchFinder::Run(ItemSink& out) {
  unsigned prevLen = kMinMatch - 1;
  prevPos_ = 0;
  bool pending = false;  // a literal at pos_ - 1 not yet sent
  if (!Fill()) return false;
  while (pos_ < end_) {
    uint32_t cand = Insert(pos_);
    unsigned len = kMinMatch - 1, mpos = 0;
    if (cand != 0 && prevLen < sp_.lazyLength) {
      // Only a match longer than the one at the previous position is of use.
      unsigned start = std::max(prevLen, kMinMatch - 1);
      if (end_ - pos_ > start) len = Longest(cand, pos_, start, &mpos);
      // A short match far back costs more than its literals.
      if (len == kMinMatch && pos_ - mpos > 4096) len = kMinMatch - 1;
    }
    if (prevLen >= kMinMatch && len <= prevLen) {
      out.Match(prevLen, pos_ - 1 - prevPos_);
      // Positions inside the match join the chains too.
      unsigned last = pos_ - 1 + prevLen;
      while (++pos_ < last) Insert(pos_);
      pending = false;
      prevLen = kMinMatch - 1;
    } else {
      if (pending) out.Literal(buf_[pos_ - 1]);
      pending = true;
      prevLen = len;
      prevPos_ = mpos;
      ++pos_;
    }
    if (!Fill()) return false;
  }
  if (pending) out.Literal(buf_[pos_ - 1]);
  out.End();
  return true;
}

// -lh1-: every item coded at once with the adaptive tree.
class Lh1Coder : public ItemSink {
 public:
  explicit Lh1Coder(BitWriter& bw) : bw_(bw) {}
  void Literal(uint8_t c) override { huff_.Encode(bw_, c); }
  void Match(unsigned len, unsigned distance) override {
    huff_.Encode(bw_, static_cast<int>(len + 253));
    PutLh1Position(bw_, distance - 1);
  }
  void End() override {}

 private:
  BitWriter& bw_;
  AdaptiveHuffman huff_;
};

constexpr int kNC = 510;
constexpr int kNT = 19;
constexpr size_t kBlockItems = 32768;

int BitLength(unsigned v) {
  int n = 0;
  while (v) ++n, v >>= 1;
  return n;
}

// -lh5- to -lh7-: items collected into blocks, each block sent with its own code tables.
class StaticCoder : public ItemSink {
 public:
  StaticCoder(BitWriter& bw, int dicbit) : bw_(bw), np_(dicbit + 1), pbit_(dicbit >= 15 ? 5 : 4) {
    items_.reserve(kBlockItems);
  }
  void Literal(uint8_t c) override { Add(c); }
  void Match(unsigned len, unsigned distance) override {
    Add((len + 253) | ((distance - 1) << 16));
  }
  void End() override {
    if (!items_.empty()) SendBlock();
  }

 private:
  void Add(uint32_t item) {
    items_.push_back(item);
    if (items_.size() == kBlockItems) SendBlock();
  }
  void SendBlock();
  void WritePtLengths(const uint8_t* lens, int nn, int nbit, int special);
  void WriteCLengths(const uint8_t* cLen, const uint8_t* tLen, const uint16_t* tCode);
  // Builds a code; with fewer than two symbols in use writes nothing and returns the single
  // symbol, else -1.
  static int MakeCode(const uint32_t* freq, int n, uint8_t* lens, uint16_t* codes);

  BitWriter& bw_;
  const int np_, pbit_;
  std::vector<uint32_t> items_;
};

int StaticCoder::MakeCode(const uint32_t* freq, int n, uint8_t* lens, uint16_t* codes) {
  int used = 0, last = 0;
  for (int i = 0; i < n; ++i)
    if (freq[i]) ++used, last = i;
  if (used < 2) {
    std::fill(lens, lens + n, 0);
    return last;
  }
  BuildCodeLengths(freq, n, kMaxCodeLen, lens);
  MakeCodes(lens, n, codes);
  return -1;
}

void StaticCoder::WritePtLengths(const uint8_t* lens, int nn, int nbit, int special) {
  int n = nn;
  while (n > 0 && lens[n - 1] == 0) --n;
  bw_.Put(nbit, n);
  int i = 0;
  while (i < n) {
    int k = lens[i++];
    if (k <= 6)
      bw_.Put(3, k);
    else
      bw_.Put(k - 3, 0xFFFE);  // k - 4 one bits and a zero
    if (i == special) {
      while (i < 6 && lens[i] == 0) ++i;
      bw_.Put(2, i - 3);
    }
  }
}

void StaticCoder::WriteCLengths(const uint8_t* cLen, const uint8_t* tLen, const uint16_t* tCode) {
  int n = kNC;
  while (n > 0 && cLen[n - 1] == 0) --n;
  bw_.Put(9, n);
  auto put = [&](int t) { bw_.Put(tLen[t], tCode[t]); };
  int i = 0;
  while (i < n) {
    int k = cLen[i++];
    if (k != 0) {
      put(k + 2);
      continue;
    }
    int count = 1;
    while (i < n && cLen[i] == 0) ++i, ++count;
    if (count <= 2) {
      for (int j = 0; j < count; ++j) put(0);
    } else if (count <= 18) {
      put(1);
      bw_.Put(4, count - 3);
    } else if (count == 19) {
      put(0);
      put(1);
      bw_.Put(4, 15);
    } else {
      put(2);
      bw_.Put(9, count - 20);
    }
  }
}

void StaticCoder::SendBlock() {
  std::array<uint32_t, kNC> cFreq{};
  std::array<uint32_t, 32> pFreq{};
  for (uint32_t it : items_) {
    unsigned c = it & 0xFFFF;
    cFreq[c]++;
    if (c >= 256) pFreq[BitLength(it >> 16)]++;
  }
  std::array<uint8_t, kNC> cLen{};
  std::array<uint16_t, kNC> cCode{};
  std::array<uint8_t, 32> pLen{};
  std::array<uint16_t, 32> pCode{};
  int cSingle = MakeCode(cFreq.data(), kNC, cLen.data(), cCode.data());

  bw_.Put(16, static_cast<uint32_t>(items_.size()));
  if (cSingle < 0) {
    // The code lengths are themselves coded; count what that code will carry.
    std::array<uint32_t, kNT> tFreq{};
    int n = kNC;
    while (n > 0 && cLen[n - 1] == 0) --n;
    for (int i = 0; i < n;) {
      int k = cLen[i++];
      if (k != 0) {
        tFreq[k + 2]++;
        continue;
      }
      int count = 1;
      while (i < n && cLen[i] == 0) ++i, ++count;
      if (count <= 2)
        tFreq[0] += count;
      else if (count <= 18)
        tFreq[1]++;
      else if (count == 19)
        tFreq[0]++, tFreq[1]++;
      else
        tFreq[2]++;
    }
    std::array<uint8_t, kNT> tLen{};
    std::array<uint16_t, kNT> tCode{};
    int tSingle = MakeCode(tFreq.data(), kNT, tLen.data(), tCode.data());
    if (tSingle < 0) {
      WritePtLengths(tLen.data(), kNT, 5, 3);
    } else {
      bw_.Put(5, 0);
      bw_.Put(5, tSingle);
    }
    WriteCLengths(cLen.data(), tLen.data(), tCode.data());
  } else {
    bw_.Put(5, 0);
    bw_.Put(5, 0);
    bw_.Put(9, 0);
    bw_.Put(9, cSingle);
  }
  int pSingle = MakeCode(pFreq.data(), np_, pLen.data(), pCode.data());
  if (pSingle < 0) {
    WritePtLengths(pLen.data(), np_, pbit_, -1);
  } else {
    bw_.Put(pbit_, 0);
    bw_.Put(pbit_, pSingle);
  }
  for (uint32_t it : items_) {
    unsigned c = it & 0xFFFF;
    bw_.Put(cLen[c], cCode[c]);
    if (c < 256) continue;
    unsigned d = it >> 16;
    int p = BitLength(d);
    bw_.Put(pLen[p], pCode[p]);
    if (p > 1) bw_.Put(p - 1, d);
  }
  items_.clear();
}

EncodeStatus CopyStored(ByteSource& src, ByteSink& sink, EncodeResult* r) {
  std::array<uint8_t, 16384> buf;
  for (;;) {
    size_t got = src.Read(buf.data(), buf.size());
    if (got == 0) break;
    r->crc = UpdateCrc16(r->crc, buf.data(), got);
    r->originalSize += got;
    if (!sink.Write(buf.data(), got)) return EncodeStatus::kSinkFailed;
  }
  if (src.Failed()) return EncodeStatus::kSourceFailed;
  r->packedSize = r->originalSize;
  return EncodeStatus::kOk;
}

// Search effort per method: the small windows afford longer chains.
SearchParams ParamsFor(Method m) {
  switch (m) {
    case Method::kLh1:
      return {8, 32, 60, 256};
    case Method::kLh5:
      return {16, 64, 128, 256};
    default:
      return {16, 64, 128, 256};
  }
}

}  // namespace

EncodeStatus Encode(Method method, ByteSource& src, ByteSink& sink, EncodeResult* result) {
  *result = EncodeResult();
  if (method == Method::kLh0) return CopyStored(src, sink, result);
  if (!CanEncode(method)) return EncodeStatus::kUnsupported;
  BitWriter bw(sink);
  const unsigned window = WindowSize(method);
  bool ok;
  uint64_t size;
  uint16_t crc;
  if (method == Method::kLh1) {
    MatchFinder mf(window, 60, ParamsFor(method), src);
    Lh1Coder coder(bw);
    ok = mf.Run(coder);
    size = mf.Size(), crc = mf.Crc();
  } else {
    MatchFinder mf(window, 256, ParamsFor(method), src);
    StaticCoder coder(bw, BitLength(window) - 1);
    ok = mf.Run(coder);
    size = mf.Size(), crc = mf.Crc();
  }
  if (!ok) return EncodeStatus::kSourceFailed;
  if (!bw.Finish()) return EncodeStatus::kSinkFailed;
  result->originalSize = size;
  result->packedSize = bw.BytesWritten();
  result->crc = crc;
  return EncodeStatus::kOk;
}

EncodeStatus SmallestMethod(SeekableSource& src, Method* best) {
  *best = Method::kLh0;
  uint64_t bestSize = UINT64_MAX;
  for (Method m : {Method::kLh0, Method::kLh1, Method::kLh5, Method::kLh6, Method::kLh7}) {
    if (!src.Rewind()) return EncodeStatus::kSourceFailed;
    CountingSink counter;
    EncodeResult r;
    EncodeStatus st = Encode(m, src, counter, &r);
    if (st != EncodeStatus::kOk) return st;
    if (r.packedSize < bestSize) bestSize = r.packedSize, *best = m;
  }
  return src.Rewind() ? EncodeStatus::kOk : EncodeStatus::kSourceFailed;
}

}  // namespace qvr::lzh
