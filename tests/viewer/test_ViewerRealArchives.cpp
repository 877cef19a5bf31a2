// The viewer and the composer end to end with our own archiver libraries from build/bin on
// the shared fixtures: list, extract one entry, open, delete one entry and list again, add
// dropped files into a sub-folder, read back with bsdtar, 7zz and lhasa; hostile names.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>

#include "AppFolder.h"
#include "ArchiverDLL.h"
#include "ArchiverDLL_Inspect.h"
#include "ArchiverDLL_List.h"
#include "ArchiverDLL_TreeViewer.h"
#include "FakeMainWindow.h"
#include "ListViewer.h"
#include "PathHelpers.h"
#include "RawNameZip.h"
#include "RunPasswords.h"
#include "RunReport.h"
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

// An archive with encrypted names: its listing asks once, naming it; extracting from it
// takes that answer without asking again; another archive is asked anew.
TEST_F(ViewerRealTest, AnEncryptedArchiveIsAskedOnceForItsListingAndItsExtractions) {
  WriteFile(temp.file("src/docs/notes.txt"), "notes\n");
  WriteFile(temp.file("src/a.txt"), "a\n");
  const std::string A = temp.file("locked.7z"), B = temp.file("again.7z");
  ASSERT_EQ(std::system(("cd " + ShellQuote(temp.file("src")) + " && 7zz a -psecret -mhe=on " +
                         ShellQuote(A) + " . >/dev/null")
                            .c_str()),
            0);
  fs::copy_file(A, B);
  viewer.setArchive(A);
  window.passwordAnswers = {std::string("secret")};
  ArchiverDLL_List list(status, inspect, nullptr, &viewer.passwords());
  ArchiveListModel model;
  ASSERT_TRUE(list.ListByExtension(A, model));
  std::vector<std::string> names;
  for (int i = 0; i < model.rowCount(); ++i) names.push_back(model.FileName(i));
  EXPECT_TRUE(Has(names, "docs/notes.txt"));
  EXPECT_EQ(window.passwordPrompts, std::vector<std::string>{PasswordPrompt(A, false)});
  std::string outPath;
  ASSERT_TRUE(viewer.ExtractFile("docs/notes.txt", out, &outPath));
  EXPECT_EQ(ReadFile(outPath), "notes\n");
  EXPECT_EQ(window.passwordPrompts.size(), 1u);
  // The test run of the archive shown takes the same answer and reports the one archive.
  std::vector<ReportRow> rows;
  window.onShowReport = [&](const RunReport& report) { rows = report.rows(); };
  EXPECT_TRUE(viewer.Test());
  EXPECT_EQ(window.passwordPrompts.size(), 1u);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].archive, A);
  EXPECT_EQ(rows[0].outcome, ArchiveOutcome::Done);

  viewer.setArchive(B);  // no answer now: the question is cancelled
  EXPECT_FALSE(viewer.ExtractFile("a.txt", out, &outPath));
  EXPECT_EQ(window.passwordPrompts.size(), 2u);
  EXPECT_FALSE(fs::exists(out + "/a.txt"));
}

// Names without the UTF-8 flag: Explorer's CP932 is the guess and is said to be one; a
// Russian archive reads right once CP866 is chosen, and its entry extracts under that name;
// another archive starts again from the default.
TEST_F(ViewerRealTest, NamesOfAChosenCodePageListAndExtract) {
  const std::string explorer = temp.file("explorer.zip"), russian = temp.file("russian.zip");
  ASSERT_TRUE(MakeRawNameZip(explorer, "cp932", {{"資料/日本語の予定表.txt", "予定\n"}}));
  ASSERT_TRUE(MakeRawNameZip(russian, "cp866", {{"Папка/Отчёт за год.txt", "отчёт\n"}}));
  std::string guessed;
  auto listed = [&](const std::string& path) {
    ArchiverDLL_List listing(status, inspect, nullptr, &viewer.passwords());
    listing.setNameCodePage(viewer.nameCodePage());
    ArchiveListModel model;
    EXPECT_TRUE(listing.ListByExtension(path, model));
    guessed = listing.guessedCodePage();
    std::vector<std::string> names;
    for (int i = 0; i < model.rowCount(); ++i) names.push_back(model.FileName(i));
    return names;
  };
  std::string outPath;
  viewer.setArchive(explorer);
  EXPECT_EQ(listed(explorer), std::vector<std::string>{"資料/日本語の予定表.txt"});
  EXPECT_EQ(guessed, "CP932");
  ASSERT_TRUE(viewer.ExtractFile("資料/日本語の予定表.txt", out, &outPath));
  EXPECT_EQ(ReadFile(out + "/日本語の予定表.txt"), "予定\n");

  viewer.setArchive(russian);
  EXPECT_NE(listed(russian), std::vector<std::string>{"Папка/Отчёт за год.txt"});
  EXPECT_EQ(guessed, "CP932");
  viewer.setNameCodePage("CP866");
  EXPECT_EQ(listed(russian), std::vector<std::string>{"Папка/Отчёт за год.txt"});
  EXPECT_EQ(guessed, "CP866");
  ASSERT_TRUE(viewer.ExtractFile("Папка/Отчёт за год.txt", out, &outPath));
  EXPECT_EQ(ReadFile(out + "/Отчёт за год.txt"), "отчёт\n");

  const std::string plain = Fixture("zip_deflate.zip");
  viewer.setArchive(plain);
  EXPECT_EQ(viewer.nameCodePage(), "");
  EXPECT_TRUE(Has(listed(plain), "docs/notes.txt"));
  EXPECT_EQ(guessed, "");  // every name is UTF-8
}

// Entries called "*", "-d", "@list" and "../up.txt": each is only itself.
TEST_F(ViewerRealTest, HostileNames) {
  std::string A = temp.file("hostile.zip");
  std::string script = "import zipfile\nz = zipfile.ZipFile(" + std::string("'") + A +
                       "', 'w')\nfor n in ['*', '-d', '@list', 'keep.txt', '../up.txt', 'q?.txt']: "
                       "z.writestr(n, n + ' data')\nz.close()\n";
  ASSERT_EQ(std::system(("python3 -c " + ShellQuote(script)).c_str()), 0);
  viewer.setArchive(A);
  ASSERT_TRUE(viewer.Delete("*"));
  ASSERT_TRUE(viewer.Delete("-d"));
  ASSERT_TRUE(viewer.Delete("@list"));
  std::vector<std::string> names = Names(A);
  EXPECT_EQ(names.size(), 3u);
  EXPECT_FALSE(Has(names, "*"));
  EXPECT_FALSE(Has(names, "-d"));
  EXPECT_FALSE(Has(names, "@list"));
  EXPECT_TRUE(Has(names, "q?.txt"));

  ASSERT_TRUE(viewer.ExtractFile("keep.txt", out, nullptr));
  EXPECT_EQ(fs::directory_iterator(out)->path().filename(), "keep.txt");
  // The climbing entry lands inside the destination, and is opened from there.
  WriteFile(AppFile("up.txt"), "outside");
  WriteIniString(kQvrArcIni, "GENERAL", "MakeFolder4ListView", "1");  // keep the path
  viewer.Run(ViewerAction::Open, "../up.txt");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], fs::canonical(AppFile("tmp") + "/up.txt").string());
  EXPECT_EQ(ReadFile(opened[0]), "../up.txt data");
  EXPECT_EQ(ReadFile(AppFile("up.txt")), "outside");
}

// Entries whose names a pattern would read otherwise, beside the entries such a pattern
// matches: the viewer extracts and deletes exactly the one it names, through our libraries
// (ZIP through unzip32 and zip32j and through 7-zip32, 7Z and LZH), and an outside tool
// reads the rest back. A bare * sent to the same library still takes every entry.
TEST_F(ViewerRealTest, ExactNamesBesidePatternMatches) {
  const std::vector<std::string> hostile = {"*", "a*b.txt", "?.txt", "[x].txt", "-d", "@list"};
  const std::vector<std::string> others = {"aXb.txt", "x.txt", "keep.txt"};
  std::vector<std::string> all = hostile;
  all.insert(all.end(), others.begin(), others.end());
  std::string src = temp.file("src/");
  fs::create_directories(src);
  for (const std::string& n : all) WriteFile(src + n, n + " data");
  std::string quotedNames;
  for (const std::string& n : all) quotedNames += " \"" + n + "\"";

  struct Row {
    std::string archive;
    const char* use7Zip;
    Lib maker;
    std::string make;  // the add command before the archive
    Lib reader;
    std::string extractAll;  // the reader's extraction before the archive
    std::string lister;
    std::string prefix;  // what stands before a name on the lister's lines
  };
  const Row rows[] = {
      {"u.zip", "0", Lib::Zip, "-S -D ", Lib::UnZip, "-x -o ", "bsdtar -tf ", ""},
      {"s.zip", "1", Lib::SevenZip, "a -tzip ", Lib::SevenZip, "x -y ", "bsdtar -tf ", ""},
      {"s.7z", "1", Lib::SevenZip, "a -t7z ", Lib::SevenZip, "x -y ", "7zz l -ba -slt ", "Path = "},
      {"l.lzh", "0", Lib::Unlha, "a -x ", Lib::Unlha, "x -y ", "lhasa l ", ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.archive);
    WriteIniString(kQvrArcIni, "GENERAL", "Use7Zip", r.use7Zip);
    std::string A = temp.file(r.archive);
    ASSERT_EQ(ArchiverDLL::Of(r.maker).Command(
                  nullptr, r.make + "\"" + A + "\" \"" + src + "\"" + quotedNames),
              0);
    auto listed = [&] {
      std::set<std::string> names;
      std::string text = Output(r.lister + ShellQuote(A) + " 2>/dev/null");
      size_t pos = 0;
      while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (r.lister.starts_with("lhasa")) {
          // lhasa's rows end in the name after the time stamp: take what a member would be.
          size_t blank = line.rfind(' ');
          std::string last = blank == std::string::npos ? line : line.substr(blank + 1);
          if (std::find(all.begin(), all.end(), last) != all.end()) names.insert(last);
        } else if (line.starts_with(r.prefix) && line.size() > r.prefix.size()) {
          names.insert(line.substr(r.prefix.size()));
        }
      }
      return names;
    };
    std::set<std::string> remaining(all.begin(), all.end());
    ASSERT_EQ(listed(), remaining);
    viewer.setArchive(A);

    for (const std::string& n : hostile) {
      SCOPED_TRACE(n);
      fs::remove_all(out);
      fs::create_directories(out);
      ASSERT_TRUE(viewer.ExtractFile(n, out, nullptr));
      std::vector<std::string> written;
      for (const auto& f : fs::directory_iterator(out)) written.push_back(f.path().filename());
      EXPECT_EQ(written, std::vector<std::string>{n});
      EXPECT_EQ(ReadFile(out + "/" + n), n + " data");
    }
    // The program's own rows send a bare * for every entry: on this archive too.
    fs::remove_all(out);
    fs::create_directories(out);
    ASSERT_EQ(ArchiverDLL::Of(r.reader).Command(nullptr,
                                                r.extractAll + "\"" + A + "\" \"" + out + "/\" *"),
              0);
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()),
              std::ptrdiff_t(all.size()));

    for (const std::string& n : hostile) {
      SCOPED_TRACE("delete " + n);
      ASSERT_TRUE(viewer.Delete(n));
      remaining.erase(n);
      EXPECT_EQ(listed(), remaining);
    }
    EXPECT_EQ(remaining, std::set<std::string>(others.begin(), others.end()));
  }
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
