#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "FakeMainWindow.h"
#include "PathHelpers.h"
#include "TempDir.h"

namespace fs = std::filesystem;
using qvr::test::FakeMainWindow;
using qvr::test::TempDir;
using qvr::test::WriteFile;

namespace {

struct SplitCase {
  std::string path, folder, name, stripped, extension;
};

TEST(PathHelpers, SplitTable) {
  const std::string longPath = "/" + std::string(3990, 'a') + "/x.y";
  const SplitCase cases[] = {
      {"/home/u/report.txt", "/home/u", "report.txt", "/home/u/report", "txt"},
      {"report.txt", "/", "report.txt", "report", "txt"},  // a bare name lies in "/"
      {"/data/backup.tar.gz", "/data", "backup.tar.gz", "/data/backup.tar", "gz"},
      {"README", "/", "README", "README", "README"},  // no "." : the whole text
      {"", "/", "", "", ""},
      {"/", "", "", "/", "/"},
      {"/dir/", "/dir", "", "/dir/", "/dir/"},
      {"/a b/with blank.TXT", "/a b", "with blank.TXT", "/a b/with blank", "TXT"},
      {"/写真/日本語の予定表.txt", "/写真", "日本語の予定表.txt", "/写真/日本語の予定表", "txt"},
      {"/x.d/file", "/x.d", "file", "/x", "d/file"},  // plain text rules, as designed
      {longPath, longPath.substr(0, longPath.size() - 4), "x.y",
       longPath.substr(0, longPath.size() - 2), "y"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.substr(0, 60));
    EXPECT_EQ(qvr::FolderOf(c.path), c.folder);
    EXPECT_EQ(qvr::FileNameOf(c.path), c.name);
    EXPECT_EQ(qvr::StripExtension(c.path), c.stripped);
    EXPECT_EQ(qvr::ExtensionOf(c.path), c.extension);
  }
}

TEST(PathHelpers, QuotePathQuotesEveryPathWithABlank) {
  EXPECT_EQ(qvr::QuotePath("/usr/bin/rk"), "/usr/bin/rk");
  EXPECT_EQ(qvr::QuotePath("/a b/rk"), "\"/a b/rk\"");
  EXPECT_EQ(qvr::QuotePath(""), "");
  // A long path is still quoted, never turned into empty text.
  std::string longPath = "/" + std::string(300, 'x') + " y/" + std::string(4000, 'z');
  EXPECT_EQ(qvr::QuotePath(longPath), "\"" + longPath + "\"");
  std::string longNoBlank(4000, 'q');
  EXPECT_EQ(qvr::QuotePath(longNoBlank), longNoBlank);
}

TEST(PathHelpers, IsValidFileNameRefusesEachForbiddenCharacterWithOneMessage) {
  for (char bad : std::string("\\/:,;*?\"<>|")) {
    FakeMainWindow window;
    EXPECT_FALSE(qvr::IsValidFileName(std::string("name") + bad, window)) << bad;
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text,
              "ファイル名に次の文字は使えません。\r\n\\ / : , * ? \" < > |");
    EXPECT_EQ(window.messages[0].icon, qvr::MsgIcon::Critical);
  }
  FakeMainWindow window;
  EXPECT_TRUE(qvr::IsValidFileName("新しいフォルダ (2).txt", window));
  EXPECT_TRUE(qvr::IsValidFileName("", window));
  EXPECT_TRUE(window.messages.empty());
}

TEST(PathHelpers, CaseMappingIsAsciiOnly) {
  EXPECT_EQ(qvr::LCase("ABC.Zip"), "abc.zip");
  EXPECT_EQ(qvr::UCase("tar.gz"), "TAR.GZ");
  EXPECT_EQ(qvr::LCase("ＡＢＣ"), "ＡＢＣ");
}

TEST(PathHelpers, MakeFoldersCreatesEveryLevel) {
  TempDir dir;
  EXPECT_TRUE(qvr::MakeFolders(dir.file("a/b c/日本")));
  EXPECT_TRUE(fs::is_directory(dir.file("a/b c/日本")));
  EXPECT_TRUE(qvr::MakeFolders(dir.file("a/b c/日本")));  // existing levels are fine
  WriteFile(dir.file("file"), "x");
  EXPECT_FALSE(qvr::MakeFolders(dir.file("file/sub")));
  EXPECT_FALSE(qvr::MakeFolders(""));
}

class RemoveFolderChainTest : public ::testing::TestWithParam<bool> {};

TEST_P(RemoveFolderChainTest, RemovesStagedFilesAndFoldersButNothingAtOrAboveBase) {
  TempDir dir;
  std::string base = dir.file("ArcFiles");
  WriteFile(base + "/keep.txt", "base file");
  WriteFile(base + "/a/b/one.txt", "1");
  WriteFile(base + "/a/b/two.txt", "2");
  WriteFile(base + "/a/sibling.txt", "stays: the folder a is not empty");
  WriteFile(dir.file("outside.txt"), "outside");
  std::string baseArg = GetParam() ? base + "/" : base;

  EXPECT_TRUE(qvr::RemoveFolderChain(baseArg, "a/b"));
  EXPECT_FALSE(fs::exists(base + "/a/b"));
  EXPECT_TRUE(fs::exists(base + "/a/sibling.txt"));
  EXPECT_TRUE(fs::exists(base + "/keep.txt"));
  EXPECT_TRUE(fs::is_directory(base));
  EXPECT_TRUE(fs::exists(dir.file("outside.txt")));

  fs::remove(base + "/a/sibling.txt");
  WriteFile(base + "/a/b/three.txt", "3");
  EXPECT_TRUE(qvr::RemoveFolderChain(baseArg, "a/b"));
  EXPECT_FALSE(fs::exists(base + "/a"));
  EXPECT_TRUE(fs::is_directory(base));
  EXPECT_TRUE(fs::exists(base + "/keep.txt"));
}

INSTANTIATE_TEST_SUITE_P(BaseWithAndWithoutSeparator, RemoveFolderChainTest,
                         ::testing::Values(false, true));

TEST(PathHelpers, RemoveFolderChainNeverLeavesTheBase) {
  TempDir dir;
  std::string base = dir.file("ArcFiles");
  WriteFile(base + "/keep.txt", "x");
  WriteFile(dir.file("outside/victim.txt"), "must stay");
  WriteFile(dir.file("parent.txt"), "must stay");
  fs::create_symlink(dir.file("outside"), base + "/link");
  fs::create_directories(base + "/real");
  fs::create_symlink(dir.file("outside"), base + "/real/inner");

  for (const std::string& sub :
       std::vector<std::string>{"", ".", "..", "../outside", "/", "link", "real/inner",
                                "real/../..", std::string(4000, 'x')}) {
    EXPECT_TRUE(qvr::RemoveFolderChain(base, sub)) << sub;
  }
  EXPECT_TRUE(fs::exists(dir.file("outside/victim.txt")));
  EXPECT_TRUE(fs::exists(dir.file("parent.txt")));
  EXPECT_TRUE(fs::exists(base + "/keep.txt"));
  EXPECT_TRUE(fs::is_symlink(base + "/link"));
  EXPECT_TRUE(fs::is_symlink(base + "/real/inner"));
  EXPECT_TRUE(qvr::RemoveFolderChain("", "a"));
  EXPECT_TRUE(qvr::RemoveFolderChain(dir.file("missing"), "a/b"));
}

TEST(PathHelpers, RemoveFolderChainDeletesALinkFileItselfNotItsTarget) {
  TempDir dir;
  std::string base = dir.file("ArcFiles");
  WriteFile(dir.file("target.txt"), "target");
  WriteFile(base + "/s/file.txt", "x");
  fs::create_symlink(dir.file("target.txt"), base + "/s/link.txt");
  qvr::RemoveFolderChain(base, "s");
  EXPECT_FALSE(fs::exists(base + "/s"));
  EXPECT_EQ(qvr::test::ReadFile(dir.file("target.txt")), "target");
}

}  // namespace
