// Both archiving methods through the recording plugin: what each library receives, the
// panel texts, the list afterwards, the messages and questions, the list files.
#include <gtest/gtest.h>

#include <filesystem>

#include "AppFolder.h"
#include "ArchiveAllInOne.h"
#include "ArchiveEachFile.h"
#include "ExtractTest.h"
#include "PathHelpers.h"
#include "Settings.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

std::string Q(const std::string& text) {
  return "\"" + text + "\"";
}

// A window whose event pumping stands for the user changing the settings between entries.
class ChangingWindow : public FakeMainWindow {
 public:
  std::function<void(int)> onPump;
  void pumpEvents() override {
    FakeMainWindow::pumpEvents();
    if (onPump) onPump(pumps);
  }
};

class ArchiveRunTest : public ExtractTest {
 protected:
  int Each(const std::string& type, bool single = false) {
    return ArchiveEachFile(ArchiveRun{window, status, type}, single, out);
  }
  int All(const std::string& type, const std::string& name, bool single = false) {
    return ArchiveAllInOne(ArchiveRun{window, status, type}, single, out, name);
  }
  std::vector<std::string> Panel1() const {
    std::vector<std::string> texts;
    for (const auto& [panel, text] : window.panelHistory)
      if (panel == 1) texts.push_back(text);
    return texts;
  }
};

TEST_F(ArchiveRunTest, EachFileSendsOneCommandPerFileAndEmptiesTheList) {
  const std::string a = Archive("a.txt"), b = Archive("b c.doc"), gone = in + "/gone.txt";
  List({a, gone, b});
  EXPECT_EQ(Each("ZIP"), 2);
  EXPECT_EQ(Commands("Zip"),
            (std::vector<std::string>{"-r -j -6 " + Q(in + "/a.zip") + " " + Q(a),
                                      "-r -j -6 " + Q(in + "/b c.zip") + " " + Q(b)}));
  EXPECT_EQ(CommandLibraries(), (std::vector<std::string>{"zip32j.so", "zip32j.so"}));
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"存在しないファイルです。場所を確認してください。"});
  EXPECT_EQ(Panel1(), (std::vector<std::string>{
                          "1個目(全体:3個)のファイルを圧縮中", "2個目(全体:3個)のファイルを圧縮中",
                          "3個目(全体:3個)のファイルを圧縮中", "2個のファイルを圧縮完了！"}));
  EXPECT_EQ(window.panels[2], "00:00:00");
  EXPECT_EQ(window.timerStarts, 1);
  EXPECT_FALSE(window.timerRunning);
  EXPECT_TRUE(window.list.empty());
  EXPECT_EQ(window.responsiveCalls, 2);  // every library call lets the window answer
}

TEST_F(ArchiveRunTest, EachFileToTheDestinationAndEmptyFormatIsLzh) {
  const std::string a = Archive("report.txt");
  List({a});
  EXPECT_EQ(Each("", true), 1);
  EXPECT_EQ(Commands("Unlha"),
            std::vector<std::string>{"a -je16384 -jm2 " + Q(out + "/report.lzh") + " " + Q(a)});
}

TEST_F(ArchiveRunTest, EmptyListSaysSoAndReturnsZero) {
  EXPECT_EQ(Each("ZIP"), 0);
  EXPECT_EQ(All("ZIP", "x"), 0);
  EXPECT_EQ(MessageTexts(),
            (std::vector<std::string>{"ファイルがありません。", "ファイルがありません。"}));
  EXPECT_EQ(window.messages[0].icon, MsgIcon::Information);
  EXPECT_TRUE(plugin.Calls().empty());
  EXPECT_EQ(window.timerStarts, 0);
  EXPECT_FALSE(fs::exists(AppFile("addlist.tmp")));
}

// The settings are read again for every entry.
TEST_F(ArchiveRunTest, ASettingChangedDuringTheRunAppliesFromTheNextEntry) {
  ChangingWindow changing;
  changing.onPump = [this](int pumps) {
    if (pumps == 2) Ini("ARCHIVE_ZIP", "ArchiveLevel", "9");
  };
  const std::string a = Archive("a.txt"), b = Archive("b.txt");
  changing.list = {a, b};
  EXPECT_EQ(ArchiveEachFile(ArchiveRun{changing, status, "zip"}, false, ""), 2);
  EXPECT_EQ(Commands("Zip"),
            (std::vector<std::string>{"-r -j -6 " + Q(in + "/a.zip") + " " + Q(a),
                                      "-r -j -9 " + Q(in + "/b.zip") + " " + Q(b)}));
}

TEST_F(ArchiveRunTest, UnsupportedFormatIsSaidForEveryEntry) {
  List({Archive("a.txt"), Archive("b.txt")});
  EXPECT_EQ(Each("RAR"), 0);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{"対応していない形式のファイルです",
                                                      "対応していない形式のファイルです"}));
  EXPECT_EQ(window.messages[0].icon, MsgIcon::Critical);
  EXPECT_EQ(window.panels[1], "0個のファイルを圧縮完了！");
}

// A missing library is named once per run, nothing is counted, the panel says 0.
TEST_F(ArchiveRunTest, MissingLibraryIsNamedOnceAndNothingCounts) {
  struct Row {
    std::string type;
    bool LibraryStatus::*flag;
    std::string named;
  };
  const std::vector<Row> rows = {
      {"YZ1", &LibraryStatus::YZ1, "yz1.so"},     {"BZA", &LibraryStatus::BGA32, "bga32.so"},
      {"GZA", &LibraryStatus::BGA32, "bga32.so"}, {"PQA", &LibraryStatus::PAQAR32, "paqar32.so"},
      {"RK", &LibraryStatus::RKEXE, "rk"},        {"YZ2", &LibraryStatus::YZ2ENC, "yz2enc"},
      {"ZIP", &LibraryStatus::ZIP32, "zip32.so"}, {"7Z", &LibraryStatus::SEVENZIP32, "7-zip32.so"},
  };
  for (const Row& r : rows) {
    window = FakeMainWindow();
    plugin.ClearLog();
    status.*r.flag = false;
    List({Archive("a.txt"), Archive("b.txt")});
    EXPECT_EQ(Each(r.type), 0) << r.type;
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"圧縮に必要な「" + r.named +
                                                       "」がインストールされていません。"})
        << r.type;
    EXPECT_EQ(window.messages.at(0).icon, MsgIcon::Critical);
    EXPECT_EQ(window.panels[1], "0個のファイルを圧縮完了！") << r.type;
    EXPECT_TRUE(Commands("Zip").empty());
    status.*r.flag = true;
  }
  // In one archive too: the list stays as it was.
  window = FakeMainWindow();
  status.TAR32 = false;
  const std::vector<std::string> list = {Archive("a.txt"), Archive("b.txt")};
  List(list);
  EXPECT_EQ(All("TAR", "x"), 0);
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"圧縮に必要な「tar32.so」がインストールされていません。"});
  EXPECT_EQ(window.list, list);
}

TEST_F(ArchiveRunTest, ALibraryFailureIsNotCounted) {
  const std::string a = Archive("a.txt"), b = Archive("b.txt");
  plugin.CommandResult("SevenZip", "a.7z", 0x8013);
  List({a, b});
  EXPECT_EQ(Each("7Z"), 1);
  EXPECT_EQ(Commands("SevenZip").size(), 2u);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(window.panels[1], "1個のファイルを圧縮完了！");
}

// TAR, GZ and BZ2 write the archive anew: an existing file of its name is replaced only
// when the user says so; LZH, ZIP, 7Z and CAB add into it without asking.
TEST_F(ArchiveRunTest, ReplacingAnExistingArchiveIsAsked) {
  const std::string a = Archive("a.txt"), b = Archive("a.doc"), c = Archive("c.txt");
  WriteFile(in + "/a.gz", "old");
  WriteFile(in + "/c.gz", "old");
  struct Row {
    std::vector<MsgResult> answers;
    int asked;
    std::vector<std::string> archived;  // the sources whose command was sent
  };
  const std::vector<Row> rows = {
      {{MsgResult::Yes, MsgResult::No, MsgResult::Yes}, 3, {a, c}},
      {{MsgResult::No, MsgResult::Yes, MsgResult::No}, 3, {b}},
      {{MsgResult::YesToAll}, 1, {a, b, c}},
      {{MsgResult::NoToAll}, 1, {}},
      {{MsgResult::Yes, MsgResult::Cancel}, 2, {a}},
  };
  for (const Row& r : rows) {
    window = FakeMainWindow();
    plugin.ClearLog();
    window.messageAnswers.assign(r.answers.begin(), r.answers.end());
    List({a, b, c});
    EXPECT_EQ(Each("GZ"), int(r.archived.size()));
    ASSERT_EQ(int(window.messages.size()), r.asked);
    EXPECT_EQ(window.messages[0].text, "「" + in + "/a.gz」はすでに存在します。\n上書きしますか？");
    EXPECT_EQ(window.messages[0].buttons, MsgButtons::YesNoAllCancel);
    std::vector<std::string> sent;
    for (const std::string& line : Commands("Tar"))
      sent.push_back(line.substr(line.rfind('"') + 1));
    std::vector<std::string> expected;
    for (const std::string& s : r.archived) expected.push_back(FileNameOf(s));
    EXPECT_EQ(sent, expected);
    EXPECT_TRUE(window.list.empty());
  }
  window = FakeMainWindow();
  WriteFile(in + "/a.zip", "old");
  List({a});
  EXPECT_EQ(Each("ZIP"), 1);
  EXPECT_TRUE(window.messages.empty());
}

// A source never becomes its own archive, and a name the command line cannot carry is refused.
TEST_F(ArchiveRunTest, SelfArchivesAndUncarriableNamesAreRefused) {
  const std::string self = Archive("x.gz"), quote = Archive("say \"hi\".txt"),
                    line = Archive("two\nlines.txt"), dash = Archive("-y.txt"),
                    at = Archive("@list.txt");
  List({self, quote, line, dash, at});
  EXPECT_EQ(Each("GZ"), 2);
  EXPECT_EQ(MessageTexts(),
            (std::vector<std::string>{
                "書庫の名前が元のファイルと同じになるため圧縮できません。\r\n" + self,
                "ファイル名をそのまま書庫ライブラリに渡せないため圧縮できません。\r\n" + quote,
                "ファイル名をそのまま書庫ライブラリに渡せないため圧縮できません。\r\n" + line}));
  EXPECT_EQ(Commands("Tar"),
            (std::vector<std::string>{
                "-c --use-directory=0 -z6 " + Q(in + "/-y.gz") + " \"" + in + "/\"-y.txt",
                "-c --use-directory=0 -z6 " + Q(in + "/@list.gz") + " \"" + in + "/\"@list.txt"}));
}

// The tools run through ShellX and count when they ran; YZ2 quotes the source.
TEST_F(ArchiveRunTest, ToolsRunFromTheirFolders) {
  InstallTool("yz2enc");
  InstallTool("rk");
  status.YZ2ENCPath = tools;
  status.RKEXEPath = tools;
  const std::string a = Archive("a b.wav");
  List({a});
  EXPECT_EQ(Each("YZ2", true), 1);
  EXPECT_EQ(ToolRuns("yz2enc"),
            (std::vector<std::vector<std::string>>{{"--buffer-size8", "-d" + in, a}}));
  List({a});
  EXPECT_EQ(Each("RK", true), 1);
  EXPECT_EQ(
      ToolRuns("rk"),
      (std::vector<std::vector<std::string>>{{"-c", "-r0", "-mn1", "-mwn", out + "/a b.rk", a}}));
}

TEST_F(ArchiveRunTest, AllInOneArchivePaths) {
  struct Row {
    std::string format, name;
    bool single;
    std::string path;
  };
  const std::vector<Row> rows = {
      {"7z", "", false, "/a/report.7z"},        {"zip", "photos.LZH", false, "/a/photos.LZH"},
      {"tar", "photos", true, "/o/photos.tar"}, {"7z", "backup.7z", false, "/a/backup.7z"},
      {"lzh", "v1.2", false, "/a/v1.2.lzh"},    {"gz", "notes.GZ", false, "/a/notes.GZ"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(AllInOneArchivePath("/a/report.txt", r.format, r.single, "/o", r.name), r.path)
        << r.name;
}

TEST_F(ArchiveRunTest, AllInOneWritesTheListFilesAndLeavesTheArchiveInTheList) {
  const std::string a = Archive("a.txt"), b = Archive("sub/b c.txt"), dup = a;
  List({a, b, dup});
  EXPECT_EQ(All("7Z", "my backup"), 2);  // a path listed twice counts once
  const std::string list = "\"@" + AppFolder() + "addlist.tmp\"";
  // The names are stored below the folder common to every source, folders kept.
  EXPECT_EQ(Commands("SevenZip"),
            std::vector<std::string>{"a -t7z " + Q(in + "/my backup.7z") + " " + Q(in + "/") + " " +
                                     list + " -mx=5 -ms=on -mf=on -mhc=on -mhcf=on"});
  EXPECT_EQ(ReadFile(AppFile("addlist.tmp")), Q(a) + "\r\n" + Q(b) + "\r\n");
  EXPECT_EQ(ReadFile(AppFile("addlist2.tmp")), "\"a.txt\"\r\n\"b c.txt\"\r\n");
  EXPECT_EQ(window.list, std::vector<std::string>{in + "/my backup.7z"});
  EXPECT_EQ(window.panels[1], "2個のファイルを圧縮完了！");
  EXPECT_EQ(window.panels[2], "00:00:00");
  EXPECT_FALSE(window.timerRunning);
  EXPECT_EQ(window.responsiveCalls, 1);
}

TEST_F(ArchiveRunTest, AllInOneRkListsFullPathsForTheTool) {
  InstallTool("rk");
  const std::string a = Archive("a.txt"), b = Archive("sub/b.txt");
  List({a, b});
  EXPECT_EQ(All("RK", "", true), 2);
  EXPECT_EQ(ReadFile(AppFile("addlist2.tmp")), a + "\r\n" + b + "\r\n");
  EXPECT_EQ(ToolRuns("rk"),
            (std::vector<std::vector<std::string>>{
                {"-a", "-p0", "-mn1", "-mwn", out + "/a.rk", "@" + AppFolder() + "addlist2.tmp"}}));
}

// On failure the list stays as it was, and nothing that would collapse is written.
TEST_F(ArchiveRunTest, AllInOneFailuresKeepTheList) {
  const std::string a = Archive("a.txt"), b = Archive("sub/a.txt"), c = Archive("c.txt");
  struct Row {
    std::string type;
    std::vector<std::string> list;
    std::vector<std::string> messages;
    bool called;
  };
  const std::vector<Row> rows = {
      {"YZ2", {a, c}, {"対応していない形式のファイルです"}, false},
      {"PQA", {a, c}, {"対応していない形式のファイルです"}, false},
      // Libraries of other makers store file names alone: the same name twice would lose one.
      {"BZA",
       {a, c, b},
       {"同じ名前のファイルが複数あるため、1つの書庫にまとめられません。\r\n" + a + "\r\n" + b},
       false},
      {"YZ1",
       {a, b},
       {"同じ名前のファイルが複数あるため、1つの書庫にまとめられません。\r\n" + a + "\r\n" + b},
       false},
      {"7Z", {b, c}, {}, true},  // the library fails below
  };
  plugin.CommandResult("SevenZip", "*", 0x8005);
  for (const Row& r : rows) {
    window = FakeMainWindow();
    plugin.ClearLog();
    List(r.list);
    EXPECT_EQ(All(r.type, "x"), 0) << r.type;
    EXPECT_EQ(MessageTexts(), r.messages) << r.type;
    EXPECT_EQ(window.list, r.list) << r.type;
    EXPECT_EQ(!plugin.Calls().empty(), r.called) << r.type;
    EXPECT_EQ(window.panels[1], "0個のファイルを圧縮完了！");
  }
  // Every format our libraries write keeps the folders: the same names from two folders are
  // two entries, stored below the folder common to both.
  for (const char* type : {"ZIP", "TAR", "CAB", "LZH", "7Z"}) {
    window = FakeMainWindow();
    plugin.ClearLog();
    plugin.CommandResult("SevenZip", "*", 0);
    List({a, b});
    EXPECT_EQ(All(type, "x"), 2) << type;
    EXPECT_TRUE(window.messages.empty()) << type;
    ASSERT_EQ(plugin.Calls().size(), 1u) << type;
    EXPECT_NE(plugin.Calls()[0].args.at(1).find(Q(in + "/") + " \"@"), std::string::npos)
        << plugin.Calls()[0].args.at(1);
  }
}

TEST_F(ArchiveRunTest, AllInOneAsksBeforeReplacingAndNeverArchivesOverASource) {
  const std::string a = Archive("a.txt"), old = Archive("x.tar", "old");
  List({a});
  window.messageAnswers = {MsgResult::No};
  EXPECT_EQ(All("TAR", "x"), 0);
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"「" + old + "」はすでに存在します。\n上書きしますか？"});
  EXPECT_TRUE(plugin.Calls().empty());
  EXPECT_EQ(window.list, std::vector<std::string>{a});
  EXPECT_EQ(ReadFile(old), "old");

  window = FakeMainWindow();
  List({a, old});
  EXPECT_EQ(All("TAR", "x"), 0);
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{
                "書庫の名前が元のファイルと同じになるため圧縮できません。\r\n" + old});
  window = FakeMainWindow();
  List({a});
  window.messageAnswers = {MsgResult::Yes};
  EXPECT_EQ(All("TAR", "x"), 1);
  EXPECT_EQ(window.list, std::vector<std::string>{old});
}

// Entries dropped while the run goes on stay for the next run.
TEST_F(ArchiveRunTest, EntriesAddedDuringTheRunStay) {
  ChangingWindow changing;
  const std::string a = Archive("a.txt"), late = Archive("late.txt");
  changing.onPump = [&](int) { changing.list.push_back(late); };
  changing.list = {a};
  EXPECT_EQ(ArchiveEachFile(ArchiveRun{changing, status, "zip"}, false, ""), 1);
  EXPECT_EQ(changing.list, std::vector<std::string>{late});
}

}  // namespace
}  // namespace qvr::test
