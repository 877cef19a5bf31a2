// Start in archive mode: destinations, the archive-name prompt, the cancel texts and the
// completion with the mode word "Archive".
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "ExtractTest.h"
#include "Settings.h"
#include "StartArchive.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

std::string Q(const std::string& text) {
  return "\"" + text + "\"";
}

class StartArchiveTest : public StartTest {
 protected:
  StartArchiveTest() {
    Ini("E-Mail", "Use", "1");
    status.BASP21 = true;
  }
  RunEnd Start(const std::string& method, const std::string& type, int targetPlace,
               const std::string& mode = kModeNormal) {
    return StartArchive(Run(mode, targetPlace), method, type);
  }
};

// Where the archive goes for each entry of cmbTargetPlace, and which dialogs ask.
TEST_F(StartArchiveTest, DestinationsAndDialogsOfBothMethods) {
  Ini("GENERAL", "AlwaysPath", out);
  const std::string desktop = home + "/Desktop";
  const std::string src = Archive("a.txt");
  struct Row {
    std::string method;
    int targetPlace;
    std::vector<std::string> answers;
    std::vector<std::string> dialogs;
    std::string archive;
  };
  const std::string prompt = "input:作成するファイル名(書庫名)を入力してください。";
  const std::vector<Row> rows = {
      {"個別", 0, {}, {}, in + "/a.zip"},
      {"個別", 1, {out}, {"folder"}, out + "/a.zip"},
      {"個別", 2, {}, {}, out + "/a.zip"},
      {"個別", 3, {}, {}, desktop + "/a.zip"},
      {"一括", 0, {"pack"}, {prompt}, in + "/pack.zip"},
      {"一括", 1, {out + "/chosen.zip"}, {"save"}, out + "/chosen.zip"},
      {"一括", 2, {"pack"}, {prompt}, out + "/pack.zip"},
      {"一括", 3, {"pack.ZIP"}, {prompt}, desktop + "/pack.ZIP"},
  };
  for (const Row& r : rows) {
    window = FakeMainWindow();
    plugin.ClearLog();
    List({src});
    window.dialogAnswers.assign(r.answers.begin(), r.answers.end());
    EXPECT_EQ(Start(r.method, "ZIP", r.targetPlace), RunEnd::StayOpen);
    EXPECT_EQ(window.dialogs, r.dialogs) << r.method << r.targetPlace;
    ASSERT_EQ(Commands("Zip").size(), 1u) << r.method << r.targetPlace;
    EXPECT_NE(Commands("Zip")[0].find(Q(r.archive)), std::string::npos) << Commands("Zip")[0];
  }
  // The prompt's title and proposed name, and the save dialog's filter.
  window = FakeMainWindow();
  List({src});
  window.dialogAnswers = {"pack"};
  Start("一括", "ZIP", 0);
  EXPECT_EQ(window.inputs,
            (std::vector<std::pair<std::string, std::string>>{{"QuiverArchiver", "QvrArcFile"}}));
  window = FakeMainWindow();
  List({src});
  window.dialogAnswers = {out + "/x.zip"};
  Start("一括", "ZIP", 1);
  EXPECT_EQ(window.saveFilters, (std::vector<std::vector<std::string>>{{"ALL Files(*.*)", "*.*"}}));
}

// A run that ends at a dialog gives no notice at all and leaves the list alone.
TEST_F(StartArchiveTest, CancelledDialogsEndTheRunQuietly) {
  const std::string src = Archive("a.txt");
  struct Row {
    std::string method;
    int targetPlace;
    std::string answer;
    std::string panel1;
    std::vector<std::string> messages;
  };
  const std::vector<Row> rows = {
      {"一括", 1, "", "圧縮は中止しました。", {}},
      {"個別", 1, "", "圧縮は中止しました。", {}},
      {"一括", 0, "", "", {"キャンセルされました。"}},
      {"一括", 3, "", "", {"キャンセルされました。"}},
      {"一括", 0, "a/b", "", {"ファイル名に次の文字は使えません。\r\n\\ / : , * ? \" < > |"}},
      // No AlwaysPath: the root of the file system is never taken for it.
      {"個別", 2, "", "圧縮は中止しました。", {"圧縮先のフォルダが設定されていません。"}},
  };
  for (const Row& r : rows) {
    window = FakeMainWindow();
    List({src});
    window.dialogAnswers = {r.answer};
    EXPECT_EQ(Start(r.method, "ZIP", r.targetPlace, kModeDDMode), RunEnd::StayOpen);
    EXPECT_EQ(window.panels[1], r.panel1) << r.method << r.targetPlace;
    EXPECT_EQ(MessageTexts(), r.messages) << r.method << r.targetPlace;
    EXPECT_EQ(window.list, std::vector<std::string>{src});
  }
  EXPECT_TRUE(plugin.Calls().empty());
  EXPECT_TRUE(mail.sent.empty());
  EXPECT_TRUE(sound.played.empty());
}

TEST_F(StartArchiveTest, CompletionInArchiveMode) {
  const std::string src = Archive("a.txt");
  List({src, Archive("b.txt")});
  EXPECT_EQ(Start("個別", "7Z", 0), RunEnd::StayOpen);
  EXPECT_EQ(mail.sent, std::vector<std::string>{"SUCCESS Archive"});
  EXPECT_EQ(sound.played, std::vector<std::string>{"/sounds/done.wav"});
  EXPECT_TRUE(opened.empty());  // only extract mode opens the folder
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"2個のファイルを圧縮完了！"});

  // Nothing made: only the failure mail.
  window = FakeMainWindow();
  mail.sent.clear();
  sound.played.clear();
  status.SEVENZIP32 = false;
  List({src});
  EXPECT_EQ(Start("個別", "7Z", 0, kModeDDMode), RunEnd::EndProgram);
  EXPECT_EQ(mail.sent, std::vector<std::string>{"FAIL Archive"});
  EXPECT_TRUE(sound.played.empty());
  EXPECT_EQ(MessageTexts(),
            std::vector<std::string>{"圧縮に必要な「7-zip32.so」がインストールされていません。"});

  // A settings start only shows the options.
  window = FakeMainWindow();
  List({src});
  EXPECT_EQ(Start("個別", "7Z", 0, kModeDDModeSetting), RunEnd::StayOpen);
  EXPECT_TRUE(window.messages.empty());
}

}  // namespace
}  // namespace qvr::test
