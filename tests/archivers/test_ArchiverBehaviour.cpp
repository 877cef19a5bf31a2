// How our libraries treat the destination, existing files, names, switches and the output
// buffer, through the real plugins and real archives.
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <locale.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <thread>

#include "ArchiverLoader.h"
#include "FixtureManifest.h"
#include "TempDir.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

constexpr time_t kSourceTime = 1078664710;  // 2004-03-07 13:05:10 UTC, the fixtures' date

// MS-DOS times are local: the checks below read them in UTC.
const bool kUtc = [] {
  setenv("TZ", "UTC", 1);
  tzset();
  return true;
}();

std::string Q(const std::string& s) {
  return "\"" + s + "\"";
}

// One library with an archive of the standard tree and its command words.
struct Dialect {
  const char* file;
  const char* prefix;
  const char* archive;
  const char* someFile;   // a file of the archive, folders kept
  std::string ask;        // extract keeping folders, asking before overwriting
  std::string overwrite;  // extract keeping folders, overwriting without asking
  std::string flat;       // extract without folders, overwriting
};

const std::vector<Dialect>& Dialects() {
  static const std::vector<Dialect> d = {
      {"unzip32.so", "UnZip", "zip_deflate.zip", "docs/notes.txt", "-x -s -V -i -C -qq ",
       "-x -o -s -V -i -C -qq ", "-x -j -o -s -V -i -C -qq "},
      {"7-zip32.so", "SevenZip", "7z_lzma2.7z", "docs/notes.txt", "x ", "x -y ", "e -y "},
      {"7-zip32.so", "SevenZip", "zip_stored.zip", "docs/notes.txt", "x ", "x -y ", "e -y "},
      {"unlha32.so", "Unlha", "lzh_lh5.lzh", "docs/notes.txt", "x -c0 -m0 -jf0 ",
       "x -c1 -m1 -y1 -jf0 ", "e -c1 -m1 -y1 -jf0 "},
      {"unlha32.so", "Unlha", "lzh_lh7_level1.lzh", "docs/notes.txt", "x -c0 -m0 -jf0 ",
       "x -y -jf0 ", "e -y -jf0 "},
      {"cab32.so", "Cab", "cab_mszip.cab", "docs/notes.txt", "-x ", "-x -o ", "-x -j -o "},
      {"unrar32.so", "Unrar", "rar4_stored.rar", "testdir/test.txt", "-x ", "-x -y -o ",
       "-e -y -o "},
      {"unarj32j.so", "Unarj", "arj_basic.arj", "docs/notes.txt", "x ", "x -y- ", "e -y- "},
  };
  return d;
}

void PrintTo(const Dialect& d, std::ostream* os) {
  *os << d.prefix << " " << d.archive;
}

std::string Line(const std::string& words, const std::string& archive, const std::string& dest) {
  return words + Q(FixturePath(archive)) + " " + Q(dest + "/");
}

class DialectTest : public ::testing::TestWithParam<Dialect> {};

TEST_P(DialectTest, AsksWithoutOwnerKeepsAndOverwritesOnRequest) {
  const Dialect& d = GetParam();
  ArchiverLib& lib = Library(d.file, d.prefix);
  TempDir tmp;
  std::string dest = tmp.file("out");
  ASSERT_EQ(lib.Run(Line(d.overwrite, d.archive, dest)), 0);
  std::string target = dest + "/" + d.someFile;
  std::string original = ReadFile(target);
  ASSERT_FALSE(original.empty());
  WriteFile(target, "changed by the user");
  // Asking with no owner window answers No: the file is kept, and that is no error.
  EXPECT_EQ(lib.Run(Line(d.ask, d.archive, dest)), 0);
  EXPECT_EQ(ReadFile(target), "changed by the user");
  EXPECT_EQ(lib.Run(Line(d.overwrite, d.archive, dest)), 0);
  EXPECT_EQ(ReadFile(target), original);
}

TEST_P(DialectTest, FlatExtractionDropsFolders) {
  const Dialect& d = GetParam();
  ArchiverLib& lib = Library(d.file, d.prefix);
  TempDir tmp;
  ASSERT_EQ(lib.Run(Line(d.flat, d.archive, tmp.path())), 0);
  std::string name = fs::path(d.someFile).filename().string();
  EXPECT_TRUE(fs::is_regular_file(tmp.file(name)));
  for (const auto& e : fs::directory_iterator(tmp.path()))
    EXPECT_FALSE(e.is_directory()) << e.path();
}

TEST_P(DialectTest, NamedEntryAndWildcard) {
  const Dialect& d = GetParam();
  ArchiverLib& lib = Library(d.file, d.prefix);
  TempDir one, wild;
  ASSERT_EQ(lib.Run(Line(d.overwrite, d.archive, one.path()) + " " + d.someFile), 0);
  Tree t = ReadTree(one.path());
  ASSERT_EQ(t.files.size(), 1u);
  EXPECT_EQ(t.files.begin()->first, d.someFile);

  ASSERT_EQ(lib.Run(Line(d.overwrite, d.archive, wild.path()) + " *.txt"), 0);
  for (const auto& [path, got] : ReadTree(wild.path()).files) {
    EXPECT_EQ(path.substr(path.size() - 4), ".txt") << path;
  }
  EXPECT_TRUE(fs::exists(wild.file(d.someFile)));
  // A name that matches nothing writes nothing and says so.
  TempDir none;
  EXPECT_EQ(lib.Run(Line(d.overwrite, d.archive, none.path()) + " no/such/entry"), 0x8031);
  EXPECT_TRUE(ReadTree(none.path()).files.empty());
}

TEST_P(DialectTest, RestoresModificationTimes) {
  const Dialect& d = GetParam();
  if (std::string(d.archive).find("rar") != std::string::npos) GTEST_SKIP() << "other date";
  ArchiverLib& lib = Library(d.file, d.prefix);
  TempDir tmp;
  ASSERT_EQ(lib.Run(Line(d.overwrite, d.archive, tmp.path())), 0);
  struct stat st;
  ASSERT_EQ(stat(tmp.file(d.someFile).c_str(), &st), 0);
  // LZH level 0/1 and ZIP keep local time with two-second steps; TZ is UTC in the tests.
  EXPECT_LE(std::llabs(static_cast<long long>(st.st_mtime - kSourceTime)), 2);
}

TEST_P(DialectTest, UnknownDiskSwitchFailsAndWritesNothing) {
  const Dialect& d = GetParam();
  ArchiverLib& lib = Library(d.file, d.prefix);
  static const std::map<std::string, std::string> risky = {
      {"UnZip", "-d"},  {"SevenZip", "-oelsewhere"}, {"Unlha", "-wwork"}, {"Cab", "-d"},
      {"Unrar", "-ep"}, {"Unarj", "-htelsewhere"}};
  TempDir tmp;
  std::string line = d.overwrite + risky.at(d.prefix) + " " + Q(FixturePath(d.archive)) + " " +
                     Q(tmp.path() + "/");
  EXPECT_EQ(lib.Run(line), 0x801C);
  EXPECT_TRUE(ReadTree(tmp.path()).files.empty());
  // A switch of no consequence for the disk is accepted.
  EXPECT_EQ(lib.Run(d.overwrite + "-zz9 " + Q(FixturePath(d.archive)) + " " + Q(tmp.path() + "/")),
            0);
}

INSTANTIATE_TEST_SUITE_P(Libraries, DialectTest, ::testing::ValuesIn(Dialects()),
                         [](const ::testing::TestParamInfo<Dialect>& i) {
                           std::string n = std::string(i.param.prefix) + "_" + i.param.archive;
                           for (char& c : n) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return n;
                         });

// The viewer's single-entry lines, self-extracting files included: {P} archive, {D} folder.
struct SingleEntry {
  const char* file;
  const char* prefix;
  const char* archive;
  const char* entry;
  const char* line;
  bool keep;
};

TEST(SingleEntry, ViewerCommandLinesExtractOneEntry) {
  const std::vector<SingleEntry> rows = {
      {"unlha32.so", "Unlha", "lzh_lh6.lzh", "docs/notes.txt",
       "x -c0 -m0  \"{P}\" \"{D}/\" {E} -y -jf0", true},
      {"unlha32.so", "Unlha", "lzh_sfx_concat.exe", "docs/notes.txt",
       "e \"{P}\" \"{D}/\" {E} -y -jf0", false},
      {"unzip32.so", "UnZip", "zip_deflate.zip", "docs/notes.txt",
       "-x -s -V -i -C -qq \"{P}\" \"{D}/\" {E}", true},
      {"unzip32.so", "UnZip", "zip_sfx_concat.exe", "docs/notes.txt",
       "-x -j -o -s -V -i -C -qq \"{P}\" \"{D}/\" {E}", false},
      {"7-zip32.so", "SevenZip", "7z_nonsolid.7z", "with blank.txt",
       "e -y \"{P}\" \"{D}/\" \"{E}\"", false},
      {"cab32.so", "Cab", "cab_stored.cab", "docs/notes.txt", "-x -j -o \"{P}\" \"{D}/\" {E}",
       false},
      {"unrar32.so", "Unrar", "rar4_sfx.exe", "testdir/test.txt", "-e -y -o \"{P}\" \"{D}/\" {E}",
       false},
      {"unrar32.so", "Unrar", "rar5_solid.rar", "test3.bin", "-x \"{P}\" \"{D}/\" {E}", true},
      {"tar32.so", "Tar", "data.tar.gz", "project-1.0/docs/notes.txt",
       "-x --use-directory=0 \"{P}\" \"{D}/\" {E}", false},
  };
  for (const SingleEntry& r : rows) {
    SCOPED_TRACE(r.archive);
    TempDir tmp;
    std::string line = r.line;
    auto put = [&](const std::string& key, const std::string& value) {
      line.replace(line.find(key), key.size(), value);
    };
    put("{P}", FixturePath(r.archive));
    put("{D}", tmp.path());
    put("{E}", r.entry);
    std::string report;
    ASSERT_EQ(Library(r.file, r.prefix).Run(line, nullptr, &report), 0) << report;
    Tree t = ReadTree(tmp.path());
    ASSERT_EQ(t.files.size(), 1u) << report;
    std::string expected = r.keep ? r.entry : fs::path(r.entry).filename().string();
    EXPECT_EQ(t.files.begin()->first, expected);
  }
}

TEST(TarLibrary, OverwritesAlwaysAndHonoursUseDirectory) {
  ArchiverLib& lib = Library("tar32.so", "Tar");
  TempDir tmp;
  ASSERT_EQ(lib.Run(Line("-x --use-directory=1 ", "tar_gzip.tgz", tmp.path())), 0);
  WriteFile(tmp.file("docs/notes.txt"), "changed");
  ASSERT_EQ(lib.Run(Line("-x --use-directory=1 ", "tar_gzip.tgz", tmp.path())), 0);
  EXPECT_EQ(ReadFile(tmp.file("docs/notes.txt")).size(), 1537u);
  TempDir flat;
  ASSERT_EQ(lib.Run(Line("-x --use-directory=0 ", "tar_bzip2.tar.bz2", flat.path())), 0);
  EXPECT_TRUE(fs::is_regular_file(flat.file("notes.txt")));
  EXPECT_FALSE(fs::exists(flat.file("docs")));
  // A single compressed file: the name without its last extension.
  TempDir single;
  ASSERT_EQ(lib.Run(Line("-x --use-directory=0 ", "with blank.txt.bz2", single.path())), 0);
  EXPECT_TRUE(fs::is_regular_file(single.file("with blank.txt")));
}

TEST(CommandLine, DestinationWithOrWithoutTrailingSlash) {
  ArchiverLib& lib = Library("unzip32.so", "UnZip");
  TempDir tmp;
  // Missing levels of the destination are made.
  ASSERT_EQ(lib.Run("-x -o " + Q(FixturePath("two_root_files.zip")) + " " + Q(tmp.file("a/b/c/"))),
            0);
  EXPECT_EQ(ReadTree(tmp.file("a/b/c")).files.size(), 2u);
  // A folder that already ends in "/" gets one more from the template.
  ASSERT_EQ(lib.Run("-x -o " + Q(FixturePath("two_root_files.zip")) + " " + Q(tmp.file("d//"))), 0);
  EXPECT_EQ(ReadTree(tmp.file("d")).files.size(), 2u);
  // Without the "/" the argument is a name to extract, not a folder: nothing matches it
  // and nothing is written anywhere.
  fs::path cwd = fs::current_path();
  fs::current_path(tmp.path());
  EXPECT_EQ(lib.Run("-x -o " + Q(FixturePath("two_root_files.zip")) + " " + Q(tmp.file("e"))),
            0x8031);
  fs::current_path(cwd);
  EXPECT_FALSE(fs::exists(tmp.file("e")));
  EXPECT_EQ(ReadTree(tmp.path()).files.size(), 4u);
}

TEST(CommandLine, QuotesMidArgumentAndResponseFiles) {
  ArchiverLib& lib = Library("7-zip32.so", "SevenZip");
  TempDir tmp;
  WriteFile(tmp.file("list.txt"),
            "readme.txt\r\n\"with "
            "blank."
            "txt\"\r\n\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE4\xBA\x88\xE5\xAE\x9A\xE8"
            "\xA1\xA8.txt\n");
  // "dir/"name is one argument: the destination folder tmp/out/.
  std::string line = "x -y " + Q(FixturePath("7z_lzma2.7z")) + " \"" + tmp.path() + "/\"out/ @" +
                     tmp.file("list.txt");
  ASSERT_EQ(lib.Run(line), 0);
  Tree t = ReadTree(tmp.file("out"));
  EXPECT_EQ(t.files.size(), 3u);
  EXPECT_TRUE(t.files.count("with blank.txt"));
  EXPECT_TRUE(t.files.count("日本語の予定表.txt"));
  EXPECT_EQ(lib.Run("x -y " + Q(FixturePath("7z_lzma2.7z")) + " " + Q(tmp.file("o2/")) + " @" +
                    tmp.file("missing.txt")),
            0x802A);
}

TEST(CommandLine, UnknownCommandWordsAndWritingCommands) {
  EXPECT_EQ(Library("unlha32.so", "Unlha").Run("q " + Q(FixturePath("lzh_lh5.lzh"))), 0x801C);
  // The writing commands belong to the writing side: with no file to add they fail and
  // create nothing.
  EXPECT_EQ(Library("7-zip32.so", "SevenZip").Run("a " + Q("/tmp/x.7z")), 0x8031);
  EXPECT_EQ(Library("tar32.so", "Tar").Run("-c " + Q("/tmp/x.tar")), 0x8031);
  EXPECT_EQ(Library("cab32.so", "Cab").Run(Q(FixturePath("cab_mszip.cab"))), 0x801C);
}

TEST(Results, MissingAndForeignArchives) {
  ArchiverLib& zip = Library("unzip32.so", "UnZip");
  TempDir tmp;
  EXPECT_EQ(zip.Run("-x " + Q(tmp.file("nothing.zip")) + " " + Q(tmp.path() + "/")), 0x800F);
  EXPECT_EQ(zip.Run("-x " + Q(FixturePath("7z_lzma2.7z")) + " " + Q(tmp.path() + "/")), 0x8019);
  EXPECT_EQ(zip.getFileCount(tmp.file("nothing.zip").c_str()), -1);
  EXPECT_EQ(zip.openArchive(nullptr, tmp.file("nothing.zip").c_str(), 0), nullptr);
  EXPECT_EQ(zip.findNext(nullptr, nullptr), -1);  // a stale handle is refused
  for (const char* f :
       {"unzip32.so", "7-zip32.so", "unlha32.so", "cab32.so", "unrar32.so", "tar32.so"}) {
    ArchiverLib& l = Library(f, f == std::string("unzip32.so")   ? "UnZip"
                                : f == std::string("7-zip32.so") ? "SevenZip"
                                : f == std::string("unlha32.so") ? "Unlha"
                                : f == std::string("cab32.so")   ? "Cab"
                                : f == std::string("unrar32.so") ? "Unrar"
                                                                 : "Tar");
    EXPECT_EQ(l.getVersion(), 100) << f;
    EXPECT_EQ(l.getSubVersion(), 0) << f;
  }
}

TEST(Results, OutputBufferIsAlwaysTerminatedWithinItsSize) {
  ArchiverLib& lib = Library("unzip32.so", "UnZip");
  TempDir tmp;
  std::string line = "-x -o " + Q(FixturePath("two_root_files.zip")) + " " + Q(tmp.path() + "/");
  for (uint32_t size : {1u, 2u, 7u}) {
    char buf[16];
    std::memset(buf, 'X', sizeof buf);
    EXPECT_EQ(lib.command(nullptr, line.c_str(), buf, size), 0);
    EXPECT_EQ(buf[std::strlen(buf)], '\0');
    EXPECT_EQ(std::strlen(buf), size - 1);
    EXPECT_EQ(buf[size], 'X') << "written past the size " << size;
  }
  EXPECT_EQ(lib.command(nullptr, line.c_str(), nullptr, 0), 0);
}

TEST(Names, Cp932NamesWhateverTheProcessLocale) {
  const char* saved = setlocale(LC_ALL, nullptr);
  std::string keep = saved ? saved : "C";
  setlocale(LC_ALL, "C");
  for (auto [file, prefix, archive] :
       std::vector<std::tuple<const char*, const char*, const char*>>{
           {"unzip32.so", "UnZip", "zip_sjis_names.zip"},
           {"unlha32.so", "Unlha", "lzh_lh0_stored.lzh"},
           {"unlha32.so", "Unlha", "lzh_sfx_concat.exe"}}) {
    ArchiverLib& lib = Library(file, prefix);
    void* h = lib.openArchive(nullptr, FixturePath(archive).c_str(), 0x400000);
    ASSERT_NE(h, nullptr) << archive;
    EntryInfo info;
    bool found = false;
    for (int r = lib.findFirst(h, "*", &info); r == 0; r = lib.findNext(h, &info)) {
      found = found || std::string(info.FileName) == "日本語の予定表.txt";
      EXPECT_EQ(std::strchr(info.FileName, '\\'), nullptr);
    }
    lib.closeArchive(h);
    EXPECT_TRUE(found || std::string(archive) == "lzh_sfx_concat.exe") << archive;
  }
  setlocale(LC_ALL, keep.c_str());
}

TEST(Enumeration, EntryInfoFieldsAndWildcard) {
  ArchiverLib& lib = Library("unlha32.so", "Unlha");
  void* h = lib.openArchive(nullptr, FixturePath("lzh_lh5.lzh").c_str(), 0x400000);
  ASSERT_NE(h, nullptr);
  EntryInfo info;
  ASSERT_EQ(lib.findFirst(h, "*.txt", &info), 0);
  EXPECT_STREQ(info.FileName, "readme.txt");
  EXPECT_STREQ(info.Mode, "-lh5-");
  EXPECT_STREQ(info.Attribute, "-a---");
  EXPECT_EQ(info.OriginalSize, 16016u);
  EXPECT_GT(info.CompressedSize, 0u);
  EXPECT_LT(info.CompressedSize, 16016u);
  EXPECT_EQ(info.Ratio, static_cast<int16_t>(info.CompressedSize * 1000 / 16016));
  EXPECT_EQ(info.Date, ((2004 - 1980) << 9) | (3 << 5) | 7);  // TZ=UTC in the tests
  EXPECT_EQ(info.Time, (13 << 11) | (5 << 5) | 5);
  int64_t packed = 0;
  EXPECT_EQ(lib.compressedSizeEx(h, &packed), 1);
  EXPECT_EQ(packed, info.CompressedSize);
  int n = 1;
  while (lib.findNext(h, &info) == 0) {
    ++n;
    EXPECT_NE(std::string(info.FileName).find(".txt"), std::string::npos) << info.FileName;
  }
  EXPECT_EQ(n, 4);  // readme, notes, the Japanese name, "with blank"
  // A second walk starts again from the first entry.
  ASSERT_EQ(lib.findFirst(h, "*", &info), 0);
  EXPECT_STREQ(info.FileName, "readme.txt");
  EXPECT_EQ(lib.closeArchive(h), 0);
  EXPECT_EQ(lib.closeArchive(h), -1);
}

// An archive made here with what a hostile or careless tool can put in a TAR.
std::string MakeTar(const std::string& path,
                    const std::vector<std::function<void(archive*)>>& entries) {
  archive* a = archive_write_new();
  archive_write_set_format_pax_restricted(a);
  archive_write_open_filename(a, path.c_str());
  for (const auto& add : entries) add(a);
  archive_write_close(a);
  archive_write_free(a);
  return path;
}

std::function<void(archive*)> TarEntry(const char* name, unsigned type, unsigned perm,
                                       const std::string& data = "", const char* link = nullptr) {
  return [=](archive* a) {
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, name);
    archive_entry_set_filetype(e, type);
    archive_entry_set_perm(e, perm);
    archive_entry_set_size(e, static_cast<la_int64_t>(data.size()));
    archive_entry_set_mtime(e, kSourceTime, 0);
    if (link) archive_entry_set_symlink(e, link);
    archive_write_header(a, e);
    if (!data.empty()) archive_write_data(a, data.data(), data.size());
    archive_entry_free(e);
  };
}

TEST(Safety, SpecialBitsDevicesAndOutsideLinks) {
  TempDir tmp;
  std::string tar = MakeTar(
      tmp.file("odd.tar"),
      {TarEntry("suid.sh", AE_IFREG, 06755, "#!/bin/sh\n"), TarEntry("fifo", AE_IFIFO, 0644),
       TarEntry("dev", AE_IFCHR, 0644), TarEntry("abs", AE_IFLNK, 0777, "", "/etc/passwd"),
       TarEntry("up", AE_IFLNK, 0777, "", "../../outside"),
       TarEntry("sub/in", AE_IFLNK, 0777, "", "../suid.sh"),
       TarEntry("sub/trick", AE_IFLNK, 0777, "", "x/../../..")});
  ArchiverLib& lib = Library("tar32.so", "Tar");
  std::string dest = tmp.file("l1/dest");
  std::string report;
  EXPECT_EQ(lib.Run("-x --use-directory=1 " + Q(tar) + " " + Q(dest + "/"), nullptr, &report), 0);
  struct stat st;
  ASSERT_EQ(stat((dest + "/suid.sh").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07000, 0u);
  EXPECT_EQ(st.st_mode & 0111, 0111u);
  for (const char* gone : {"fifo", "dev", "abs", "up", "sub/trick"}) {
    EXPECT_FALSE(fs::exists(fs::symlink_status(dest + "/" + gone))) << gone;
  }
  EXPECT_TRUE(fs::is_symlink(dest + "/sub/in"));  // a link that stays inside is made
  EXPECT_NE(report.find("skipped"), std::string::npos);
  EXPECT_EQ(lib.skippedCount(), 5);  // fifo, dev, abs, up, sub/trick
}

// The count of left-out entries belongs to the last command call of the calling thread: a
// later call resets it, another thread's calls do not touch it, a failed call counts none.
TEST(Safety, LeftOutEntriesAreCountedPerThread) {
  TempDir tmp;
  std::string odd = MakeTar(tmp.file("odd.tar"), {TarEntry("a.txt", AE_IFREG, 0644, "a"),
                                                  TarEntry("fifo", AE_IFIFO, 0644),
                                                  TarEntry("abs", AE_IFLNK, 0777, "", "/etc")});
  std::string clean = MakeTar(tmp.file("clean.tar"), {TarEntry("b.txt", AE_IFREG, 0644, "b")});
  ArchiverLib& lib = Library("tar32.so", "Tar");
  auto extract = [&](const std::string& tar, const std::string& dest) {
    return lib.Run("-x --use-directory=1 " + Q(tar) + " " + Q(tmp.file(dest) + "/"));
  };
  EXPECT_EQ(extract(odd, "d1"), 0);
  EXPECT_EQ(lib.skippedCount(), 2);
  EXPECT_EQ(extract(clean, "d2"), 0);
  EXPECT_EQ(lib.skippedCount(), 0);
  int32_t otherThread = -1;
  std::thread([&] {
    extract(odd, "d3");
    otherThread = lib.skippedCount();
  }).join();
  EXPECT_EQ(otherThread, 2);
  EXPECT_EQ(lib.skippedCount(), 0);
  EXPECT_EQ(extract(odd, "d4"), 0);
  EXPECT_NE(extract(tmp.file("missing.tar"), "d5"), 0);
  EXPECT_EQ(lib.skippedCount(), 0);
}

TEST(Safety, NeverFollowsLinksAlreadyInTheDestination) {
  TempDir tmp;
  std::string dest = tmp.file("dest");
  fs::create_directories(dest);
  fs::create_directories(tmp.file("outside"));
  WriteFile(tmp.file("outside/target"), "precious");
  fs::create_symlink(tmp.file("outside"), dest + "/docs");
  fs::create_symlink(tmp.file("outside/target"), dest + "/readme.txt");
  ArchiverLib& lib = Library("unzip32.so", "UnZip");
  std::string report;
  int32_t rc =
      lib.Run("-x -o " + Q(FixturePath("zip_deflate.zip")) + " " + Q(dest + "/"), nullptr, &report);
  EXPECT_NE(rc, 0) << report;  // docs/ cannot be entered: reported
  EXPECT_EQ(ReadFile(tmp.file("outside/target")), "precious");
  EXPECT_FALSE(fs::exists(tmp.file("outside/notes.txt")));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dest + "/readme.txt")));  // link replaced
  EXPECT_EQ(ReadFile(dest + "/readme.txt").size(), 16016u);
}

TEST(Safety, DataErrorRemovesThePartialFileAndKeepsTheOldOne) {
  TempDir tmp;
  std::string data = ReadFile(FixturePath("zip_stored.zip"));
  size_t at = data.find("random.bin");
  ASSERT_NE(at, std::string::npos);
  data[at + 3000] = static_cast<char>(data[at + 3000] ^ 0x55);  // inside the stored data
  WriteFile(tmp.file("bad.zip"), data);
  std::string dest = tmp.file("dest");
  WriteFile(dest + "/random.bin", "old");
  ArchiverLib& lib = Library("unzip32.so", "UnZip");
  std::string report;
  int32_t rc = lib.Run("-x -o " + Q(tmp.file("bad.zip")) + " " + Q(dest + "/"), nullptr, &report);
  EXPECT_TRUE(rc == 0x800C || rc == 0x8048) << std::hex << rc << " " << report;
  EXPECT_EQ(ReadFile(dest + "/random.bin"), "old");
  EXPECT_EQ(ReadFile(dest + "/readme.txt").size(), 16016u);  // the whole ones stay
  for (const auto& [path, got] : ReadTree(dest).files)
    EXPECT_EQ(path.find(".qvr"), std::string::npos);
}

// Cut or damaged archives fail with a result code; every file left in the destination is
// whole (one of the manifest's, byte for byte) and no temporary file stays.
struct BrokenCase {
  const char* archive;
  const char* file;
  const char* prefix;
  const char* words;
  double cutAt;   // keep this share of the archive (1 = whole)
  double flipAt;  // flip a byte at this share of the archive (< 0 = none)
};

TEST(Safety, CutAndDamagedArchivesLeaveOnlyWholeFiles) {
  const BrokenCase cases[] = {
      {"tar_xz.tar.xz", "tar32.so", "Tar", "-x --use-directory=1 ", 0.5, -1},
      {"tar_zstd_users.tzst", "tar32.so", "Tar", "-x --use-directory=1 ", 0.6, -1},
      {"tar_lz4.tar.lz4", "tar32.so", "Tar", "-x --use-directory=1 ", 0.7, -1},
      {"tar_lzma.tar.lzma", "tar32.so", "Tar", "-x --use-directory=1 ", 0.4, -1},
      {"readme.txt.zst", "tar32.so", "Tar", "-x --use-directory=1 ", 0.5, -1},
      {"arj_m1.arj", "unarj32j.so", "Unarj", "x -y- ", 0.5, -1},
      {"arj_m2.arj", "unarj32j.so", "Unarj", "x -y- ", 1, 0.02},
      {"arj_m4.arj", "unarj32j.so", "Unarj", "x -y- ", 1, 0.03},
      {"arj_m0.arj", "unarj32j.so", "Unarj", "x -y- ", 1, 0.5},
      {"arj_sfx.exe", "unarj32j.so", "Unarj", "x -y- ", 0.95, -1},
      {"arj_volumes.arj", "unarj32j.so", "Unarj", "x -y- ", 1, -1},  // alone: the rest missing
      {"zip_deflate64.zip", "unzip32.so", "UnZip", "-x -o ", 1, 0.08},
      {"zip_deflate64.zip", "unzip32.so", "UnZip", "-x -o ", 1, 0.9},
      {"zip_deflate64.zip", "7-zip32.so", "SevenZip", "x -y ", 1, 0.3},
  };
  std::map<std::string, ExpectedFile> known;
  for (const Fixture& f : LoadManifest())
    for (const ExpectedFile& e : f.expected) known[e.sha256] = e;
  for (const BrokenCase& c : cases) {
    SCOPED_TRACE(c.archive);
    TempDir tmp;
    std::string data = ReadFile(FixturePath(c.archive));
    ASSERT_FALSE(data.empty());
    data.resize(static_cast<size_t>(static_cast<double>(data.size()) * c.cutAt));
    if (c.flipAt >= 0) {
      size_t at = static_cast<size_t>(static_cast<double>(data.size()) * c.flipAt);
      data[at] = static_cast<char>(data[at] ^ 0x5A);
    }
    std::string name = std::string("broken_") + c.archive;
    WriteFile(tmp.file(name), data);
    std::string dest = tmp.file("out");
    fs::create_directories(dest);
    std::string report;
    int32_t rc = Library(c.file, c.prefix)
                     .Run(c.words + Q(tmp.file(name)) + " " + Q(dest + "/"), nullptr, &report);
    EXPECT_NE(rc, 0) << report;
    for (const auto& [path, got] : ReadTree(dest).files) {
      EXPECT_EQ(path.find(".qvr"), std::string::npos) << path;
      EXPECT_TRUE(known.count(got.sha256)) << path << " is not whole";
    }
  }
}

// A garbled (password-protected) ARJ entry fails with ERROR_PASSWORD_FILE and writes nothing
// of itself; the entries before it stay.
TEST(Gaps, GarbledArjFailsWithThePasswordError) {
  TempDir tmp;
  std::string data = ReadFile(FixturePath("arj_m1.arj"));
  size_t name = data.find("random.bin");
  ASSERT_NE(name, std::string::npos);
  // The local header of random.bin: its id stands before the fixed part the name follows.
  size_t id = data.rfind("\x60\xEA", name);
  ASSERT_NE(id, std::string::npos);
  size_t basic =
      static_cast<unsigned char>(data[id + 2]) | (static_cast<unsigned char>(data[id + 3]) << 8);
  data[id + 4 + 4] = static_cast<char>(data[id + 4 + 4] | 0x01);  // the garbled flag
  uLong crc =
      crc32(0, reinterpret_cast<const Bytef*>(data.data() + id + 4), static_cast<uInt>(basic));
  for (int i = 0; i < 4; ++i) data[id + 4 + basic + i] = static_cast<char>(crc >> (8 * i));
  WriteFile(tmp.file("garbled.arj"), data);
  std::string dest = tmp.file("out");
  std::string report;
  int32_t rc =
      Library("unarj32j.so", "Unarj")
          .Run("x -y- " + Q(tmp.file("garbled.arj")) + " " + Q(dest + "/"), nullptr, &report);
  EXPECT_EQ(rc, 0x800A) << report;
  EXPECT_NE(report.find("garbled"), std::string::npos) << report;
  Tree t = ReadTree(dest);
  EXPECT_FALSE(t.files.count("random.bin"));
  for (const auto& [path, got] : t.files) EXPECT_EQ(path.find(".qvr"), std::string::npos);
}

TEST(Gaps, WhatLibarchiveCannotDecodeFailsCleanly) {
  TempDir tmp;
  std::string report;
  // 7-Zip AES: no password can help, nothing is written.
  EXPECT_EQ(Library("7-zip32.so", "SevenZip")
                .Run("x -y " + Q(FixturePath("password.7z")) + " " + Q(tmp.path() + "/"), nullptr,
                     &report),
            0x800A);
  EXPECT_NE(report.find("encrypted"), std::string::npos) << report;
  EXPECT_TRUE(ReadTree(tmp.path()).files.empty());
}

// An LZH method libarchive does not decode (-lh1-) goes to unlha32's own decoder; here the
// data is not -lh1- at all, so it fails as broken data; the other entries still extract
// and no partial file stays.
TEST(Gaps, LzhMethodsOfOurOwnDecoder) {
  TempDir tmp;
  std::string data = ReadFile(FixturePath("lzh_lh0_stored.lzh"));  // level 1, readme.txt first
  data.replace(2, 5, "-lh1-");
  unsigned sum = 0;
  for (int i = 2; i < 2 + static_cast<unsigned char>(data[0]); ++i)
    sum += static_cast<unsigned char>(data[i]);
  data[1] = static_cast<char>(sum & 0xFF);  // the level-1 header checksum
  WriteFile(tmp.file("lh1.lzh"), data);
  std::string dest = tmp.file("out");
  std::string report;
  int32_t rc = Library("unlha32.so", "Unlha")
                   .Run("x -y " + Q(tmp.file("lh1.lzh")) + " " + Q(dest + "/"), nullptr, &report);
  EXPECT_TRUE(rc == 0x8048 || rc == 0x800C) << std::hex << rc;
  EXPECT_NE(report.find("readme.txt"), std::string::npos) << report;
  Tree t = ReadTree(dest);
  EXPECT_FALSE(t.files.count("readme.txt"));
  EXPECT_EQ(t.files.size(), 5u);
}

}  // namespace
}  // namespace qvr::test
