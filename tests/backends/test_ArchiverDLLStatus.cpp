#include "ArchiverCatalogue.h"
#include "ArchiverDLLStatus.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "BackendsTest.h"
#include "MailComponent.h"
#include "ProfileFile.h"
#include "Settings.h"

namespace qvr::test {
namespace {

constexpr const char* kFailure =
    "QuiverExtractorの対応DLLが変化しました。\nQuiver Extractorを再起動して下さい。";

std::string DayText(int daysAgo) {
  std::time_t when = std::time(nullptr) - std::time_t(daysAgo) * 86400;
  std::tm local{};
  localtime_r(&when, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y/%m/%d", &local);
  return text;
}

class StatusTest : public BackendsTest {
 protected:
  std::string Ini() const { return App(kDllStatusIni); }
  std::string Read(const std::string& section, const std::string& key) const {
    return profile::ReadString(Ini(), section, key).value_or("<missing>");
  }
  // A cache file: every component False except the given ones, written days ago.
  void WriteCache(int daysAgo, const std::string& version,
                  const std::vector<std::string>& trueKeys) {
    std::string text = "[WRITEDAY]\r\nVALUE=" + DayText(daysAgo) +
                       "\r\n[VERSION]\r\nVALUE=" + version + "\r\n[DLLSTATUS]\r\n";
    for (const LibRow& row : kLibRows) {
      bool on = std::find(trueKeys.begin(), trueKeys.end(), row.statusKey) != trueKeys.end();
      text += std::string(row.statusKey) + "=" + (on ? "True" : "False") + "\r\n";
    }
    WriteFile(Ini(), text);
  }
  StatusTest() { SetMailComponentProbe(MailComponent::Available); }
  ~StatusTest() override { SetMailComponentProbe(nullptr); }
  bool Load() { return LoadArchiverDLLStatus(status, window); }

  LibraryStatus status;
};

TEST_F(StatusTest, WithoutCacheEveryComponentIsProbedAndWritten) {
  plugin.Install("unlha32.so");
  plugin.Install("7-zip32.so");
  InstallTool("yz2dec");
  InstallTool("rk", pathFolder);
  std::filesystem::copy_file(QVR_STUB_TOOL, currentFolder + "yz2enc");

  ASSERT_TRUE(Load());
  EXPECT_TRUE(window.messages.empty());
  EXPECT_TRUE(status.UNLHA32);
  EXPECT_TRUE(status.SEVENZIP32);
  EXPECT_FALSE(status.UNZIP32);
  EXPECT_FALSE(status.UNACEV2);
  EXPECT_TRUE(status.BASP21);  // libcurl of the build offers SMTP
  EXPECT_TRUE(status.YZ2DEC);
  EXPECT_EQ(status.YZ2DECPath, plugin.folder());
  EXPECT_TRUE(status.YZ2ENC);
  EXPECT_EQ(status.YZ2ENCPath, currentFolder);
  EXPECT_TRUE(status.RKEXE);
  EXPECT_EQ(status.RKEXEPath, pathFolder);

  EXPECT_EQ(Read("WRITEDAY", "VALUE"), DayText(0));
  EXPECT_EQ(Read("VERSION", "VALUE"), "128");
  EXPECT_EQ(Read("DLLSTATUS", "UNLHA32"), "True");
  EXPECT_EQ(Read("DLLSTATUS", "7ZIP32"), "True");
  EXPECT_EQ(Read("DLLSTATUS", "UNZIP32"), "False");
  EXPECT_EQ(Read("DLLSTATUS", "UNHKI32"), "False");
  EXPECT_EQ(Read("DLLSTATUS", "YZ2DECPath"), plugin.folder());
  EXPECT_EQ(Read("DLLSTATUS", "RKEXEPath"), pathFolder);
  ASSERT_EQ(std::size(kLibRows), 23u);
  for (const LibRow& row : kLibRows) {
    std::string key(row.statusKey);
    EXPECT_EQ(status.Flag(key), Read("DLLSTATUS", key) == "True");
  }
}

TEST_F(StatusTest, YZ2DecOnThePathOnlyIsNotTaken) {
  InstallTool("yz2dec", pathFolder);
  ASSERT_TRUE(Load());
  EXPECT_FALSE(status.YZ2DEC);
  EXPECT_EQ(status.YZ2DECPath, "");
  EXPECT_EQ(Read("DLLSTATUS", "YZ2DECPath"), "");
}

TEST_F(StatusTest, AFreshCacheIsTrustedAndFalseEntriesAreProbedAgain) {
  // UNLHA32 cached True although the library is gone; CAB32 cached False and now installed.
  WriteCache(3, "129", {"UNLHA32", "RKEXE"});
  WriteIniString(kDllStatusIni, "DLLSTATUS", "RKEXEPath", "/opt/rk/");
  plugin.Install("cab32.so");
  ASSERT_TRUE(Load());
  EXPECT_TRUE(status.UNLHA32);
  EXPECT_TRUE(status.CAB32);
  EXPECT_TRUE(status.RKEXE);
  EXPECT_EQ(status.RKEXEPath, "/opt/rk/");
  EXPECT_EQ(Read("DLLSTATUS", "CAB32"), "True");
  EXPECT_EQ(Read("DLLSTATUS", "UNLHA32"), "True");
  EXPECT_EQ(Read("WRITEDAY", "VALUE"), DayText(0));
  EXPECT_EQ(Read("VERSION", "VALUE"), "128");
}

TEST_F(StatusTest, WriteDayIsOnlyWrittenAfterAProbe) {
  std::vector<std::string> all;
  for (const LibRow& row : kLibRows) all.push_back(std::string(row.statusKey));
  WriteCache(10, "200", all);
  ASSERT_TRUE(Load());
  EXPECT_TRUE(status.UNHKI32);
  EXPECT_EQ(Read("WRITEDAY", "VALUE"), DayText(10));
  EXPECT_EQ(Read("VERSION", "VALUE"), "128");
}

TEST_F(StatusTest, CacheAgeAndVersionDecideWhetherItIsKept) {
  struct Case {
    int daysAgo;
    std::string version;
    bool kept;
  };
  const std::vector<Case> cases{
      {30, "129", true}, {31, "129", false}, {0, "128", false}, {0, "127", false},
      {0, "", false},    {0, "x", false},    {-5, "129", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.daysAgo) + " days, VERSION " + c.version);
    WriteCache(c.daysAgo, c.version, {"UNLHA32"});
    ASSERT_TRUE(Load());
    EXPECT_EQ(status.UNLHA32, c.kept);
    EXPECT_EQ(Read("DLLSTATUS", "UNLHA32"), c.kept ? "True" : "False");
    EXPECT_EQ(Read("VERSION", "VALUE"), "128");
    EXPECT_TRUE(window.messages.empty());
  }
}

TEST_F(StatusTest, ADamagedCacheIsDeletedWithTheRestartMessage) {
  struct Case {
    std::string what;
    std::string content;
  };
  std::string good = "[WRITEDAY]\nVALUE=" + DayText(1) + "\n[VERSION]\nVALUE=129\n";
  std::string junk;
  for (unsigned i = 0; junk.size() < 10'000'000; ++i) junk += char('!' + (i * 7919u) % 90);
  const std::vector<Case> cases{
      {"no date", "[VERSION]\nVALUE=129\n"},
      {"a date that is no date", "[WRITEDAY]\nVALUE=yesterday\n"},
      {"an impossible date", "[WRITEDAY]\nVALUE=2024/13/45\n"},
      {"a date with trailing text", "[WRITEDAY]\nVALUE=2024/01/01x\n"},
      {"a flag that is neither", good + "[DLLSTATUS]\nBASP21=True\nUNLHA32=Maybe\n"},
      {"no status section", good},
      {"10 MB of junk", junk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    window.messages.clear();
    WriteFile(Ini(), c.content);
    EXPECT_FALSE(Load());
    EXPECT_FALSE(std::filesystem::exists(Ini()));
    ASSERT_EQ(window.messages.size(), 1u);
    EXPECT_EQ(window.messages[0].text, kFailure);
    EXPECT_EQ(window.messages[0].icon, MsgIcon::Critical);
    EXPECT_EQ(window.messages[0].buttons, MsgButtons::Ok);
  }
}

TEST_F(StatusTest, AfterAFailureTheFlagsStayAsFarAsTheyWereFilled) {
  plugin.Install("unzip32.so");
  WriteFile(Ini(), "[WRITEDAY]\nVALUE=" + DayText(1) +
                       "\n[VERSION]\nVALUE=129\n[DLLSTATUS]\nBASP21=False\nUNLHA32=True\n"
                       "UNZIP32=Maybe\n");
  EXPECT_FALSE(Load());
  EXPECT_TRUE(status.UNLHA32);
  EXPECT_FALSE(status.UNZIP32);  // not probed after the failure
  // The next start probes anew.
  window.messages.clear();
  ASSERT_TRUE(Load());
  EXPECT_TRUE(status.UNZIP32);
  EXPECT_FALSE(status.UNLHA32);
  EXPECT_TRUE(window.messages.empty());
}

}  // namespace
}  // namespace qvr::test
