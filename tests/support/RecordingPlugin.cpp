#include "RecordingPlugin.h"

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "AppFolder.h"
#include "ArchiverDLL.h"
#include "TempDir.h"

namespace qvr::test {
namespace {

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char c = text[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    size_t tab = line.find('\t', start);
    fields.push_back(Unescape(line.substr(start, tab - start)));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return fields;
}

// A new file, never a rewrite in place: the old one may still be mapped by a loaded library.
void Copy(const std::string& from, const std::string& to) {
  std::error_code ec;
  std::filesystem::remove(to, ec);
  std::filesystem::copy_file(from, to);
}

std::string PluginPath(const char* name) {
  return std::string(QVR_TEST_PLUGIN_DIR) + "/" + name;
}

}  // namespace

std::string PointerText(const void* pointer) {
  char text[32];
  std::snprintf(text, sizeof text, "%#jx", uintmax_t(reinterpret_cast<uintptr_t>(pointer)));
  return text;
}

const std::vector<std::string>& AllLibraryFileNames() {
  static const std::vector<std::string> names{
      "unlha32.so", "unzip32.so", "zip32j.so",  "zip32.so",   "cab32.so",
      "ungca32.so", "unrar32.so", "7-zip32.so", "yz1.so",     "unarj32j.so",
      "tar32.so",   "bga32.so",   "unbel32.so", "unimp32.so", "kty32.so",
      "unacev2.so", "unace32.so", "paqar32.so", "unhki32.so"};
  return names;
}

RecordingPlugin::RecordingPlugin(const std::string& folder) : folder_(folder) {
  if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
  SetAppFolder(folder_);
  SetSearchExecutableFolder(folder_);
  ArchiverDLL::ForgetAll();
}

RecordingPlugin::~RecordingPlugin() {
  ArchiverDLL::ForgetAll();
  SetSearchExecutableFolder(std::nullopt);
}

void RecordingPlugin::Install(const std::string& fileName) {
  // A copy, not a link: each file name must load as a library of its own.
  Copy(PluginPath("qvr_recording_plugin.so"), folder_ + fileName);
}

void RecordingPlugin::InstallAll() {
  for (const std::string& name : AllLibraryFileNames()) Install(name);
}

void RecordingPlugin::InstallWithoutSkipCount(const std::string& fileName) {
  Copy(PluginPath("qvr_recording_plugin_noskip.so"), folder_ + fileName);
}

void RecordingPlugin::InstallPartial(const std::string& fileName) {
  Copy(PluginPath("qvr_partial_plugin.so"), folder_ + fileName);
}

void RecordingPlugin::InstallBadFile(const std::string& fileName, const std::string& content) {
  WriteFile(folder_ + fileName, content);
}

std::string RecordingPlugin::WrongArchitectureImage() {
  std::string image = ReadFile(PluginPath("qvr_partial_plugin.so"));
  if (image.size() < 20) throw std::runtime_error("test plugin missing");
  // e_machine (offset 18, little-endian): EM_AARCH64 on x86-64, EM_X86_64 elsewhere.
  uint16_t machine = uint8_t(image[18]) | uint16_t(uint8_t(image[19]) << 8);
  uint16_t other = machine == 62 ? 183 : 62;
  image[18] = char(other & 0xFF);
  image[19] = char(other >> 8);
  return image;
}

RecordingPlugin& RecordingPlugin::Line(const std::string& scope, const std::string& key,
                                       const std::string& archive,
                                       const std::vector<std::string>& values) {
  script_ += scope + "\t" + key + "\t" + archive;
  for (const std::string& value : values) script_ += "\t" + value;
  script_ += "\n";
  WriteFile(folder_ + "recording-plugin.script", script_);
  return *this;
}

RecordingPlugin& RecordingPlugin::Version(const std::string& scope, int version, int subVersion) {
  Line(scope, "version", "*", {std::to_string(version)});
  return Line(scope, "subversion", "*", {std::to_string(subVersion)});
}

RecordingPlugin& RecordingPlugin::Check(const std::string& scope, const std::string& archive,
                                        int answer) {
  return Line(scope, "check", archive, {std::to_string(answer)});
}

RecordingPlugin& RecordingPlugin::Count(const std::string& scope, const std::string& archive,
                                        int count) {
  return Line(scope, "count", archive, {std::to_string(count)});
}

RecordingPlugin& RecordingPlugin::Entry(const std::string& scope, const std::string& archive,
                                        const PluginEntry& e) {
  return Line(scope, "entry", archive,
              {std::to_string(e.original), std::to_string(e.compressed), std::to_string(e.ratio),
               std::to_string(e.date), std::to_string(e.time), e.name, e.attribute, e.mode});
}

RecordingPlugin& RecordingPlugin::CommandResult(const std::string& scope,
                                                const std::string& containing, int result,
                                                const std::string& output) {
  Line(scope, "output", containing, {output});
  return Line(scope, "command", containing, {std::to_string(result)});
}

RecordingPlugin& RecordingPlugin::Skipped(const std::string& scope, const std::string& containing,
                                          int count) {
  return Line(scope, "skipped", containing, {std::to_string(count)});
}

RecordingPlugin& RecordingPlugin::OpenFails(const std::string& scope, const std::string& archive) {
  return Line(scope, "open", archive, {"0"});
}

RecordingPlugin& RecordingPlugin::NoSizeEx(const std::string& scope) {
  return Line(scope, "sizeex", "*", {"0"});
}

RecordingPlugin& RecordingPlugin::AceResult(const std::string& archive, int result) {
  return Line("ACE", "ace", archive, {std::to_string(result)});
}

std::vector<PluginCall> RecordingPlugin::Calls() const {
  std::vector<PluginCall> calls;
  std::istringstream log(ReadFile(folder_ + "recording-plugin.log"));
  std::string line;
  while (std::getline(log, line)) {
    std::vector<std::string> fields = SplitTabs(line);
    if (fields.size() < 2) continue;
    calls.push_back({fields[0], fields[1], {fields.begin() + 2, fields.end()}});
  }
  return calls;
}

std::vector<PluginCall> RecordingPlugin::Calls(const std::string& prefix) const {
  std::vector<PluginCall> calls;
  for (PluginCall& call : Calls()) {
    std::string_view entry = call.entry;
    // "Unlha" must not take "UnlhaX..." of another prefix: the rest is a known entry suffix.
    if (entry.substr(0, prefix.size()) != prefix) continue;
    std::string_view rest = entry.substr(prefix.size());
    static const char* kSuffixes[] = {"",
                                      "GetVersion",
                                      "GetSubVersion",
                                      "CheckArchive",
                                      "GetFileCount",
                                      "OpenArchive",
                                      "CloseArchive",
                                      "FindFirst",
                                      "FindNext",
                                      "GetOriginalSizeEx",
                                      "GetCompressedSizeEx",
                                      "GetOriginalSize",
                                      "GetArcOriginalSize"};
    for (const char* suffix : kSuffixes) {
      if (rest == suffix) {
        calls.push_back(std::move(call));
        break;
      }
    }
  }
  return calls;
}

void RecordingPlugin::ClearLog() {
  std::error_code ec;
  std::filesystem::remove(folder_ + "recording-plugin.log", ec);
}

}  // namespace qvr::test
