// Test helper around the recording plugin: installs copies of it under chosen library file
// names into a temporary application folder, writes its script, and reads back the calls
// it logged. While it lives, that folder is the application folder and stands for the
// executable's folder in the plugin search (so plugins built beside the tests are not
// found), and every library is searched and loaded anew.
//
//   RecordingPlugin plugin(temp.path());
//   plugin.Install("unlha32.so");
//   plugin.Check("Unlha", archive, 1).Entry("Unlha", archive, {.original = 10, .name = "a.txt"});
//   ... code under test ...
//   EXPECT_EQ(plugin.Calls("Unlha")[0].args[1], "x -a1 ...");
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvr::test {

struct PluginCall {
  std::string library;  // the file name the copy was installed under
  std::string entry;    // "Unlha", "UnlhaCheckArchive", "ACEExtract", ...
  std::vector<std::string> args;
};

struct PluginEntry {
  uint64_t original = 0;
  uint64_t compressed = 0;
  int ratio = 0;
  int date = 0;
  int time = 0;
  std::string name{};
  std::string attribute{};
  std::string mode{};
};

// The text the plugin logs for a pointer argument ("0" for null, else "0x...").
std::string PointerText(const void* pointer);

// Every library file name of the archiver libraries (unlha32.so ... unacev2.so, zip32.so).
const std::vector<std::string>& AllLibraryFileNames();

class RecordingPlugin {
 public:
  explicit RecordingPlugin(const std::string& folder);
  ~RecordingPlugin();
  RecordingPlugin(const RecordingPlugin&) = delete;
  RecordingPlugin& operator=(const RecordingPlugin&) = delete;

  const std::string& folder() const { return folder_; }
  // Copies the plugin into the folder under the file name.
  void Install(const std::string& fileName);
  void InstallAll();
  // The recording plugin without PGetSkippedCount, as a library of another maker.
  void InstallWithoutSkipCount(const std::string& fileName);
  // Copies the plugin that exports only some UnLHA32 entries under the file name.
  void InstallPartial(const std::string& fileName);
  // Writes a file of other content (a text file, nothing, a foreign ELF) under the name.
  void InstallBadFile(const std::string& fileName, const std::string& content);
  // A copy of the plugin whose ELF machine field names another architecture.
  static std::string WrongArchitectureImage();

  // Script lines (see RecordingPluginLib.cpp); scope is a prefix or "*", archive a path or "*".
  RecordingPlugin& Line(const std::string& scope, const std::string& key,
                        const std::string& archive, const std::vector<std::string>& values);
  RecordingPlugin& Version(const std::string& scope, int version, int subVersion = 0);
  RecordingPlugin& Check(const std::string& scope, const std::string& archive, int answer);
  RecordingPlugin& Count(const std::string& scope, const std::string& archive, int count);
  RecordingPlugin& Entry(const std::string& scope, const std::string& archive,
                         const PluginEntry& entry);
  // The command result (and output text) for command lines containing the text ("*": all).
  RecordingPlugin& CommandResult(const std::string& scope, const std::string& containing,
                                 int result, const std::string& output = "");
  // What PGetSkippedCount answers after a command line containing the text.
  RecordingPlugin& Skipped(const std::string& scope, const std::string& containing, int count);
  RecordingPlugin& OpenFails(const std::string& scope, const std::string& archive);
  RecordingPlugin& NoSizeEx(const std::string& scope);
  RecordingPlugin& AceResult(const std::string& archive, int result);

  // The calls logged so far, in order; with a prefix, only the entries of that prefix.
  std::vector<PluginCall> Calls() const;
  std::vector<PluginCall> Calls(const std::string& prefix) const;
  void ClearLog();

 private:
  std::string folder_;
  std::string script_;
};

}  // namespace qvr::test
