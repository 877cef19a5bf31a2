// Canonical Huffman codes as the static-Huffman LZH methods (-lh4- to -lh7-) use them: codes
// of up to 16 bits, assigned by length and then by symbol order, most significant bit first.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "LzhBits.h"

namespace qvr::lzh {

constexpr int kMaxCodeLen = 16;

class HuffDecoder {
 public:
  // False when the lengths describe more codes than fit (a broken stream). Codes left unused
  // by an incomplete set decode as -1.
  bool Build(const uint8_t* lens, int n);
  // Every symbol of the block is `sym`, coded with no bits at all.
  void SetSingle(int sym) { single_ = sym; }
  // The next symbol, or -1 for a code no symbol has.
  int Decode(BitReader& br) const;

 private:
  static constexpr int kFastBits = 10;
  std::array<int16_t, 1 << kFastBits> fastSym_{};
  std::array<uint8_t, 1 << kFastBits> fastLen_{};
  std::array<uint16_t, kMaxCodeLen + 1> count_{};
  std::vector<uint16_t> sorted_;
  int single_ = -1;
};

// Code lengths of at most maxLen bits for the given frequencies (0 = symbol unused). With
// fewer than two used symbols the caller writes the single-symbol form instead.
void BuildCodeLengths(const uint32_t* freq, int n, int maxLen, uint8_t* lens);
// The canonical codes for lengths.
void MakeCodes(const uint8_t* lens, int n, uint16_t* codes);

}  // namespace qvr::lzh
