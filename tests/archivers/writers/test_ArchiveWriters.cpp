// The 7Z, TAR family and CAB writers against independent peers: what they extract, updates,
// deletes, and old archives left intact when a write fails.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "CabWriter.h"
#include "SevenZipWriter.h"
#include "TarWriter.h"
#include "WriterTestSupport.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;
using writers::AddItem;

// ---- 7Z

TEST(SevenZipWriter, PeersExtractTheTreeAtEveryLevel) {
  TempDir tmp;
  Tree tree = MakeSampleTree(tmp.file("src"));
  for (int level : {0, 1, 5, 9}) {
    std::string archive = tmp.file("l" + std::to_string(level) + ".7z");
    writers::SevenZipOptions options;
    options.level = level;
    writers::WriteResult r = writers::SevenZipAdd(archive, ItemsOf(tmp.file("src")), options);
    ASSERT_TRUE(r.ok()) << r.report;
    ExpectPeersExtract(archive, {"7zz", "bsdtar", "unar"}, tree,
                       tmp.file("x" + std::to_string(level)));
  }
}

TEST(SevenZipWriter, AddingReplacesAndKeepsTheRest) {
  TempDir tmp;
  Tree tree = MakeSampleTree(tmp.file("src"));
  std::string archive = tmp.file("a.7z");
  ASSERT_TRUE(writers::SevenZipAdd(archive, ItemsOf(tmp.file("src")), {}).ok());
  WriteFile(tmp.file("src/readme.txt"), "replaced");
  WriteFile(tmp.file("extra.txt"), "extra");
  ASSERT_TRUE(writers::SevenZipAdd(archive,
                                   {{tmp.file("src/readme.txt"), "readme.txt", false},
                                    {tmp.file("extra.txt"), "sub dir/extra.txt", false}},
                                   {})
                  .ok());
  tree["readme.txt"] = "replaced";
  tree["sub dir/extra.txt"] = "extra";
  ExpectPeersExtract(archive, {"7zz", "bsdtar"}, tree, tmp.file("x"));
  EXPECT_EQ(ListWith("7zz", archive).size(), tree.size());  // no entry twice
}

TEST(SevenZipWriter, DeleteRewritesWithoutTheEntries) {
  TempDir tmp;
  Tree tree = MakeSampleTree(tmp.file("src"));
  std::string archive = tmp.file("d.7z");
  ASSERT_TRUE(writers::SevenZipAdd(archive, ItemsOf(tmp.file("src")), {}).ok());
  ASSERT_TRUE(writers::SevenZipDelete(archive, {"sub dir/", "bin.dat"}).ok());
  Tree expected;
  for (const auto& [name, content] : tree)
    if (!name.starts_with("sub dir/") && name != "bin.dat") expected[name] = content;
  ExpectPeersExtract(archive, {"7zz", "bsdtar"}, expected, tmp.file("x"));
  std::string bytes = ReadFile(archive);
  EXPECT_EQ(writers::SevenZipDelete(archive, {"nothing.txt"}).code, ERROR_NOT_FIND_FILE);
  EXPECT_EQ(ReadFile(archive), bytes);
}

TEST(SevenZipWriter, ACorruptArchiveIsNeverUpdated) {
  TempDir tmp;
  MakeSampleTree(tmp.file("src"));
  ASSERT_TRUE(writers::SevenZipAdd(tmp.file("good.7z"), ItemsOf(tmp.file("src")), {}).ok());
  std::string good = ReadFile(tmp.file("good.7z"));
  std::string flipped = good;
  flipped[good.size() / 2] = static_cast<char>(flipped[good.size() / 2] ^ 0x55);
  WriteFile(tmp.file("new.txt"), "new");
  for (const auto& [name, bytes] :
       std::map<std::string, std::string>{{"text.7z", "no archive"},
                                          {"truncated.7z", good.substr(0, good.size() / 2)},
                                          {"flipped.7z", flipped}}) {
    WriteFile(tmp.file(name), bytes);
    writers::WriteResult r =
        writers::SevenZipAdd(tmp.file(name), {{tmp.file("new.txt"), "new.txt", false}}, {});
    EXPECT_NE(r.code, 0) << name;
    EXPECT_FALSE(r.report.empty()) << name;
    EXPECT_EQ(ReadFile(tmp.file(name)), bytes) << name;
    EXPECT_NE(writers::SevenZipDelete(tmp.file(name), {"readme.txt"}).code, 0) << name;
    EXPECT_EQ(ReadFile(tmp.file(name)), bytes) << name;
  }
  EXPECT_EQ(OtherFiles(tmp.path(), {"good.7z", "text.7z", "truncated.7z", "flipped.7z", "new.txt"}),
            std::vector<std::string>{});
}

TEST(SevenZipWriter, AVanishedSourceOrCancelLeavesTheArchive) {
  TempDir tmp;
  WriteFile(tmp.file("a.txt"), std::string(300000, 'a'));
  ASSERT_TRUE(
      writers::SevenZipAdd(tmp.file("k.7z"), {{tmp.file("a.txt"), "a.txt", false}}, {}).ok());
  std::string bytes = ReadFile(tmp.file("k.7z"));
  EXPECT_EQ(
      writers::SevenZipAdd(tmp.file("k.7z"), {{tmp.file("gone.txt"), "gone.txt", false}}, {}).code,
      ERROR_FILE_OPEN);
  writers::SevenZipOptions cancel;
  cancel.progress = [](uint64_t) { return false; };
  EXPECT_EQ(
      writers::SevenZipAdd(tmp.file("k.7z"), {{tmp.file("a.txt"), "b.txt", false}}, cancel).code,
      ERROR_USER_CANCEL);
  EXPECT_EQ(ReadFile(tmp.file("k.7z")), bytes);
  EXPECT_EQ(OtherFiles(tmp.path(), {"a.txt", "k.7z"}), std::vector<std::string>{});
}

// ---- TAR family

struct TarCase {
  const char* archive;
  bool junkPaths;
  writers::TarKind kind;
};

class TarKinds : public ::testing::TestWithParam<TarCase> {};

TEST_P(TarKinds, PeersExtractTheTree) {
  TempDir tmp;
  Tree tree = MakeSampleTree(tmp.file("src"));
  std::vector<AddItem> items = ItemsOf(tmp.file("src"), true, !GetParam().junkPaths);
  if (GetParam().junkPaths)
    for (auto& item : items) item.name = item.name.substr(item.name.rfind('/') + 1);
  std::string archive = tmp.file(GetParam().archive);
  EXPECT_EQ(writers::TarKindFor(archive, items), GetParam().kind);
  writers::TarOptions options;
  options.level = 9;
  writers::WriteResult r = writers::TarCreate(archive, items, options);
  ASSERT_TRUE(r.ok()) << r.report;
  ExpectPeersExtract(archive, {"bsdtar", "tar"}, GetParam().junkPaths ? Flattened(tree) : tree,
                     tmp.file("x"));
}

INSTANTIATE_TEST_SUITE_P(Each, TarKinds,
                         ::testing::Values(TarCase{"t.tar", false, writers::TarKind::Tar},
                                           TarCase{"flat.tar", true, writers::TarKind::Tar},
                                           TarCase{"t.tgz", false, writers::TarKind::TarGz},
                                           TarCase{"t.tar.gz", false, writers::TarKind::TarGz},
                                           TarCase{"several.gz", true, writers::TarKind::TarGz},
                                           TarCase{"t.tbz", false, writers::TarKind::TarBz2},
                                           TarCase{"t.tar.bz2", false, writers::TarKind::TarBz2},
                                           TarCase{"several.bz2", true, writers::TarKind::TarBz2}),
                         [](const auto& info) {
                           std::string name = info.param.archive;
                           for (char& c : name)
                             if (c == '.') c = '_';
                           return name;
                         });

TEST(TarWriter, ASingleGzKeepsTheOriginalNameAndTime) {
  TempDir tmp;
  std::string content(100000, 'q');
  WriteFile(tmp.file("src/日本語 メモ.txt"), content);
  struct timespec times[2] = {{1500000000, 0}, {1500000000, 0}};
  utimensat(AT_FDCWD, tmp.file("src/日本語 メモ.txt").c_str(), times, 0);
  std::vector<AddItem> item = {{tmp.file("src/日本語 メモ.txt"), "日本語 メモ.txt", false}};
  ASSERT_TRUE(writers::TarCreate(tmp.file("memo.gz"), item, {}).ok());
  EXPECT_EQ(RunTool({"gzip", "-t", tmp.file("memo.gz")}).exitCode, 0);
  EXPECT_EQ(RunTool({"gzip", "-dc", tmp.file("memo.gz")}, tmp.file("plain")).exitCode, 0);
  EXPECT_EQ(ReadFile(tmp.file("plain")), content);
  EXPECT_NE(RunTool({"gzip", "-lN", tmp.file("memo.gz")}).output.find("日本語 メモ.txt"),
            std::string::npos);
  // unar names a single file after the archive whatever its header says; 7-Zip and gzip -N read it.
  for (const char* tool : {"7zz"}) {
    int exitCode = -1;
    Tree got =
        ExtractWith(tool, tmp.file("memo.gz"), tmp.file(std::string("x-") + tool), &exitCode);
    EXPECT_EQ(got, (Tree{{"日本語 メモ.txt", content}})) << tool;
  }
  // gzip -N restores the name and the time from the header.
  fs::create_directories(tmp.file("n"));
  fs::copy_file(tmp.file("memo.gz"), tmp.file("n/memo.gz"));
  ASSERT_EQ(RunTool({"gzip", "-dN", tmp.file("n/memo.gz")}).exitCode, 0);
  struct stat st {};
  ASSERT_EQ(stat(tmp.file("n/日本語 メモ.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1500000000);
}

TEST(TarWriter, ASingleBz2HoldsTheFile) {
  TempDir tmp;
  WriteFile(tmp.file("song.wav"), std::string(70000, 'w'));
  ASSERT_TRUE(
      writers::TarCreate(tmp.file("song.bz2"), {{tmp.file("song.wav"), "song.wav", false}}, {})
          .ok());
  EXPECT_EQ(RunTool({"bzip2", "-t", tmp.file("song.bz2")}).exitCode, 0);
  EXPECT_EQ(RunTool({"bzip2", "-dc", tmp.file("song.bz2")}, tmp.file("plain")).exitCode, 0);
  EXPECT_EQ(ReadFile(tmp.file("plain")), std::string(70000, 'w'));
  int exitCode = -1;
  EXPECT_EQ(FilesOnly(ExtractWith("7zz", tmp.file("song.bz2"), tmp.file("x"), &exitCode)),
            (Tree{{"song", std::string(70000, 'w')}}));
}

TEST(TarWriter, CreatingOverAnArchiveReplacesItOnlyWhenComplete) {
  TempDir tmp;
  WriteFile(tmp.file("a.txt"), "a");
  ASSERT_TRUE(
      writers::TarCreate(tmp.file("t.tar"), {{tmp.file("a.txt"), "a.txt", false}}, {}).ok());
  std::string bytes = ReadFile(tmp.file("t.tar"));
  EXPECT_EQ(writers::TarCreate(tmp.file("t.tar"), {{tmp.file("gone"), "gone", false}}, {}).code,
            ERROR_FILE_OPEN);
  EXPECT_EQ(writers::TarCreate(tmp.file("t.gz"), {{tmp.file("gone"), "gone", false}}, {}).code,
            ERROR_FILE_OPEN);
  EXPECT_EQ(ReadFile(tmp.file("t.tar")), bytes);
  EXPECT_EQ(OtherFiles(tmp.path(), {"a.txt", "t.tar"}), std::vector<std::string>{});
  WriteFile(tmp.file("b.txt"), "b");
  ASSERT_TRUE(
      writers::TarCreate(tmp.file("t.tar"), {{tmp.file("b.txt"), "b.txt", false}}, {}).ok());
  EXPECT_EQ(ListWith("bsdtar", tmp.file("t.tar")), std::vector<std::string>{"b.txt"});
}

// ---- CAB

class CabKinds : public ::testing::TestWithParam<writers::CabCompression> {};

TEST_P(CabKinds, PeersExtractTheFilesWithTheirFolders) {
  TempDir tmp;
  Tree tree = MakeSampleTree(tmp.file("src"));
  writers::CabOptions options;
  options.compression = GetParam();
  std::string archive = tmp.file("t.cab");
  writers::WriteResult r = writers::CabAdd(archive, ItemsOf(tmp.file("src")), options);
  ASSERT_TRUE(r.ok()) << r.report;
  for (const char* tool : {"cabextract", "7zz", "bsdtar", "unar"}) {
    int exitCode = -1;
    Tree got = ExtractWith(tool, archive, tmp.file(std::string("x-") + tool), &exitCode);
    EXPECT_EQ(exitCode, 0) << tool;
    EXPECT_EQ(FilesOnly(got), FilesOnly(tree)) << tool;  // a cabinet stores no folders
  }
}

INSTANTIATE_TEST_SUITE_P(Each, CabKinds,
                         ::testing::Values(writers::CabCompression::MsZip,
                                           writers::CabCompression::Stored),
                         [](const auto& info) {
                           return std::string(
                               info.param == writers::CabCompression::MsZip ? "MsZip" : "Stored");
                         });

TEST(CabWriter, AddingToACabinetKeepsItsFilesAndReplacesByName) {
  TempDir tmp;
  WriteFile(tmp.file("a.txt"), "a1");
  WriteFile(tmp.file("b.doc"), "b1");
  ASSERT_TRUE(writers::CabAdd(tmp.file("a.cab"), {{tmp.file("a.txt"), "a.txt", false}}, {}).ok());
  ASSERT_TRUE(writers::CabAdd(tmp.file("a.cab"), {{tmp.file("b.doc"), "b.doc", false}}, {}).ok());
  WriteFile(tmp.file("a.txt"), "a2");
  ASSERT_TRUE(writers::CabAdd(tmp.file("a.cab"), {{tmp.file("a.txt"), "a.txt", false}}, {}).ok());
  ExpectPeersExtract(tmp.file("a.cab"), {"cabextract", "7zz"}, {{"a.txt", "a2"}, {"b.doc", "b1"}},
                     tmp.file("x"));
}

TEST(CabWriter, ACorruptCabinetOrAVanishedFileLeavesTheOldOne) {
  TempDir tmp;
  WriteFile(tmp.file("a.txt"), "a");
  WriteFile(tmp.file("bad.cab"), "MSCF but nothing more");
  EXPECT_NE(writers::CabAdd(tmp.file("bad.cab"), {{tmp.file("a.txt"), "a.txt", false}}, {}).code,
            0);
  EXPECT_EQ(ReadFile(tmp.file("bad.cab")), "MSCF but nothing more");
  ASSERT_TRUE(writers::CabAdd(tmp.file("k.cab"), {{tmp.file("a.txt"), "a.txt", false}}, {}).ok());
  std::string bytes = ReadFile(tmp.file("k.cab"));
  EXPECT_EQ(writers::CabAdd(tmp.file("k.cab"), {{tmp.file("gone"), "gone", false}}, {}).code,
            ERROR_FILE_OPEN);
  EXPECT_EQ(ReadFile(tmp.file("k.cab")), bytes);
  EXPECT_EQ(OtherFiles(tmp.path(), {"a.txt", "bad.cab", "k.cab"}), std::vector<std::string>{});
}

}  // namespace
}  // namespace qvr::test
