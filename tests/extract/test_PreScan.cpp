#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

#include "ArchiverDLL_Inspect.h"
#include "DateTimeText.h"
#include "ExtractTest.h"
#include "PreScan.h"
#include "Settings.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

class PreScanTest : public ExtractTest {
 protected:
  ~PreScanTest() override { SetFreeSpaceProbe(nullptr); }
  PreScanResult Scan(bool single = true) {
    ArchiverDLL_Inspect inspect(status, window.ownerWindow());
    return PreScan(window, inspect, single, out);
  }
  std::string Log() const { return ReadFile(plugin.folder() + "Log.txt"); }
  // The log's lines after the last start line.
  std::vector<std::string> LastRunLines() const {
    std::string log = Log();
    std::vector<std::string> lines;
    size_t start = log.rfind("...Extract Start on ");
    if (start == std::string::npos) return lines;
    start = log.find("\r\n", start) + 2;
    while (start < log.size()) {
      size_t end = log.find("\r\n", start);
      if (end == std::string::npos) break;
      lines.push_back(log.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }
  void FreeSpace(std::optional<uint64_t> bytes) {
    SetFreeSpaceProbe([this, bytes](const std::string& folder) {
      probed.push_back(folder);
      return bytes;
    });
  }
  std::vector<std::string> probed;
};

// Each kind of bad entry gets its log line and leaves the list; good ones stay.
TEST_F(PreScanTest, LogsAndRemovesEveryKindOfBadEntry) {
  std::string good = Archive("good.lzh");
  std::string hidden = Archive(".hidden.lzh");  // a hidden file is an ordinary file
  std::string missing = in + "/missing.zip";
  std::string folder = in + "/folder.zip";
  fs::create_directories(folder);
  std::string broken = Archive("broken.cab");
  std::string unknown = Archive("notes.txt");
  std::string password = Archive("secret.yz1");
  std::string nolib = Archive("nolib.rar");
  std::string exe = Archive("program.exe");
  std::string oldZip = Archive("old.zip");
  plugin.Check("Cab", broken, 0).Check("Yz1", password, 2).Check("*", exe, 0).Version("UnZip", 80);
  status.UNRAR32 = false;
  List({good, missing, broken, unknown, hidden, folder, password, nolib, exe, oldZip});
  window.messageAnswers = {MsgResult::No};
  FreeSpace(uint64_t(1) << 40);

  PreScanResult result = Scan();

  EXPECT_EQ(LastRunLines(), (std::vector<std::string>{
                                missing + " is not Exist!!",
                                folder + " is not Exist!!",
                                broken + " is Abnormal Archive or Broken!",
                                unknown + " is not Archive!",
                                password + " is protected by Password!(Yz1)",
                                nolib + " : Archiver DLL is not Exist!",
                                exe + " is not Self-Extracter EXE File Or don't have DLL!",
                                "UnZip32.DLL Version is low!",
                            }));
  EXPECT_EQ(window.list, (std::vector<std::string>{good, hidden}));
  EXPECT_EQ(result.errorCount, 8);
  EXPECT_FALSE(result.continueRun);
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "エラーが8あります。\r\n解凍を続行しますか？");
  EXPECT_EQ(window.messages[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(window.panels[3], "0 Bytes");
  std::vector<std::string> panel1;
  for (const auto& [panel, text] : window.panelHistory)
    if (panel == 1) panel1.push_back(text);
  EXPECT_EQ(panel1, (std::vector<std::string>{"書庫のチェック中.", "書庫のチェック中..",
                                              "書庫のチェック中..."}));
}

TEST_F(PreScanTest, AnsweringYesContinuesWithTheRemainingEntries) {
  std::string good = Archive("good.lzh");
  List({in + "/gone.lzh", good});
  window.messageAnswers = {MsgResult::Yes};
  FreeSpace(uint64_t(1) << 40);
  PreScanResult result = Scan();
  EXPECT_EQ(result.errorCount, 1);
  EXPECT_TRUE(result.continueRun);
  EXPECT_EQ(window.list, std::vector<std::string>{good});
}

TEST_F(PreScanTest, CleanListAsksNothing) {
  std::string a = Archive("a.lzh"), b = Archive("b.zip");
  plugin.Entry("Unlha", a, {.original = 1500, .name = "x"});
  plugin.Entry("UnZip", b, {.original = 1234567, .name = "y"});
  List({a, b});
  FreeSpace(uint64_t(1) << 40);
  PreScanResult result = Scan();
  EXPECT_EQ(result.errorCount, 0);
  EXPECT_TRUE(result.continueRun);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(window.panels[3], "1,236,067 Bytes");
  EXPECT_EQ(probed, std::vector<std::string>{out});
  EXPECT_EQ(LastRunLines(), std::vector<std::string>{});
}

TEST_F(PreScanTest, FreeSpaceEqualToTheTotalIsTooSmall) {
  std::string a = Archive("a.lzh"), b = Archive("b.lzh");
  plugin.Entry("Unlha", a, {.original = 600, .name = "x"});
  plugin.Entry("Unlha", b, {.original = 400, .name = "y"});
  struct Row {
    std::optional<uint64_t> free;
    bool diskError;
  } rows[] = {{1000, true}, {999, true}, {0, true}, {1001, false}, {std::nullopt, false}};
  for (const Row& row : rows) {
    window = FakeMainWindow();
    List({a, b});
    FreeSpace(row.free);
    PreScanResult result = Scan();
    EXPECT_EQ(result.errorCount, row.diskError ? 1 : 0);
    EXPECT_EQ(result.continueRun, !row.diskError);
    // A disk error stops without asking.
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(LastRunLines(), row.diskError ? std::vector<std::string>{"Disk Size Error"}
                                            : std::vector<std::string>{});
    EXPECT_EQ(window.panels[3], row.diskError ? "" : "1,000 Bytes");
    EXPECT_EQ(window.list.size(), 2u);
  }
}

TEST_F(PreScanTest, SizesBeyondFourGigabytesAreAddedExactly) {
  std::string a = Archive("big.zip");
  plugin.Entry("UnZip", a, {.original = 5000000000ULL, .name = "x"});
  plugin.Entry("UnZip", a, {.original = 3000000000ULL, .name = "y"});
  List({a});
  FreeSpace(7999999999ULL);
  PreScanResult result = Scan();
  EXPECT_FALSE(result.continueRun);
  window = FakeMainWindow();
  List({a});
  FreeSpace(8000000001ULL);
  EXPECT_TRUE(Scan().continueRun);
  EXPECT_EQ(window.panels[3], "8,000,000,000 Bytes");
}

TEST_F(PreScanTest, OwnFolderDestinationMakesNoSpaceTest) {
  std::string a = Archive("a.lzh");
  plugin.Entry("Unlha", a, {.original = 100, .name = "x"});
  window.panels[3] = "stale";
  List({a});
  FreeSpace(0);
  PreScanResult result = Scan(false);
  EXPECT_TRUE(result.continueRun);
  EXPECT_TRUE(probed.empty());
  EXPECT_EQ(window.panels[3], "");
}

TEST_F(PreScanTest, AllMissingEmptiesTheListAndStillAsks) {
  window.panels[3] = "stale";
  List({in + "/a.lzh", in + "/b.lzh"});
  // Nothing is left, so a full file system does not matter; the missing files do.
  FreeSpace(0);
  PreScanResult result = Scan();
  EXPECT_TRUE(window.list.empty());
  EXPECT_EQ(window.panels[3], "");
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(result.errorCount, 3);  // two missing files and the disk test
  EXPECT_TRUE(result.continueRun);
}

TEST_F(PreScanTest, LogKeepsEarlierRunsAndEndsLinesWithCrLf) {
  WriteFile(plugin.folder() + "Log.txt", "an earlier line\r\n");
  List({in + "/a.lzh"});
  Scan(false);
  List({in + "/b.lzh"});
  Scan(false);
  std::string log = Log();
  std::regex shape(
      "an earlier line\r\n"
      "\\.\\.\\.Extract Start on \\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2}\r\n" +
      in +
      "/a\\.lzh is not Exist!!\r\n"
      "\\.\\.\\.Extract Start on \\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2}\r\n" +
      in + "/b\\.lzh is not Exist!!\r\n");
  EXPECT_TRUE(std::regex_match(log, shape)) << log;
}

TEST(PreScanText, StartLineTimeAndDigitGroups) {
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(DateTimeText(std::time_t(1796947663)), "2026/12/11 00:07:43");
  EXPECT_EQ(DateTimeText(std::time_t(0)), "1970/01/01 00:00:00");
  struct Row {
    uint64_t value;
    const char* text;
  } rows[] = {{0, "0"},
              {7, "7"},
              {999, "999"},
              {1000, "1,000"},
              {123456, "123,456"},
              {18446744073709551615ULL, "18,446,744,073,709,551,615"}};
  for (const Row& row : rows) EXPECT_EQ(GroupDigits(row.value), row.text);
}

TEST(PreScanSpace, DestinationNotMadeYetIsAskedThroughItsParent) {
  TempDir temp;
  EXPECT_TRUE(FreeSpaceOf(temp.file("not/made/yet")).has_value());
  WriteFile(temp.file("a file"), "x");
  EXPECT_TRUE(FreeSpaceOf(temp.file("a file")).has_value());
}

}  // namespace
}  // namespace qvr::test
