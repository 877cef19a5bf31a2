// A desktop of its own for each test: a temporary HOME with its XDG folders (the desktop
// folder "デスクトップ"), an application folder, and a program file that stands for the
// executable. The desktop's real tools (xdg-mime, update-mime-database, desktop-file-validate)
// run against it.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "TempDir.h"

namespace qvr::test {

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string home() const { return dir.file("home"); }
  std::string dataHome() const { return home() + "/.local/share"; }
  std::string configHome() const { return home() + "/.config"; }
  std::string desktop() const { return home() + "/デスクトップ"; }
  // Makes an executable stand-in for the program at the path (it records its arguments,
  // one per line, into the file "args" beside it) and has the shell entries start it.
  void UseProgram(const std::string& path);

  // Runs the command (arguments quoted for the shell here) with the test's environment;
  // its standard output without the last line break. exitCode receives its exit status.
  static std::string Run(const std::vector<std::string>& argv, int* exitCode = nullptr);
  // desktop-file-validate's verdict: "" when the file passes, else its report.
  static std::string Validate(const std::string& desktopFile);
  // Every file below the folder with its identity (inode and modification time) and
  // content, to show that a second call changed nothing.
  static std::map<std::string, std::string> Snapshot(const std::string& folder);

  TempDir dir;
  std::string program;

 private:
  std::map<std::string, std::string> savedEnv_;
};

}  // namespace qvr::test
