// The Deflate64 decoder on streams written by hand (the length code 285 with its 16 extra
// bits, stored blocks) and on broken ones, which must fail and never pass as whole.
#include <gtest/gtest.h>

#include <string>

#include "Deflate64.h"

namespace qvr::arc {
namespace {

// Bits least significant first, Huffman codes most significant first, as Deflate packs them.
struct Bits {
  std::string out;
  uint32_t acc = 0;
  int n = 0;
  void Put(uint32_t v, int count) {
    for (int i = 0; i < count; ++i) {
      acc |= ((v >> i) & 1u) << n;
      if (++n == 8) Flush();
    }
  }
  void Code(uint32_t code, int len) {
    for (int i = len - 1; i >= 0; --i) Put((code >> i) & 1u, 1);
  }
  void Flush() {
    out += static_cast<char>(acc);
    acc = 0;
    n = 0;
  }
  std::string Done() {
    if (n) Flush();
    return out;
  }
};

// One fixed-code block: "x", then a match of 1000 bytes one back (length code 285: 3 plus
// 16 extra bits), then the end of the block.
std::string FixedBlock(uint32_t distanceCode) {
  Bits b;
  b.Put(1, 1), b.Put(1, 2);  // the last block, fixed codes
  b.Code(0x30 + 'x', 8);
  b.Code(0xC0 + (285 - 280), 8), b.Put(997, 16);
  b.Code(distanceCode, 5);
  b.Code(0, 7);  // end of block
  return b.Done();
}

std::string StoredBlock(const std::string& data, bool goodComplement) {
  Bits b;
  b.Put(1, 1), b.Put(0, 2);
  std::string s = b.Done();
  uint16_t len = static_cast<uint16_t>(data.size());
  uint16_t nlen = static_cast<uint16_t>(goodComplement ? ~len : len);
  s += static_cast<char>(len & 0xFF), s += static_cast<char>(len >> 8);
  s += static_cast<char>(nlen & 0xFF), s += static_cast<char>(nlen >> 8);
  return s + data;
}

struct Result {
  Deflate64Decoder::Status status;
  std::string data;
};

Result Expand(const std::string& packed, uint64_t size) {
  size_t at = 0;
  Deflate64Decoder dec(
      [&](uint8_t* buf, size_t n) {
        size_t take = std::min(n, packed.size() - at);
        std::copy(packed.begin() + long(at), packed.begin() + long(at + take), buf);
        at += take;
        return take;
      },
      size);
  Result r{Deflate64Decoder::Status::kOk, ""};
  for (int i = 0; i < 100000; ++i) {
    const uint8_t* p = nullptr;
    size_t len = 0;
    r.status = dec.Read(&p, &len);
    if (r.status != Deflate64Decoder::Status::kOk || len == 0) break;
    r.data.append(reinterpret_cast<const char*>(p), len);
  }
  return r;
}

TEST(Deflate64, HandWrittenStreamsAndBrokenOnes) {
  using S = Deflate64Decoder::Status;
  const std::string x1001(1001, 'x');
  const std::string fixed = FixedBlock(0);
  struct Case {
    const char* what;
    std::string packed;
    uint64_t size;
    S status;
    std::string data;
  };
  const Case cases[] = {
      {"length code 285 with 16 extra bits", fixed, 1001, S::kOk, x1001},
      {"stored block", StoredBlock("stored bytes", true), 12, S::kOk, "stored bytes"},
      {"cut", fixed.substr(0, fixed.size() - 2), 1001, S::kTruncated, ""},
      {"more than the entry's size", fixed, 1000, S::kCorrupt, ""},
      {"less than the entry's size", fixed, 1002, S::kTruncated, ""},
      {"a distance before the start", FixedBlock(1), 1001, S::kCorrupt, ""},
      {"stored length without its complement", StoredBlock("abc", false), 3, S::kCorrupt, ""},
      {"block type 3", std::string(1, '\x07'), 1, S::kCorrupt, ""},
      {"nothing", "", 1, S::kTruncated, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Result r = Expand(c.packed, c.size);
    EXPECT_EQ(r.status, c.status);
    if (c.status == S::kOk) {
      EXPECT_EQ(r.data, c.data);
    }
  }
}

}  // namespace
}  // namespace qvr::arc
