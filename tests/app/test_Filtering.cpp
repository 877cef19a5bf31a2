#include <gtest/gtest.h>

#include <filesystem>

#include "AppFolder.h"
#include "FakeMainWindow.h"
#include "FileList.h"
#include "Filtering.h"
#include "TempDir.h"

namespace qvr {
namespace {

using test::FakeMainWindow;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Paths = std::vector<std::string>;

const Paths kEntries = {"/home/u/doc/report.txt", "/home/u/arc/data.lzh", "/home/u/arc/Data.ZIP",
                        "/home/u/img.d/photo",    "/home/u/src/a.tar.gz", "/home/u/日本/書類.lzh"};

class FilteringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAppFolder(app.path());
    window.list = kEntries;
  }
  TempDir app;
  FakeMainWindow window;
};

TEST(SplitKeywords, Blanks) {
  EXPECT_EQ(SplitKeywords(""), Paths{});
  EXPECT_EQ(SplitKeywords("lzh"), Paths({"lzh"}));
  EXPECT_EQ(SplitKeywords("lzh zip"), Paths({"lzh", "zip"}));
  EXPECT_EQ(SplitKeywords("lzh  zip"), Paths({"lzh", "", "zip"}));
  EXPECT_EQ(SplitKeywords(" "), Paths({"", ""}));
}

TEST_F(FilteringTest, FilterRules) {
  struct Case {
    const char* name;
    const char* ext;
    bool notInclude;
    Paths expected;
  };
  const Case cases[] = {
      // Both boxes empty: "含まない" removes nothing, "含む" removes everything.
      {"", "", true, kEntries},
      {"", "", false, {}},
      {"", "lzh", false, {"/home/u/arc/data.lzh", "/home/u/日本/書類.lzh"}},
      {"",
       "lzh",
       true,
       {"/home/u/doc/report.txt", "/home/u/arc/Data.ZIP", "/home/u/img.d/photo",
        "/home/u/src/a.tar.gz"}},
      // Case counts.
      {"", "zip", false, {}},
      {"Data", "", false, {"/home/u/arc/Data.ZIP"}},
      // The folder part counts for the name: "arc" removes both archives of that folder.
      {"arc",
       "",
       true,
       {"/home/u/doc/report.txt", "/home/u/img.d/photo", "/home/u/src/a.tar.gz",
        "/home/u/日本/書類.lzh"}},
      // The extension is the last one only.
      {"", "tar", false, {}},
      {"a.tar", "", false, {"/home/u/src/a.tar.gz"}},
      // One letter matches every extension that holds it.
      {"", "z", false, {"/home/u/arc/data.lzh", "/home/u/src/a.tar.gz", "/home/u/日本/書類.lzh"}},
      // Several keywords: any of them.
      {"report 書類", "", false, {"/home/u/doc/report.txt", "/home/u/日本/書類.lzh"}},
      {"report", "gz", false, {"/home/u/doc/report.txt", "/home/u/src/a.tar.gz"}},
      // Two blanks in a row: an empty keyword, which every entry holds.
      {"report  x", "", true, {}},
      // A file name without "." has no extension, whatever the folders are called.
      {"", "d", false, {}},
      {"photo", "", false, {"/home/u/img.d/photo"}},
  };
  for (const auto& c : cases) {
    window.list = kEntries;
    ApplyFilter(window, c.name, c.ext, c.notInclude);
    EXPECT_EQ(window.list, c.expected)
        << "name='" << c.name << "' ext='" << c.ext << "' notInclude=" << c.notInclude;
  }
}

TEST_F(FilteringTest, SecondFilterKeepsTheFirstSavedListAndReleaseBringsItBack) {
  bool on = FilterExecute(window, "", "lzh", false, false);
  EXPECT_TRUE(on);
  EXPECT_EQ(window.list.size(), 2u);
  on = FilterExecute(window, "日本", "", true, on);
  EXPECT_EQ(window.list, Paths({"/home/u/arc/data.lzh"}));
  on = FilterRelease(window);
  EXPECT_FALSE(on);
  EXPECT_EQ(window.list, kEntries);
}

TEST_F(FilteringTest, ReleaseWithoutTheSavedListKeepsTheCurrentList) {
  FilterExecute(window, "", "lzh", false, false);
  std::filesystem::remove(app.file(kOriginalList));
  window.list.push_back("/dropped/later.zip");
  Paths current = window.list;
  EXPECT_FALSE(FilterRelease(window));
  EXPECT_EQ(window.list, current);
}

TEST_F(FilteringTest, HistoriesRememberEachTextOnceInOrder) {
  FilterExecute(window, "abc def", "", true, false);
  FilterExecute(window, "xyz", "lzh", true, true);
  FilterExecute(window, "abc def", "lzh", true, true);
  FilterExecute(window, "abc", "", true, true);
  EXPECT_EQ(ReadFile(app.file(kFilterNameHistory)), "abc def\r\nxyz\r\nabc\r\n");
  EXPECT_EQ(ReadFile(app.file(kFilterExtHistory)), "lzh\r\n");
  EXPECT_EQ(ReadHistory(kFilterNameHistory), Paths({"abc def", "xyz", "abc"}));
  EXPECT_EQ(ReadHistory("missing.hst"), Paths{});
}

}  // namespace
}  // namespace qvr
