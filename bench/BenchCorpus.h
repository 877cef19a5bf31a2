// What the run benchmarks share: text-like file contents, the median of runs, seconds.
#pragma once

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

namespace qvr::bench {

// Text-like bytes that compress about as well as ordinary documents.
inline std::string TextContent(std::mt19937& random, size_t size) {
  static const char kWords[][9] = {"archive", "folder", "list", "the", "run", "extract",
                                   "data",    "file",   "名前", "and", "of",  "QvrArc"};
  std::string text;
  text.reserve(size + 16);
  while (text.size() < size) {
    text += kWords[random() % std::size(kWords)];
    text += random() % 9 ? ' ' : '\n';
    if (random() % 5 == 0) text += std::to_string(random() % 100000);
  }
  text.resize(size);
  return text;
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

inline double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

}  // namespace qvr::bench
