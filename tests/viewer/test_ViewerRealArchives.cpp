// The viewer and the composer end to end with our own archiver libraries from build/bin on
// the shared fixtures: list, extract one entry, open, delete one entry and list again, add
// dropped files into a sub-folder, read back with bsdtar, 7zz and lhasa; hostile names.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "AppFolder.h"
#include "ArchiverDLL_Inspect.h"
#include "ArchiverDLL_List.h"
#include "ArchiverDLL_TreeViewer.h"
#include "FakeMainWindow.h"
#include "ListViewer.h"
#include "PathHelpers.h"
#include "Settings.h"
#include "TempDir.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

// The standard output of a command line run by the shell (the test's own tools only).
std::string Output(const std::string& command) {
  std::string text;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return text;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0) text.append(buffer, n);
  return text;
}

std::string ShellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class ViewerRealTest : public ::testing::Test {
 protected:
  ViewerRealTest() {
    SetAppFolder(temp.path() + "/");
    SetSearchExecutableFolder(std::string(QVR_BIN_DIR) + "/");
    status.UNLHA32 = status.UNZIP32 = status.ZIP32J = status.ZIP32 = status.SEVENZIP32 =
        status.TAR32 = true;
    viewer.setOpener([this](const std::string& path) { opened.push_back(path); });
    fs::create_directories(out);
  }
  ~ViewerRealTest() override { SetSearchExecutableFolder(std::nullopt); }

  std::string Fixture(const std::string& name) {
    std::string copy = temp.file(name);
    fs::copy_file(std::string(QVR_FIXTURES_DIR) + "/" + name, copy);
    return copy;
  }
  std::vector<std::string> Names(const std::string& archive) {
    ArchiverDLL_List list(status, inspect, nullptr);
    ArchiveListModel model;
    EXPECT_TRUE(list.ListByExtension(archive, model));
    std::vector<std::string> names;
    for (int i = 0; i < model.rowCount(); ++i) names.push_back(model.FileName(i));
    return names;
  }
  static bool Has(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  }

  TempDir temp;
  LibraryStatus status;
  FakeMainWindow window;
  ArchiverDLL_Inspect inspect{status, nullptr};
  ListViewer viewer{window, status, inspect};
  std::vector<std::string> opened;
  std::string out = temp.file("out");
};

TEST_F(ViewerRealTest, ListExtractOpenDeleteAndListAgain) {
  for (const char* name : {"zip_deflate.zip", "7z_lzma2.7z", "lzh_lh5.lzh"}) {
    SCOPED_TRACE(name);
    std::string A = Fixture(name);
    std::vector<std::string> names = Names(A);
    ASSERT_TRUE(Has(names, "docs/notes.txt"));
    ASSERT_TRUE(Has(names, "readme.txt"));
    viewer.setArchive(A);

    std::string outPath;
    ASSERT_TRUE(viewer.ExtractFile("docs/notes.txt", out, &outPath));
    EXPECT_EQ(outPath, out + "/notes.txt");
    EXPECT_EQ(fs::file_size(outPath), 1537u);
    EXPECT_FALSE(fs::exists(out + "/readme.txt"));  // exactly the one entry

    opened.clear();
    viewer.Run(ViewerAction::Open, "with blank.txt");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], fs::canonical(AppFile("tmp") + "/with blank.txt").string());
    EXPECT_EQ(fs::file_size(opened[0]), 33u);

    ASSERT_TRUE(viewer.Delete("readme.txt"));
    std::vector<std::string> after = Names(A);
    EXPECT_FALSE(Has(after, "readme.txt"));
    EXPECT_EQ(after.size() + 1, names.size());
    EXPECT_TRUE(Has(after, "docs/notes.txt"));
    fs::remove_all(out);
    fs::create_directories(out);
  }
}

// Entries called "*", "-d", "@list" and "../up.txt": each is only itself.
TEST_F(ViewerRealTest, HostileNames) {
  std::string A = temp.file("hostile.zip");
  std::string script = "import zipfile\nz = zipfile.ZipFile(" + std::string("'") + A +
                       "', 'w')\nfor n in ['*', '-d', '@list', 'keep.txt', '../up.txt', 'q?.txt']: "
                       "z.writestr(n, n + ' data')\nz.close()\n";
  ASSERT_EQ(std::system(("python3 -c " + ShellQuote(script)).c_str()), 0);
  viewer.setArchive(A);
  EXPECT_FALSE(viewer.Delete("*"));
  EXPECT_FALSE(viewer.Delete("q?.txt"));
  EXPECT_EQ(Names(A).size(), 6u);
  ASSERT_TRUE(viewer.Delete("-d"));
  ASSERT_TRUE(viewer.Delete("@list"));
  std::vector<std::string> names = Names(A);
  EXPECT_EQ(names.size(), 4u);
  EXPECT_FALSE(Has(names, "-d"));
  EXPECT_FALSE(Has(names, "@list"));
  EXPECT_TRUE(Has(names, "*"));

  ASSERT_TRUE(viewer.ExtractFile("keep.txt", out, nullptr));
  EXPECT_EQ(fs::directory_iterator(out)->path().filename(), "keep.txt");
  EXPECT_FALSE(viewer.ExtractFile("*", out, nullptr));
  // The climbing entry lands inside the destination, and is opened from there.
  WriteFile(AppFile("up.txt"), "outside");
  WriteIniString(kQvrArcIni, "GENERAL", "MakeFolder4ListView", "1");  // keep the path
  viewer.Run(ViewerAction::Open, "../up.txt");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], fs::canonical(AppFile("tmp") + "/up.txt").string());
  EXPECT_EQ(ReadFile(opened[0]), "../up.txt data");
  EXPECT_EQ(ReadFile(AppFile("up.txt")), "outside");
}

// Files dropped from two folders into <ROOT>\new\sub of a ZIP, 7Z and LZH archive.
TEST_F(ViewerRealTest, DropIntoASubFolderAndReadBack) {
  std::string f1 = temp.file("drop1/first.txt"), f2 = temp.file("drop2/second file.txt");
  WriteFile(f1, "first");
  WriteFile(f2, "second");
  struct Row {
    std::string fixture, lister;
  };
  const Row rows[] = {{"zip_deflate.zip", "bsdtar -tf "},
                      {"7z_lzma2.7z", "7zz l -ba -slt "},
                      {"lzh_lh5.lzh", "lhasa l "}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.fixture);
    std::string A = Fixture(r.fixture);
    ASSERT_TRUE(WriteDroppedList({f1, f2}, window));
    ArchiveTree tree;
    ASSERT_TRUE(BuildArchiveTree(tree, A, status, nullptr));
    EXPECT_GE(tree.Find("<ROOT>\\docs"), 0);
    EXPECT_EQ(AddFilesToArchive(A, "<ROOT>\\new\\sub", status, window, nullptr), 2);
    std::string listing = Output(r.lister + ShellQuote(A) + " 2>&1");
    EXPECT_NE(listing.find("new/sub/first.txt"), std::string::npos) << listing;
    EXPECT_NE(listing.find("new/sub/second file.txt"), std::string::npos) << listing;
    EXPECT_NE(listing.find("docs/notes.txt"), std::string::npos) << listing;
    EXPECT_FALSE(fs::exists(AppFile("ArcFiles/new")));
    std::vector<std::string> names = Names(A);
    EXPECT_TRUE(Has(names, "new/sub/first.txt"));
  }
}

}  // namespace
}  // namespace qvr::test
