#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "BatchRun.h"
#include "ExtractTest.h"
#include "PreScan.h"
#include "RunProgress.h"
#include "RunReport.h"
#include "Settings.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

class BatchRunTest : public StartTest {
 protected:
  BatchRunTest() {
    SetFreeSpaceProbe([](const std::string&) { return uint64_t(1) << 40; });
  }
  ~BatchRunTest() override { SetFreeSpaceProbe(nullptr); }
};

TEST_F(BatchRunTest, DestinationByStartUpModeAndChoice) {
  Ini("GENERAL", "AlwaysPath", "/data/always");
  Ini("DDMODE", "TargetPath", "/data/dd target");
  std::string first = Archive("sub/a.lzh");
  List({first});
  const std::string desktop = home + "/Desktop";
  struct Row {
    const char* mode;
    int targetPlace;
    const char* extractMode;  // DDMODE/ExtractMode
    bool single;
    std::string folder;
    DestinationKind kind;
    std::string openFolder;
  } rows[] = {
      {kModeNormal, 0, "2", false, "", DestinationKind::OwnFolder, in + "/sub"},
      {kModeNormal, 1, "2", true, "/picked", DestinationKind::Chosen, "/picked"},
      {kModeNormal, 2, "0", true, "/data/always", DestinationKind::Chosen, "/data/always"},
      {kModeNormal, 3, "2", true, desktop, DestinationKind::Desktop, desktop},
      {kModeNormal, 7, "0", false, "", DestinationKind::OwnFolder, in + "/sub"},
      {kModeDDMode, 1, "0", true, desktop, DestinationKind::Desktop, desktop},
      {kModeDDMode, 1, "1", false, "", DestinationKind::OwnFolder, in + "/sub"},
      {kModeDDMode, 1, "2", true, "/data/dd target", DestinationKind::Chosen, "/data/dd target"},
  };
  for (const Row& row : rows) {
    Ini("DDMODE", "ExtractMode", row.extractMode);
    window.dialogs.clear();
    window.dialogAnswers = {"/picked"};
    Destination d = ChooseExtractDestination(Run(row.mode, row.targetPlace));
    std::string label =
        std::string(row.mode) + " " + std::to_string(row.targetPlace) + " " + row.extractMode;
    EXPECT_FALSE(d.cancelled) << label;
    EXPECT_EQ(d.single, row.single) << label;
    EXPECT_EQ(d.folder, row.folder) << label;
    EXPECT_EQ(d.kind, row.kind) << label;
    EXPECT_EQ(d.openFolder, row.openFolder) << label;
    // Only "自分で決定" asks for a folder.
    EXPECT_EQ(window.dialogs.size(),
              row.mode == std::string(kModeNormal) && row.targetPlace == 1 ? 1u : 0u)
        << label;
  }
}

TEST_F(BatchRunTest, CancelledFolderDialogEndsTheRunAndKeepsTheProgramOpen) {
  std::string a = Archive("a.lzh");
  List({a});
  window.dialogAnswers = {""};
  EXPECT_EQ(StartExtract(Run(kModeNormal, 1)), RunEnd::StayOpen);
  EXPECT_EQ(window.panels[1], "解凍は中止しました。");
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(window.list, std::vector<std::string>{a});
  EXPECT_FALSE(fs::exists(plugin.folder() + kErrorLogFile));
  EXPECT_TRUE(Commands("Unlha").empty());
  EXPECT_TRUE(sound.played.empty());
}

// An empty folder setting would send every archive to the file system's root.
TEST_F(BatchRunTest, EmptyConfiguredFolderStopsInsteadOfExtractingToTheRoot) {
  std::string a = Archive("a.lzh");
  for (const char* mode : {kModeNormal, kModeDDMode}) {
    window = FakeMainWindow();
    Ini("DDMODE", "ExtractMode", "2");
    List({a});
    EXPECT_EQ(StartExtract(Run(mode, 2)), RunEnd::StayOpen) << mode;
    EXPECT_EQ(window.panels[1], "解凍は中止しました。");
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(Commands("Unlha").empty());
    EXPECT_EQ(window.list, std::vector<std::string>{a});
  }
}

TEST_F(BatchRunTest, PreScanStopEndsWithBothBoxesAndNoExtraction) {
  Ini("GENERAL", "AlwaysPath", out);
  std::string good = Archive("good.lzh");
  List({in + "/gone.lzh", good});
  window.messageAnswers = {MsgResult::No};
  EXPECT_EQ(StartExtract(Run(kModeNormal, 2)), RunEnd::StayOpen);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{
                                "エラーが1あります。\r\n解凍を続行しますか？",
                                "書庫または環境に問題があるため、解凍を中止します。",
                                "エラーが1件ありました。詳細はErrorLogをご覧下さい。",
                            }));
  EXPECT_EQ(window.messages[1].icon, MsgIcon::Critical);
  EXPECT_EQ(window.messages[2].icon, MsgIcon::Information);
  EXPECT_EQ(window.panels[1], "エラーが1件ありました。");
  EXPECT_TRUE(Commands("Unlha").empty());
  EXPECT_EQ(window.list, std::vector<std::string>{good});
  EXPECT_EQ(viewerCloses, 0);
  // Completion with no success: no sound, no box, no folder.
  EXPECT_TRUE(sound.played.empty());
  EXPECT_TRUE(opened.empty());
}

TEST_F(BatchRunTest, PreScanErrorsReportedAfterAContinuedRun) {
  Ini("GENERAL", "AlwaysPath", out);
  std::string good = Archive("good.lzh");
  List({in + "/gone.lzh", good});
  EXPECT_EQ(StartExtract(Run(kModeNormal, 2)), RunEnd::StayOpen);
  EXPECT_EQ(Commands("Unlha").size(), 1u);
  EXPECT_EQ(viewerCloses, 1);
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{
                                "エラーが1あります。\r\n解凍を続行しますか？",
                                "エラーが1件ありました。詳細はErrorLogをご覧下さい。",
                                "1個のファイルを解凍完了！（1個失敗）",
                            }));
  EXPECT_EQ(window.panels[1], "エラーが1件ありました。");
  EXPECT_EQ(sound.played, std::vector<std::string>{"/sounds/done.wav"});
  EXPECT_EQ(opened, std::vector<std::string>{out});
}

TEST_F(BatchRunTest, PreScanSwitchedOffGoesStraightToTheLoop) {
  Ini("GENERAL", "PreScan", "1");
  Ini("GENERAL", "AlwaysPath", out);
  List({in + "/gone.lzh"});
  Ini("GENERAL", "ErrorSkip", "1");
  EXPECT_EQ(StartExtract(Run(kModeNormal, 2)), RunEnd::StayOpen);
  // No pre-scan lines; the report's line names the archive that failed.
  std::string log = ReadFile(plugin.folder() + kErrorLogFile);
  EXPECT_EQ(log.find("Extract Start"), std::string::npos);
  EXPECT_NE(log.find(in + "/gone.lzh\t失敗\tファイルがありません"), std::string::npos) << log;
  EXPECT_EQ(viewerCloses, 1);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_TRUE(window.list.empty());
}

TEST_F(BatchRunTest, DragAndDropStartEndsTheProgramAfterTheRun) {
  Ini("DDMODE", "ExtractMode", "2");
  Ini("DDMODE", "TargetPath", out);
  std::string a = Archive("a.lzh");
  List({a});
  EXPECT_EQ(StartExtract(Run(kModeDDMode)), RunEnd::EndProgram);
  EXPECT_EQ(Commands("Unlha").size(), 1u);
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"1個のファイルを解凍完了！"});
  // Also after a pre-scan that stopped the run.
  window = FakeMainWindow();
  List({in + "/gone.lzh"});
  window.messageAnswers = {MsgResult::No};
  EXPECT_EQ(StartExtract(Run(kModeDDMode)), RunEnd::EndProgram);
  // The options-only start extracts nothing.
  window = FakeMainWindow();
  plugin.ClearLog();
  List({a});
  EXPECT_EQ(StartExtract(Run(kModeDDModeSetting)), RunEnd::StayOpen);
  EXPECT_TRUE(Commands("Unlha").empty());
  EXPECT_TRUE(window.messages.empty());
}

// A stop (here with a library that cannot be stopped inside a call: between archives)
// keeps the unworked archives in the list; the notice follows only when an archive was
// finished, and then says the run was stopped.
TEST_F(BatchRunTest, AStoppedRunGivesANoticeOnlyWhenSomethingFinished) {
  Ini("GENERAL", "PreScan", "1");
  Ini("GENERAL", "AlwaysPath", out);
  Ini("GENERAL", "EndNotice", "0");
  Ini("E-Mail", "Use", "1");
  status.BASP21 = true;
  const std::string a = Archive("a.lzh"), b = Archive("b.lzh"), c = Archive("c.lzh");
  const std::string stopped = "中止しました。（1個のファイルを解凍済み）";
  struct Row {
    bool beforeFirst;  // stopped as the run shows its progress, else while the first works
    std::vector<std::string> left, mail, boxes;
    size_t sounds;
  };
  const Row rows[] = {
      {true, {a, b, c}, {}, {}, 0},
      {false, {b, c}, {stopped}, {stopped}, 1},
  };
  for (const Row& row : rows) {
    window = FakeMainWindow();
    mail.summaries.clear();
    sound.played.clear();
    plugin.ClearLog();
    List({a, b, c});
    window.onShowProgress = [&](RunProgress* progress) {
      if (progress && row.beforeFirst) progress->Cancel();
    };
    window.onPump = [&] { window.shownProgress->Cancel(); };
    RunStatus outcome = RunStatus::AllDone;
    StartExtract(Run(kModeNormal, 2), &outcome);
    EXPECT_EQ(outcome, RunStatus::Stopped);
    EXPECT_EQ(window.list, row.left);
    EXPECT_EQ(mail.summaries, row.mail);
    EXPECT_EQ(MessageTexts(), row.boxes);
    EXPECT_EQ(sound.played.size(), row.sounds);
    EXPECT_EQ(Commands("Unlha").size(), row.beforeFirst ? 0u : 1u);
  }
}

// How each run went, which a drag-and-drop start makes its exit status: every archive done,
// some failed (also those the pre-scan took off the list), or stopped before extracting.
TEST_F(BatchRunTest, RunStatusSaysHowTheRunWent) {
  Ini("DDMODE", "ExtractMode", "2");
  Ini("DDMODE", "TargetPath", out);
  std::string good = Archive("good.lzh"), bad = Archive("bad.zip");
  plugin.CommandResult("UnZip", "bad.zip", 0x8019);
  struct Row {
    const char* label;
    std::vector<std::string> list;
    std::vector<MsgResult> answers;
    const char* targetPath;
    RunStatus status;
  } rows[] = {
      {"all extracted", {good}, {}, nullptr, RunStatus::AllDone},
      {"one failed", {good, bad}, {}, nullptr, RunStatus::SomeFailed},
      {"pre-scan error, run continued",
       {in + "/gone.lzh", good},
       {},
       nullptr,
       RunStatus::SomeFailed},
      {"pre-scan stopped", {in + "/gone.lzh", good}, {MsgResult::No}, nullptr, RunStatus::Stopped},
      {"no folder to extract to", {good}, {}, "", RunStatus::Stopped},
  };
  for (const Row& row : rows) {
    window = FakeMainWindow();
    window.messageAnswers.assign(row.answers.begin(), row.answers.end());
    Ini("DDMODE", "TargetPath", row.targetPath ? row.targetPath : out);
    List(row.list);
    RunStatus status = RunStatus::AllDone;
    StartExtract(Run(kModeDDMode), &status);
    EXPECT_EQ(int(status), int(row.status)) << row.label;
  }
}

TEST_F(BatchRunTest, CompletionNotice) {
  struct Row {
    int successes;
    WorkMode workMode;
    DestinationKind kind;
    Settings settings;
    bool basp21;
    std::vector<std::string> mail;
    bool sound;
    bool opens;
    std::string box;  // "" none
  };
  using S = Settings;
  const Row rows[] = {
      {2,
       WorkMode::Extract,
       DestinationKind::Chosen,
       S{},
       true,
       {},
       true,
       true,
       "2個のファイルを解凍完了！"},
      {2,
       WorkMode::Archive,
       DestinationKind::Chosen,
       S{},
       true,
       {},
       true,
       false,
       "2個のファイルを圧縮完了！"},
      // The own folder opens only after exactly one success; the desktop never.
      {1,
       WorkMode::Extract,
       DestinationKind::OwnFolder,
       S{},
       true,
       {},
       true,
       true,
       "1個のファイルを解凍完了！"},
      {2,
       WorkMode::Extract,
       DestinationKind::OwnFolder,
       S{},
       true,
       {},
       true,
       false,
       "2個のファイルを解凍完了！"},
      {1,
       WorkMode::Extract,
       DestinationKind::Desktop,
       S{},
       true,
       {},
       true,
       false,
       "1個のファイルを解凍完了！"},
      {1,
       WorkMode::Extract,
       DestinationKind::Chosen,
       S{{"GENERAL", "OpenFolder", "0"}},
       true,
       {},
       true,
       false,
       "1個のファイルを解凍完了！"},
      // EndNotice 1 leaves out the box only.
      {1,
       WorkMode::Extract,
       DestinationKind::Chosen,
       S{{"GENERAL", "EndNotice", "1"}, {"E-Mail", "Use", "1"}},
       true,
       {"SUCCESS Extract"},
       true,
       true,
       ""},
      {1,
       WorkMode::Extract,
       DestinationKind::Chosen,
       S{{"GENERAL", "EndNotice", "-1"}},
       true,
       {},
       true,
       true,
       "1個のファイルを解凍完了！"},
      {1,
       WorkMode::Extract,
       DestinationKind::Chosen,
       S{{"GENERAL", "UseSound", "0"}},
       true,
       {},
       false,
       true,
       "1個のファイルを解凍完了！"},
      // Only E-Mail/Use = 1 with the mail component present sends.
      {1,
       WorkMode::Archive,
       DestinationKind::Chosen,
       S{{"E-Mail", "Use", "2"}},
       true,
       {},
       true,
       false,
       "1個のファイルを圧縮完了！"},
      {1,
       WorkMode::Archive,
       DestinationKind::Chosen,
       S{{"E-Mail", "Use", "1"}},
       false,
       {},
       true,
       false,
       "1個のファイルを圧縮完了！"},
      // Nothing succeeded: only the failure mail.
      {0,
       WorkMode::Extract,
       DestinationKind::Chosen,
       S{{"E-Mail", "Use", "1"}},
       true,
       {"FAIL Extract"},
       false,
       false,
       ""},
      {0, WorkMode::Archive, DestinationKind::Chosen, S{}, true, {}, false, false, ""},
      // The desktop's notice goes with the box unless switched off.
      {1,
       WorkMode::Extract,
       DestinationKind::Chosen,
       S{{"GENERAL", "DesktopNotice", "0"}},
       true,
       {},
       true,
       true,
       "1個のファイルを解凍完了！"},
  };
  for (const Row& row : rows) {
    Ini("GENERAL", "OpenFolder", "1");
    Ini("GENERAL", "UseSound", "1");
    Ini("GENERAL", "EndNotice", "0");
    Ini("E-Mail", "Use", "0");
    Ini("GENERAL", "DesktopNotice", "");
    for (const auto& s : row.settings) Ini(s[0], s[1], s[2]);
    desktop.shown.clear();
    status.BASP21 = row.basp21;
    window = FakeMainWindow();
    mail.sent.clear();
    sound.played.clear();
    opened.clear();
    Destination d;
    d.kind = row.kind;
    d.single = row.kind != DestinationKind::OwnFolder;
    d.folder = "/dest/with blank";
    d.openFolder = "/dest/with blank";
    Completion(NoticeOf(Run()), row.successes, row.workMode, d);
    std::string label = "row " + std::to_string(&row - rows);
    EXPECT_EQ(mail.sent, row.mail) << label;
    EXPECT_EQ(sound.played.size(), row.sound ? 1u : 0u) << label;
    EXPECT_EQ(opened, row.opens ? std::vector<std::string>{"\"/dest/with blank\""}
                                : std::vector<std::string>{})
        << label;
    EXPECT_EQ(MessageTexts(),
              row.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.box})
        << label;
    for (const MessageRecord& m : window.messages) EXPECT_EQ(m.icon, MsgIcon::Information);
    const bool noticeOff = std::any_of(row.settings.begin(), row.settings.end(), [](const auto& s) {
      return std::string(s[1]) == "DesktopNotice";
    });
    ASSERT_EQ(desktop.shown.size(), row.box.empty() || noticeOff ? 0u : 1u) << label;
    if (!desktop.shown.empty()) {
      EXPECT_EQ(desktop.shown[0].text, row.box) << label;
      EXPECT_EQ(desktop.shown[0].folder, "/dest/with blank") << label;
    }
  }
}

// The notice's action selects what the run made in the folder it shows: the folders made
// for archives (none for an archive extracted straight into the destination).
TEST_F(BatchRunTest, TheDesktopNoticeSelectsWhatTheRunMade) {
  Ini("GENERAL", "EndNotice", "0");
  RunReport report;
  ReportRow made = FailedRow("/in/a.zip", "");
  made.outcome = ArchiveOutcome::Done;
  made.output = "/dest/a";
  ReportRow straight = FailedRow("/in/b.zip", "");
  straight.outcome = ArchiveOutcome::Done;
  ReportRow failed = FailedRow("/in/c.zip", "壊れています");
  failed.output = "/dest/c";
  for (ReportRow* row : {&made, &straight, &failed}) report.Add(*row);
  Destination d;
  d.kind = DestinationKind::Chosen;
  d.single = true;
  d.folder = "/dest/";
  Completion(NoticeOf(Run()), 2, WorkMode::Extract, d, 1, false, &report);
  ASSERT_EQ(desktop.shown.size(), 1u);
  EXPECT_EQ(desktop.shown[0].folder, "/dest");
  EXPECT_EQ(desktop.shown[0].items, std::vector<std::string>{"/dest/a"});
}

}  // namespace
}  // namespace qvr::test
