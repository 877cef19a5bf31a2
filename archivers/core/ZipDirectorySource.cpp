// Listing a ZIP archive from its central directory: one read of the directory instead of a
// walk through every local header, with the entries libarchive's reader gives (names, kinds,
// sizes, times, methods). A directory that does not hold together is left to libarchive,
// which decides about it as it does for extraction.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <vector>

#include "ArcErrors.h"
#include "ByteOrder.h"
#include "EntrySource.h"
#include "FdIo.h"
#include "NameDecoder.h"
#include "Text.h"
#include "ZipDirectory.h"

namespace qvr::arc {
namespace {

constexpr uint16_t kAesMethod = 99;
constexpr uint16_t kHostMsDos = 0;
constexpr uint16_t kHostUnix = 3;

const char* MethodName(uint16_t method) {
  switch (method) {
    case 0:
      return "Stored";
    case 1:
      return "Shrunk";
    case 6:
      return "Implode";
    case 8:
      return "Deflate";
    case 9:
      return "Defl64";
    case 12:
      return "BZip2";
    case 14:
      return "LZMA";
    case 93:
      return "Zstd";
    case 95:
      return "XZ";
    case 98:
      return "PPMd";
    default:
      return "ZIP";
  }
}

// The extra field `id` of the record's central extra data; false when there is none.
bool ExtraField(const ZipEntryRecord& e, uint16_t id, std::string* data) {
  const auto* p = reinterpret_cast<const uint8_t*>(e.extra.data());
  for (size_t pos = 0; pos + 4 <= e.extra.size();) {
    size_t size = GetLe16(p + pos + 2);
    if (pos + 4 + size > e.extra.size()) return false;
    if (GetLe16(p + pos) == id) {
      data->assign(e.extra, pos + 4, size);
      return true;
    }
    pos += 4 + size;
  }
  return false;
}

// WinZip AES records the method of the data beneath the encryption in its own field.
uint16_t MethodOf(const ZipEntryRecord& e) {
  std::string aes;
  if (e.method == kAesMethod && ExtraField(e, 0x9901, &aes) && aes.size() >= 7)
    return GetLe16(reinterpret_cast<const uint8_t*>(aes.data()) + 5);
  return e.method;
}

// The Info-ZIP Unicode path field: the name in UTF-8, taken only while it still belongs to
// the stored name (the CRC of that name).
bool UnicodePath(const ZipEntryRecord& e, std::string* name) {
  std::string f;
  if (!ExtraField(e, 0x7075, &f) || f.size() < 5 || f[0] != 1) return false;
  uLong crc =
      crc32(0, reinterpret_cast<const Bytef*>(e.name.data()), static_cast<uInt>(e.name.size()));
  if (GetLe32(reinterpret_cast<const uint8_t*>(f.data()) + 1) != crc) return false;
  *name = f.substr(5);
  return IsValidUtf8(*name);
}

// A stamp that names a real day and time; any other one is normalised through mktime, as
// libarchive does.
bool RealDosStamp(uint16_t time, uint16_t date) {
  static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int year = 1980 + (date >> 9), month = (date >> 5) & 15, day = date & 31;
  bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
  if (month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
  if (month == 2 && day == 29 && !leap) return false;
  return (time >> 11) < 24 && ((time >> 5) & 63) < 60 && (time & 31) < 30;
}

// The type and permissions the record's host system stores; 0 when it stores none.
uint32_t ModeOf(const ZipEntryRecord& e) {
  uint16_t host = e.madeBy >> 8;
  if (host == kHostUnix) return e.externalAttr >> 16;
  if (host != kHostMsDos) return 0;
  uint32_t mode = (e.externalAttr & 0x10) ? (S_IFDIR | 0775) : (S_IFREG | 0664);
  if (e.externalAttr & 0x01) mode &= ~0222u;  // read-only
  return mode;
}

// A record's path as the listing shows it, before folders get their "/"; flags are those of
// the central record (a local one has the same name).
std::string PathOf(const ZipEntryRecord& e, uint16_t flags, bool unflaggedAreUtf8) {
  std::string unicode;
  if (UnicodePath(e, &unicode)) return DecodeEntryName(unicode, NameFlag::Utf8);
  return DecodeEntryName(e.name, ZipNameFlag(flags, unflaggedAreUtf8));
}

void Fill(const ZipEntryRecord& e, bool unflaggedAreUtf8, Entry& entry) {
  entry = Entry{};
  entry.path = PathOf(e, e.flags, unflaggedAreUtf8);
  bool slash = !entry.path.empty() && entry.path.back() == '/';
  uint32_t mode = ModeOf(e);
  if (mode == 0) mode = slash ? (S_IFDIR | 0755) : (S_IFREG | 0644);
  if ((mode & S_IFMT) == 0 || (slash && S_ISREG(mode)))
    mode = (mode & ~S_IFMT) | (slash ? S_IFDIR : S_IFREG);
  switch (mode & S_IFMT) {
    case S_IFREG:
      entry.kind = Entry::Kind::File;
      break;
    case S_IFDIR:
      entry.kind = Entry::Kind::Folder;
      if (!slash) entry.path += '/';
      break;
    case S_IFLNK:
      entry.kind = Entry::Kind::Symlink;  // its target is its data, read when extracting
      break;
    default:
      entry.kind = Entry::Kind::Other;
  }
  entry.perm = mode & 07777;
  entry.size = entry.kind == Entry::Kind::Symlink ? 0 : static_cast<int64_t>(e.size);
  if (entry.kind == Entry::Kind::File)
    entry.compressedSize = static_cast<int64_t>(e.compressedSize);
  if (e.unixTime) {
    entry.mtime = static_cast<time_t>(*e.unixTime);
    entry.mtimeSet = true;
  } else if (RealDosStamp(e.dosTime, e.dosDate)) {
    entry.dosStamp = (static_cast<uint32_t>(e.dosDate) << 16) | e.dosTime;
  } else {
    entry.mtime = static_cast<time_t>(FromDosTime(e.dosTime, e.dosDate));
    entry.mtimeSet = true;
  }
  entry.encrypted = e.flags & 1;
  entry.method = entry.kind == Entry::Kind::Folder ? "Stored" : MethodName(MethodOf(e));
  entry.headerOffset = static_cast<int64_t>(e.localOffset);
}

class ZipDirectorySource final : public EntrySource {
 public:
  ZipDirectorySource(UniqueFd fd, const ZipEnd& end, bool unflaggedAreUtf8)
      : fd_(std::move(fd)), walk_(fd_.get(), end), unflaggedAreUtf8_(unflaggedAreUtf8) {}

  int32_t Next(Entry& entry) override {
    ZipEntryRecord e;
    int32_t r = walk_.Next(&e);
    if (r != kOk) {
      words_ = walk_.why();
      return r;
    }
    Fill(e, unflaggedAreUtf8_, entry);
    return kOk;
  }
  int32_t Read(const void**, size_t*) override {
    words_ = "the directory listing holds no data";
    return ERROR_NOT_SUPPORT;
  }
  std::string ErrorWords() const override { return words_; }
  bool FormatKnown() const override { return true; }

 private:
  UniqueFd fd_;
  ZipDirectoryWalk walk_;
  bool unflaggedAreUtf8_;
  std::string words_;
};

// Every record holds together and the first entry's local header is where the directory
// places it (what reading the first entry checks); notes whether the unflagged names are all
// UTF-8.
bool Sound(int fd, const ZipEnd& end, bool* unflaggedAreUtf8) {
  ZipDirectoryWalk walk(fd, end);
  ZipEntryRecord e;
  *unflaggedAreUtf8 = true;
  for (bool first = true;; first = false) {
    int32_t r = walk.Next(&e);
    if (r == kEnd) return true;
    if (r != kOk || (first && !LocalHeaderAt(fd, e))) return false;
    NoteUnflaggedName(e.flags, e.name, unflaggedAreUtf8);
  }
}

// A 7Z archive may hold anything, a ZIP end record too.
bool Starts7z(int fd) {
  static const uint8_t kSignature[] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
  uint8_t head[sizeof kSignature];
  return pread(fd, head, sizeof head, 0) == static_cast<ssize_t>(sizeof head) &&
         std::memcmp(head, kSignature, sizeof head) == 0;
}

std::unique_ptr<EntrySource> OpenDirectory(const SourceOptions& options) {
  UniqueFd file(open(options.path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) return nullptr;
  int fd = file.get();
  struct stat st {};
  ZipEnd end;
  std::string why;
  bool unflaggedAreUtf8 = true;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
      !((options.formats & kFormat7z) && Starts7z(fd)) &&
      FindZipEnd(fd, static_cast<uint64_t>(st.st_size), &end, &why) == kOk &&
      Sound(fd, end, &unflaggedAreUtf8))
    return std::make_unique<ZipDirectorySource>(std::move(file), end, unflaggedAreUtf8);
  return nullptr;
}

std::string WithoutSlash(std::string path) {
  while (!path.empty() && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

ZipNameFixes ZipNamesToFix(int fd) {
  struct stat st {};
  ZipEnd end;
  std::string why;
  if (fstat(fd, &st) != 0 || FindZipEnd(fd, static_cast<uint64_t>(st.st_size), &end, &why) != kOk)
    return {};
  struct Named {
    uint64_t offset;
    std::string local, central;
  };
  // Both names of each record first: how the unflagged ones read depends on all of them.
  std::vector<std::pair<ZipEntryRecord, ZipEntryRecord>> pairs;  // central, local
  bool unflaggedAreUtf8 = true;
  ZipDirectoryWalk walk(fd, end);
  ZipEntryRecord e;
  for (int32_t r; (r = walk.Next(&e)) != kEnd;) {
    if (r != kOk) return {};
    ZipEntryRecord local;
    if (!LocalNameAt(fd, e, &local.name, &local.extra)) return {};
    NoteUnflaggedName(e.flags, e.name, &unflaggedAreUtf8);
    NoteUnflaggedName(e.flags, local.name, &unflaggedAreUtf8);
    pairs.emplace_back(e, std::move(local));
  }
  std::vector<Named> records;
  std::set<std::string> disagreeing;
  for (const auto& [central, local] : pairs) {
    Named n{central.localOffset, WithoutSlash(PathOf(local, central.flags, unflaggedAreUtf8)),
            WithoutSlash(PathOf(central, central.flags, unflaggedAreUtf8))};
    if (n.local != n.central) disagreeing.insert(n.local);
    records.push_back(std::move(n));
  }
  ZipNameFixes fixes;
  if (disagreeing.empty()) return fixes;
  std::stable_sort(records.begin(), records.end(),
                   [](const Named& a, const Named& b) { return a.offset < b.offset; });
  for (Named& n : records)
    if (disagreeing.count(n.local)) fixes[n.local].push_back(std::move(n.central));
  return fixes;
}

std::unique_ptr<EntrySource> OpenZipDirectorySource(const SourceOptions& options, int32_t& error) {
  if (options.formats & kFormatZip) {
    if (auto source = OpenDirectory(options)) {
      error = kOk;
      return source;
    }
  }
  return OpenLibarchiveSource(options, error);
}

}  // namespace qvr::arc
