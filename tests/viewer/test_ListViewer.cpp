// The viewer's engine through the recording plugin: every command row of ExtractFile,
// ExtractFromSelfExtractor and the delete, the double-click table, the settings each step
// reads, the open through the fake opener, and the names no command line may carry.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "ExtractTest.h"
#include "ListViewer.h"
#include "PathHelpers.h"
#include "Settings.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

std::string Q(const std::string& text) {
  return "\"" + text + "\"";
}

class ListViewerTest : public ExtractTest {
 protected:
  ListViewerTest() : inspect(status, nullptr), viewer(window, status, inspect) {
    viewer.setOpener([this](const std::string& path) { opened.push_back(path); });
  }
  ArchiverDLL_Inspect inspect;
  ListViewer viewer;
  std::vector<std::string> opened;
};

// Every row of the entry table, keep/flat and ask/no ask (A archive, D destination).
TEST(ViewerCommand, EveryRowOfTheEntryTable) {
  const std::string A = "/in/a b.x", D = "/out";
  const std::string tail = Q(A) + " " + Q(D + "/") + " docs/n.txt";
  struct Row {
    std::string ext;
    bool keep, ask, use7Zip, unace32;
    ExtractRoute route;
    Lib lib;
    std::string line;
  };
  const Row rows[] = {
      {"lzh", true, true, false, false, ExtractRoute::Library, Lib::Unlha,
       "x -c0 -m0  " + tail + " -y -jf0"},
      {"lha", false, false, false, false, ExtractRoute::Library, Lib::Unlha,
       "e -c1 -m1 -y1  " + tail + " -y -jf0"},
      {"zip", true, true, false, false, ExtractRoute::Library, Lib::UnZip,
       "-x -s -V -i -C -qq " + tail},
      {"zip", false, false, false, false, ExtractRoute::Library, Lib::UnZip,
       "-x -j -o -s -V -i -C -qq " + tail},
      {"zip", true, false, true, false, ExtractRoute::Library, Lib::SevenZip, "x -y " + tail},
      {"zip", false, true, true, false, ExtractRoute::Library, Lib::SevenZip, "e " + tail},
      {"7z", false, false, false, false, ExtractRoute::Library, Lib::SevenZip, "e -y " + tail},
      {"cab", true, false, false, false, ExtractRoute::Library, Lib::Cab, "-x -o " + tail},
      {"cab", false, true, false, false, ExtractRoute::Library, Lib::Cab, "-x -j " + tail},
      {"gca", true, true, false, false, ExtractRoute::Library, Lib::UnGCA,
       "e -xx1 -yx1 -sx1 " + tail},
      {"gca", false, false, false, false, ExtractRoute::Library, Lib::UnGCA,
       "e -xx0 -yx0 -sx1 " + tail},
      {"rar", true, false, false, false, ExtractRoute::Library, Lib::Unrar, "-x -y -o " + tail},
      {"rar", false, true, false, false, ExtractRoute::Library, Lib::Unrar, "-e " + tail},
      {"yz1", true, true, false, false, ExtractRoute::Library, Lib::Yz1, "x -x1 -y2 " + tail},
      {"yz1", false, false, false, false, ExtractRoute::Library, Lib::Yz1, "x -x0 -y1 " + tail},
      {"bza", true, false, false, false, ExtractRoute::Library, Lib::Bga, "x -a -o " + tail},
      {"gza", false, true, false, false, ExtractRoute::Library, Lib::Bga, "x -a -j " + tail},
      {"tar", true, true, false, false, ExtractRoute::Library, Lib::Tar,
       "-x --use-directory=1 " + tail},
      {"gz", false, false, false, false, ExtractRoute::Library, Lib::Tar,
       "-x --use-directory=0 " + tail},
      {"z", false, true, false, false, ExtractRoute::Library, Lib::Tar,
       "-x --use-directory=0 " + tail},
      {"bz2", true, false, false, false, ExtractRoute::Library, Lib::Tar,
       "-x --use-directory=1 " + tail},
      {"arj", true, false, false, false, ExtractRoute::Library, Lib::Unarj, "x -y- " + tail},
      {"ard", false, true, false, false, ExtractRoute::Library, Lib::Unarj, "e " + tail},
      {"imp", true, true, false, false, ExtractRoute::Library, Lib::UnImp, "x -a -r -c2 " + tail},
      {"imp", false, false, false, false, ExtractRoute::Library, Lib::UnImp,
       "e -a -r -c0 -y " + tail},
      {"hki", true, true, false, false, ExtractRoute::Library, Lib::UnHki, "x -ga1 " + tail},
      {"hki", false, false, false, false, ExtractRoute::Library, Lib::UnHki, "e -ga0 " + tail},
      {"kty", true, true, false, false, ExtractRoute::Library, Lib::Kty, "x c0 q r " + tail},
      {"kty", false, false, false, false, ExtractRoute::Library, Lib::Kty, "e c3 r " + tail},
      {"bel", true, true, false, false, ExtractRoute::Library, Lib::Unbel,
       " " + Q(A) + " " + Q(D + "/")},
      {"ace", true, true, false, true, ExtractRoute::Library, Lib::Unace,
       "x -y0 " + Q(A) + " " + Q(D + "/")},
      {"ace", false, false, false, true, ExtractRoute::Library, Lib::Unace,
       "e -y1 -o " + Q(A) + " " + Q(D + "/")},
      {"ace", true, true, false, false, ExtractRoute::AceBackend, Lib::UnAceV2, ""},
      {"rk", true, true, false, false, ExtractRoute::Tool, Lib::Rk,
       "/t/rk -x -y -D" + Q(D) + " " + Q(A) + " " + Q("docs/n.txt")},
      {"rk", false, false, false, false, ExtractRoute::Tool, Lib::Rk,
       "/t/rk -e -y -O -D" + Q(D) + " " + Q(A) + " " + Q("docs/n.txt")},
      {"pqa", true, true, false, false, ExtractRoute::Unsupported, Lib::Unlha, ""},
      {"yz2", true, true, false, false, ExtractRoute::Unsupported, Lib::Unlha, ""},
  };
  for (const Row& r : rows) {
    ViewerOptions o{r.keep, r.ask, r.use7Zip, r.unace32, "/t/"};
    ExtractCommand c = BuildViewerCommand(r.ext, o, A, D, "docs/n.txt");
    SCOPED_TRACE(r.ext + (r.keep ? " keep" : " flat") + (r.ask ? " ask" : " no ask"));
    EXPECT_EQ(c.route, r.route);
    if (r.route == ExtractRoute::Unsupported) continue;
    EXPECT_EQ(c.lib, r.lib);
    EXPECT_EQ(c.commandLine, r.line);
  }
}

TEST(ViewerCommand, EveryRowOfTheSelfExtractorTable) {
  const std::string A = "/in/s.exe", D = "/out", E = "with blank.txt";
  const std::string usual = Q(A) + " " + Q(D + "/") + " " + Q(E);
  struct Row {
    std::string detected;
    bool unace32;
    ExtractRoute route;
    Lib lib;
    std::string line;
  };
  const Row rows[] = {
      {"LZH", false, ExtractRoute::Library, Lib::Unlha, "e " + usual + " -y -jf0"},
      {"ZIP", false, ExtractRoute::Library, Lib::UnZip, "-x -j -o -s -V -i -C -qq " + usual},
      {"CAB", false, ExtractRoute::Library, Lib::Cab, "-x -j -o " + usual},
      {"GCA", false, ExtractRoute::Library, Lib::UnGCA, "e -xx0 -yx0 -sx1 " + usual},
      {"RAR", false, ExtractRoute::Library, Lib::Unrar, "-e -y -o " + usual},
      {"7Z", false, ExtractRoute::Library, Lib::SevenZip, "e -y " + usual},
      {"YZ1", false, ExtractRoute::Library, Lib::Yz1, "x -x0 -y1 " + usual},
      {"ARJ", false, ExtractRoute::Library, Lib::Unarj, "e -y- " + usual},
      {"TAR", false, ExtractRoute::Library, Lib::Tar, "-x --use-directory=0 " + usual},
      {"BGA", false, ExtractRoute::Library, Lib::Bga, "x -j -o " + usual},
      {"BEL", false, ExtractRoute::Library, Lib::Unbel, " " + Q(A) + " " + Q(D + "/")},
      {"IMP", false, ExtractRoute::Library, Lib::UnImp,
       "-o" + Q(D + "/") + " -a " + Q(A) + " " + Q(E)},
      {"KTY", false, ExtractRoute::Library, Lib::Kty, "e c11 q r " + usual},
      {"ACE", true, ExtractRoute::Library, Lib::Unace, "e -y0 " + Q(A) + " " + Q(D + "/")},
      {"ACE", false, ExtractRoute::AceBackend, Lib::UnAceV2, ""},
      {"RK", false, ExtractRoute::Tool, Lib::Rk,
       "/t/rk -e -y -O -D" + Q(D) + " " + Q(A) + " " + Q(E)},
      {"PQA", false, ExtractRoute::Unsupported, Lib::Unlha, ""},
      {"", false, ExtractRoute::Unsupported, Lib::Unlha, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.detected);
    ViewerOptions o{true, true, true, r.unace32, "/t/"};  // keep and ask do not count here
    ExtractCommand c = BuildSelfExtractorCommand(r.detected, o, A, D, E);
    EXPECT_EQ(c.route, r.route);
    if (r.route == ExtractRoute::Unsupported) continue;
    EXPECT_EQ(c.lib, r.lib);
    EXPECT_EQ(c.commandLine, r.line);
  }
}

TEST(ViewerCommand, DeleteRowsAndEntryArguments) {
  const std::string A = "/in/a.x";
  struct Row {
    std::string ext, entry;
    bool zipWriter;
    Lib lib;
    std::string line;
  };
  const Row rows[] = {
      {"lzh", "a.txt", false, Lib::Unlha, "d -jyd " + Q(A) + " " + Q("a.txt")},
      {"lha", "d/a.txt", false, Lib::Unlha, "d " + Q(A) + " " + Q("d/a.txt")},
      {"zip", "a.txt", true, Lib::Zip, "-d " + Q(A) + " " + Q("a.txt")},
      {"zip", "a.txt", false, Lib::SevenZip, "d " + Q(A) + " " + Q("a.txt")},
      {"7z", "-d", false, Lib::SevenZip, "d " + Q(A) + " " + Q("-d")},
      {"bza", "a", false, Lib::Bga, "d " + Q(A) + " " + Q("a")},
      {"gza", "a", false, Lib::Bga, "d " + Q(A) + " " + Q("a")},
      {"hki", "a", false, Lib::UnHki, "d " + Q(A) + " " + Q("a")},
      // A folder row never ends in "/", which our libraries read as a folder argument.
      {"zip", "docs/", true, Lib::Zip, "-d " + Q(A) + " " + Q("docs")},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.ext + " " + r.entry);
    ExtractCommand c = BuildDeleteCommand(r.ext, r.zipWriter, A, r.entry);
    EXPECT_EQ(c.lib, r.lib);
    EXPECT_EQ(c.commandLine, r.line);
  }
  EXPECT_EQ(BuildDeleteCommand("cab", false, A, "a").route, ExtractRoute::Unsupported);

  EXPECT_EQ(EntryArgument("docs/"), "docs");
  EXPECT_EQ(EntryArgument("a b/c"), Q("a b/c"));
  EXPECT_EQ(EntryArgument("-d"), Q("-d"));
  EXPECT_EQ(EntryArgument("@list"), Q("@list"));
  // Inside double quotes "*", "?" and "[" are characters of the name for our libraries.
  EXPECT_EQ(EntryArgument("*"), Q("*"));
  EXPECT_EQ(EntryArgument("d/a*b.txt"), Q("d/a*b.txt"));
  EXPECT_EQ(EntryArgument("?.txt"), Q("?.txt"));
  EXPECT_EQ(EntryArgument("[x].txt"), Q("[x].txt"));
  EXPECT_EQ(EntryArgument("plain.txt"), "plain.txt");
  for (const char* bad : {"x\"y", "@/list", "a\nb", "a\rb", ""}) EXPECT_FALSE(CanNameEntry(bad));
  for (const char* good :
       {"-d", "@list", "a b", "日本語.txt", "x@y", "docs/", "*", "a?b", "[x].txt", "*.*"})
    EXPECT_TRUE(CanNameEntry(good));
}

TEST(ViewerCommand, DoubleClickTableAndDocking) {
  struct Row {
    int action, place;
    std::string templ;
    ViewerAction run;
  };
  const Row rows[] = {
      {0, 0, "", ViewerAction::Open},
      {0, 1, "", ViewerAction::OpenApoint},
      {0, 2, "", ViewerAction::OpenAlways},
      {0, 3, "デスクトップ", ViewerAction::None},
      {1, 0, "", ViewerAction::None},
      {1, 1, "", ViewerAction::ExtractApoint},
      {1, 2, "", ViewerAction::ExtractAlways},
      {1, 3, "マイ ドキュメント", ViewerAction::ExtractToMyDocument},
      {1, 3, "デスクトップ", ViewerAction::ExtractToDesktop},
      {1, 3, "システムフォルダ", ViewerAction::ExtractToSystem},
      {1, 3, "Windows", ViewerAction::ExtractToWindows},
      {1, 3, "windows", ViewerAction::None},
      {1, 4, "", ViewerAction::None},
      {2, 1, "", ViewerAction::None},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(std::to_string(r.action) + "/" + std::to_string(r.place) + " " + r.templ);
    EXPECT_EQ(DoubleClickAction(r.action, r.place, r.templ), r.run);
  }
  EXPECT_EQ(SpecialFolderOf(ViewerAction::ExtractToSystem), "/usr/lib");
  EXPECT_EQ(SpecialFolderOf(ViewerAction::ExtractToWindows), "/usr");
  // The viewer's left edge 100 twips from the main window's right edge docks; 101 does not.
  EXPECT_TRUE(IsDockedAt(5100, 0, 5000));
  EXPECT_TRUE(IsDockedAt(4900, 0, 5000));
  EXPECT_FALSE(IsDockedAt(5101, 0, 5000));
  EXPECT_FALSE(IsDockedAt(4899, 0, 5000));
  EXPECT_TRUE(IsDockedAt(6000, 1000, 5000));
}

// ExtractFile reads Use7Zip, OverWrite and MakeFolder4ListView at each call and reports.
TEST_F(ListViewerTest, ExtractFileReadsTheSettingsAndReports) {
  const std::string A = Archive("b.zip");
  viewer.setArchive(A);
  std::string outPath;
  ASSERT_TRUE(viewer.ExtractFile("docs/n.txt", out, &outPath));
  EXPECT_EQ(Commands("UnZip").back(),
            "-x -j -o -s -V -i -C -qq " + Q(A) + " " + Q(out + "/") + " docs/n.txt");
  EXPECT_EQ(outPath, out + "/n.txt");
  EXPECT_EQ(window.panels[1], "解凍完了！");

  Ini("GENERAL", "Use7Zip", "1");
  Ini("GENERAL", "MakeFolder4ListView", "1");
  Ini("EXTRACT_ARCVIEW", "OverWrite", "1");
  ASSERT_TRUE(viewer.ExtractFile("docs/n.txt", out, &outPath));
  EXPECT_EQ(Commands("SevenZip").back(), "x " + Q(A) + " " + Q(out + "/") + " docs/n.txt");
  EXPECT_EQ(outPath, out + "/docs/n.txt");

  // With the check mark the entry goes into a folder named after the archive, made first.
  viewer.setMakeFolder(true);
  ASSERT_TRUE(viewer.ExtractFile("docs/n.txt", out, &outPath));
  EXPECT_EQ(Commands("SevenZip").back(), "x " + Q(A) + " " + Q(out + "/b/") + " docs/n.txt");
  EXPECT_TRUE(fs::is_directory(out + "/b"));
  EXPECT_EQ(outPath, out + "/b/docs/n.txt");
  EXPECT_EQ(window.responsiveCalls, 3);

  plugin.CommandResult("SevenZip", "*", 0x8005);
  EXPECT_FALSE(viewer.ExtractFile("docs/n.txt", out, &outPath));
  EXPECT_EQ(MessageTexts().back(), "ファイルの解凍に失敗しました。");
}

TEST_F(ListViewerTest, UnsupportedUnavailableAndUnnameableEntriesCallNothing) {
  viewer.setArchive(Archive("a.pqa"));
  EXPECT_FALSE(viewer.ExtractFile("x", out, nullptr));
  EXPECT_EQ(MessageTexts().back(), "対応していない形式のファイルです");
  EXPECT_EQ(window.messages.back().icon, MsgIcon::Critical);

  viewer.setArchive(Archive("a.lzh"));
  status.UNLHA32 = false;
  EXPECT_FALSE(viewer.ExtractFile("x", out, nullptr));
  EXPECT_EQ(MessageTexts().back(), "ファイルの解凍に失敗しました。");
  status.UNLHA32 = true;
  for (const char* name : {"@/x", "a\"b", "a\r\nb"}) {
    EXPECT_FALSE(viewer.ExtractFile(name, out, nullptr)) << name;
    EXPECT_EQ(MessageTexts().back(),
              std::string("この名前のファイルは書庫から取り出せません。\r\n") + name);
  }
  EXPECT_TRUE(Commands("Unlha").empty());
  // A name holding "*" or "?" reaches the library quoted: that entry, not a pattern.
  for (const char* name : {"*", "?.txt"}) {
    ASSERT_TRUE(viewer.ExtractFile(name, out, nullptr)) << name;
    EXPECT_EQ(Commands("Unlha").back(), "e -c1 -m1 -y1  " + Q(Archive("a.lzh")) + " " +
                                            Q(out + "/") + " " + Q(name) + " -y -jf0");
  }
  // A name beginning with "-" reaches the library quoted, as a name and not a switch.
  ASSERT_TRUE(viewer.ExtractFile("-d", out, nullptr));
  EXPECT_EQ(Commands("Unlha").back(),
            "e -c1 -m1 -y1  " + Q(Archive("a.lzh")) + " " + Q(out + "/") + " \"-d\" -y -jf0");
}

// A self-extracting file: the detection decides, flat and without asking whatever is set.
TEST_F(ListViewerTest, SelfExtractorAsksTheDetection) {
  const std::string A = Archive("s.exe");
  plugin.Check("*", "*", 0).Check("Cab", A, 1);
  Ini("GENERAL", "MakeFolder4ListView", "1");
  Ini("EXTRACT_ARCVIEW", "OverWrite", "1");
  viewer.setArchive(A);
  std::string outPath;
  ASSERT_TRUE(viewer.ExtractFile("d/e.txt", out, &outPath));
  EXPECT_EQ(Commands("Cab").back(), "-x -j -o " + Q(A) + " " + Q(out + "/") + " d/e.txt");
  EXPECT_EQ(outPath, out + "/e.txt");
}

// Opening holds the overwrite question off in memory: QvrArc.ini keeps "ask", even when
// the extraction fails; the opener gets the file inside tmp, never a path out of it.
TEST_F(ListViewerTest, OpenKeepsOverWriteAndOpensOnlyWhatLiesInside) {
  const std::string A = Archive("a.lzh");
  viewer.setArchive(A);
  Ini("EXTRACT_ARCVIEW", "OverWrite", "1");
  const std::string tmp = AppFile("tmp");
  WriteFile(tmp + "/d/e.txt", "x");
  viewer.Run(ViewerAction::Open, "d/e.txt");
  EXPECT_EQ(Commands("Unlha").back(),
            "e -c1 -m1 -y1  " + Q(A) + " " + Q(tmp + "/") + " d/e.txt -y -jf0");
  EXPECT_EQ(GetIniInt(kQvrArcIni, "EXTRACT_ARCVIEW", "OverWrite"), 1);
  ASSERT_EQ(opened.size(), 0u);  // flat: tmp/e.txt was not written

  WriteFile(tmp + "/e.txt", "x");
  viewer.Run(ViewerAction::Open, "d/e.txt");
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], fs::canonical(tmp + "/e.txt").string());

  // An entry that climbs: our libraries write it inside; the file above tmp is never opened.
  Ini("GENERAL", "MakeFolder4ListView", "1");
  WriteFile(AppFile("evil.txt"), "x");
  viewer.Run(ViewerAction::Open, "../evil.txt");
  EXPECT_EQ(opened.size(), 1u);
  WriteFile(tmp + "/evil.txt", "x");
  viewer.Run(ViewerAction::Open, "../evil.txt");
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1], fs::canonical(tmp + "/evil.txt").string());
  // A link the archive put there that points out of tmp is not followed.
  fs::create_symlink(AppFile("evil.txt"), tmp + "/link.txt");
  viewer.Run(ViewerAction::Open, "link.txt");
  EXPECT_EQ(opened.size(), 2u);

  plugin.CommandResult("Unlha", "*", 0x8005);
  viewer.Run(ViewerAction::Open, "e.txt");
  EXPECT_EQ(GetIniInt(kQvrArcIni, "EXTRACT_ARCVIEW", "OverWrite"), 1);
  EXPECT_EQ(opened.size(), 2u);
}

// The usual folder is the viewer's own (EXTRACT_ARCVIEW/AlwaysFolder), then GENERAL/AlwaysPath;
// none at all stops the step instead of extracting into "/".
TEST_F(ListViewerTest, UsualFolderAndChosenFolder) {
  const std::string A = Archive("a.7z");
  viewer.setArchive(A);
  viewer.Run(ViewerAction::ExtractAlways, "e.txt");
  EXPECT_EQ(window.panels[1], "解凍は中止しました。");
  EXPECT_TRUE(Commands("SevenZip").empty());

  Ini("GENERAL", "AlwaysPath", out + "/general");
  viewer.Run(ViewerAction::ExtractAlways, "e.txt");
  EXPECT_EQ(Commands("SevenZip").back(), "e -y " + Q(A) + " " + Q(out + "/general/") + " e.txt");
  Ini("EXTRACT_ARCVIEW", "AlwaysFolder", out + "/viewer");
  viewer.Run(ViewerAction::ExtractAlways, "e.txt");
  EXPECT_EQ(Commands("SevenZip").back(), "e -y " + Q(A) + " " + Q(out + "/viewer/") + " e.txt");

  window.panels[1] = "";
  window.dialogAnswers = {""};
  viewer.Run(ViewerAction::ExtractApoint, "e.txt");
  EXPECT_EQ(window.panels[1], "解凍は中止しました。");
  window.dialogAnswers = {out + "/chosen"};
  viewer.Run(ViewerAction::OpenApoint, "e.txt");
  EXPECT_EQ(Commands("SevenZip").back(), "e -y " + Q(A) + " " + Q(out + "/chosen/") + " e.txt");
  EXPECT_EQ(Commands("SevenZip").size(), 3u);
}

// The system folders: refused when not writable, and never written as root unasked.
TEST_F(ListViewerTest, SystemFoldersAreGuarded) {
  viewer.setArchive(Archive("a.7z"));
  if (geteuid() == 0) {
    window.messageAnswers = {MsgResult::No};
    viewer.Run(ViewerAction::ExtractToSystem, "e.txt");
    EXPECT_EQ(window.messages.back().buttons, MsgButtons::YesNo);
    EXPECT_TRUE(Commands("SevenZip").empty());
    plugin.CommandResult("SevenZip", "*", 0x8005);  // nothing is written to /usr
    window.messageAnswers = {MsgResult::Yes};
    viewer.Run(ViewerAction::ExtractToWindows, "e.txt");
    EXPECT_EQ(Commands("SevenZip").back(),
              "e -y " + Q(Archive("a.7z")) + " " + Q("/usr/") + " e.txt");
  } else {
    viewer.Run(ViewerAction::ExtractToSystem, "e.txt");
    EXPECT_EQ(MessageTexts().back(), "解凍先のフォルダに書き込めません。\r\n/usr/lib");
    EXPECT_TRUE(Commands("SevenZip").empty());
  }
}

// The double click follows EXTRACT_ARCVIEW as it stands at the click.
TEST_F(ListViewerTest, DoubleClickRunsTheConfiguredCommand) {
  const std::string A = Archive("a.cab");
  viewer.setArchive(A);
  Ini("EXTRACT_ARCVIEW", "Action", "1");
  Ini("EXTRACT_ARCVIEW", "TargetPlace", "0");
  viewer.DoubleClick("e.txt");
  EXPECT_TRUE(plugin.Calls("Cab").empty());
  Ini("EXTRACT_ARCVIEW", "TargetPlace", "2");
  Ini("EXTRACT_ARCVIEW", "AlwaysFolder", out);
  viewer.DoubleClick("e.txt");
  EXPECT_EQ(Commands("Cab").back(), "-x -j -o " + Q(A) + " " + Q(out + "/") + " e.txt");
}

// Deleting asks first (No answers Return), names exactly the row and refuses, naming the
// file, what a command line cannot carry.
TEST_F(ListViewerTest, DeleteConfirmsAndNamesExactlyTheEntry) {
  const std::string A = Archive("a.zip");
  viewer.setArchive(A);
  window.messageAnswers = {MsgResult::No};
  EXPECT_FALSE(viewer.Delete("a.txt"));
  EXPECT_EQ(window.messages.back().buttons, MsgButtons::YesNoDefaultNo);
  EXPECT_EQ(window.messages.back().icon, MsgIcon::Question);
  EXPECT_TRUE(Commands("Zip").empty());

  for (const char* name : {"@/list", "x\"y", "a\nb"}) {
    size_t boxes = window.messages.size();
    EXPECT_FALSE(viewer.Delete(name)) << name;
    ASSERT_EQ(window.messages.size(), boxes + 1);  // the refusal, no question
    EXPECT_EQ(window.messages.back().text,
              std::string("この名前のファイルは書庫から削除できません。\r\n") + name);
  }
  EXPECT_TRUE(Commands("Zip").empty());
  EXPECT_TRUE(Commands("SevenZip").empty());

  for (const char* name : {"*", "a?.txt", "[x].txt"}) {
    EXPECT_TRUE(viewer.Delete(name)) << name;
    EXPECT_EQ(Commands("Zip").back(), "-d " + Q(A) + " " + Q(name));
  }

  EXPECT_TRUE(viewer.Delete("-d"));
  EXPECT_EQ(Commands("Zip").back(), "-d " + Q(A) + " " + Q("-d"));
  status.ZIP32 = false;  // the writer pair is incomplete: 7-zip32 deletes
  EXPECT_TRUE(viewer.Delete("docs/"));
  EXPECT_EQ(Commands("SevenZip").back(), "d " + Q(A) + " " + Q("docs"));
  status.SEVENZIP32 = false;
  EXPECT_FALSE(viewer.Delete("a.txt"));
  EXPECT_EQ(Commands("SevenZip").size(), 1u);

  viewer.setArchive(Archive("a.rar"));
  EXPECT_FALSE(viewer.Delete("a.txt"));
  EXPECT_EQ(MessageTexts().back(), "対応していない形式のファイルです");
}

// rk: a success only when this call wrote the file.
TEST_F(ListViewerTest, RkCountsOnlyAFileThisCallWrote) {
  const std::string A = Archive("a.rk");
  viewer.setArchive(A);
  InstallTool("rk");  // logs, writes nothing
  WriteFile(out + "/e.txt", "old");
  EXPECT_FALSE(viewer.ExtractFile("d/e.txt", out, nullptr));
  ASSERT_EQ(ToolRuns("rk").size(), 1u);
  EXPECT_EQ(ToolRuns("rk")[0],
            (std::vector<std::string>{"-e", "-y", "-O", "-D" + out, A, "d/e.txt"}));

  // A stand-in that writes the entry's file into the -D folder.
  WriteFile(tools + "rk",
            "#!/bin/sh\nfor a in \"$@\"; do case \"$a\" in -D*) d=\"${a#-D}\";; esac; last=\"$a\"; "
            "done\nsleep 0.01; echo new > \"$d/$(basename \"$last\")\"\n");
  chmod((tools + "rk").c_str(), 0755);
  EXPECT_TRUE(viewer.ExtractFile("d/e.txt", out, nullptr));
  EXPECT_EQ(ReadFile(out + "/e.txt"), "new\n");
}

}  // namespace
}  // namespace qvr::test
