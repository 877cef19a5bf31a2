// The CRC-16 of LZH archives (reflected polynomial 0xA001, initial value 0), used for entry
// data and for the header CRC of level-2 headers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qvr::lzh {

uint16_t UpdateCrc16(uint16_t crc, const uint8_t* p, size_t n);

}  // namespace qvr::lzh
