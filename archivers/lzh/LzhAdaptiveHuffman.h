// The adaptive Huffman tree of -lh1- (LHarc 1.x): 314 symbols (256 literals and the match
// lengths 3 to 60), every frequency starting at 1, the tree rebuilt with halved
// frequencies when the root reaches 0x8000. Encoder and decoder keep identical trees.
#pragma once

#include <array>
#include <cstdint>

#include "LzhBits.h"

namespace qvr::lzh {

class AdaptiveHuffman {
 public:
  static constexpr int kSymbols = 314;

  AdaptiveHuffman();
  // Reads one symbol and updates the tree.
  int Decode(BitReader& br);
  // Writes one symbol and updates the tree.
  void Encode(BitWriter& bw, int sym);

 private:
  static constexpr int kNodes = kSymbols * 2 - 1;  // T
  static constexpr int kRoot = kNodes - 1;         // R
  static constexpr unsigned kMaxFreq = 0x8000;

  void Update(int sym);
  void Rebuild();

  std::array<unsigned, kNodes + 1> freq_{};
  std::array<int, kNodes + kSymbols> parent_{};
  std::array<int, kNodes> son_{};
};

// The static code of -lh1- for the upper six bits of a match position.
void PutLh1Position(BitWriter& bw, unsigned offset);
unsigned GetLh1Position(BitReader& br);

}  // namespace qvr::lzh
