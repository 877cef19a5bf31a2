#include "ExtractTest.h"
#include "ArchiverCatalogue.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "Settings.h"

namespace qvr::test {

ExtractTest::ExtractTest() {
  std::filesystem::create_directories(plugin.folder());
  plugin.InstallAll();
  for (const LibRow& row : kLibRows) status.*row.flag = true;
  status.RKEXEPath = tools;
  status.YZ2DECPath = tools;
  std::filesystem::create_directories(in);
  std::filesystem::create_directories(out);
  std::filesystem::create_directories(tools);
  // The recording plugin's log is read in call order: one archive at a time.
  Ini("GENERAL", "Threads", "1");
}

ExtractTest::~ExtractTest() = default;

std::string ExtractTest::Archive(const std::string& name, const std::string& content) {
  std::string path = in + "/" + name;
  WriteFile(path, content);
  return path;
}

void ExtractTest::Ini(const std::string& section, const std::string& key,
                      const std::string& value) {
  WriteIniString(kQvrArcIni, section, key, value);
}

void ExtractTest::List(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) window.listAdd(path);
}

std::vector<std::string> ExtractTest::Commands(const std::string& prefix) const {
  std::vector<std::string> lines;
  for (const PluginCall& call : plugin.Calls())
    if (call.entry == prefix && call.args.size() >= 2) lines.push_back(call.args[1]);
  return lines;
}

std::vector<std::string> ExtractTest::CommandLibraries() const {
  static const std::vector<std::string> kPrefixes = {
      "Unlha", "UnZip", "Zip",   "SevenZip", "Cab", "UnGCA", "Unrar", "Yz1",   "Unarj",
      "Tar",   "Bga",   "Unbel", "UnImp",    "Kty", "Unace", "Paqar", "UnHki", "ACEExtract"};
  std::vector<std::string> names;
  for (const PluginCall& call : plugin.Calls())
    for (const std::string& prefix : kPrefixes)
      if (call.entry == prefix) names.push_back(call.library);
  return names;
}

int ExtractTest::Extract(bool single, const std::string& mode) {
  ExtractRun run{window, status, mode, useYZ2DEC};
  return ExtractArchives(run, single, out);
}

void ExtractTest::InstallTool(const std::string& name) {
  std::string log = tools + name + ".log";
  std::string script =
      "#!/bin/sh\n"
      "if [ \"$1\" = \"-i\" ]; then echo 'Integrity check OK.'; exit 0; fi\n"
      "if [ \"$1\" = \"-va\" ]; then exit 0; fi\n"
      "{ echo --; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } >> '" +
      log + "'\n";
  WriteFile(tools + name, script);
  chmod((tools + name).c_str(), 0755);
}

std::vector<std::vector<std::string>> ExtractTest::ToolRuns(const std::string& name) const {
  std::vector<std::vector<std::string>> runs;
  std::istringstream log(ReadFile(tools + name + ".log"));
  std::string line;
  while (std::getline(log, line)) {
    if (line == "--") {
      runs.emplace_back();
    } else if (!runs.empty()) {
      runs.back().push_back(line);
    }
  }
  return runs;
}

std::vector<std::string> ExtractTest::MessageTexts() const {
  std::vector<std::string> texts;
  for (const MessageRecord& m : window.messages) texts.push_back(m.text);
  return texts;
}

StartTest::StartTest() {
  home = temp.file("home");
  std::filesystem::create_directories(home + "/Desktop");
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", temp.file("config").c_str(), 1);
  Ini("GENERAL", "OpenFolder", "1");
  Ini("GENERAL", "UseSound", "1");
  Ini("GENERAL", "SoundFilePath", "/sounds/done.wav");
}

BatchRun StartTest::Run(const std::string& mode, int targetPlace) {
  return BatchRun{
      ExtractRun{window, status, mode, true},
      targetPlace,
      &mail,
      &sound,
      [this] { ++viewerCloses; },
      [this](const std::string& commandLine, void*) { opened.push_back(commandLine); },
      &desktop,
  };
}

}  // namespace qvr::test
