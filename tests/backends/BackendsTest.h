// The fixture of the back-end tests: a fresh application folder with the recording plugin
// helper, a controlled current folder and a PATH of one empty folder plus the system's
// program folders (the stand-in tools need a shell and its utilities).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "FakeMainWindow.h"
#include "RecordingPlugin.h"
#include "TempDir.h"

namespace qvr::test {

class BackendsTest : public ::testing::Test {
 protected:
  BackendsTest();
  ~BackendsTest() override;

  std::string App(const std::string& name) const { return plugin.folder() + name; }
  // Installs the stand-in tool under the name into the folder (default: the app folder).
  void InstallTool(const std::string& name, const std::string& folder = "");
  // The output the stand-in prints in a mode ("banner", "check", "list").
  void ToolPrints(const std::string& name, const std::string& mode, const std::string& text);
  // The arguments the stand-in received last, one per element.
  std::vector<std::string> ToolArgs(const std::string& name) const;

  TempDir temp;
  RecordingPlugin plugin{temp.file("app")};
  std::string pathFolder = temp.file("path") + "/";
  std::string currentFolder = temp.file("cwd") + "/";
  FakeMainWindow window;

 private:
  std::string savedPath_;
  std::string savedCwd_;
};

}  // namespace qvr::test
