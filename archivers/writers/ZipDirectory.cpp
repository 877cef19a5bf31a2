#include "ZipDirectory.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>

#include "OutFile.h"

namespace qvr::writers {

namespace {

constexpr uint32_t kEndSig = 0x06054b50;
constexpr uint32_t kEnd64Sig = 0x06064b50;
constexpr uint32_t kLocator64Sig = 0x07064b50;
constexpr uint32_t kCentralSig = 0x02014b50;
constexpr uint32_t kLocalSig = 0x04034b50;
constexpr uint32_t kDescriptorSig = 0x08074b50;

bool ReadAt(int fd, uint64_t offset, size_t size, std::vector<uint8_t>* out) {
  out->resize(size);
  size_t done = 0;
  while (done < size) {
    ssize_t n = pread(fd, out->data() + done, size - done, static_cast<off_t>(offset + done));
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

WriteResult Broken(const std::string& why) {
  return Fail(kErrorHeaderBroken, "the ZIP archive is damaged (" + why + ")");
}

struct EndRecord {
  uint64_t count = 0;
  uint64_t cdSize = 0;
  uint64_t cdOffset = 0;
  uint64_t endPos = 0;  // where the first end record (Zip64 or not) starts
  std::string comment;
};

WriteResult FindEnd(int fd, uint64_t fileSize, EndRecord* end) {
  uint64_t tail = std::min<uint64_t>(fileSize, 22 + 65535);
  std::vector<uint8_t> buf;
  if (fileSize < 22 || !ReadAt(fd, fileSize - tail, tail, &buf))
    return Fail(kErrorNotArcFile, "not a ZIP archive");
  for (size_t i = buf.size() - 22 + 1; i-- > 0;) {
    const uint8_t* p = buf.data() + i;
    if (GetLe32(p) != kEndSig) continue;
    uint16_t commentLen = GetLe16(p + 20);
    if (i + 22 + commentLen > buf.size()) continue;
    end->endPos = fileSize - tail + i;
    end->count = GetLe16(p + 10);
    end->cdSize = GetLe32(p + 12);
    end->cdOffset = GetLe32(p + 16);
    end->comment.assign(reinterpret_cast<const char*>(p + 22), commentLen);
    bool needs64 = end->count == 0xFFFF || end->cdSize == 0xFFFFFFFF || end->cdOffset == 0xFFFFFFFF;
    std::vector<uint8_t> loc;
    if (end->endPos >= 20 && ReadAt(fd, end->endPos - 20, 20, &loc) &&
        GetLe32(loc.data()) == kLocator64Sig) {
      uint64_t rec64 = GetLe64(loc.data() + 8);
      std::vector<uint8_t> r;
      if (!ReadAt(fd, rec64, 56, &r) || GetLe32(r.data()) != kEnd64Sig)
        return Broken("Zip64 end record");
      end->count = GetLe64(r.data() + 32);
      end->cdSize = GetLe64(r.data() + 40);
      end->cdOffset = GetLe64(r.data() + 48);
      end->endPos = rec64;
    } else if (needs64) {
      return Broken("Zip64 locator missing");
    }
    return {};
  }
  return Fail(kErrorNotArcFile, "not a ZIP archive");
}

// Takes the Zip64 field out of the extra data, filling the values it overrides.
bool SplitExtra(const uint8_t* p, size_t len, ZipEntryRecord* e, bool* sawZip64) {
  size_t pos = 0;
  while (pos + 4 <= len) {
    uint16_t id = GetLe16(p + pos), size = GetLe16(p + pos + 2);
    if (pos + 4 + size > len) return false;
    const uint8_t* d = p + pos + 4;
    if (id == 0x0001) {
      *sawZip64 = true;
      size_t at = 0;
      auto take = [&](uint64_t* field) {
        if (*field != 0xFFFFFFFF) return true;
        if (at + 8 > size) return false;
        *field = GetLe64(d + at);
        at += 8;
        return true;
      };
      if (!take(&e->size) || !take(&e->compressedSize) || !take(&e->localOffset)) return false;
    } else {
      if (id == 0x5455 && size >= 5 && (d[0] & 1))
        e->unixTime = static_cast<int32_t>(GetLe32(d + 1));
      e->extra.append(reinterpret_cast<const char*>(p + pos), 4 + size);
    }
    pos += 4 + size;
  }
  return true;
}

// Finds where the entry's local header, data and data descriptor end.
WriteResult MeasureSpan(int fd, uint64_t limit, bool zip64, ZipEntryRecord* e) {
  std::vector<uint8_t> h;
  if (e->localOffset + 30 > limit || !ReadAt(fd, e->localOffset, 30, &h) ||
      GetLe32(h.data()) != kLocalSig)
    return Broken("local header of " + e->name);
  uint64_t dataStart = e->localOffset + 30 + GetLe16(h.data() + 26) + GetLe16(h.data() + 28);
  uint64_t end = dataStart + e->compressedSize;
  if (end < dataStart || end > limit) return Broken("data of " + e->name);
  if (e->flags & 8) {
    std::vector<uint8_t> sig;
    bool hasSig =
        end + 4 <= limit && ReadAt(fd, end, 4, &sig) && GetLe32(sig.data()) == kDescriptorSig;
    end += (hasSig ? 4 : 0) + (zip64 ? 20 : 12);
    if (end > limit) return Broken("data descriptor of " + e->name);
  }
  e->spanEnd = end;
  return {};
}

}  // namespace

WriteResult ReadZipDirectory(int fd, uint64_t fileSize, ZipDirectory* out) {
  EndRecord end;
  if (WriteResult r = FindEnd(fd, fileSize, &end); !r.ok()) return r;
  // Bytes in front of the archive (a self-extractor) shift every recorded offset.
  if (end.cdSize > end.endPos || end.cdOffset > end.endPos - end.cdSize)
    return Broken("central directory");
  uint64_t cdStart = end.endPos - end.cdSize;
  uint64_t shift = cdStart - end.cdOffset;
  std::vector<uint8_t> cd;
  if (!ReadAt(fd, cdStart, end.cdSize, &cd)) return Broken("central directory");
  out->comment = end.comment;
  out->prefixEnd = cdStart;
  size_t pos = 0;
  for (uint64_t i = 0; i < end.count; ++i) {
    if (pos + 46 > cd.size() || GetLe32(cd.data() + pos) != kCentralSig)
      return Broken("central directory");
    const uint8_t* p = cd.data() + pos;
    ZipEntryRecord e;
    e.madeBy = GetLe16(p + 4);
    e.needed = GetLe16(p + 6);
    e.flags = GetLe16(p + 8);
    e.method = GetLe16(p + 10);
    e.dosTime = GetLe16(p + 12);
    e.dosDate = GetLe16(p + 14);
    e.crc = GetLe32(p + 16);
    e.compressedSize = GetLe32(p + 20);
    e.size = GetLe32(p + 24);
    uint16_t nameLen = GetLe16(p + 28), extraLen = GetLe16(p + 30), commentLen = GetLe16(p + 32);
    e.internalAttr = GetLe16(p + 36);
    e.externalAttr = GetLe32(p + 38);
    e.localOffset = GetLe32(p + 42);
    if (pos + 46 + nameLen + extraLen + commentLen > cd.size()) return Broken("central directory");
    e.name.assign(reinterpret_cast<const char*>(p + 46), nameLen);
    bool zip64 = false;
    if (!SplitExtra(p + 46 + nameLen, extraLen, &e, &zip64))
      return Broken("extra field of " + e.name);
    e.comment.assign(reinterpret_cast<const char*>(p + 46 + nameLen + extraLen), commentLen);
    e.localOffset += shift;
    if (WriteResult r = MeasureSpan(fd, cdStart, zip64, &e); !r.ok()) return r;
    out->prefixEnd = std::min(out->prefixEnd, e.localOffset);
    out->entries.push_back(std::move(e));
    pos += 46 + nameLen + extraLen + commentLen;
  }
  return {};
}

void ToDosTime(int64_t unixTime, uint16_t* dosTime, uint16_t* dosDate) {
  time_t t = static_cast<time_t>(unixTime);
  struct tm tm {};
  localtime_r(&t, &tm);
  if (tm.tm_year < 80) {
    *dosTime = 0;
    *dosDate = (1 << 5) | 1;
    return;
  }
  *dosTime = static_cast<uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
  *dosDate = static_cast<uint16_t>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
}

int64_t FromDosTime(uint16_t dosTime, uint16_t dosDate) {
  struct tm tm {};
  tm.tm_year = (dosDate >> 9) + 80;
  tm.tm_mon = ((dosDate >> 5) & 15) - 1;
  tm.tm_mday = dosDate & 31;
  tm.tm_hour = dosTime >> 11;
  tm.tm_min = (dosTime >> 5) & 63;
  tm.tm_sec = (dosTime & 31) * 2;
  tm.tm_isdst = -1;
  return static_cast<int64_t>(mktime(&tm));
}

}  // namespace qvr::writers
