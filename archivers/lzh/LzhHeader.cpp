#include "LzhHeader.h"

#include "LzhCrc.h"
#include "LzhNames.h"

namespace qvr::lzh {
namespace {

uint16_t U16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t U32(const uint8_t* p) {
  return U16(p) | (static_cast<uint32_t>(U16(p + 2)) << 16);
}
uint64_t U64(const uint8_t* p) {
  return U32(p) | (static_cast<uint64_t>(U32(p + 4)) << 32);
}

void Put16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}
void Put64(std::string& s, uint64_t v) {
  Put32(s, static_cast<uint32_t>(v));
  Put32(s, static_cast<uint32_t>(v >> 32));
}

// One extended header: its type and its data (size field and type already taken off).
// Returns false for a contradiction (a header CRC that does not match is checked by the
// caller, which knows the whole header).
bool ApplyExtension(uint8_t type, const uint8_t* d, size_t n, Header* h, bool* hasHeaderCrc,
                    uint16_t* headerCrc) {
  switch (type) {
    case 0x00:
      if (n >= 2) {
        *hasHeaderCrc = true;
        *headerCrc = U16(d);
      }
      break;
    case 0x01:
      h->name.assign(reinterpret_cast<const char*>(d), n);
      break;
    case 0x02:
      h->directory.assign(reinterpret_cast<const char*>(d), n);
      break;
    case 0x40:
      if (n >= 2) h->attribute = static_cast<uint8_t>(U16(d));
      break;
    case 0x41:
      if (n >= 24) {
        h->hasWindowsTime = true;
        h->winCreate = U64(d);
        h->winModify = U64(d + 8);
        h->winAccess = U64(d + 16);
      }
      break;
    case 0x42:
      if (n >= 16) {
        h->packedSize = U64(d);
        h->originalSize = U64(d + 8);
      }
      break;
    case 0x50:
      if (n >= 2) {
        h->hasUnixMode = true;
        h->unixMode = U16(d);
      }
      break;
    case 0x51:
      if (n >= 4) {
        h->hasOwner = true;
        h->gid = U16(d);
        h->uid = U16(d + 2);
      }
      break;
    case 0x54:
      if (n >= 4) {
        h->hasUnixTime = true;
        h->unixTime = U32(d);
      }
      break;
    default:
      break;  // comments, owner names, multi-volume marks: nothing we use
  }
  return true;
}

// Walks a chain of extended headers from `pos` whose first size is `next`; sizes take
// `sizeBytes` bytes (2, or 4 for level 3). Stops at `limit` for levels 2/3; level 1 has no
// limit known ahead and asks for more bytes instead.
ParseStatus WalkExtensions(const uint8_t* p, size_t avail, size_t pos, uint64_t next, int sizeBytes,
                           size_t limit, Header* h, size_t* end, size_t* needed, bool* hasHeaderCrc,
                           uint16_t* headerCrc, size_t* crcOffset) {
  while (next != 0) {
    if (next < static_cast<uint64_t>(1 + sizeBytes) || pos + next > limit) return ParseStatus::kBad;
    if (pos + next > avail) {
      *needed = pos + next;
      return ParseStatus::kNeedMore;
    }
    const uint8_t* e = p + pos;
    size_t dataLen = next - 1 - sizeBytes;
    if (e[0] == 0x00 && dataLen >= 2) *crcOffset = pos + 1;
    if (!ApplyExtension(e[0], e + 1, dataLen, h, hasHeaderCrc, headerCrc)) return ParseStatus::kBad;
    pos += next;
    next = sizeBytes == 2 ? U16(e + next - 2) : U32(e + next - 4);
  }
  *end = pos;
  return ParseStatus::kOk;
}

void ReadCommon(const uint8_t* p, Header* h) {
  h->methodId.assign(reinterpret_cast<const char*>(p + 2), 5);
  h->method = MethodFromId(h->methodId);
  h->packedSize = U32(p + 7);
  h->originalSize = U32(p + 11);
  h->level = p[20];
}

bool LooksLikeMethod(const uint8_t* p) {
  return p[2] == '-' && p[3] == 'l' && (p[4] == 'h' || p[4] == 'z') && p[6] == '-';
}

bool CheckHeaderCrc(const uint8_t* p, size_t size, size_t crcOffset, uint16_t expected) {
  std::string copy(reinterpret_cast<const char*>(p), size);
  copy[crcOffset] = copy[crcOffset + 1] = 0;
  return UpdateCrc16(0, reinterpret_cast<const uint8_t*>(copy.data()), size) == expected;
}

ParseStatus ParseLevel01(const uint8_t* p, size_t avail, Header* h, size_t* needed) {
  const size_t base = p[0] + 2u;
  if (avail < base) {
    *needed = base;
    return ParseStatus::kNeedMore;
  }
  unsigned sum = 0;
  for (size_t i = 2; i < base; ++i) sum += p[i];
  if ((sum & 0xFF) != p[1]) return ParseStatus::kBad;
  const size_t nameLen = p[21];
  if (22 + nameLen > base) return ParseStatus::kBad;
  h->attribute = p[19];
  h->hasDosTime = true;
  h->dosTime = U32(p + 15);
  h->name.assign(reinterpret_cast<const char*>(p + 22), nameLen);
  const size_t after = 22 + nameLen;
  if (h->level == 0) {
    if (after + 2 <= base) {
      h->hasCrc = true;
      h->crc = U16(p + after);
    }
    // The Unix extension of level 0: OS id 'U', time, mode, uid, gid.
    if (after + 3 <= base) h->osId = p[after + 2];
    if (h->osId == 'U' && after + 10 <= base) {
      h->hasUnixTime = true;
      h->unixTime = U32(p + after + 4);
      h->hasUnixMode = true;
      h->unixMode = U16(p + after + 8);
    }
    h->headerSize = base;
    return ParseStatus::kOk;
  }
  if (after + 5 > base) return ParseStatus::kBad;
  h->hasCrc = true;
  h->crc = U16(p + after);
  h->osId = p[after + 2];
  size_t end = 0;
  bool hasHeaderCrc = false;
  uint16_t headerCrc = 0;
  size_t crcOffset = 0;
  const uint64_t skip = h->packedSize;
  ParseStatus st = WalkExtensions(p, avail, base, U16(p + base - 2), 2, kMaxHeaderSize, h, &end,
                                  needed, &hasHeaderCrc, &headerCrc, &crcOffset);
  if (st != ParseStatus::kOk) return st;
  // The skip size counts the extended headers too.
  if (h->packedSize == skip) {
    if (skip < end - base) return ParseStatus::kBad;
    h->packedSize = skip - (end - base);
  }
  h->headerSize = end;
  return ParseStatus::kOk;
}

ParseStatus ParseLevel23(const uint8_t* p, size_t avail, Header* h, size_t* needed) {
  const bool l3 = h->level == 3;
  const size_t fixed = l3 ? 32 : 26;
  if (avail < fixed) {
    *needed = fixed;
    return ParseStatus::kNeedMore;
  }
  if (l3 && U16(p) != 4) return ParseStatus::kBad;
  const uint64_t total = l3 ? U32(p + 24) : U16(p);
  if (total < fixed || total > kMaxHeaderSize) return ParseStatus::kBad;
  if (avail < total) {
    *needed = static_cast<size_t>(total);
    return ParseStatus::kNeedMore;
  }
  h->hasUnixTime = true;
  h->unixTime = U32(p + 15);
  h->attribute = 0x20;
  h->hasCrc = true;
  h->crc = U16(p + 21);
  h->osId = p[23];
  size_t end = 0;
  bool hasHeaderCrc = false;
  uint16_t headerCrc = 0;
  size_t crcOffset = 0;
  uint64_t first = l3 ? U32(p + 28) : U16(p + 24);
  ParseStatus st = WalkExtensions(p, avail, fixed, first, l3 ? 4 : 2, static_cast<size_t>(total), h,
                                  &end, needed, &hasHeaderCrc, &headerCrc, &crcOffset);
  if (st != ParseStatus::kOk) return st;
  if (hasHeaderCrc && !CheckHeaderCrc(p, static_cast<size_t>(total), crcOffset, headerCrc))
    return ParseStatus::kBad;
  h->headerSize = static_cast<size_t>(total);
  return ParseStatus::kOk;
}

}  // namespace

ParseStatus ParseHeader(const uint8_t* p, size_t avail, Header* h, size_t* needed) {
  if (avail == 0 || p[0] == 0) return ParseStatus::kEnd;
  if (avail < 22) {
    *needed = 22;
    return ParseStatus::kNeedMore;
  }
  if (!LooksLikeMethod(p)) return ParseStatus::kBad;
  *h = Header();
  ReadCommon(p, h);
  switch (h->level) {
    case 0:
    case 1:
      return ParseLevel01(p, avail, h, needed);
    case 2:
    case 3:
      return ParseLevel23(p, avail, h, needed);
    default:
      return ParseStatus::kBad;
  }
}

std::string Header::Path() const {
  std::string dir = NormalizeSeparators(directory);
  std::string file = NormalizeSeparators(name);
  if (dir.empty()) return file;
  if (file.empty()) return dir;
  return dir + "/" + file;
}

bool Header::UtcModificationTime(int64_t* t) const {
  if (hasWindowsTime && winModify != 0) {
    *t = static_cast<int64_t>(winModify / 10000000ULL) - 11644473600LL;
    return true;
  }
  if (hasUnixTime) {
    *t = unixTime;
    return true;
  }
  return false;
}

std::string WriteLevel2Header(const NewHeader& nh) {
  std::string ext;
  auto add = [&ext](uint8_t type, const std::string& data) {
    Put16(ext, static_cast<uint32_t>(data.size() + 3));  // the size of what follows
    ext += static_cast<char>(type);
    ext += data;
  };
  // Each extension's size sits at the end of the one before; build them as (size, type,
  // data) and the chain reads the same.
  add(0x00, std::string(2, '\0'));  // the header CRC, filled in below
  if (!nh.name.empty()) add(0x01, nh.name);
  if (!nh.directory.empty()) {
    std::string dir = nh.directory;
    for (char& c : dir)
      if (c == '/') c = static_cast<char>(0xFF);
    add(0x02, dir + static_cast<char>(0xFF));
  }
  std::string attr;
  Put16(attr, nh.attribute);
  add(0x40, attr);
  if (nh.hasUnixMode) {
    std::string mode;
    Put16(mode, nh.unixMode);
    add(0x50, mode);
  }
  if (nh.largeSizes) {
    std::string sizes;
    Put64(sizes, nh.packedSize);
    Put64(sizes, nh.originalSize);
    add(0x42, sizes);
  }
  Put16(ext, 0);  // end of the chain

  std::string h;
  Put16(h, 0);  // total size, below
  h += MethodId(nh.method);
  Put32(h, static_cast<uint32_t>(nh.packedSize));
  Put32(h, static_cast<uint32_t>(nh.originalSize));
  Put32(h, static_cast<uint32_t>(nh.unixTime));
  h += static_cast<char>(0x20);
  h += static_cast<char>(2);
  Put16(h, nh.crc);
  h += 'M';
  h += ext;
  // A total size whose low byte is 0 would read as the end mark in old readers: pad one byte.
  if ((h.size() & 0xFF) == 0) h += '\0';
  if (h.size() > 0xFFFF) return "";
  h[0] = static_cast<char>(h.size() & 0xFF);
  h[1] = static_cast<char>(h.size() >> 8);
  const size_t crcAt = 24 + 3;  // first extension: size (2) at 24, type at 26, CRC at 27
  uint16_t crc = UpdateCrc16(0, reinterpret_cast<const uint8_t*>(h.data()), h.size());
  h[crcAt] = static_cast<char>(crc & 0xFF);
  h[crcAt + 1] = static_cast<char>(crc >> 8);
  return h;
}

}  // namespace qvr::lzh
