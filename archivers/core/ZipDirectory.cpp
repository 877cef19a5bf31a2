#include "ZipDirectory.h"

#include "Text.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "ArcErrors.h"
#include "ByteOrder.h"
#include "EntrySource.h"
#include "FdIo.h"

namespace qvr::arc {

namespace {

constexpr uint32_t kEndSig = 0x06054b50;
constexpr uint32_t kEnd64Sig = 0x06064b50;
constexpr uint32_t kLocator64Sig = 0x07064b50;
constexpr uint32_t kCentralSig = 0x02014b50;
constexpr uint32_t kLocalSig = 0x04034b50;
constexpr uint32_t kDescriptorSig = 0x08074b50;
constexpr size_t kEndSize = 22;
constexpr size_t kCentralSize = 46;
constexpr size_t kLocalSize = 30;
constexpr size_t kWindowSize = 1 << 20;  // a record is at most 46 + 3 * 65535 bytes

bool ReadAt(int fd, uint64_t offset, size_t size, uint8_t* out) {
  return PreadFull(fd, out, size, offset) == size;
}

bool ReadAt(int fd, uint64_t offset, size_t size, std::vector<uint8_t>* out) {
  out->resize(size);
  return ReadAt(fd, offset, size, out->data());
}

int32_t Broken(const std::string& what, std::string* why) {
  *why = "the ZIP archive is damaged (" + what + ")";
  return ERROR_HEADER_BROKEN;
}

// The Zip64 end record a locator points to; a self-extractor's stub shifts the recorded
// position, so the record is also looked for right in front of the locator.
int32_t ReadEnd64(int fd, uint64_t locatorPos, ZipEnd* end, uint64_t* endPos, uint64_t* cdOffset,
                  std::string* why) {
  std::vector<uint8_t> loc, r;
  if (!ReadAt(fd, locatorPos, 20, &loc)) return Broken("Zip64 locator", why);
  uint64_t recorded = GetLe64(loc.data() + 8);
  for (uint64_t at : {recorded, locatorPos >= 56 ? locatorPos - 56 : recorded}) {
    if (at > locatorPos || locatorPos - at < 56 || !ReadAt(fd, at, 56, &r) ||
        GetLe32(r.data()) != kEnd64Sig)
      continue;
    if (GetLe32(r.data() + 16) != 0 || GetLe32(r.data() + 20) != 0 ||
        GetLe64(r.data() + 24) != GetLe64(r.data() + 32))
      return Broken("split archive", why);
    end->count = GetLe64(r.data() + 32);
    end->cdSize = GetLe64(r.data() + 40);
    *cdOffset = GetLe64(r.data() + 48);
    *endPos = at;
    return kOk;
  }
  return Broken("Zip64 end record", why);
}

// Reads the end record at `pos` (its bytes at `p`) and checks that a directory starts where it
// places it.
int32_t ReadEndAt(int fd, uint64_t pos, const uint8_t* p, ZipEnd* end, std::string* why) {
  end->count = GetLe16(p + 10);
  end->cdSize = GetLe32(p + 12);
  uint64_t cdOffset = GetLe32(p + 16);
  end->comment.assign(reinterpret_cast<const char*>(p + kEndSize), GetLe16(p + 20));
  bool needs64 = end->count == 0xFFFF || end->cdSize == 0xFFFFFFFF || cdOffset == 0xFFFFFFFF;
  uint64_t endPos = pos;
  std::vector<uint8_t> sig;
  if (pos >= 20 && ReadAt(fd, pos - 20, 4, &sig) && GetLe32(sig.data()) == kLocator64Sig) {
    if (int32_t r = ReadEnd64(fd, pos - 20, end, &endPos, &cdOffset, why); r != kOk) return r;
  } else if (needs64) {
    return Broken("Zip64 locator missing", why);
  } else if (GetLe16(p + 4) != 0 || GetLe16(p + 6) != 0 || GetLe16(p + 8) != end->count) {
    return Broken("split archive", why);
  }
  // The directory ends where the end records begin; bytes in front of the archive (a
  // self-extractor) shift every recorded offset.
  if (end->cdSize > endPos || cdOffset > endPos - end->cdSize)
    return Broken("central directory", why);
  end->cdStart = endPos - end->cdSize;
  end->shift = end->cdStart - cdOffset;
  if (end->count > 0 && (!ReadAt(fd, end->cdStart, 4, &sig) || GetLe32(sig.data()) != kCentralSig))
    return Broken("central directory", why);
  return kOk;
}

// Takes the Zip64 field out of the extra data, filling the values it overrides.
bool SplitExtra(const uint8_t* p, size_t len, ZipEntryRecord* e) {
  size_t pos = 0;
  while (pos + 4 <= len) {
    uint16_t id = GetLe16(p + pos), size = GetLe16(p + pos + 2);
    if (pos + 4 + size > len) return false;
    const uint8_t* d = p + pos + 4;
    if (id == 0x0001) {
      e->zip64 = true;
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
      if (id == 0x5855 && size >= 8) e->unixTime = static_cast<int32_t>(GetLe32(d + 4));
      e->extra.append(reinterpret_cast<const char*>(p + pos), 4 + size);
    }
    pos += 4 + size;
  }
  return true;
}

// Finds where the entry's local header, data and data descriptor end.
int32_t MeasureSpan(int fd, uint64_t limit, ZipEntryRecord* e, std::string* why) {
  std::vector<uint8_t> h;
  if (e->localOffset + kLocalSize > limit || !ReadAt(fd, e->localOffset, kLocalSize, &h) ||
      GetLe32(h.data()) != kLocalSig)
    return Broken("local header of " + e->name, why);
  uint64_t dataStart =
      e->localOffset + kLocalSize + GetLe16(h.data() + 26) + GetLe16(h.data() + 28);
  uint64_t end = dataStart + e->compressedSize;
  if (end < dataStart || end > limit) return Broken("data of " + e->name, why);
  if (e->flags & 8) {
    std::vector<uint8_t> sig;
    bool hasSig =
        end + 4 <= limit && ReadAt(fd, end, 4, &sig) && GetLe32(sig.data()) == kDescriptorSig;
    end += (hasSig ? 4 : 0) + (e->zip64 ? 20 : 12);
    if (end > limit) return Broken("data descriptor of " + e->name, why);
  }
  e->spanEnd = end;
  return kOk;
}

}  // namespace

int32_t FindZipEnd(int fd, uint64_t fileSize, ZipEnd* end, std::string* why) {
  uint64_t tail = std::min<uint64_t>(fileSize, kEndSize + 65535);
  std::vector<uint8_t> buf;
  *why = "not a ZIP archive";
  if (fileSize < kEndSize || !ReadAt(fd, fileSize - tail, tail, &buf)) return ERROR_NOT_ARC_FILE;
  // When no record holds, the last one found tells why.
  int32_t first = ERROR_NOT_ARC_FILE;
  std::string firstWhy = *why;
  for (size_t i = buf.size() - kEndSize + 1; i-- > 0;) {
    const uint8_t* p = buf.data() + i;
    if (GetLe32(p) != kEndSig || i + kEndSize + GetLe16(p + 20) > buf.size()) continue;
    ZipEnd candidate;
    int32_t r = ReadEndAt(fd, fileSize - tail + i, p, &candidate, why);
    if (r == kOk) {
      *end = std::move(candidate);
      return kOk;
    }
    if (first == ERROR_NOT_ARC_FILE) {
      first = r;
      firstWhy = *why;
    }
  }
  *why = firstWhy;
  return first;
}

bool ZipDirectoryWalk::Window(uint64_t at, size_t size) {
  if (at > end_.cdSize || size > end_.cdSize - at) return false;
  if (at >= windowAt_ && at + size <= windowAt_ + window_.size()) return true;
  size_t want =
      static_cast<size_t>(std::min<uint64_t>(end_.cdSize - at, std::max(size, kWindowSize)));
  windowAt_ = at;
  if (ReadAt(fd_, end_.cdStart + at, want, &window_)) return true;
  window_.clear();
  return false;
}

int32_t ZipDirectoryWalk::Broken(const std::string& what) {
  return arc::Broken(what, &why_);
}

int32_t ZipDirectoryWalk::Next(ZipEntryRecord* e) {
  if (read_ == end_.count) {
    // More records than announced: the entry count was cut (or forged).
    if (Window(pos_, 4) && GetLe32(window_.data() + (pos_ - windowAt_)) == kCentralSig)
      return Broken("more entries than the end record counts");
    return kEnd;
  }
  if (!Window(pos_, kCentralSize) || GetLe32(window_.data() + (pos_ - windowAt_)) != kCentralSig)
    return Broken("central directory");
  size_t len = kCentralSize + GetLe16(window_.data() + (pos_ - windowAt_) + 28) +
               GetLe16(window_.data() + (pos_ - windowAt_) + 30) +
               GetLe16(window_.data() + (pos_ - windowAt_) + 32);
  if (!Window(pos_, len)) return Broken("central directory");
  const uint8_t* p = window_.data() + (pos_ - windowAt_);
  *e = ZipEntryRecord{};
  e->madeBy = GetLe16(p + 4);
  e->needed = GetLe16(p + 6);
  e->flags = GetLe16(p + 8);
  e->method = GetLe16(p + 10);
  e->dosTime = GetLe16(p + 12);
  e->dosDate = GetLe16(p + 14);
  e->crc = GetLe32(p + 16);
  e->compressedSize = GetLe32(p + 20);
  e->size = GetLe32(p + 24);
  uint16_t nameLen = GetLe16(p + 28), extraLen = GetLe16(p + 30), commentLen = GetLe16(p + 32);
  e->internalAttr = GetLe16(p + 36);
  e->externalAttr = GetLe32(p + 38);
  e->localOffset = GetLe32(p + 42);
  e->name.assign(reinterpret_cast<const char*>(p + kCentralSize), nameLen);
  if (!SplitExtra(p + kCentralSize + nameLen, extraLen, e))
    return Broken("extra field of " + e->name);
  e->comment.assign(reinterpret_cast<const char*>(p + kCentralSize + nameLen + extraLen),
                    commentLen);
  // Every entry lies in front of the directory.
  if (e->localOffset > end_.cdStart - end_.shift ||
      e->localOffset + end_.shift + kLocalSize > end_.cdStart)
    return Broken("local header of " + e->name);
  e->localOffset += end_.shift;
  pos_ += len;
  ++read_;
  return kOk;
}

int32_t ReadZipDirectory(int fd, uint64_t fileSize, ZipDirectory* out, std::string* why) {
  ZipEnd end;
  if (int32_t r = FindZipEnd(fd, fileSize, &end, why); r != kOk) return r;
  out->comment = end.comment;
  out->prefixEnd = end.cdStart;
  ZipDirectoryWalk walk(fd, end);
  for (;;) {
    ZipEntryRecord e;
    int32_t r = walk.Next(&e);
    if (r == kEnd) return kOk;
    if (r != kOk) {
      *why = walk.why();
      return r;
    }
    if (r = MeasureSpan(fd, end.cdStart, &e, why); r != kOk) return r;
    out->prefixEnd = std::min(out->prefixEnd, e.localOffset);
    out->entries.push_back(std::move(e));
  }
}

bool LocalHeaderAt(int fd, const ZipEntryRecord& e) {
  uint8_t sig[4];
  return ReadAt(fd, e.localOffset, sizeof sig, sig) && GetLe32(sig) == kLocalSig;
}

bool LocalNameAt(int fd, const ZipEntryRecord& e, std::string* name, std::string* extra) {
  uint8_t head[kLocalSize];
  if (!ReadAt(fd, e.localOffset, sizeof head, head) || GetLe32(head) != kLocalSig) return false;
  size_t nameSize = GetLe16(head + 26), extraSize = GetLe16(head + 28);
  std::vector<uint8_t> rest;
  if (!ReadAt(fd, e.localOffset + kLocalSize, nameSize + extraSize, &rest)) return false;
  name->assign(rest.begin(), rest.begin() + static_cast<ptrdiff_t>(nameSize));
  extra->assign(rest.begin() + static_cast<ptrdiff_t>(nameSize), rest.end());
  return true;
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

NameFlag ZipNameFlag(uint16_t flags, bool unflaggedAreUtf8) {
  if (flags & 0x0800) return NameFlag::Utf8;
  return unflaggedAreUtf8 ? NameFlag::Unknown : NameFlag::NotUtf8;
}

void NoteUnflaggedName(uint16_t flags, const std::string& name, bool* unflaggedAreUtf8) {
  if (!(flags & 0x0800) && !IsValidUtf8(name)) *unflaggedAreUtf8 = false;
}

}  // namespace qvr::arc
