// libFuzzer target for the Deflate64 decoder (archivers/core/Deflate64): the first four bytes
// are the entry's original size (little-endian, at most 16 MiB), the rest the compressed
// stream.
//   cmake --build fuzz-build --target fuzz_deflate64 (configured as in fuzz_arj.cpp)
//   fuzz-build/bin/fuzz_deflate64 -max_total_time=600 corpus-deflate64
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "Deflate64.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  uint32_t original =
      (data[0] | (data[1] << 8) | (data[2] << 16) | (uint32_t(data[3]) << 24)) & 0xFFFFFF;
  const uint8_t* packed = data + 4;
  size_t left = size - 4;
  qvr::arc::Deflate64Decoder dec(
      [&](uint8_t* buf, size_t n) {
        size_t take = std::min(n, left);
        std::memcpy(buf, packed, take);
        packed += take;
        left -= take;
        return take;
      },
      original);
  for (;;) {
    const uint8_t* p = nullptr;
    size_t len = 0;
    if (dec.Read(&p, &len) != qvr::arc::Deflate64Decoder::Status::kOk || len == 0) break;
  }
  return 0;
}
