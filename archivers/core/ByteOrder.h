// Little-endian fields of binary headers (ZIP, LZH, CAB...), read and written byte by byte.
#pragma once

#include <cstdint>
#include <string>

namespace qvr::arc {

inline uint16_t GetLe16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t GetLe32(const uint8_t* p) {
  return static_cast<uint32_t>(GetLe16(p)) | (static_cast<uint32_t>(GetLe16(p + 2)) << 16);
}
inline uint64_t GetLe64(const uint8_t* p) {
  return static_cast<uint64_t>(GetLe32(p)) | (static_cast<uint64_t>(GetLe32(p + 4)) << 32);
}

inline void PutLe16(std::string& out, uint16_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>(value >> 8);
}
inline void PutLe32(std::string& out, uint32_t value) {
  PutLe16(out, static_cast<uint16_t>(value & 0xFFFF));
  PutLe16(out, static_cast<uint16_t>(value >> 16));
}
inline void PutLe64(std::string& out, uint64_t value) {
  PutLe32(out, static_cast<uint32_t>(value & 0xFFFFFFFF));
  PutLe32(out, static_cast<uint32_t>(value >> 32));
}

}  // namespace qvr::arc
