#include "ArjHeader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace qvr::arj {
namespace {

constexpr uint8_t kId0 = 0x60, kId1 = 0xEA;
constexpr unsigned kMinFirstHeader = 30;
constexpr int kMaxExtendedHeaders = 64;

uint16_t Le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint32_t Crc32(const uint8_t* p, size_t n) {
  return static_cast<uint32_t>(crc32(0, p, static_cast<uInt>(n)));
}

// A NUL-terminated text within [from, end); false when it has no NUL.
bool Text(const uint8_t* from, const uint8_t* end, std::string* out, const uint8_t** next) {
  const void* nul = std::memchr(from, 0, static_cast<size_t>(end - from));
  if (!nul) return false;
  const uint8_t* z = static_cast<const uint8_t*>(nul);
  out->assign(reinterpret_cast<const char*>(from), static_cast<size_t>(z - from));
  *next = z + 1;
  return true;
}

}  // namespace

bool UnixTimes(uint8_t hostOs) {
  return hostOs == kUnix || hostOs == kNext;
}

ParseStatus ReadHeader(RandomAccessSource& src, uint64_t offset, Header* h) {
  uint8_t id[4];
  if (src.ReadAt(offset, id, 4) != 4) return ParseStatus::kTruncated;
  if (id[0] != kId0 || id[1] != kId1) return ParseStatus::kNotHeader;
  unsigned size = Le16(id + 2);
  if (size == 0) return ParseStatus::kEnd;
  if (size > kMaxBasicHeader || size < kMinFirstHeader) return ParseStatus::kNotHeader;
  std::vector<uint8_t> b(size + 4);
  if (src.ReadAt(offset + 4, b.data(), b.size()) != b.size()) return ParseStatus::kTruncated;
  if (Crc32(b.data(), size) != Le32(b.data() + size)) return ParseStatus::kBadCrc;
  unsigned first = b[0];
  if (first < kMinFirstHeader || first > size) return ParseStatus::kNotHeader;
  *h = Header{};
  h->version = b[1];
  h->minVersion = b[2];
  h->hostOs = b[3];
  h->flags = b[4];
  h->method = b[5];
  h->type = static_cast<FileType>(b[6]);
  h->stamp = Le32(b.data() + 8);
  h->packedSize = Le32(b.data() + 12);
  h->originalSize = Le32(b.data() + 16);
  h->crc = Le32(b.data() + 20);
  h->mode = Le16(b.data() + 26);
  if (first >= 34) h->extFilePos = Le32(b.data() + 30);
  const uint8_t* end = b.data() + size;
  const uint8_t* next = nullptr;
  if (!Text(b.data() + first, end, &h->name, &next) || !Text(next, end, &h->comment, &next))
    return ParseStatus::kNotHeader;
  // Extended headers (size, bytes, CRC-32) up to one of size 0; none of them matters here.
  uint64_t at = offset + 4 + size + 4;
  for (int n = 0;; ++n) {
    uint8_t z[2];
    if (n == kMaxExtendedHeaders) return ParseStatus::kNotHeader;
    if (src.ReadAt(at, z, 2) != 2) return ParseStatus::kTruncated;
    unsigned ext = Le16(z);
    at += 2;
    if (ext == 0) break;
    at += ext + 4u;
  }
  h->offset = offset;
  h->dataOffset = at;
  return ParseStatus::kOk;
}

bool FindMainHeader(RandomAccessSource& src, Header* main) {
  auto mainAt = [&](uint64_t at) {
    return ReadHeader(src, at, main) == ParseStatus::kOk && main->type == FileType::kMain;
  };
  if (mainAt(0)) return true;
  uint64_t limit = std::min<uint64_t>(src.Size(), kMaxStubSize);
  std::vector<uint8_t> buf(64 * 1024);
  for (uint64_t base = 0; base + 1 < limit;) {
    size_t got = src.ReadAt(base, buf.data(),
                            static_cast<size_t>(std::min<uint64_t>(buf.size(), limit - base)));
    if (got < 2) return false;
    for (size_t i = 0; i + 1 < got; ++i) {
      const void* p = std::memchr(buf.data() + i, kId0, got - 1 - i);
      if (!p) break;
      i = static_cast<size_t>(static_cast<const uint8_t*>(p) - buf.data());
      if (buf[i + 1] == kId1 && base + i > 0 && mainAt(base + i)) return true;
    }
    base += got - 1;  // an id split across two reads is found in the next one
  }
  return false;
}

}  // namespace qvr::arj
