// Our ZIP writer against Info-ZIP unzip, 7-Zip and bsdtar: creation with every method, updates
// that copy untouched entries byte for byte, -u, deletes, and archives left intact on failure.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "DeflateAhead.h"
#include "WriterTestSupport.h"
#include "ZipDirectory.h"
#include "ZipWriter.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;
using writers::AddItem;
using writers::ZipMethod;
using writers::ZipOptions;

arc::ZipDirectory DirectoryOf(const std::string& archive) {
  arc::ZipDirectory dir;
  int fd = open(archive.c_str(), O_RDONLY);
  std::string why;
  int32_t r = arc::ReadZipDirectory(fd, fs::file_size(archive), &dir, &why);
  close(fd);
  EXPECT_EQ(r, 0) << why;
  return dir;
}

std::vector<std::string> EntryNames(const std::string& archive) {
  std::vector<std::string> names;
  for (const auto& e : DirectoryOf(archive).entries) names.push_back(e.name);
  return names;
}

void SetMtime(const std::string& path, time_t when) {
  struct timespec times[2] = {{when, 0}, {when, 0}};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

struct MethodCase {
  const char* label;
  ZipMethod method;
  int level;
  uint16_t zipMethod;  // the method number every file entry carries
};

class ZipMethods : public ::testing::TestWithParam<MethodCase> {};

TEST_P(ZipMethods, PeersExtractTheWholeTreeWithUtf8NamesAndFolders) {
  TempDir tmp;
  Tree tree = MakeSampleTree(tmp.file("src"));
  ZipOptions options;
  options.method = GetParam().method;
  options.level = GetParam().level;
  std::string archive = tmp.file("out.zip");
  writers::WriteResult r = writers::ZipAdd(archive, ItemsOf(tmp.file("src")), options);
  ASSERT_TRUE(r.ok()) << r.report;
  ExpectPeersExtract(archive, {"unzip", "7zz", "bsdtar"}, tree, tmp.file("x"));
  for (const auto& e : DirectoryOf(archive).entries) {
    EXPECT_TRUE(e.flags & 0x0800) << e.name;
    if (e.name.back() != '/' && e.size > 0) {
      EXPECT_EQ(e.method, GetParam().zipMethod) << e.name;
    }
  }
  EXPECT_EQ(RunTool({"unzip", "-tqq", archive}).exitCode, 0);
}

INSTANTIATE_TEST_SUITE_P(Each, ZipMethods,
                         ::testing::Values(MethodCase{"stored", ZipMethod::Deflate, 0, 0},
                                           MethodCase{"copy", ZipMethod::Stored, 6, 0},
                                           MethodCase{"deflate1", ZipMethod::Deflate, 1, 8},
                                           MethodCase{"deflate6", ZipMethod::Deflate, 6, 8},
                                           MethodCase{"deflate9", ZipMethod::Deflate, 9, 8},
                                           MethodCase{"bzip2", ZipMethod::BZip2, 9, 12}),
                         [](const auto& info) { return std::string(info.param.label); });

// Many files deflated on the cores ahead of the writer, mixed with one above the whole-file
// limit (streamed), an empty one and folders: the entries keep the list's order, every peer
// reads them, and the same list gives the same bytes again.
TEST(ZipWriter, FilesDeflatedAheadKeepTheListsOrderAndTheSameBytes) {
  TempDir tmp;
  Tree tree;
  uint32_t x = 11;
  for (int i = 0; i < 300; ++i) {
    std::string text;
    for (int k = 0, n = 200 + (i * 37) % 9000; k < n; ++k)
      text += (k % 7 == 0) ? char('a' + (x = x * 1103515245 + 12345) % 26) : char('0' + k % 10);
    tree["d" + std::to_string(i % 5) + "/f" + std::to_string(i) + ".txt"] = text;
  }
  std::string big(writers::DeflateAhead::kWholeFileLimit + 4096, 'b');
  for (size_t k = 0; k < big.size(); k += 4099) big[k] = char(x = x * 1103515245 + 12345);
  tree["big.bin"] = big;
  tree["empty.txt"] = "";
  for (const auto& [name, content] : tree) WriteFile(tmp.file("src/" + name), content);
  std::vector<AddItem> items = ItemsOf(tmp.file("src"));
  ZipOptions options;
  ASSERT_TRUE(writers::ZipAdd(tmp.file("a.zip"), items, options).ok());
  ASSERT_TRUE(writers::ZipAdd(tmp.file("b.zip"), items, options).ok());
  EXPECT_EQ(ReadFile(tmp.file("a.zip")), ReadFile(tmp.file("b.zip")));
  std::vector<std::string> want;
  for (const AddItem& item : items) want.push_back(item.folder ? item.name + "/" : item.name);
  EXPECT_EQ(EntryNames(tmp.file("a.zip")), want);
  for (const auto& e : DirectoryOf(tmp.file("a.zip")).entries) {
    if (e.name.back() != '/' && e.size > 0) {
      EXPECT_EQ(e.method, 8) << e.name;
    }
  }
  int status = -1;
  EXPECT_EQ(FilesOnly(ExtractWith("bsdtar", tmp.file("a.zip"), tmp.file("x"), &status)), tree);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(RunTool({"unzip", "-tqq", tmp.file("a.zip")}).exitCode, 0);
}

TEST(ZipWriter, ModificationTimesSurviveToExtraction) {
  TempDir tmp;
  WriteFile(tmp.file("a.txt"), "a");
  SetMtime(tmp.file("a.txt"), 1500000000);
  ASSERT_TRUE(writers::ZipAdd(tmp.file("t.zip"), {{tmp.file("a.txt"), "a.txt", false}}, {}).ok());
  for (const char* tool : {"unzip", "7zz"}) {
    ExtractWith(tool, tmp.file("t.zip"), tmp.file(tool), nullptr);
    struct stat st {};
    ASSERT_EQ(stat(tmp.file(std::string(tool) + "/a.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1500000000) << tool;
  }
}

TEST(ZipWriter, AddingKeepsUntouchedEntriesByteForByteAndReplacesInPlace) {
  TempDir tmp;
  MakeSampleTree(tmp.file("src"));
  std::string archive = tmp.file("a.zip");
  ASSERT_TRUE(writers::ZipAdd(archive, ItemsOf(tmp.file("src")), {}).ok());
  auto before = DirectoryOf(archive);
  std::string oldBytes = ReadFile(archive);
  WriteFile(tmp.file("src/readme.txt"), "replaced\n");
  WriteFile(tmp.file("new.txt"), "new\n");
  ASSERT_TRUE(writers::ZipAdd(archive,
                              {{tmp.file("src/readme.txt"), "readme.txt", false},
                               {tmp.file("new.txt"), "new.txt", false}},
                              {})
                  .ok());
  auto after = DirectoryOf(archive);
  std::string newBytes = ReadFile(archive);
  ASSERT_EQ(after.entries.size(), before.entries.size() + 1);
  for (size_t i = 0; i < before.entries.size(); ++i) {
    const auto& o = before.entries[i];
    const auto& n = after.entries[i];
    EXPECT_EQ(o.name, n.name);  // the order of the archive is kept
    if (o.name == "readme.txt") continue;
    EXPECT_EQ(oldBytes.substr(o.localOffset, o.spanEnd - o.localOffset),
              newBytes.substr(n.localOffset, n.spanEnd - n.localOffset))
        << o.name;
  }
  EXPECT_EQ(after.entries.back().name, "new.txt");
  Tree expected = ReadTree(tmp.file("src"));
  expected["new.txt"] = "new\n";
  ExpectPeersExtract(archive, {"unzip", "7zz"}, expected, tmp.file("x"));
}

TEST(ZipWriter, AddingTheSameFileTwiceKeepsOneEntry) {
  TempDir tmp;
  WriteFile(tmp.file("a.txt"), "one");
  std::vector<AddItem> items = {{tmp.file("a.txt"), "a.txt", false}};
  ASSERT_TRUE(writers::ZipAdd(tmp.file("t.zip"), items, {}).ok());
  WriteFile(tmp.file("a.txt"), "two");
  ASSERT_TRUE(writers::ZipAdd(tmp.file("t.zip"), items, {}).ok());
  EXPECT_EQ(EntryNames(tmp.file("t.zip")), std::vector<std::string>{"a.txt"});
  ExpectPeersExtract(tmp.file("t.zip"), {"unzip", "7zz"}, {{"a.txt", "two"}}, tmp.file("x"));
}

TEST(ZipWriter, UpdateReplacesOnlyNewerFilesAndAddsNewOnes) {
  TempDir tmp;
  WriteFile(tmp.file("old.txt"), "old v1");
  WriteFile(tmp.file("new.txt"), "new v1");
  SetMtime(tmp.file("old.txt"), 1600000000);
  SetMtime(tmp.file("new.txt"), 1600000000);
  std::vector<AddItem> items = {{tmp.file("old.txt"), "old.txt", false},
                                {tmp.file("new.txt"), "new.txt", false}};
  ASSERT_TRUE(writers::ZipAdd(tmp.file("t.zip"), items, {}).ok());
  WriteFile(tmp.file("old.txt"), "old v2");
  SetMtime(tmp.file("old.txt"), 1500000000);  // older than the entry: kept
  WriteFile(tmp.file("new.txt"), "new v2");
  SetMtime(tmp.file("new.txt"), 1700000000);  // newer: replaced
  WriteFile(tmp.file("added.txt"), "added");
  items.push_back({tmp.file("added.txt"), "added.txt", false});
  ZipOptions update;
  update.onlyNewer = true;
  ASSERT_TRUE(writers::ZipAdd(tmp.file("t.zip"), items, update).ok());
  ExpectPeersExtract(tmp.file("t.zip"), {"unzip", "7zz"},
                     {{"old.txt", "old v1"}, {"new.txt", "new v2"}, {"added.txt", "added"}},
                     tmp.file("x"));
  // Nothing newer: the archive is not even rewritten.
  std::string bytes = ReadFile(tmp.file("t.zip"));
  ASSERT_TRUE(writers::ZipAdd(tmp.file("t.zip"), items, update).ok());
  EXPECT_EQ(ReadFile(tmp.file("t.zip")), bytes);
}

TEST(ZipWriter, DeleteTakesNamesWildcardsAndWholeFolders) {
  TempDir tmp;
  Tree tree = MakeSampleTree(tmp.file("src"));
  std::string archive = tmp.file("d.zip");
  ASSERT_TRUE(writers::ZipAdd(archive, ItemsOf(tmp.file("src")), {}).ok());
  ASSERT_TRUE(writers::ZipDelete(archive, {"sub dir/", "*.dat"}).ok());
  Tree expected;
  for (const auto& [name, content] : tree)
    if (!name.starts_with("sub dir/") && !name.ends_with(".dat")) expected[name] = content;
  ExpectPeersExtract(archive, {"unzip", "7zz", "bsdtar"}, expected, tmp.file("x"));
  ASSERT_TRUE(writers::ZipDelete(archive, {"日本語 ファイル.txt"}).ok());
  expected.erase("日本語 ファイル.txt");
  ExpectPeersExtract(archive, {"unzip", "7zz"}, expected, tmp.file("y"));
}

TEST(ZipWriter, DeletingWhatIsNotThereFailsAndChangesNothing) {
  TempDir tmp;
  WriteFile(tmp.file("a.txt"), "a");
  ASSERT_TRUE(writers::ZipAdd(tmp.file("t.zip"), {{tmp.file("a.txt"), "a.txt", false}}, {}).ok());
  std::string bytes = ReadFile(tmp.file("t.zip"));
  EXPECT_EQ(writers::ZipDelete(tmp.file("t.zip"), {"b.txt"}).code, ERROR_NOT_FIND_FILE);
  EXPECT_EQ(ReadFile(tmp.file("t.zip")), bytes);
  EXPECT_EQ(writers::ZipDelete(tmp.file("missing.zip"), {"a.txt"}).code, ERROR_NOT_EXIST);
}

// Archives made by Info-ZIP with Zip64 records, data descriptors and its own extra fields are
// updated by copying; every peer still reads all of it.
TEST(ZipWriter, UpdatesArchivesOfInfoZipWithZip64AndDataDescriptors) {
  TempDir tmp;
  WriteFile(tmp.file("one.txt"), std::string(100000, 'x'));
  WriteFile(tmp.file("two.bin"), "two");
  ASSERT_EQ(RunTool({"sh", "-c", "cd " + tmp.path() + " && zip -q -fz plain.zip one.txt two.bin"})
                .exitCode,
            0);
  ASSERT_EQ(
      RunTool({"sh", "-c", "cd " + tmp.path() + " && cat one.txt | zip -q -fz streamed.zip -"})
          .exitCode,
      0);
  WriteFile(tmp.file("added.txt"), "added");
  for (const char* name : {"plain.zip", "streamed.zip"}) {
    std::string archive = tmp.file(name);
    ASSERT_TRUE(writers::ZipAdd(archive, {{tmp.file("added.txt"), "added.txt", false}}, {}).ok())
        << name;
    EXPECT_EQ(RunTool({"unzip", "-tqq", archive}).exitCode, 0) << name;
    EXPECT_EQ(RunTool({"7zz", "t", "-bd", archive}).exitCode, 0) << name;
    int exitCode = -1;
    Tree got = ExtractWith("bsdtar", archive, tmp.file(std::string("x-") + name), &exitCode);
    EXPECT_EQ(got["added.txt"], "added") << name;
  }
}

TEST(ZipWriter, MoreThan65535EntriesGetZip64EndRecords) {
  TempDir tmp;
  WriteFile(tmp.file("zero"), "");
  std::vector<AddItem> items;
  for (int i = 0; i < 70000; ++i)
    items.push_back({tmp.file("zero"), "f" + std::to_string(i), false});
  ZipOptions stored;
  stored.level = 0;
  ASSERT_TRUE(writers::ZipAdd(tmp.file("many.zip"), items, stored).ok());
  EXPECT_EQ(DirectoryOf(tmp.file("many.zip")).entries.size(), 70000u);
  EXPECT_EQ(RunTool({"unzip", "-tqq", tmp.file("many.zip")}).exitCode, 0);
  EXPECT_EQ(ListWith("7zz", tmp.file("many.zip")).size(), 70000u);
  // Deleting one copies the rest and keeps the Zip64 end records.
  ASSERT_TRUE(writers::ZipDelete(tmp.file("many.zip"), {"f0"}).ok());
  EXPECT_EQ(ListWith("bsdtar", tmp.file("many.zip")).size(), 69999u);
}

// Every failure leaves the old archive byte for byte and no temporary file beside it.
struct FailureCase {
  const char* label;
  int32_t code;
  std::function<writers::WriteResult(TempDir&, const std::string& archive)> run;
};

class ZipFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ZipFailures, LeaveTheOldArchiveAsItWas) {
  TempDir tmp;
  WriteFile(tmp.file("a.txt"), "a");
  std::string archive = tmp.file("keep.zip");
  ASSERT_TRUE(writers::ZipAdd(archive, {{tmp.file("a.txt"), "a.txt", false}}, {}).ok());
  std::string bytes = ReadFile(archive);
  writers::WriteResult r = GetParam().run(tmp, archive);
  EXPECT_EQ(r.code, GetParam().code) << r.report;
  EXPECT_FALSE(r.report.empty());
  EXPECT_EQ(ReadFile(archive), bytes);
  EXPECT_EQ(OtherFiles(tmp.path(), {"a.txt", "keep.zip", "big.bin"}), std::vector<std::string>{});
}

std::vector<AddItem> BigAndGone(TempDir& tmp) {
  std::string big(3 << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 2654435761u) >> 13);
  WriteFile(tmp.file("big.bin"), big);
  return {{tmp.file("big.bin"), "big.bin", false}, {tmp.file("gone.txt"), "gone.txt", false}};
}

INSTANTIATE_TEST_SUITE_P(
    Each, ZipFailures,
    ::testing::Values(FailureCase{"SourceVanished", ERROR_FILE_OPEN,
                                  [](TempDir& tmp, const std::string& a) {
                                    return writers::ZipAdd(a, BigAndGone(tmp), {});
                                  }},
                      FailureCase{
                          "SourceUnreadable", ERROR_CANNOT_READ,
                          [](TempDir& tmp, const std::string& a) {
                            fs::create_directories(tmp.file("adir"));
                            std::vector<AddItem> items = {{tmp.file("adir"), "adir", false}};
                            writers::WriteResult r = writers::ZipAdd(a, items, {});
                            fs::remove(tmp.file("adir"));
                            return r;
                          }},
                      FailureCase{"Cancelled", ERROR_USER_CANCEL,
                                  [](TempDir& tmp, const std::string& a) {
                                    ZipOptions options;
                                    options.progress = [](uint64_t done) {
                                      return done < (1 << 20);
                                    };
                                    return writers::ZipAdd(a, {BigAndGone(tmp)[0]}, options);
                                  }},
                      FailureCase{"DiskFull", ERROR_DISK_SPACE,
                                  [](TempDir& tmp, const std::string& a) {
                                    auto items = BigAndGone(tmp);
                                    items.pop_back();
                                    ZipOptions stored;
                                    stored.level = 0;
                                    struct rlimit old {};
                                    getrlimit(RLIMIT_FSIZE, &old);
                                    struct rlimit small = old;
                                    small.rlim_cur = 1 << 20;
                                    auto previous = signal(SIGXFSZ, SIG_IGN);
                                    setrlimit(RLIMIT_FSIZE, &small);
                                    writers::WriteResult r = writers::ZipAdd(a, items, stored);
                                    setrlimit(RLIMIT_FSIZE, &old);
                                    signal(SIGXFSZ, previous);
                                    return r;
                                  }}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ZipWriter, ACorruptArchiveIsNeverUpdated) {
  TempDir tmp;
  WriteFile(tmp.file("a.txt"), "a");
  WriteFile(tmp.file("b.txt"), std::string(5000, 'b'));
  ASSERT_TRUE(writers::ZipAdd(
                  tmp.file("good.zip"),
                  {{tmp.file("a.txt"), "a.txt", false}, {tmp.file("b.txt"), "b.txt", false}}, {})
                  .ok());
  std::string good = ReadFile(tmp.file("good.zip"));
  std::string badLocal = good;
  badLocal[0] = 'X';  // the first local header's signature
  struct Case {
    const char* name;
    std::string bytes;
    int32_t code;
  } cases[] = {
      {"text.zip", "this is no archive at all", ERROR_NOT_ARC_FILE},
      {"empty.zip", "", ERROR_NOT_ARC_FILE},
      {"truncated.zip", good.substr(0, good.size() - 30), ERROR_NOT_ARC_FILE},
      {"badlocal.zip", badLocal, ERROR_HEADER_BROKEN},
      {"cutdata.zip", good.substr(0, 60) + good.substr(good.size() - 150), ERROR_HEADER_BROKEN},
  };
  for (const auto& c : cases) {
    WriteFile(tmp.file(c.name), c.bytes);
    writers::WriteResult r =
        writers::ZipAdd(tmp.file(c.name), {{tmp.file("a.txt"), "new.txt", false}}, {});
    EXPECT_EQ(r.code, c.code) << c.name << ": " << r.report;
    EXPECT_EQ(ReadFile(tmp.file(c.name)), c.bytes) << c.name;
    EXPECT_NE(writers::ZipDelete(tmp.file(c.name), {"a.txt"}).code, 0) << c.name;
    EXPECT_EQ(ReadFile(tmp.file(c.name)), c.bytes) << c.name;
  }
}

TEST(ZipWriter, AnArchiveInAMissingFolderOrUnderAFileFails) {
  TempDir tmp;
  WriteFile(tmp.file("a.txt"), "a");
  std::vector<AddItem> items = {{tmp.file("a.txt"), "a.txt", false}};
  EXPECT_EQ(writers::ZipAdd(tmp.file("no/such/folder/t.zip"), items, {}).code, ERROR_CANNOT_WRITE);
  EXPECT_EQ(writers::ZipAdd(tmp.file("a.txt/t.zip"), items, {}).code, ERROR_ARC_FILE_OPEN);
  EXPECT_FALSE(fs::exists(tmp.file("no")));
}

TEST(ZipWriter, AReadOnlyFolderRefusesTheArchive) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  TempDir tmp;
  WriteFile(tmp.file("a.txt"), "a");
  fs::create_directories(tmp.file("ro"));
  fs::permissions(tmp.file("ro"), fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(writers::ZipAdd(tmp.file("ro/t.zip"), {{tmp.file("a.txt"), "a.txt", false}}, {}).code,
            ERROR_CANNOT_WRITE);
}

TEST(ZipWriter, KeepsTheArchivePermissions) {
  TempDir tmp;
  WriteFile(tmp.file("a.txt"), "a");
  ASSERT_TRUE(writers::ZipAdd(tmp.file("t.zip"), {{tmp.file("a.txt"), "a.txt", false}}, {}).ok());
  fs::permissions(tmp.file("t.zip"),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(writers::ZipAdd(tmp.file("t.zip"), {{tmp.file("a.txt"), "b.txt", false}}, {}).ok());
  EXPECT_EQ(fs::status(tmp.file("t.zip")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

}  // namespace
}  // namespace qvr::test
