#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "AppFolder.h"
#include "FakeMainWindow.h"
#include "FileList.h"
#include "TempDir.h"

namespace qvr {
namespace {

using test::FakeMainWindow;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Paths = std::vector<std::string>;

class FileListTest : public ::testing::Test {
 protected:
  void SetUp() override { SetAppFolder(app.path()); }
  std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  }
  TempDir app;
  TempDir dir;
  FakeMainWindow window;
};

TEST(ParseArchiveList, Cases) {
  struct Case {
    const char* text;
    Paths paths;
  };
  const Case cases[] = {
      {"", {}},
      {"/a/b.lzh", {"/a/b.lzh"}},
      {"/a/b.lzh /c/d.zip", {"/a/b.lzh", "/c/d.zip"}},
      {"\"/a b/c.lzh\" /d/e.zip", {"/a b/c.lzh", "/d/e.zip"}},
      {"\"/a b/c.lzh\"", {"/a b/c.lzh"}},
      {"\"/a b/c.lzh\" \"/日本 語/x.zip\"", {"/a b/c.lzh", "/日本 語/x.zip"}},
      // A tail of one or two characters is no path.
      {"/a/b.lzh xy", {"/a/b.lzh"}},
      {"/a/b.lzh x", {"/a/b.lzh"}},
      {"/a/b.lzh xyz", {"/a/b.lzh", "xyz"}},
      // Characters, not bytes: three Japanese characters are a path.
      {"/a/b.lzh あい", {"/a/b.lzh"}},
      {"/a/b.lzh あいう", {"/a/b.lzh", "あいう"}},
      // Doubled blanks give no empty path.
      {"/a/b.lzh   /c/d.zip", {"/a/b.lzh", "/c/d.zip"}},
      // An unclosed quote holds the last path; a lone quote is nothing.
      {"/a/b.lzh \"/c d/e.zip", {"/a/b.lzh", "/c d/e.zip"}},
      {"\"\"\"", {}},
      {"\"/x\"/y.zip", {"/x", "y.zip"}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseArchiveList(c.text), c.paths) << c.text;
}

TEST(ParseArchiveList, SixtyFourKilobyteLine) {
  std::string line;
  for (int i = 0; i < 4000; ++i) line += "\"/folder " + std::to_string(i) + "/f.lzh\" ";
  line += std::string(65536, 'x');
  Paths paths = ParseArchiveList(line);
  ASSERT_EQ(paths.size(), 4001u);
  EXPECT_EQ(paths[3999], "/folder 3999/f.lzh");
  EXPECT_EQ(paths.back().size(), 65536u);
}

TEST_F(FileListTest, NormalizeFindsStoredNamesAndResolvesDots) {
  WriteFile(dir.file("Sub Dir/ReadMe.TXT"), "x");
  std::string base = dir.path();
  EXPECT_EQ(NormalizePath("  " + base + "/Sub Dir/ReadMe.TXT  "), base + "/Sub Dir/ReadMe.TXT");
  EXPECT_EQ(NormalizePath(base + "/sub dir/readme.txt"), base + "/Sub Dir/ReadMe.TXT");
  EXPECT_EQ(NormalizePath(base + "//Sub Dir/./../Sub Dir/ReadMe.TXT"),
            base + "/Sub Dir/ReadMe.TXT");
  EXPECT_EQ(NormalizePath(base + "/Sub Dir/"), base + "/Sub Dir");
  EXPECT_EQ(NormalizePath(base + "/Sub Dir/missing.txt"), "");
  EXPECT_EQ(NormalizePath(""), "");
  EXPECT_EQ(NormalizePath("/"), "/");
  EXPECT_EQ(NormalizePath("/.."), "/");
  // Two names that differ only in case: the exact one, never a guess.
  WriteFile(dir.file("Sub Dir/a.txt"), "");
  WriteFile(dir.file("Sub Dir/A.txt"), "");
  EXPECT_EQ(NormalizePath(base + "/Sub Dir/A.txt"), base + "/Sub Dir/A.txt");
  EXPECT_EQ(NormalizePath(base + "/Sub Dir/a.TXT"), "");
}

TEST_F(FileListTest, NormalizeAnchorsRelativePathsAtTheCurrentFolder) {
  WriteFile(dir.file("r.lzh"), "x");
  auto previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  std::string normal = NormalizePath("./r.lzh");
  std::filesystem::current_path(previous);
  EXPECT_EQ(normal, std::filesystem::canonical(dir.file("r.lzh")).string());
}

TEST_F(FileListTest, WalkAddsEveryFileAtEveryDepthAndNoFolders) {
  WriteFile(dir.file("t/a.lzh"), "");
  WriteFile(dir.file("t/.hidden"), "");
  WriteFile(dir.file("t/s1/b.zip"), "");
  WriteFile(dir.file("t/s1/s2/s3/c.7z"), "");
  std::filesystem::create_directories(dir.file("t/empty"));
  std::filesystem::create_directories(dir.file("t/.hiddendir"));
  WriteFile(dir.file("t/.hiddendir/d"), "");
  EXPECT_EQ(WalkFolder(window, dir.file("t")), 5);
  std::string t = dir.file("t");
  EXPECT_EQ(sorted(window.list), sorted({t + "/a.lzh", t + "/.hidden", t + "/s1/b.zip",
                                         t + "/s1/s2/s3/c.7z", t + "/.hiddendir/d"}));
  // Depth first: every file of a subfolder comes before the next entry of its parent
  // after it, so the files of s1 are together.
  auto b = std::find(window.list.begin(), window.list.end(), t + "/s1/b.zip");
  auto c = std::find(window.list.begin(), window.list.end(), t + "/s1/s2/s3/c.7z");
  EXPECT_EQ(std::abs(int(b - c)), 1);
  EXPECT_EQ(window.listHides, 1);
  EXPECT_TRUE(window.listVisible);
  EXPECT_FALSE(window.busyCursor);
}

TEST_F(FileListTest, WalkSurvivesALinkLoopAndAddsLinksToFiles) {
  WriteFile(dir.file("t/f.lzh"), "");
  std::filesystem::create_directory_symlink("..", dir.file("t/up"));
  std::filesystem::create_directory_symlink(dir.file("t"), dir.file("t/self"));
  std::filesystem::create_symlink(dir.file("t/f.lzh"), dir.file("t/link.lzh"));
  std::filesystem::create_symlink(dir.file("t/gone"), dir.file("t/dangling"));
  EXPECT_EQ(WalkFolder(window, dir.file("t")), 3);
  EXPECT_EQ(sorted(window.list),
            sorted({dir.file("t/f.lzh"), dir.file("t/link.lzh"), dir.file("t/dangling")}));
}

// Runs the walk without the privileges that ignore permissions, when the test has them.
int WalkAsUser(const std::string& folder) {
  if (getuid() != 0) {
    FakeMainWindow window;
    return WalkFolder(window, folder);
  }
  pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(99);
    FakeMainWindow window;
    _exit(WalkFolder(window, folder));
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(FileListTest, AnUnreadableFolderAddsNothingAndTheWalkGoesOn) {
  WriteFile(dir.file("t/a.lzh"), "");
  WriteFile(dir.file("t/locked/secret.lzh"), "");
  WriteFile(dir.file("t/z/b.lzh"), "");
  for (auto p : {dir.path(), dir.file("t"), dir.file("t/z")}) chmod(p.c_str(), 0755);
  for (auto p : {dir.file("t/a.lzh"), dir.file("t/z/b.lzh")}) chmod(p.c_str(), 0644);
  chmod(dir.file("t/locked").c_str(), 0);
  EXPECT_EQ(WalkAsUser(dir.file("t")), 2);
}

TEST_F(FileListTest, AddArchiveListAddsFilesAndFoldersSkipsMissingPaths) {
  WriteFile(dir.file("a b/日本 語.lzh"), "");
  WriteFile(dir.file("d/x.zip"), "");
  WriteFile(dir.file("d/y.zip"), "");
  std::string text = "\"" + dir.file("a b/日本 語.lzh") + "\" " + dir.file("D") + " " +
                     dir.file("missing.lzh") + " \"" + dir.file("a b/日本 語.lzh") + "\"";
  EXPECT_EQ(AddArchiveList(window, text), 4);
  ASSERT_EQ(window.list.size(), 4u);
  EXPECT_EQ(window.list[0], dir.file("a b/日本 語.lzh"));
  EXPECT_EQ(sorted({window.list[1], window.list[2]}),
            sorted({dir.file("d/x.zip"), dir.file("d/y.zip")}));
  // Duplicates are kept.
  EXPECT_EQ(window.list[3], window.list[0]);
  EXPECT_EQ(window.panels[1], "4ファイル登録済み(4追加)");
  for (const auto& entry : window.list) EXPECT_FALSE(entry.empty());
}

TEST_F(FileListTest, DroppingAddsDeletesTheSavedListAndShowsTheText) {
  WriteFile(dir.file("f.lzh"), "");
  WriteFile(app.file("original.lst"), "x\r\n");
  window.list = {"/old"};
  EXPECT_EQ(AddDroppedFiles(window, {dir.file("f.lzh"), dir.file("f.lzh"), dir.file("nope")}), 2);
  EXPECT_EQ(window.list, Paths({"/old", dir.file("f.lzh"), dir.file("f.lzh")}));
  EXPECT_FALSE(std::filesystem::exists(app.file("original.lst")));
  EXPECT_EQ(window.panels[1], "3ファイル登録済み(2追加)");
}

TEST_F(FileListTest, RemovingTheSelectionKeepsTheOrderOfTheRest) {
  window.list = {"a", "b", "c", "d", "e"};
  window.selected = {0, 2, 4};
  EXPECT_EQ(RemoveSelected(window), 3);
  EXPECT_EQ(window.list, Paths({"b", "d"}));
  EXPECT_EQ(window.panels[1], "2ファイル登録済み(3消去)");
  EXPECT_EQ(window.listHides, 1);
  window.selected.clear();
  EXPECT_EQ(RemoveSelected(window), 0);
  EXPECT_EQ(window.panels[1], "2ファイル登録済み(0消去)");
}

TEST_F(FileListTest, SortKeys) {
  const Paths entries = {"/z/b.lzh", "/a/c.zip", "/m/a.7z", "/a/a.lzh", "/Z/a.lzh", "/a/c.zip"};
  struct Case {
    int key;
    Paths expected;
  };
  const Case cases[] = {
      {0, {"/Z/a.lzh", "/a/a.lzh", "/a/c.zip", "/a/c.zip", "/m/a.7z", "/z/b.lzh"}},
      // Equal keys keep their order (stable).
      {1, {"/Z/a.lzh", "/a/c.zip", "/a/a.lzh", "/a/c.zip", "/m/a.7z", "/z/b.lzh"}},
      {2, {"/m/a.7z", "/a/a.lzh", "/Z/a.lzh", "/z/b.lzh", "/a/c.zip", "/a/c.zip"}},
      {3, entries},
      {-1, entries},
  };
  for (const auto& c : cases) {
    window.list = entries;
    SortFileList(window, c.key);
    EXPECT_EQ(window.list, c.expected) << "SORT=" << c.key;
  }
  // Byte order of UTF-8 is code-point order; keys longer than 300 characters count whole.
  std::string longA = "/" + std::string(400, 'x') + "a", longB = "/" + std::string(400, 'x') + "b";
  window.list = {"/日本", "/éa", "/za", longB, longA};
  SortFileList(window, 0);
  EXPECT_EQ(window.list, Paths({longA, longB, "/za", "/éa", "/日本"}));
}

TEST_F(FileListTest, SaveWritesCrLfLinesAndLoadReadsThemBack) {
  window.list = {"/a b/日本.lzh", "", "/x/\xff\xfe-invalid.zip", std::string("/nul\0in.lzh", 11)};
  ASSERT_TRUE(SaveFileList(window, dir.file("l.txt")));
  std::string expected =
      "/a b/日本.lzh\r\n\r\n/x/\xff\xfe-invalid.zip\r\n" + std::string("/nul\0in.lzh", 11) + "\r\n";
  EXPECT_EQ(ReadFile(dir.file("l.txt")), expected);
  FakeMainWindow other;
  other.list = {"old"};
  ASSERT_TRUE(LoadFileList(other, dir.file("l.txt"), "New"));
  EXPECT_EQ(other.list, window.list);
  ASSERT_TRUE(LoadFileList(other, dir.file("l.txt"), "Add"));
  EXPECT_EQ(other.list.size(), 8u);
}

TEST_F(FileListTest, LoadAcceptsLfAloneAndKeepsEmptyLines) {
  WriteFile(dir.file("l.csv"), "a\n\nb\r\nc");
  ASSERT_TRUE(LoadFileList(window, dir.file("l.csv"), "New"));
  EXPECT_EQ(window.list, Paths({"a", "", "b", "c"}));
  WriteFile(dir.file("e.txt"), "");
  ASSERT_TRUE(LoadFileList(window, dir.file("e.txt"), "New"));
  EXPECT_TRUE(window.list.empty());
}

TEST_F(FileListTest, LoadOfAMegabyteLine) {
  std::string line(1 << 20, 'q');
  WriteFile(dir.file("big.txt"), line + "\r\nshort\r\n");
  ASSERT_TRUE(LoadFileList(window, dir.file("big.txt"), "New"));
  ASSERT_EQ(window.list.size(), 2u);
  EXPECT_EQ(window.list[0], line);
}

TEST_F(FileListTest, AFileThatCannotBeReadLeavesTheListAlone) {
  window.list = {"keep"};
  EXPECT_FALSE(LoadFileList(window, dir.file("missing.txt"), "New"));
  EXPECT_FALSE(LoadFileList(window, dir.path(), "New"));
  EXPECT_EQ(window.list, Paths({"keep"}));
  window.dialogAnswers = {dir.file("missing.txt")};
  LoadFileListCommand(window);
  EXPECT_EQ(window.list, Paths({"keep"}));
  EXPECT_EQ(window.panels[1], "ファイルリストを読み込めませんでした。");
}

TEST_F(FileListTest, CommandsAndTheirTexts) {
  // Load: cancel, then a file.
  LoadFileListCommand(window);
  EXPECT_EQ(window.panels[1], "キャンセルしました。");
  WriteFile(dir.file("in.txt"), "p\r\nq\r\n");
  window.list = {"old"};
  window.dialogAnswers = {dir.file("in.txt")};
  LoadFileListCommand(window);
  EXPECT_EQ(window.list, Paths({"p", "q"}));
  EXPECT_EQ(window.panels[1], "ファイルリストを読み込みました。");

  // Save: cancel, a name without extension, an upper-case ".CSV".
  SaveFileListCommand(window);
  EXPECT_EQ(window.panels[1], "キャンセルしました。");
  window.dialogAnswers = {dir.file("out"), dir.file("OUT.CSV"), dir.file("x.Txt")};
  SaveFileListCommand(window);
  EXPECT_EQ(window.panels[1], "ファイルリストを保存しました。");
  SaveFileListCommand(window);
  SaveFileListCommand(window);
  EXPECT_EQ(ReadFile(dir.file("out.txt")), "p\r\nq\r\n");
  EXPECT_EQ(ReadFile(dir.file("OUT.CSV")), "p\r\nq\r\n");
  EXPECT_EQ(ReadFile(dir.file("x.Txt")), "p\r\nq\r\n");
  EXPECT_FALSE(std::filesystem::exists(dir.file("out")));

  // Save of a folder that cannot be written says so.
  window.dialogAnswers = {dir.file("no/such/folder/l.txt")};
  SaveFileListCommand(window);
  EXPECT_EQ(window.panels[1], "ファイルリストを保存できませんでした。");

  // Save of an empty list.
  window.list.clear();
  window.dialogs.clear();
  SaveFileListCommand(window);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "登録されているファイルがありません。\r\n中止します。");
  EXPECT_EQ(window.messages[0].icon, MsgIcon::Information);
  EXPECT_EQ(window.panels[1], "中止しました。");
  EXPECT_TRUE(window.dialogs.empty());
}

TEST(WithListExtension, Rules) {
  EXPECT_EQ(WithListExtension("/a/list"), "/a/list.txt");
  EXPECT_EQ(WithListExtension("/a/list.CSV"), "/a/list.CSV");
  EXPECT_EQ(WithListExtension("/a/list.tXt"), "/a/list.tXt");
  EXPECT_EQ(WithListExtension("/a/list.lst"), "/a/list.lst.txt");
  EXPECT_EQ(WithListExtension("csv"), "csv.txt");
}

}  // namespace
}  // namespace qvr
