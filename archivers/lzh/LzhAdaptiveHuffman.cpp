#include "LzhAdaptiveHuffman.h"

#include <algorithm>

namespace qvr::lzh {

AdaptiveHuffman::AdaptiveHuffman() {
  for (int i = 0; i < kSymbols; ++i) {
    freq_[i] = 1;
    son_[i] = i + kNodes;
    parent_[i + kNodes] = i;
  }
  for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
    freq_[j] = freq_[i] + freq_[i + 1];
    son_[j] = i;
    parent_[i] = parent_[i + 1] = j;
  }
  freq_[kNodes] = 0xFFFF;  // a sentinel above every real frequency
  parent_[kRoot] = 0;
}

void AdaptiveHuffman::Rebuild() {
  // Leaves to the front, frequencies halved.
  int j = 0;
  for (int i = 0; i < kNodes; ++i) {
    if (son_[i] >= kNodes) {
      freq_[j] = (freq_[i] + 1) / 2;
      son_[j] = son_[i];
      ++j;
    }
  }
  // Join pairs, keeping the frequency order by insertion.
  for (int i = 0, k = kSymbols; k < kNodes; i += 2, ++k) {
    unsigned f = freq_[i] + freq_[i + 1];
    int at = k - 1;
    while (f < freq_[at]) --at;
    ++at;
    std::move_backward(freq_.begin() + at, freq_.begin() + k, freq_.begin() + k + 1);
    std::move_backward(son_.begin() + at, son_.begin() + k, son_.begin() + k + 1);
    freq_[at] = f;
    son_[at] = i;
  }
  for (int i = 0; i < kNodes; ++i) {
    int k = son_[i];
    parent_[k] = i;
    if (k < kNodes) parent_[k + 1] = i;
  }
}

void AdaptiveHuffman::Update(int sym) {
  if (freq_[kRoot] == kMaxFreq) Rebuild();
  int c = parent_[sym + kNodes];
  do {
    unsigned k = ++freq_[c];
    int l = c + 1;
    if (k > freq_[l]) {
      while (k > freq_[++l]) {
      }
      --l;
      freq_[c] = freq_[l];
      freq_[l] = k;
      int i = son_[c];
      parent_[i] = l;
      if (i < kNodes) parent_[i + 1] = l;
      int j = son_[l];
      son_[l] = i;
      parent_[j] = c;
      if (j < kNodes) parent_[j + 1] = c;
      son_[c] = j;
      c = l;
    }
    c = parent_[c];
  } while (c != 0);
}

int AdaptiveHuffman::Decode(BitReader& br) {
  int c = son_[kRoot];
  // A path is at most as long as the tree has nodes; the bound keeps a broken tree finite.
  for (int steps = 0; c < kNodes && steps < kNodes; ++steps) c = son_[c + br.Get(1)];
  if (c < kNodes) return -1;
  c -= kNodes;
  Update(c);
  return c;
}

void AdaptiveHuffman::Encode(BitWriter& bw, int sym) {
  // Collect the path from the leaf up, then write it root first.
  std::array<uint8_t, kNodes> path;
  int len = 0;
  for (int k = parent_[sym + kNodes]; k != kRoot; k = parent_[k]) path[len++] = k & 1;
  // The leaf's own branch: odd node numbers are the second son.
  while (len > 0) bw.Put(1, path[--len]);
  Update(sym);
}

namespace {

// Lengths of the position code: 1 code of 3 bits, 3 of 4, 8 of 5, 12 of 6, 24 of 7, 16 of 8.
struct PositionCode {
  std::array<uint8_t, 64> len{};
  std::array<uint8_t, 64> code{};  // left-aligned in 8 bits
  std::array<uint8_t, 256> symOf{};
  PositionCode() {
    constexpr int kCounts[] = {1, 3, 8, 12, 24, 16};
    int sym = 0, code8 = 0;
    for (int g = 0; g < 6; ++g) {
      int bits = g + 3;
      for (int i = 0; i < kCounts[g]; ++i, ++sym) {
        len[sym] = static_cast<uint8_t>(bits);
        code[sym] = static_cast<uint8_t>(code8);
        for (int k = 0; k < (1 << (8 - bits)); ++k) symOf[code8 + k] = static_cast<uint8_t>(sym);
        code8 += 1 << (8 - bits);
      }
    }
  }
};

const PositionCode& Positions() {
  static const PositionCode table;
  return table;
}

}  // namespace

void PutLh1Position(BitWriter& bw, unsigned offset) {
  const auto& t = Positions();
  unsigned upper = offset >> 6;
  bw.Put(t.len[upper], t.code[upper] >> (8 - t.len[upper]));
  bw.Put(6, offset & 0x3F);
}

unsigned GetLh1Position(BitReader& br) {
  const auto& t = Positions();
  unsigned sym = t.symOf[br.Peek(8)];
  br.Skip(t.len[sym]);
  return (sym << 6) | br.Get(6);
}

}  // namespace qvr::lzh
