#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "AppFolder.h"
#include "MainWindowPort.h"
#include "TempDir.h"

using qvr::test::TempDir;

namespace {

TEST(AppFolder, WritableExecutableFolderIsTheApplicationFolder) {
  TempDir dir;
  EXPECT_EQ(qvr::ResolveAppFolder(dir.path()), dir.path() + "/");
  EXPECT_EQ(qvr::ResolveAppFolder(dir.path() + "/"), dir.path() + "/");
}

TEST(AppFolder, ReadOnlyExecutableFolderFallsBackToXdgDataHome) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes everywhere";
  TempDir dir;
  std::string exeDir = dir.file("bin");
  std::filesystem::create_directories(exeDir);
  chmod(exeDir.c_str(), 0555);
  setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
  std::string folder = qvr::ResolveAppFolder(exeDir);
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(folder, dir.file("data") + "/QuiverArchiver/");
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST(AppFolder, MissingExecutableFolderFallsBackToXdgDataHome) {
  TempDir dir;
  setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
  std::string folder = qvr::ResolveAppFolder(dir.file("no/such/folder"));
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(folder, dir.file("data") + "/QuiverArchiver/");
  EXPECT_TRUE(std::filesystem::is_directory(folder));
}

TEST(AppFolder, SetAppFolderAddsTheSeparator) {
  qvr::SetAppFolder("/opt/qvr");
  EXPECT_EQ(qvr::AppFolder(), "/opt/qvr/");
  qvr::SetAppFolder("/opt/qvr/");
  EXPECT_EQ(qvr::AppFolder(), "/opt/qvr/");
  EXPECT_EQ(qvr::ExecutableFolder().back(), '/');
}

TEST(MainWindowPort, FormatElapsed) {
  using std::chrono::seconds;
  EXPECT_EQ(qvr::FormatElapsed(seconds(0)), "00:00:00");
  EXPECT_EQ(qvr::FormatElapsed(seconds(3725)), "01:02:05");
  EXPECT_EQ(qvr::FormatElapsed(seconds(100 * 3600)), "100:00:00");
  EXPECT_EQ(qvr::FormatElapsed(seconds(-5)), "00:00:00");
}

}  // namespace
