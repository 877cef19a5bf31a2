// Listing ZIP archives from the central directory: the same entries as libarchive's reader on
// every ZIP fixture, and a table of small crafted archives (Zip64, damaged directories, fake
// end records, names with and without the UTF-8 flag) through the real unzip32 and 7-zip32.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>

#include "ArcErrors.h"
#include "Archiver.h"
#include "ArchiverLoader.h"
#include "ByteOrder.h"
#include "FixtureManifest.h"
#include "NameDecoder.h"
#include "TempDir.h"
#include "Text.h"
#include "ZipDirectory.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;
using arc::PutLe16;
using arc::PutLe32;
using arc::PutLe64;

constexpr uint16_t kDosTime = (13 << 11) | (5 << 5) | 5;            // 13:05:10
constexpr uint16_t kDosDate = ((2004 - 1980) << 9) | (3 << 5) | 7;  // 2004-03-07

// ---- Crafting archives ----

struct CraftEntry {
  CraftEntry(std::string n, std::string d, uint16_t f = 0)
      : name(std::move(n)), data(std::move(d)), flags(f) {}
  std::string name;
  std::string data;
  uint16_t flags = 0;
  uint16_t method = 0;
  uint16_t madeBy = 0x031E;  // Unix
  uint32_t externalAttr = 0100644u << 16;
  std::string extra;  // central and local
  uint16_t dosTime = kDosTime;
  uint16_t dosDate = kDosDate;
  uint64_t hole = 0;        // stored data of this many zero bytes, left as a hole in the file
  uint64_t declared = 0;    // sizes recorded (Zip64) for data that is not there
  bool descriptor = false;  // sizes only in a data descriptor (and the directory)
  std::string packed;       // data as stored, when not `data` itself
};

struct CraftOptions {
  std::string prefix;  // a self-extractor's stub, offsets not adjusted
  int countDelta = 0;
  int64_t cdOffsetDelta = 0;
  uint64_t localOffsetDelta = 0;  // added to the last entry's recorded offset
  std::string comment;
  bool zip64 = false;
};

// Pieces of the file at their offsets: the holes between them read as zeros.
struct Crafted {
  std::vector<std::pair<uint64_t, std::string>> pieces;
  uint64_t size = 0;
};

std::string Zip64Field(uint64_t size, uint64_t packed) {
  std::string f;
  PutLe16(f, 0x0001);
  PutLe16(f, 16);
  PutLe64(f, size);
  PutLe64(f, packed);
  return f;
}

Crafted Craft(const std::vector<CraftEntry>& entries, const CraftOptions& o = {}) {
  Crafted out;
  std::string bytes = o.prefix, central;
  auto flush = [&] {
    out.pieces.emplace_back(out.size, bytes);
    out.size += bytes.size();
    bytes.clear();
  };
  for (size_t i = 0; i < entries.size(); ++i) {
    const CraftEntry& e = entries[i];
    std::string packed = e.packed.empty() ? e.data : e.packed;
    uint64_t size = e.declared ? e.declared : e.hole ? e.hole : e.data.size();
    uint64_t packedSize = e.declared ? e.declared : e.hole ? e.hole : packed.size();
    bool big = size >= 0xFFFFFFFF;
    uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size())));
    uint64_t offset = out.size + bytes.size() - o.prefix.size();
    if (i + 1 == entries.size()) offset += o.localOffsetDelta;
    std::string extra = e.extra + (big ? Zip64Field(size, packedSize) : "");
    auto common = [&](std::string& r, bool local) {
      PutLe16(r, 20);
      PutLe16(r, e.flags | (e.descriptor ? 8 : 0));
      PutLe16(r, e.method);
      PutLe16(r, e.dosTime);
      PutLe16(r, e.dosDate);
      bool hidden = local && e.descriptor;
      PutLe32(r, hidden ? 0 : crc);
      PutLe32(r, hidden ? 0 : big ? 0xFFFFFFFF : static_cast<uint32_t>(packedSize));
      PutLe32(r, hidden ? 0 : big ? 0xFFFFFFFF : static_cast<uint32_t>(size));
      PutLe16(r, static_cast<uint16_t>(e.name.size()));
      PutLe16(r, static_cast<uint16_t>(extra.size()));
    };
    PutLe32(bytes, 0x04034b50);
    common(bytes, true);
    bytes += e.name + extra;
    if (e.hole) {
      flush();
      out.size += e.hole;
    } else {
      bytes += packed;
    }
    if (e.descriptor) {
      PutLe32(bytes, 0x08074b50);
      PutLe32(bytes, crc);
      PutLe32(bytes, static_cast<uint32_t>(packedSize));
      PutLe32(bytes, static_cast<uint32_t>(size));
    }
    PutLe32(central, 0x02014b50);
    PutLe16(central, e.madeBy);
    common(central, false);
    PutLe16(central, 0);  // comment
    PutLe16(central, 0);  // disk
    PutLe16(central, 0);  // internal attributes
    PutLe32(central, e.externalAttr);
    PutLe32(central, static_cast<uint32_t>(offset));
    central += e.name + extra;
  }
  uint64_t cdOffset = out.size + bytes.size() - o.prefix.size() + o.cdOffsetDelta;
  uint64_t count = entries.size() + o.countDelta;
  bytes += central;
  if (o.zip64) {
    uint64_t end64 = out.size + bytes.size() - o.prefix.size();
    PutLe32(bytes, 0x06064b50);
    PutLe64(bytes, 44);
    PutLe16(bytes, 45);
    PutLe16(bytes, 45);
    PutLe32(bytes, 0);
    PutLe32(bytes, 0);
    PutLe64(bytes, count);
    PutLe64(bytes, count);
    PutLe64(bytes, central.size());
    PutLe64(bytes, cdOffset);
    PutLe32(bytes, 0x07064b50);
    PutLe32(bytes, 0);
    PutLe64(bytes, end64);
    PutLe32(bytes, 1);
  }
  PutLe32(bytes, 0x06054b50);
  PutLe16(bytes, 0);
  PutLe16(bytes, 0);
  PutLe16(bytes, o.zip64 ? 0xFFFF : static_cast<uint16_t>(count));
  PutLe16(bytes, o.zip64 ? 0xFFFF : static_cast<uint16_t>(count));
  PutLe32(bytes, static_cast<uint32_t>(central.size()));
  PutLe32(bytes, o.zip64 ? 0xFFFFFFFF : static_cast<uint32_t>(cdOffset));
  PutLe16(bytes, static_cast<uint16_t>(o.comment.size()));
  bytes += o.comment;
  flush();
  return out;
}

void WriteCrafted(const std::string& path, const Crafted& c) {
  int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  for (const auto& [at, bytes] : c.pieces)
    ASSERT_EQ(pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(at)),
              static_cast<ssize_t>(bytes.size()));
  ASSERT_EQ(ftruncate(fd, static_cast<off_t>(c.size)), 0);
  close(fd);
}

std::string Bytes(const Crafted& c) {
  std::string all(c.size, '\0');
  for (const auto& [at, bytes] : c.pieces) all.replace(at, bytes.size(), bytes);
  return all;
}

std::string EndRecord(uint16_t count, uint32_t cdSize, uint32_t cdOffset) {
  std::string r;
  PutLe32(r, 0x06054b50);
  PutLe32(r, 0);
  PutLe16(r, count);
  PutLe16(r, count);
  PutLe32(r, cdSize);
  PutLe32(r, cdOffset);
  PutLe16(r, 0);
  return r;
}

std::string Field(uint16_t id, const std::string& data) {
  std::string f;
  PutLe16(f, id);
  PutLe16(f, static_cast<uint16_t>(data.size()));
  return f + data;
}

std::string UnicodePathField(const std::string& storedName, const std::string& utf8) {
  std::string d(1, '\1');
  PutLe32(d, static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(storedName.data()),
                                         static_cast<uInt>(storedName.size()))));
  return Field(0x7075, d + utf8);
}

std::string Cp932(const char* utf8) {
  // "予定" and "表" in CP932; "表" ends in 0x5C, a backslash byte.
  static const std::map<std::string, std::string> known = {{"予定", "\x97\x5C\x92\xE8"},
                                                           {"表", "\x95\x5C"}};
  return known.at(utf8);
}

CraftEntry WithExtra(CraftEntry e, const std::string& extra) {
  e.extra = extra;
  return e;
}

const std::vector<CraftEntry> kTwo = {{"a.txt", "hello"}, {"b.txt", "world"}};

// ---- Reading ----

struct Listing {
  int32_t check = 0;
  int32_t count = 0;
  std::vector<EntryInfo> entries;
  std::vector<int64_t> sizes;
  std::vector<std::string> names() const {
    std::vector<std::string> n;
    for (const auto& e : entries) n.emplace_back(e.FileName);
    return n;
  }
};

Listing ListWith(ArchiverLib& lib, const std::string& path) {
  Listing l;
  l.check = lib.checkArchive(path.c_str(), 0);
  l.count = lib.getFileCount(path.c_str());
  void* h = lib.openArchive(nullptr, path.c_str(), 0x400000);
  if (!h) return l;
  EntryInfo info;
  for (int r = lib.findFirst(h, "*", &info); r == 0; r = lib.findNext(h, &info)) {
    l.entries.push_back(info);
    int64_t size = -1;
    lib.originalSizeEx(h, &size);
    l.sizes.push_back(size);
  }
  lib.closeArchive(h);
  return l;
}

// kOk when the central directory reads whole, else the code of the first fault.
int32_t WalkDirectory(const std::string& path, uint64_t* records = nullptr) {
  int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return -1;
  arc::ZipEnd end;
  std::string why;
  int32_t r = arc::FindZipEnd(fd, fs::file_size(path), &end, &why);
  uint64_t n = 0;
  if (r == arc::kOk) {
    arc::ZipDirectoryWalk walk(fd, end);
    arc::ZipEntryRecord e;
    while ((r = walk.Next(&e)) == arc::kOk) ++n;
    if (r == arc::kEnd) r = arc::kOk;
  }
  close(fd);
  if (records) *records = n;
  return r;
}

// Runs the test in a time zone away from UTC, so that a time read as UTC and one read as
// local time differ.
class InTokyo {
 public:
  InTokyo() {
    const char* tz = std::getenv("TZ");
    had_ = tz != nullptr;
    if (had_) old_ = tz;
    setenv("TZ", "Asia/Tokyo", 1);
    tzset();
  }
  ~InTokyo() {
    if (had_)
      setenv("TZ", old_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  bool had_ = false;
  std::string old_;
};

// ---- The fixtures ----

std::vector<arc::Entry> EntriesOf(std::unique_ptr<arc::EntrySource> source) {
  std::vector<arc::Entry> v;
  if (!source) return v;
  arc::Entry e;
  while (source->Next(e) == arc::kOk) v.push_back(e);
  return v;
}

TEST(ZipDirectory, ListsEveryZipFixtureAsLibarchiveReadsIt) {
  InTokyo tokyo;
  arc::LocaleScope locale;
  int compared = 0;
  for (const Fixture& f : LoadManifest()) {
    if (f.format != "zip") continue;
    SCOPED_TRACE(f.file);
    std::string path = FixturePath(f.file);
    // The broken ones are left to libarchive: only truncated.zip lacks its directory.
    EXPECT_EQ(WalkDirectory(path) == arc::kOk, f.file != "truncated.zip");
    arc::SourceOptions options{path, arc::kFormatZip, nullptr};
    int32_t error = 0;
    std::vector<arc::Entry> byLibarchive = EntriesOf(arc::OpenLibarchiveSource(options, error));
    std::vector<arc::Entry> byDirectory = EntriesOf(arc::OpenZipDirectorySource(options, error));
    ASSERT_EQ(byDirectory.size(), byLibarchive.size());
    for (size_t i = 0; i < byDirectory.size(); ++i) {
      EntryInfo a{}, b{};
      arc::FillEntryInfo(byLibarchive[i], a);
      arc::FillEntryInfo(byDirectory[i], b);
      EXPECT_STREQ(b.FileName, a.FileName);
      EXPECT_EQ(b.OriginalSize, a.OriginalSize) << a.FileName;
      EXPECT_EQ(b.Date, a.Date) << a.FileName;
      EXPECT_EQ(b.Time, a.Time) << a.FileName;
      EXPECT_STREQ(b.Attribute, a.Attribute) << a.FileName;
      EXPECT_STREQ(b.Mode, a.Mode) << a.FileName;
      EXPECT_EQ(byDirectory[i].kind, byLibarchive[i].kind) << a.FileName;
      EXPECT_EQ(byDirectory[i].encrypted, byLibarchive[i].encrypted) << a.FileName;
      ++compared;
    }
  }
  EXPECT_GT(compared, 0);
}

// ---- The crafted table ----

struct CraftCase {
  const char* what;
  Crafted archive;
  bool directory;  // the central directory is read whole (else libarchive decides)
  int32_t check;
  int32_t count;
  std::vector<std::string> names;
};

std::vector<CraftCase> CraftCases() {
  std::string cp932Name = Cp932("予定") + Cp932("表") + ".txt";
  CraftOptions sfx;
  sfx.prefix = "MZ" + std::string(4094, '\0');
  CraftOptions sfx64 = sfx;
  sfx64.zip64 = true;
  CraftOptions larger, smaller, outside, beyond, fakeInComment, fakeAtTail;
  larger.countDelta = 1;
  smaller.countDelta = -1;
  outside.cdOffsetDelta = 1000000;
  beyond.localOffsetDelta = 1000000;
  fakeInComment.comment = "made by hand " + EndRecord(9, 500, 7) + " end";
  fakeAtTail.comment = EndRecord(1, 46, 0);
  std::string firstLocalBroken = Bytes(Craft(kTwo));
  firstLocalBroken.replace(0, 4, "XXXX");
  std::string secondLocalBroken = Bytes(Craft(kTwo));
  secondLocalBroken.replace(secondLocalBroken.find("PK\3\4", 4), 4, "XXXX");
  std::string centralBroken = Bytes(Craft(kTwo));
  centralBroken.replace(centralBroken.find("PK\1\2", centralBroken.find("PK\1\2") + 4), 4, "XXXX");
  auto raw = [](const std::string& bytes) { return Crafted{{{0, bytes}}, bytes.size()}; };
  std::vector<std::string> ab = {"a.txt", "b.txt"};
  return {
      {"plain", Craft(kTwo), true, 1, 2, ab},
      {"no entries", Craft({}), true, 1, 0, {}},
      {"behind a self-extractor's stub", Craft(kTwo, sfx), true, 1, 2, ab},
      {"Zip64 end records",
       Craft(kTwo,
             [] {
               CraftOptions o;
               o.zip64 = true;
               return o;
             }()),
       true, 1, 2, ab},
      // The stub shifts the Zip64 record's recorded position too.
      {"Zip64 end records behind a stub", Craft(kTwo, sfx64), true, 1, 2, ab},
      // A fake end record in the comment is passed over for the real one before it.
      {"fake end record inside the comment", Craft(kTwo, fakeInComment), true, 1, 2, ab},
      {"fake end record ending the comment", Craft(kTwo, fakeAtTail), true, 1, 2, ab},
      // The directory's own offsets are wrong: libarchive reads the local headers instead.
      {"directory offset outside the file", Craft(kTwo, outside), false, 1, 2, ab},
      {"end record counts more entries", Craft(kTwo, larger), false, 1, 2, ab},
      {"end record counts fewer entries", Craft(kTwo, smaller), false, 1, 2, ab},
      {"entry offset beyond the directory", Craft(kTwo, beyond), false, 1, -1, {"a.txt"}},
      {"second central header broken", raw(centralBroken), false, 0, -1, {}},
      {"first local header broken", raw(firstLocalBroken), true, 0, -1, {}},
      // Listing reads the directory only: a later local header is checked on extraction.
      {"second local header broken", raw(secondLocalBroken), true, 1, 2, ab},
      {"no archive at all", raw("plain text, not an archive\n"), false, 0, -1, {}},
      {"names with and without the UTF-8 flag",
       Craft({{"名前.txt", "a", 0x0800},
              {cp932Name, "b"},
              {"dir\\file.txt", "c"},
              {"bad\xFF.txt", "d", 0x0800},
              WithExtra({cp932Name, "e"}, UnicodePathField(cp932Name, "別名.txt")),
              WithExtra({"stale", "f"}, UnicodePathField("other", "x.txt"))}),
       true,
       1,
       6,
       {"名前.txt", "予定表.txt", "dir/file.txt", "bad\xEF\xBF\xBD.txt", "別名.txt", "stale"}},
  };
}

class CraftedArchive : public ::testing::TestWithParam<size_t> {};

TEST_P(CraftedArchive, ListsAsExpectedThroughUnZipAndSevenZip) {
  const CraftCase c = CraftCases()[GetParam()];
  SCOPED_TRACE(c.what);
  TempDir tmp;
  std::string path = tmp.file("crafted.zip");
  WriteCrafted(path, c.archive);
  EXPECT_EQ(WalkDirectory(path) == arc::kOk, c.directory);
  for (auto [file, prefix] : {std::pair{"unzip32.so", "UnZip"}, {"7-zip32.so", "SevenZip"}}) {
    Listing l = ListWith(Library(file, prefix), path);
    EXPECT_EQ(l.check, c.check) << prefix;
    EXPECT_EQ(l.count, c.count) << prefix;
    EXPECT_EQ(l.names(), c.names) << prefix;
  }
}

INSTANTIATE_TEST_SUITE_P(Table, CraftedArchive, ::testing::Range<size_t>(0, CraftCases().size()));

// ---- What the records carry ----

TEST(ZipDirectory, EntryFieldsComeFromTheDirectory) {
  TempDir tmp;
  std::string path = tmp.file("fields.zip");
  CraftEntry described{"described.txt", std::string(300, 'x')};
  described.descriptor = true;
  described.method = 8;
  described.packed = std::string(40, 'p');
  CraftEntry fatFolder{"fatfolder", ""};
  fatFolder.madeBy = 0x003F;
  fatFolder.externalAttr = 0x10;
  CraftEntry readOnly{"readonly.txt", "r"};
  readOnly.madeBy = 0x003F;
  readOnly.externalAttr = 0x21;
  CraftEntry link{"link", "target"};
  link.externalAttr = 0120777u << 16;
  CraftEntry feb30{"feb30.txt", "f"};
  feb30.dosDate = ((2004 - 1980) << 9) | (2 << 5) | 30;  // normalised to 1 March
  CraftEntry aes{"aes.bin", "q"};
  aes.method = 99;
  aes.flags = 1;
  aes.packed = std::string(30, 'e');
  aes.extra = Field(0x9901, std::string("\x02\x00"
                                        "AE\x03\x0E\x00",
                                        7));  // LZMA underneath
  CraftEntry vast{"vast.bin", ""};
  vast.declared = uint64_t(1) << 62;
  WriteCrafted(path, Craft({described, fatFolder, readOnly, link, feb30, aes, vast}));
  ASSERT_EQ(WalkDirectory(path), arc::kOk);
  Listing l = ListWith(Library("unzip32.so", "UnZip"), path);
  ASSERT_EQ(l.entries.size(), 7u);
  // A data descriptor leaves the local header without sizes: the directory has them.
  EXPECT_EQ(l.entries[0].OriginalSize, 300u);
  EXPECT_EQ(l.entries[0].CompressedSize, 40u);
  EXPECT_EQ(l.entries[0].Ratio, 133);
  EXPECT_STREQ(l.entries[0].Mode, "Deflate");
  EXPECT_EQ(l.entries[0].Date, kDosDate);
  EXPECT_EQ(l.entries[0].Time, kDosTime);
  EXPECT_STREQ(l.entries[1].FileName, "fatfolder/");
  EXPECT_STREQ(l.entries[1].Attribute, "----d");
  EXPECT_STREQ(l.entries[2].Attribute, "ra---");
  EXPECT_EQ(l.entries[3].OriginalSize, 0u);  // a link's data is its target
  EXPECT_EQ(l.entries[4].Date, ((2004 - 1980) << 9) | (3 << 5) | 1);
  EXPECT_STREQ(l.entries[5].Mode, "LZMA");
  EXPECT_EQ(l.entries[5].CompressedSize, 30u);
  // Sizes as large as Zip64 records hold: exact through the 64-bit entries, ratio whole.
  EXPECT_EQ(l.sizes[6], int64_t(1) << 62);
  EXPECT_EQ(l.entries[6].Ratio, 1000);
}

TEST(ZipDirectory, ExtendedTimestampIsUtcAndTheDosStampLocal) {
  InTokyo tokyo;
  TempDir tmp;
  std::string path = tmp.file("times.zip");
  std::string stamp;
  PutLe32(stamp, 1078664710);  // 2004-03-07 13:05:10 UTC
  CraftEntry ut{"ut.txt", "u"};
  ut.extra = Field(0x5455, "\x01" + stamp);
  CraftEntry dos{"dos.txt", "d"};
  WriteCrafted(path, Craft({ut, dos}));
  Listing l = ListWith(Library("unzip32.so", "UnZip"), path);
  ASSERT_EQ(l.entries.size(), 2u);
  EXPECT_EQ(l.entries[0].Time, (22 << 11) | (5 << 5) | 5);  // 22:05:10 in Tokyo
  EXPECT_EQ(l.entries[1].Time, kDosTime);                   // as stored
}

TEST(ZipDirectory, LongNamesAreCutWithinTheRecord) {
  TempDir tmp;
  std::string path = tmp.file("long.zip");
  std::string japanese;
  for (int i = 0; i < 200; ++i) japanese += "あ";  // 600 bytes
  WriteCrafted(path, Craft({{"d/" + std::string(598, 'n'), "x"}, {japanese, "y"}}));
  Listing l = ListWith(Library("unzip32.so", "UnZip"), path);
  ASSERT_EQ(l.entries.size(), 2u);
  EXPECT_EQ(std::strlen(l.entries[0].FileName), 512u);
  EXPECT_EQ(std::strlen(l.entries[1].FileName), 510u);  // whole characters only
  EXPECT_TRUE(arc::IsValidUtf8(l.entries[1].FileName));
}

// More than 65535 entries and an entry of 5 GiB (a hole in a sparse file) need the Zip64
// records; the writer's reading of the directory measures the same entries.
TEST(ZipDirectory, Zip64CountsAndSizes) {
  TempDir tmp;
  std::string path = tmp.file("zip64.zip");
  std::vector<CraftEntry> entries;
  for (int i = 0; i < 70000; ++i) entries.push_back({"f" + std::to_string(i), ""});
  CraftEntry huge{"huge.bin", ""};
  huge.hole = 5ull << 30;
  entries.push_back(huge);
  CraftOptions zip64;
  zip64.zip64 = true;
  WriteCrafted(path, Craft(entries, zip64));
  uint64_t records = 0;
  ASSERT_EQ(WalkDirectory(path, &records), arc::kOk);
  EXPECT_EQ(records, 70001u);
  Listing l = ListWith(Library("unzip32.so", "UnZip"), path);
  EXPECT_EQ(l.check, 1);
  EXPECT_EQ(l.count, 70001);
  ASSERT_EQ(l.entries.size(), 70001u);
  EXPECT_STREQ(l.entries.back().FileName, "huge.bin");
  EXPECT_EQ(l.sizes.back(), int64_t(5) << 30);
  EXPECT_EQ(l.entries.back().OriginalSize, static_cast<uint32_t>(5ull << 30));
  int fd = open(path.c_str(), O_RDONLY);
  arc::ZipDirectory dir;
  std::string why;
  EXPECT_EQ(arc::ReadZipDirectory(fd, fs::file_size(path), &dir, &why), arc::kOk) << why;
  close(fd);
  ASSERT_EQ(dir.entries.size(), 70001u);
  EXPECT_EQ(dir.entries.back().size, 5ull << 30);
  EXPECT_EQ(dir.entries.back().spanEnd - dir.entries.back().localOffset,
            30 + 8 + 20 + (5ull << 30));
}

}  // namespace
}  // namespace qvr::test
