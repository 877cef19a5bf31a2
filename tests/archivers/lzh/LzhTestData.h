// Inputs shared by the LZH codec tests: a table of byte strings that stress the encoders'
// windows and the decoders' rings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvr::lzh::test {

struct Sample {
  std::string name;
  std::string data;
};

// Reproducible pseudo-random bytes.
std::string RandomBytes(size_t n, uint32_t seed);
// Text-like bytes: words, blanks and line ends.
std::string TextBytes(size_t n, uint32_t seed);
// The table: empty, one byte, 1 MiB of zeros, 200 KiB random, text, a run of exactly each
// window size, repeats at distances around each window size.
const std::vector<Sample>& Samples();

// One row of data/expected.tsv: a file of a third-party LZH archive and what lhasa
// extracts for it.
struct ExpectedFile {
  std::string archive, path, sha256;
  uint64_t size = 0;
};
std::vector<ExpectedFile> ReadExpectedFiles(const std::string& dataFolder);

}  // namespace qvr::lzh::test
