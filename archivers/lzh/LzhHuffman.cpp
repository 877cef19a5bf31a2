#include "LzhHuffman.h"

#include <algorithm>
#include <numeric>
#include <queue>

namespace qvr::lzh {

bool HuffDecoder::Build(const uint8_t* lens, int n) {
  single_ = -1;
  count_.fill(0);
  for (int i = 0; i < n; ++i) {
    if (lens[i] > kMaxCodeLen) return false;
    count_[lens[i]]++;
  }
  count_[0] = 0;
  int left = 1;
  for (int len = 1; len <= kMaxCodeLen; ++len) {
    left = (left << 1) - count_[len];
    if (left < 0) return false;
  }
  std::array<uint16_t, kMaxCodeLen + 2> offs{};
  for (int len = 1; len <= kMaxCodeLen; ++len) offs[len + 1] = offs[len] + count_[len];
  sorted_.assign(n, 0);
  for (int i = 0; i < n; ++i)
    if (lens[i]) sorted_[offs[lens[i]]++] = static_cast<uint16_t>(i);

  fastSym_.fill(-1);
  fastLen_.fill(0);
  std::vector<uint16_t> codes(n);
  MakeCodes(lens, n, codes.data());
  for (int i = 0; i < n; ++i) {
    int len = lens[i];
    if (len == 0 || len > kFastBits) continue;
    int first = codes[i] << (kFastBits - len);
    for (int k = 0; k < (1 << (kFastBits - len)); ++k) {
      fastSym_[first + k] = static_cast<int16_t>(i);
      fastLen_[first + k] = static_cast<uint8_t>(len);
    }
  }
  return true;
}

int HuffDecoder::Decode(BitReader& br) const {
  if (single_ >= 0) return single_;
  uint32_t v = br.Peek(kMaxCodeLen);
  uint32_t idx = v >> (kMaxCodeLen - kFastBits);
  if (fastLen_[idx]) {
    br.Skip(fastLen_[idx]);
    return fastSym_[idx];
  }
  // Longer codes: walk the canonical ranges one length at a time.
  int code = 0, first = 0, index = 0;
  for (int len = 1; len <= kMaxCodeLen; ++len) {
    code |= (v >> (kMaxCodeLen - len)) & 1;
    int count = count_[len];
    if (code - first < count) {
      br.Skip(len);
      return sorted_[index + code - first];
    }
    index += count;
    first = (first + count) << 1;
    code <<= 1;
  }
  return -1;
}

void BuildCodeLengths(const uint32_t* freq, int n, int maxLen, uint8_t* lens) {
  std::fill(lens, lens + n, 0);
  // Plain Huffman over a heap, recording each leaf's depth through the parent links.
  using Item = std::pair<uint64_t, int>;
  std::priority_queue<Item, std::vector<Item>, std::greater<>> heap;
  std::vector<int> parent(2 * n, -1);
  for (int i = 0; i < n; ++i)
    if (freq[i]) heap.push({freq[i], i});
  if (heap.size() < 2) {
    if (!heap.empty()) lens[heap.top().second] = 1;
    return;
  }
  int next = n;
  while (heap.size() > 1) {
    Item a = heap.top();
    heap.pop();
    Item b = heap.top();
    heap.pop();
    parent[a.second] = parent[b.second] = next;
    heap.push({a.first + b.first, next++});
  }
  std::vector<int> depth(next, 0);
  for (int i = next - 2; i >= 0; --i)
    if (parent[i] >= 0) depth[i] = depth[parent[i]] + 1;

  // Counts per length, then the longest codes folded into maxLen (the JPEG adjustment).
  std::vector<int> bl(std::max(maxLen, *std::max_element(depth.begin(), depth.begin() + n)) + 1);
  for (int i = 0; i < n; ++i)
    if (freq[i]) bl[depth[i]]++;
  for (int i = static_cast<int>(bl.size()) - 1; i > maxLen; --i) {
    while (bl[i] > 0) {
      int j = i - 2;
      while (bl[j] == 0) --j;
      bl[i] -= 2;
      bl[i - 1] += 1;
      bl[j + 1] += 2;
      bl[j] -= 1;
    }
  }
  // The most frequent symbols take the shortest codes.
  std::vector<int> order;
  for (int i = 0; i < n; ++i)
    if (freq[i]) order.push_back(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return freq[a] > freq[b]; });
  size_t k = 0;
  for (int len = 1; len <= maxLen; ++len)
    for (int c = 0; c < bl[len]; ++c) lens[order[k++]] = static_cast<uint8_t>(len);
}

void MakeCodes(const uint8_t* lens, int n, uint16_t* codes) {
  std::array<uint32_t, kMaxCodeLen + 2> count{}, start{};
  for (int i = 0; i < n; ++i) count[lens[i]]++;
  count[0] = 0;
  for (int len = 1; len <= kMaxCodeLen; ++len) start[len + 1] = (start[len] + count[len]) << 1;
  for (int i = 0; i < n; ++i)
    if (lens[i]) codes[i] = static_cast<uint16_t>(start[lens[i]]++);
}

}  // namespace qvr::lzh
