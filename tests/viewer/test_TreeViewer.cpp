// The folder-tree composer through the recording plugin: the tree from the archive's entries,
// the new-folder step, every command row of AddFilesToArchive, the staging under ArcFiles and
// its removal, the list files, the counts and the messages.
#include <gtest/gtest.h>

#include <filesystem>

#include "AppFolder.h"
#include "ArchiverDLL_TreeViewer.h"
#include "ExtractTest.h"
#include "PathHelpers.h"
#include "Settings.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

std::string Q(const std::string& text) {
  return "\"" + text + "\"";
}

std::vector<std::string> Keys(const ArchiveTree& tree) {
  std::vector<std::string> keys;
  for (const auto& node : tree.nodes()) keys.push_back(node.key);
  return keys;
}

TEST(ArchiveTree, FoldersOnlyEachOnceAndNothingThatClimbs) {
  ArchiveTree tree;
  for (const char* path : {"a/b/c.txt", "a/d.txt", "a/b/", "top.txt", "x\\y\\", "p/q\\r.txt",
                           "../up/f.txt", "a/../../f", "./f", "/abs/f", "s//t/f"}) {
    tree.AddPathToTree(path);
  }
  EXPECT_EQ(Keys(tree),
            (std::vector<std::string>{"<ROOT>", "<ROOT>\\a", "<ROOT>\\a\\b", "<ROOT>\\x",
                                      "<ROOT>\\x\\y", "<ROOT>\\p", "<ROOT>\\p\\q"}));
  EXPECT_EQ(tree.nodes()[2].text, "b");
  EXPECT_EQ(tree.nodes()[2].parent, 1);
  EXPECT_FALSE(tree.AddPathToTree("../x/"));
  tree.Clear();
  EXPECT_EQ(Keys(tree), (std::vector<std::string>{"<ROOT>"}));
  EXPECT_EQ(TargetSubPath("<ROOT>"), "");
  EXPECT_EQ(TargetSubPath("<ROOT>\\a\\b"), "a\\b");
}

class TreeViewerTest : public ExtractTest {
 protected:
  TreeViewerTest() {
    a1 = Archive("src1/one.txt", "1");
    a2 = Archive("src1/two words.txt", "2");
    b1 = Archive("src2/three.txt", "3");
  }
  void Drop(const std::vector<std::string>& paths) { ASSERT_TRUE(WriteDroppedList(paths, window)); }
  std::string a1, a2, b1;
};

// The listing library and open mode of each extension; an unavailable library gives the root.
TEST_F(TreeViewerTest, BuildArchiveTreeAsksTheRightLibrary) {
  struct Row {
    std::string name;
    std::string prefix;
    std::string mode;
  };
  const Row rows[] = {{"a.lzh", "Unlha", "4194304"},   {"a.zip", "UnZip", "4194304"},
                      {"a.7z", "SevenZip", "4194304"}, {"a.bza", "Bga", "512"},
                      {"a.gza", "Bga", "512"},         {"a.hki", "UnHki", "0"}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    plugin.ClearLog();
    std::string A = Archive(r.name);
    plugin.Entry(r.prefix, A, {.name = "a/b/c.txt"}).Entry(r.prefix, A, {.name = "a/d.txt"});
    ArchiveTree tree;
    ASSERT_TRUE(BuildArchiveTree(tree, A, status, nullptr));
    EXPECT_EQ(Keys(tree), (std::vector<std::string>{"<ROOT>", "<ROOT>\\a", "<ROOT>\\a\\b"}));
    auto opens = plugin.Calls(r.prefix + "OpenArchive");
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(opens[0].args[2], r.mode);
  }
  // ZIP without the writer pair (or with Use7Zip) is listed by 7-zip32.
  std::string Z = Archive("z.zip");
  plugin.ClearLog();
  status.ZIP32 = false;
  ArchiveTree tree;
  EXPECT_TRUE(BuildArchiveTree(tree, Z, status, nullptr));
  EXPECT_EQ(plugin.Calls("SevenZipOpenArchive").size(), 1u);
  EXPECT_TRUE(plugin.Calls("UnZipOpenArchive").empty());
  status.SEVENZIP32 = false;
  plugin.ClearLog();
  EXPECT_TRUE(BuildArchiveTree(tree, Z, status, nullptr));
  EXPECT_TRUE(plugin.Calls().empty());
  EXPECT_EQ(tree.nodes().size(), 1u);
  EXPECT_FALSE(BuildArchiveTree(tree, Archive("a.cab"), status, nullptr));
}

TEST_F(TreeViewerTest, NewFolderStep) {
  ArchiveTree tree;
  EXPECT_FALSE(AddFolderNode(tree, "", window));
  EXPECT_EQ(MessageTexts().back(), "親フォルダを選択して下さい。");
  window.dialogAnswers = {"new", "sub", "", "..", "."};
  EXPECT_TRUE(AddFolderNode(tree, "<ROOT>", window));
  EXPECT_TRUE(AddFolderNode(tree, "<ROOT>\\new", window));
  EXPECT_EQ(window.dialogs[0], "input:フォルダ名を入力して下さい。");
  EXPECT_FALSE(AddFolderNode(tree, "<ROOT>", window));  // empty answer
  EXPECT_FALSE(AddFolderNode(tree, "<ROOT>", window));  // ".."
  EXPECT_FALSE(AddFolderNode(tree, "<ROOT>", window));  // "."
  EXPECT_EQ(Keys(tree), (std::vector<std::string>{"<ROOT>", "<ROOT>\\new", "<ROOT>\\new\\sub"}));
}

// Every row of the add table into the root: the base folder and the bare quoted names.
TEST_F(TreeViewerTest, AddIntoTheRootEveryRow) {
  const std::string P = AppFolder();
  const std::string list = Q("@" + P + "addlist2.tmp");
  struct Row {
    std::string name, prefix, head, end;
    bool use7Zip = false;
  };
  const Row rows[] = {
      {"a.lzh", "Unlha", "a -x ", ""},
      {"a.zip", "Zip", "-u -S -D ", ""},
      {"b.zip", "SevenZip", "a -tzip ", "", true},
      {"a.7z", "SevenZip", "a -t7z ", " -ms=off"},
      {"a.bza", "Bga", "a -a ", ""},
      {"a.gza", "Bga", "a -a ", ""},
  };
  Drop({a1, a2});
  EXPECT_EQ(ReadFile(P + "addlist.tmp"), Q(a1) + "\r\n" + Q(a2) + "\r\n");
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    plugin.ClearLog();
    Ini("GENERAL", "Use7Zip", r.use7Zip ? "1" : "0");
    std::string A = Archive(r.name);
    EXPECT_EQ(AddFilesToArchive(A, "<ROOT>", status, window, nullptr), 2);
    EXPECT_EQ(Commands(r.prefix), (std::vector<std::string>{r.head + Q(A) + " " + Q(in + "/src1/") +
                                                            " " + list + r.end}));
    EXPECT_EQ(ReadFile(P + "addlist2.tmp"), Q("one.txt") + "\r\n" + Q("two words.txt") + "\r\n");
  }
}

// Into a sub-folder: LZH names it with -jb; the others stage copies under ArcFiles and remove them.
TEST_F(TreeViewerTest, AddIntoASubFolderStagesAndCleansUp) {
  const std::string P = AppFolder();
  Drop({a1, b1});
  std::string L = Archive("a.lzh");
  EXPECT_EQ(AddFilesToArchive(L, "<ROOT>\\a\\b", status, window, nullptr), 2);
  // Files of two folders: one add for each, each from its own folder.
  EXPECT_EQ(Commands("Unlha"),
            (std::vector<std::string>{"a -x " + Q(L) + "  -jb" + Q("a/b") + " " + Q(in + "/src1/") +
                                          " " + Q("@" + P + "addlist2.tmp"),
                                      "a -x " + Q(L) + "  -jb" + Q("a/b") + " " + Q(in + "/src2/") +
                                          " " + Q("@" + P + "addlist2.tmp")}));

  struct Row {
    std::string name, prefix, line;
    bool use7Zip = false;
  };
  const std::string staged = Q(P + "ArcFiles/") + " *.*";
  const Row rows[] = {
      {"a.zip", "Zip", "-u -S -D -r "},
      {"b.zip", "SevenZip", "a -tzip -r ", true},
      {"a.7z", "SevenZip", "a -t7z -r "},
      {"a.bza", "Bga", "a -a -r "},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    plugin.ClearLog();
    Ini("GENERAL", "Use7Zip", r.use7Zip ? "1" : "0");
    std::string A = Archive(r.name);
    EXPECT_EQ(AddFilesToArchive(A, "<ROOT>\\a\\b", status, window, nullptr), 2);
    std::string end = r.prefix == "SevenZip" ? " -ms=off" : "";
    EXPECT_EQ(Commands(r.prefix), (std::vector<std::string>{r.line + Q(A) + " " + staged + end}));
    EXPECT_FALSE(fs::exists(P + "ArcFiles/a"));
    EXPECT_TRUE(fs::exists(a1));
  }
}

TEST_F(TreeViewerTest, StagingNeverOverwritesAndCountsWhatWentIn) {
  const std::string P = AppFolder();
  std::string A = Archive("a.7z");
  // Two dropped files of one name: the second is not copied over the first.
  std::string same = Archive("src2/one.txt", "other");
  Drop({a1, same});
  EXPECT_EQ(AddFilesToArchive(A, "<ROOT>\\a", status, window, nullptr), 1);
  EXPECT_EQ(MessageTexts().back(), "ファイルをコピーできませんでした。\r\n" + same);
  EXPECT_EQ(ReadFile(a1), "1");

  // Leftovers in ArcFiles would go into the archive with the recursive add: refused.
  plugin.ClearLog();
  WriteFile(P + "ArcFiles/old.txt", "left");
  Drop({a1});
  EXPECT_EQ(AddFilesToArchive(A, "<ROOT>\\a", status, window, nullptr), 0);
  EXPECT_TRUE(Commands("SevenZip").empty());
  EXPECT_EQ(ReadFile(P + "ArcFiles/old.txt"), "left");
  fs::remove_all(P + "ArcFiles");

  // A failing add counts nothing; a dropped folder is refused with a message.
  plugin.CommandResult("SevenZip", "*", 0x8005);
  fs::create_directories(in + "/folder");
  Drop({a1, in + "/folder"});
  EXPECT_EQ(AddFilesToArchive(A, "<ROOT>\\a", status, window, nullptr), 0);
  EXPECT_EQ(MessageTexts()[MessageTexts().size() - 1],
            "フォルダは追加できません。\r\n" + in + "/folder");
  EXPECT_FALSE(fs::exists(P + "ArcFiles/a"));
}

TEST_F(TreeViewerTest, UnavailableUnsupportedAndRk) {
  Drop({a1, b1});
  status.SEVENZIP32 = false;
  EXPECT_EQ(AddFilesToArchive(Archive("a.7z"), "<ROOT>", status, window, nullptr), 0);
  EXPECT_TRUE(plugin.Calls().empty());
  for (const char* name : {"a.hki", "a.bh"}) {
    EXPECT_EQ(AddFilesToArchive(Archive(name), "<ROOT>", status, window, nullptr), 0);
    EXPECT_EQ(MessageTexts().back(), "対応していない形式のファイルです");
  }
  // rk: full paths, no quotes, the target folder ignored.
  InstallTool("rk");
  std::string R = Archive("a.rk");
  EXPECT_EQ(AddFilesToArchive(R, "<ROOT>\\a", status, window, nullptr), 2);
  EXPECT_EQ(ReadFile(AppFolder() + "addlist2.tmp"), a1 + "\r\n" + b1 + "\r\n");
  ASSERT_EQ(ToolRuns("rk").size(), 1u);
  EXPECT_EQ(ToolRuns("rk")[0],
            (std::vector<std::string>{"-a", "-p0", "-mx3", R, "@" + AppFolder() + "addlist2.tmp"}));
}

TEST_F(TreeViewerTest, OkTextsAndDropChecks) {
  std::string A = Archive("a.zip");
  Drop({a1, a2});
  EXPECT_EQ(GetFileNumFromListAddList(), 2);
  EXPECT_EQ(ComposerOk(A, "", status, window, nullptr), -1);
  EXPECT_EQ(MessageTexts().back(), "追加先パスが選択されていません。");
  EXPECT_EQ(ComposerOk(A, "<ROOT>", status, window, nullptr), 2);
  EXPECT_EQ(window.panels[1], "2ファイル追加");
  plugin.CommandResult("Zip", "*", 0x8005);
  EXPECT_EQ(ComposerOk(A, "<ROOT>", status, window, nullptr), 0);
  EXPECT_EQ(window.panels[1], "ファイル追加失敗");
  EXPECT_EQ(MessageTexts().back(), "ファイル追加失敗");

  EXPECT_FALSE(WriteDroppedList({in + "/a\"b"}, window));
  for (const char* name : {"a.lzh", "a.ZIP", "a.bza", "a.gza", "a.7z", "a.bh", "a.rk"})
    EXPECT_TRUE(ComposerTakes(name)) << name;
  for (const char* name : {"a.cab", "a.hki", "a.rar", "a"})
    EXPECT_FALSE(ComposerTakes(name)) << name;
}

}  // namespace
}  // namespace qvr::test
