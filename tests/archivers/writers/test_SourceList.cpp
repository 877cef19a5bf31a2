// Which files an add command takes and under which names: base folders, wildcards with and
// without recursion, hidden files, folder entries, flat names, duplicates, missing names.
#include <filesystem>

#include "WriterTestSupport.h"

namespace qvr::test {
namespace {

using writers::AddRequest;

std::vector<std::string> Names(const AddRequest& request, int32_t* code = nullptr) {
  std::vector<writers::AddItem> items;
  writers::WriteResult r = writers::CollectItems(request, &items);
  if (code) *code = r.code;
  std::vector<std::string> names;
  for (const auto& item : items) names.push_back(item.folder ? item.name + "/" : item.name);
  return names;
}

struct CollectCase {
  const char* label;
  std::function<AddRequest(const std::string& root)> request;
  std::vector<std::string> names;
};

class Collect : public ::testing::TestWithParam<CollectCase> {};

TEST_P(Collect, TakesTheExpectedNames) {
  TempDir tmp;
  MakeSampleTree(tmp.file("src"));
  int32_t code = -1;
  EXPECT_EQ(Names(GetParam().request(tmp.file("src")), &code), GetParam().names);
  EXPECT_EQ(code, 0);
}

AddRequest Make(std::string base, std::vector<std::string> names, bool recurse, bool hidden,
                bool folders, bool junk = false) {
  AddRequest r;
  r.baseFolder = std::move(base);
  r.names = std::move(names);
  r.recurse = recurse;
  r.includeHidden = hidden;
  r.folderEntries = folders;
  r.junkPaths = junk;
  return r;
}

INSTANTIATE_TEST_SUITE_P(
    Each, Collect,
    ::testing::Values(
        CollectCase{"BaseFolderAndName",
                    [](const std::string& root) {
                      return Make(root + "/", {"readme.txt"}, false, true, true);
                    },
                    {"readme.txt"}},
        CollectCase{"BaseFolderAndNestedName",
                    [](const std::string& root) {
                      return Make(root + "/", {"sub dir/nested/深い 名前.txt"}, false, true, true);
                    },
                    {"sub dir/nested/深い 名前.txt"}},
        CollectCase{"FullPathWithoutBaseIsStoredByName",
                    [](const std::string& root) {
                      return Make("", {root + "/sub dir/note.md"}, false, true, true);
                    },
                    {"note.md"}},
        CollectCase{
            "NamedFolderTakesEverythingInIt",
            [](const std::string& root) {
              return Make(root + "/", {"sub dir"}, false, true, true);
            },
            {"sub dir/", "sub dir/nested/", "sub dir/nested/深い 名前.txt", "sub dir/note.md"}},
        CollectCase{"NamedFolderByFullPathKeepsItsName",
                    [](const std::string& root) {
                      return Make("", {root + "/sub dir"}, false, true, false);
                    },
                    {"sub dir/nested/深い 名前.txt", "sub dir/note.md"}},
        CollectCase{
            "WildcardWithoutRecursionStaysInTheFolder",
            [](const std::string& root) { return Make(root + "/", {"*.txt"}, false, true, true); },
            {"readme.txt", "日本語 ファイル.txt"}},
        CollectCase{
            "WildcardWithRecursionSkipsHiddenAndFolders",
            [](const std::string& root) { return Make(root + "/", {"*.*"}, true, false, false); },
            {"bin.dat", "empty.dat", "readme.txt", "sub dir/nested/深い 名前.txt",
             "sub dir/note.md", "日本語 ファイル.txt"}},
        CollectCase{
            "RecursionWithFoldersAndHidden",
            [](const std::string& root) { return Make(root + "/", {"*"}, true, true, true); },
            {".hidden", "bin.dat", "empty.dat", "emptyfolder/", "readme.txt", "sub dir/",
             "sub dir/nested/", "sub dir/nested/深い 名前.txt", "sub dir/note.md",
             "日本語 ファイル.txt"}},
        CollectCase{"NamedHiddenFileIsTaken",
                    [](const std::string& root) {
                      return Make(root + "/", {".hidden"}, false, false, true);
                    },
                    {".hidden"}},
        CollectCase{"JunkPathsFlattensAndDropsFolders",
                    [](const std::string& root) {
                      return Make(root + "/", {"sub dir"}, true, true, true, true);
                    },
                    {"深い 名前.txt", "note.md"}},
        CollectCase{"TheSameNameTwiceIsTakenOnce",
                    [](const std::string& root) {
                      return Make(root + "/", {"readme.txt", "readme.txt", root + "/readme.txt"},
                                  false, true, true);
                    },
                    {"readme.txt"}},
        CollectCase{
            "DotDotAndLeadingSlashesNeverReachTheName",
            [](const std::string& root) {
              return Make(root + "/sub dir/", {"../readme.txt", "./note.md"}, false, true, true);
            },
            {"readme.txt", "note.md"}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(CollectItems, AMissingNameOrNothingToAddFails) {
  TempDir tmp;
  MakeSampleTree(tmp.file("src"));
  int32_t code = 0;
  Names(Make(tmp.file("src") + "/", {"readme.txt", "missing.txt"}, false, true, true), &code);
  EXPECT_EQ(code, ERROR_NOT_FIND_FILE);
  Names(Make(tmp.file("src") + "/", {"*.none"}, true, true, true), &code);
  EXPECT_EQ(code, ERROR_NOT_FIND_FILE);
  Names(Make(tmp.file("src") + "/", {}, true, true, true), &code);
  EXPECT_EQ(code, ERROR_NOT_FIND_FILE);
}

// Two different files that would be stored under one name (flat names, or full paths
// without a base folder): the request fails naming both instead of dropping one; below a
// base folder the same names keep their folders.
TEST(CollectItems, TwoFilesOfOneStoredNameFailNamingBoth) {
  TempDir tmp;
  WriteFile(tmp.file("a/readme.txt"), "a");
  WriteFile(tmp.file("b/readme.txt"), "b");
  const std::string a = tmp.file("a/readme.txt"), b = tmp.file("b/readme.txt");
  for (const AddRequest& request : {Make("", {a, b}, false, true, true),
                                    Make(tmp.path() + "/", {"a", "b"}, true, true, true, true)}) {
    std::vector<writers::AddItem> items;
    writers::WriteResult r = writers::CollectItems(request, &items);
    EXPECT_EQ(r.code, ERROR_COMMAND_NAME);
    EXPECT_NE(r.report.find(a), std::string::npos) << r.report;
    EXPECT_NE(r.report.find(b), std::string::npos) << r.report;
  }
  EXPECT_EQ(Names(Make(tmp.path() + "/", {a, b}, false, true, false)),
            (std::vector<std::string>{"a/readme.txt", "b/readme.txt"}));
}

TEST(CollectItems, TheArchiveBeingWrittenIsNeverAddedToItself) {
  TempDir tmp;
  WriteFile(tmp.file("a.txt"), "a");
  WriteFile(tmp.file("out.zip"), "old");
  AddRequest request = Make(tmp.path() + "/", {"*"}, true, true, true);
  request.skipPath = tmp.file("out.zip");
  EXPECT_EQ(Names(request), std::vector<std::string>{"a.txt"});
}

// A file named with "*" or "?" is that one file; only a name that no file has is a pattern.
TEST(CollectItems, AFileNamedLikeAPatternIsTakenAlone) {
  TempDir tmp;
  WriteFile(tmp.file("a*b?.txt"), "star");
  WriteFile(tmp.file("aXbY.txt"), "other");
  EXPECT_EQ(Names(Make(tmp.path() + "/", {"a*b?.txt"}, false, true, true)),
            std::vector<std::string>{"a*b?.txt"});
  EXPECT_EQ(Names(Make("", {tmp.file("a*b?.txt")}, false, true, true)),
            std::vector<std::string>{"a*b?.txt"});
  EXPECT_EQ(Names(Make(tmp.path() + "/", {"a*b?.t?t"}, false, true, true)),
            (std::vector<std::string>{"a*b?.txt", "aXbY.txt"}));
}

}  // namespace
}  // namespace qvr::test
