#include "CommandLine.h"

#include <unistd.h>

#include "PathHelpers.h"

namespace qvr {

std::string CurrentFolder() {
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) ? buffer : "/";
}

std::string TrimBlanks(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return "";
  size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

StartUp ParseCommandLine(std::string_view text, bool previousInstance) {
  StartUp result;
  std::string line = TrimBlanks(text);
  constexpr std::string_view kSwitch = "/DDMODE";
  if (line.compare(0, kSwitch.size(), kSwitch) != 0) {
    result.filePart = line;
  } else if (line.size() == kSwitch.size()) {
    if (previousInstance) {
      result.filePart = line;
    } else {
      result.mode = kModeDDModeSetting;
    }
  } else {
    result.mode = previousInstance ? kModeNormal : kModeDDMode;
    // The switch and one separator.
    result.filePart = line.size() > kSwitch.size() + 1 ? line.substr(kSwitch.size() + 1) : "";
  }
  return result;
}

std::string JoinArguments(const std::vector<std::string>& args, const std::string& currentFolder) {
  std::string line;
  for (const auto& arg : args) {
    if (arg.empty()) continue;
    std::string path = arg;
    if (path.front() != kSep) {
      path =
          currentFolder + (currentFolder.empty() || currentFolder.back() == kSep ? "" : "/") + path;
    }
    if (!line.empty()) line += ' ';
    line += QuotePath(path);
  }
  return line;
}

}  // namespace qvr
