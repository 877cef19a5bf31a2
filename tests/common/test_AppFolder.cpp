#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "AppFolder.h"
#include "MainWindowPort.h"
#include "TempDir.h"
#include "Version.h"

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

// An installation into a prefix of its own: <prefix>/bin beside <prefix>/share/quiverarchiver.
TEST(AppFolder, AnInstalledCopyKeepsItsFilesUnderXdgDataHomeEvenWhenItsFolderIsWritable) {
  TempDir dir;
  std::string bin = dir.file("prefix/bin");
  std::filesystem::create_directories(bin);
  std::filesystem::create_directories(dir.file("prefix/share/quiverarchiver"));
  setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
  EXPECT_TRUE(qvr::IsInstalledCopy(bin));
  EXPECT_TRUE(qvr::IsInstalledCopy(bin + "/"));
  std::string folder = qvr::ResolveAppFolder(bin);
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(folder, dir.file("data") + "/QuiverArchiver/");
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_TRUE(std::filesystem::is_empty(bin));
}

TEST(AppFolder, BuildTreesAndPortableCopiesAreNotInstalledCopies) {
  TempDir dir;
  // A portable copy in a folder named bin, and one with a share folder of another program.
  std::filesystem::create_directories(dir.file("portable/bin"));
  std::filesystem::create_directories(dir.file("other/bin"));
  std::filesystem::create_directories(dir.file("other/share/someprogram"));
  for (const char* folder : {"portable/bin", "other/bin", "missing/bin"}) {
    EXPECT_FALSE(qvr::IsInstalledCopy(dir.file(folder))) << folder;
  }
  EXPECT_FALSE(qvr::IsInstalledCopy(QVR_BIN_DIR));
  EXPECT_EQ(qvr::ResolveAppFolder(dir.file("portable/bin")), dir.file("portable/bin") + "/");
}

TEST(AppFolder, TheInstalledProgramFolderIsAnInstalledCopy) {
  if (!std::filesystem::is_directory(qvr::kInstallBinDir)) GTEST_SKIP() << "no install prefix";
  EXPECT_TRUE(qvr::IsInstalledCopy(qvr::kInstallBinDir));
}

TEST(AppFolder, XdgBaseFolders) {
  TempDir dir;
  const char* savedHome = std::getenv("HOME");
  std::string home = savedHome ? savedHome : "";
  setenv("HOME", dir.path().c_str(), 1);
  setenv("XDG_DATA_HOME", "relative/ignored", 1);
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(qvr::XdgDataHome(), dir.path() + "/.local/share");
  EXPECT_EQ(qvr::XdgConfigHome(), dir.path() + "/.config");
  setenv("XDG_DATA_HOME", "/x/data", 1);
  setenv("XDG_CONFIG_HOME", "/x/config", 1);
  EXPECT_EQ(qvr::XdgDataHome(), "/x/data");
  EXPECT_EQ(qvr::XdgConfigHome(), "/x/config");
  unsetenv("XDG_DATA_HOME");
  unsetenv("XDG_CONFIG_HOME");
  if (savedHome) setenv("HOME", home.c_str(), 1);
}

// An installed copy: each kind in its XDG folder; an earlier version's file moves over, but
// where the new place already holds one of that name both stay as they are.
TEST(AppFolder, AnInstalledCopySpreadsItsFilesAndLosesNoOldOne) {
  TempDir dir;
  std::string bin = dir.file("prefix/bin");
  std::filesystem::create_directories(bin);
  std::filesystem::create_directories(dir.file("prefix/share/quiverarchiver"));
  const char* variables[] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_STATE_HOME", "XDG_CACHE_HOME",
                             "XDG_RUNTIME_DIR"};
  for (const char* variable : variables) setenv(variable, dir.file(variable).c_str(), 1);
  qvr::test::WriteFile(dir.file("XDG_DATA_HOME/QuiverArchiver/QvrArc.ini"), "old settings");
  qvr::test::WriteFile(dir.file("XDG_DATA_HOME/QuiverArchiver/Log.txt"), "old log");
  qvr::test::WriteFile(dir.file("XDG_STATE_HOME/QuiverArchiver/Log.txt"), "newer log");
  qvr::SetAppFolder(qvr::ResolveAppFolder(bin));
  qvr::SetAppFileFolders(bin);
  for (const char* variable : variables) unsetenv(variable);

  using qvr::AppFileKind;
  const std::pair<const char*, AppFileKind> kinds[] = {
      {"QvrArc.ini", AppFileKind::Settings}, {"DllStatus.ini", AppFileKind::Settings},
      {"Log.txt", AppFileKind::State},       {"tmp", AppFileKind::Runtime},
      {"addlist.tmp", AppFileKind::Cache},   {"ArcFiles", AppFileKind::Cache}};
  for (const auto& [name, kind] : kinds) EXPECT_EQ(qvr::AppFileKindOf(name), kind) << name;
  EXPECT_EQ(qvr::AppFileFolder(AppFileKind::Settings), dir.file("XDG_CONFIG_HOME/QuiverArchiver/"));
  EXPECT_EQ(qvr::AppFileFolder(AppFileKind::State), dir.file("XDG_STATE_HOME/QuiverArchiver/"));
  EXPECT_EQ(qvr::AppFileFolder(AppFileKind::Cache), dir.file("XDG_CACHE_HOME/QuiverArchiver/"));
  EXPECT_EQ(qvr::AppFileFolder(AppFileKind::Runtime), dir.file("XDG_RUNTIME_DIR/QuiverArchiver/"));
  EXPECT_EQ(qvr::test::ReadFile(dir.file("XDG_CONFIG_HOME/QuiverArchiver/QvrArc.ini")),
            "old settings");
  EXPECT_FALSE(std::filesystem::exists(dir.file("XDG_DATA_HOME/QuiverArchiver/QvrArc.ini")));
  EXPECT_EQ(qvr::test::ReadFile(dir.file("XDG_STATE_HOME/QuiverArchiver/Log.txt")), "newer log");
  EXPECT_EQ(qvr::test::ReadFile(dir.file("XDG_DATA_HOME/QuiverArchiver/Log.txt")), "old log");

  // Any other copy keeps every kind in its own folder.
  qvr::SetAppFolder(dir.file("portable"));
  qvr::SetAppFileFolders(dir.file("portable"));
  EXPECT_EQ(qvr::AppFileFolder(AppFileKind::Runtime), dir.file("portable/"));
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
