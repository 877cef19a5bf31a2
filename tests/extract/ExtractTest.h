// The fixture of the extraction-run tests: the recording plugin installed under every
// library's file name in a fresh application folder, every availability flag set, a
// recording main window, and helpers for archives, settings and stand-in tools.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "ArchiverDLLStatus.h"
#include "BatchRun.h"
#include "ExtractArchives.h"
#include "FakeMainWindow.h"
#include "RecordingPlugin.h"
#include "TempDir.h"

namespace qvr::test {

// Settings rows: section, key, value.
using Settings = std::vector<std::array<std::string, 3>>;

class ExtractTest : public ::testing::Test {
 protected:
  ExtractTest();
  ~ExtractTest() override;

  // A file of the name under in/ (its content is not read by the recording plugin).
  std::string Archive(const std::string& name, const std::string& content = "data");
  void Ini(const std::string& section, const std::string& key, const std::string& value);
  // Puts the paths on the list.
  void List(const std::vector<std::string>& paths);
  // The command lines the libraries of the prefix received, in order.
  std::vector<std::string> Commands(const std::string& prefix) const;
  // The library file names that received a command entry call, in order.
  std::vector<std::string> CommandLibraries() const;
  int Extract(bool single = true, const std::string& mode = kModeNormal);
  // A stand-in for rk or yz2dec in tools/: logs each run's arguments, one per line, after
  // a "--" line, to tools/<name>.log; "rk -i" answers the integrity check as passed.
  void InstallTool(const std::string& name);
  std::vector<std::vector<std::string>> ToolRuns(const std::string& name) const;
  // The messages shown, in order.
  std::vector<std::string> MessageTexts() const;

  TempDir temp;
  RecordingPlugin plugin{temp.file("app")};
  LibraryStatus status;
  FakeMainWindow window;
  std::string in = temp.file("in");
  std::string out = temp.file("out");
  std::string tools = temp.file("tools") + "/";
  bool useYZ2DEC = true;
};

struct RecordingMail : MailNotice {
  void Send(const std::string& result, WorkMode workMode, const std::string& summary) override {
    sent.push_back(result + " " + WorkModeWord(workMode));
    summaries.push_back(summary);
  }
  std::vector<std::string> sent;
  std::vector<std::string> summaries;
};

struct RecordingSound : SoundPlayer {
  void Play(const std::string& soundFile) override { played.push_back(soundFile); }
  std::vector<std::string> played;
};

struct RecordingDesktopNotice : DesktopNotice {
  struct Notice {
    std::string text, folder;
    std::vector<std::string> items;
  };
  void Show(const std::string& text, const std::string& folder,
            const std::vector<std::string>& items) override {
    shown.push_back({text, folder, items});
  }
  std::vector<Notice> shown;
};

// The fixture of the Start tests: a home of the test's own (its desktop of the XDG user
// folders), the sound on, and a BatchRun that records the mail, the sound, the desktop's
// notices, the folders opened and the viewer closes.
class StartTest : public ExtractTest {
 protected:
  StartTest();
  BatchRun Run(const std::string& mode = kModeNormal, int targetPlace = 2);

  std::string home;
  RecordingMail mail;
  RecordingSound sound;
  RecordingDesktopNotice desktop;
  std::vector<std::string> opened;
  int viewerCloses = 0;
};

}  // namespace qvr::test
