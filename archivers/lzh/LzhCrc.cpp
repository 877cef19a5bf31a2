#include "LzhCrc.h"

#include <array>

namespace qvr::lzh {
namespace {

constexpr std::array<uint16_t, 256> MakeTable() {
  std::array<uint16_t, 256> t{};
  for (unsigned i = 0; i < 256; ++i) {
    uint16_t c = static_cast<uint16_t>(i);
    for (int k = 0; k < 8; ++k) c = (c & 1) ? static_cast<uint16_t>((c >> 1) ^ 0xA001) : c >> 1;
    t[i] = c;
  }
  return t;
}

constexpr std::array<uint16_t, 256> kTable = MakeTable();

}  // namespace

uint16_t UpdateCrc16(uint16_t crc, const uint8_t* p, size_t n) {
  for (size_t i = 0; i < n; ++i)
    crc = static_cast<uint16_t>(kTable[(crc ^ p[i]) & 0xFF] ^ (crc >> 8));
  return crc;
}

}  // namespace qvr::lzh
