#include "LzhTestData.h"

#include <fstream>
#include <sstream>

namespace qvr::lzh::test {

std::string RandomBytes(size_t n, uint32_t seed) {
  std::string s(n, '\0');
  uint32_t x = seed * 2654435761u + 1;
  for (auto& c : s) {
    x ^= x << 13, x ^= x >> 17, x ^= x << 5;
    c = static_cast<char>(x >> 24);
  }
  return s;
}

std::string TextBytes(size_t n, uint32_t seed) {
  static const char* kWords[] = {"the",   "archive", "of",     "files",  "is",    "written",
                                 "to",    "disk",    "when",   "every",  "name",  "fits",
                                 "LZH",   "header",  "level",  "window", "and",   "a",
                                 "match", "length",  "folder", "日本語", "予定表"};
  std::string s;
  uint32_t x = seed + 7;
  while (s.size() < n) {
    x = x * 1103515245u + 12345u;
    s += kWords[(x >> 16) % (sizeof(kWords) / sizeof(kWords[0]))];
    s += ((x >> 8) % 11 == 0) ? "\r\n" : " ";
  }
  s.resize(n);
  return s;
}

namespace {

// A random block, then the same block again `distance` bytes after its start, so matches
// reach exactly that far back.
std::string RepeatAt(size_t distance, size_t block) {
  std::string s = RandomBytes(distance, static_cast<uint32_t>(distance));
  s += s.substr(0, block);
  s += RandomBytes(block / 2, 99);
  return s;
}

std::vector<Sample> Make() {
  std::vector<Sample> v = {
      {"empty", ""},
      {"one_byte", "A"},
      {"zeros_1MiB", std::string(1 << 20, '\0')},
      {"random_200KiB", RandomBytes(200 * 1024, 1)},
      {"text_300KiB", TextBytes(300 * 1024, 2)},
      {"two_bytes", "ab"},
      {"mixed",
       TextBytes(50000, 3) + RandomBytes(30000, 4) + std::string(70000, 'x') + TextBytes(90000, 5)},
  };
  for (size_t w : {2048u, 4096u, 8192u, 32768u, 65536u}) {
    v.push_back({"run_window_" + std::to_string(w), std::string(w, 'r')});
    v.push_back({"repeat_at_" + std::to_string(w - 1), RepeatAt(w - 1, 300)});
    v.push_back({"repeat_at_" + std::to_string(w), RepeatAt(w, 300)});
    v.push_back({"repeat_at_" + std::to_string(w + 1), RepeatAt(w + 1, 300)});
  }
  return v;
}

}  // namespace

const std::vector<Sample>& Samples() {
  static const std::vector<Sample> samples = Make();
  return samples;
}

std::vector<ExpectedFile> ReadExpectedFiles(const std::string& dataFolder) {
  std::vector<ExpectedFile> rows;
  std::ifstream tsv(dataFolder + "/expected.tsv");
  std::string line;
  while (std::getline(tsv, line)) {
    std::istringstream cols(line);
    ExpectedFile row;
    std::string size;
    std::getline(cols, row.archive, '\t');
    std::getline(cols, row.path, '\t');
    std::getline(cols, size, '\t');
    std::getline(cols, row.sha256, '\t');
    row.size = std::stoull(size);
    rows.push_back(row);
  }
  return rows;
}

}  // namespace qvr::lzh::test
