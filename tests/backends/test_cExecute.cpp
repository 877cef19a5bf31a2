#include "cExecute.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "BackendsTest.h"

namespace qvr::test {
namespace {

using Args = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

class cExecuteTest : public BackendsTest {
 protected:
  // Waits until the stand-in wrote its arguments (for runs that are not waited for).
  std::vector<std::string> ArgsWhenWritten(const std::string& file) {
    for (int i = 0; i < 100 && !std::filesystem::exists(file); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::vector<std::string> args;
    std::istringstream in(ReadFile(file));
    for (std::string line; std::getline(in, line);) args.push_back(line.substr(1, line.size() - 2));
    return args;
  }
};

TEST(SplitArguments, QuotesGroupAndBlanksSeparate) {
  const std::vector<std::pair<std::string, Args>> cases{
      {"a b  c", {"a", "b", "c"}},
      {"\"a b\" c", {"a b", "c"}},
      {"\"dir/\"name", {"dir/name"}},
      {"-jb\"a b/c\" x", {"-jba b/c", "x"}},
      {"\"\" x", {"", "x"}},
      {"$(touch x);.lzh `id` *", {"$(touch", "x);.lzh", "`id`", "*"}},
      {"  ", {}},
      {"", {}},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(SplitArguments(text), expected) << text;
}

TEST_F(cExecuteTest, FindFileGivesTheFolderOfTheFoundFile) {
  InstallTool("caldix");
  std::string folder;
  ASSERT_TRUE(cExecute::FindFile("caldix", folder));
  EXPECT_EQ(folder, plugin.folder());
  InstallTool("rk", pathFolder);
  ASSERT_TRUE(cExecute::FindFile("rk", folder));
  EXPECT_EQ(folder, pathFolder);
  EXPECT_FALSE(cExecute::FindFile("no-such-program", folder));
}

TEST_F(cExecuteTest, ProgramIsSplitAtTheFirstFoundPrefix) {
  InstallTool("rec");
  cExecute exec;
  ASSERT_TRUE(exec.ShellX(App("rec") + " /C \"a b\" c", kShowNormal, nullptr, true));
  EXPECT_EQ(ToolArgs("rec"), (Args{"/C", "a b", "c"}));
  // A bare name is found by the search, like "CMD.EXE /C ..." on the search path.
  ASSERT_TRUE(exec.ShellX("rec /C x", kShowNormal, nullptr, true));
  EXPECT_EQ(ToolArgs("rec"), (Args{"/C", "x"}));
}

TEST_F(cExecuteTest, AQuotedProgramPathWithBlanksIsStarted) {
  std::string folder = temp.file("my tools") + "/";
  std::filesystem::create_directories(folder);
  InstallTool("rec", folder);
  cExecute exec;
  ASSERT_TRUE(exec.ShellX("\"" + folder + "rec\" one", kShowHide, nullptr, true));
  EXPECT_EQ(ArgsWhenWritten(folder + "rec.args"), Args{"one"});
  ASSERT_TRUE(exec.ShellX("\"" + folder + "rec\"", kShowHide, nullptr, true));
  EXPECT_EQ(ArgsWhenWritten(folder + "rec.args"), Args{});
}

TEST_F(cExecuteTest, NoShellSeesTheCommandLine) {
  InstallTool("rec");
  std::string trap = temp.file("pwned");
  cExecute exec;
  std::string name = "$(touch " + trap + ");.lzh";
  ASSERT_TRUE(exec.ShellX(App("rec") + " \"" + name + "\" `touch " + trap + "`", kShowNormal,
                          nullptr, true));
  EXPECT_FALSE(std::filesystem::exists(trap));
  EXPECT_EQ(ToolArgs("rec"), (Args{name, "`touch", trap + "`"}));
}

TEST_F(cExecuteTest, ADocumentIsOpenedWithItsAssociatedProgram) {
  InstallTool("xdg-open", pathFolder);
  WriteFile(App("read me.txt"), "hello");
  cExecute exec;
  ASSERT_TRUE(exec.ShellX(App("read me.txt"), kShowNormal, nullptr, true));
  EXPECT_EQ(ArgsWhenWritten(pathFolder + "xdg-open.args"), Args{App("read me.txt")});
}

TEST_F(cExecuteTest, ACommandLineThatFindsNothingIsStartedWhole) {
  InstallTool("rec", pathFolder);
  cExecute exec;
  // A leading blank: no split is tried, the whole line is started as it stands.
  ASSERT_TRUE(exec.ShellX(" rec x", kShowNormal, nullptr, true));
  EXPECT_EQ(ArgsWhenWritten(pathFolder + "rec.args"), Args{"x"});
  EXPECT_FALSE(exec.ShellX("no-such-program x", kShowNormal, nullptr, true));
  EXPECT_FALSE(exec.ShellX("", kShowNormal, nullptr, false));
}

TEST_F(cExecuteTest, WaitingWaitsAndNotWaitingReturnsAtOnce) {
  cExecute exec;
  auto start = Clock::now();
  ASSERT_TRUE(exec.ShellX("sleep 0.4", kShowNormal, nullptr, true));
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(400));
  start = Clock::now();
  ASSERT_TRUE(exec.ShellX("sleep 2", kShowNormal, nullptr, false));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
}

TEST_F(cExecuteTest, WaitOnTheGuiThreadRunsEventsAndEndsWhenStopped) {
  int argc = 1;
  char name[] = "test";
  char* argv[] = {name, nullptr};
  QCoreApplication app(argc, argv);
  cExecute exec;
  int ticks = 0;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    if (++ticks == 3) exec.Stop();
  });
  timer.start(50);
  auto start = Clock::now();
  ASSERT_TRUE(exec.ShellX("sleep 5", kShowNormal, nullptr, true));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
  EXPECT_GE(ticks, 3);
  EXPECT_TRUE(exec.stopped());
}

TEST_F(cExecuteTest, StopFromAnotherThreadEndsTheWait) {
  cExecute exec;
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    exec.Stop();
  });
  auto start = Clock::now();
  EXPECT_TRUE(exec.ShellX("sleep 5", kShowNormal, nullptr, true));
  stopper.join();
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
}

TEST_F(cExecuteTest, CapturedOutputLandsInTheWorkFile) {
  InstallTool("rk");
  ToolPrints("rk", "list", "line one\nline two\n");
  std::string output = RunCaptured(App("rk"), "-va \"/x y/a.rk\"", "rk.list", nullptr);
  EXPECT_EQ(output, App("rk.list"));
  EXPECT_EQ(ReadFile(output), "line one\nline two\n");
  EXPECT_EQ(ToolArgs("rk"), (Args{"-va", "/x y/a.rk"}));
}

TEST_F(cExecuteTest, CapturedRunOfAMissingToolLeavesNoOutput) {
  WriteFile(App("yz2dec.ver"), "from an earlier run");
  EXPECT_EQ(RunCaptured(App("yz2dec"), "", "yz2dec.ver", nullptr), "");
  EXPECT_FALSE(std::filesystem::exists(App("yz2dec.ver")));
}

TEST_F(cExecuteTest, CapturedRunPassesSplitArgumentsUnchanged) {
  InstallTool("yz2dec");
  std::string odd = "/a\"b c$(x)/y.yz2";
  EXPECT_NE(RunCaptured(App("yz2dec"), Args{"-l", odd}, "yz2.list", nullptr), "");
  EXPECT_EQ(ToolArgs("yz2dec"), (Args{"-l", odd}));
}

}  // namespace
}  // namespace qvr::test
