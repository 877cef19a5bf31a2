#include "MimeApps.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>
#include <vector>

#include "AppFolder.h"
#include "PathHelpers.h"
#include "ProfileFile.h"

namespace qvr {
namespace {

constexpr std::string_view kDefaultGroup = "[Default Applications]";

std::vector<std::string> Lines(const std::string& content) {
  std::vector<std::string> lines;
  std::istringstream in(content);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool IsGroupLine(const std::string& line) {
  return !line.empty() && line.front() == '[';
}

// Where the type's line lies in [Default Applications] (lines.size() when it has none) and
// after which line a new one goes (npos when the file has no such group).
struct Place {
  size_t line;
  size_t insertAfter;
};

Place Find(const std::vector<std::string>& lines, const std::string& mimeType) {
  Place place{lines.size(), std::string::npos};
  std::string prefix = mimeType + '=';
  bool inGroup = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (IsGroupLine(line)) {
      inGroup = line.compare(0, kDefaultGroup.size(), kDefaultGroup) == 0;
      if (inGroup && place.insertAfter == std::string::npos) place.insertAfter = i;
      continue;
    }
    if (!inGroup) continue;
    if (!line.empty()) place.insertAfter = i;
    if (place.line == lines.size() && line.compare(0, prefix.size(), prefix) == 0) place.line = i;
  }
  return place;
}

std::vector<std::string> DataFolders() {
  std::vector<std::string> folders{XdgDataHome()};
  for (std::string& folder : XdgDataDirs()) folders.push_back(std::move(folder));
  return folders;
}

// A desktop file id "vendor-name.desktop" may also lie as vendor/name.desktop.
bool IsInstalledLauncher(const std::string& id) {
  if (id.empty() || id.find('/') != std::string::npos) return false;
  std::string nested = id;
  if (size_t dash = nested.find('-'); dash != std::string::npos) nested[dash] = '/';
  std::error_code ec;
  for (const std::string& folder : DataFolders()) {
    std::string base = folder + "/applications/";
    if (std::filesystem::is_regular_file(base + id, ec) ||
        std::filesystem::is_regular_file(base + nested, ec)) {
      return true;
    }
  }
  return false;
}

std::vector<std::string> Launchers(const std::string& value) {
  std::vector<std::string> ids;
  size_t start = 0;
  while (start < value.size()) {
    size_t end = value.find(';', start);
    if (end == std::string::npos) end = value.size();
    if (end > start) ids.push_back(value.substr(start, end - start));
    start = end + 1;
  }
  return ids;
}

}  // namespace

std::string MimeAppsFile() {
  return XdgConfigHome() + "/mimeapps.list";
}

std::string MimeAppsDefault(const std::string& mimeType) {
  std::vector<std::string> lines = Lines(ReadText(MimeAppsFile()));
  Place place = Find(lines, mimeType);
  if (place.line == lines.size()) return "";
  std::string value = lines[place.line].substr(mimeType.size() + 1);
  if (!value.empty() && value.back() == '\r') value.pop_back();
  return value;
}

bool SetMimeAppsDefault(const std::string& mimeType, const std::string& value) {
  // A file kept elsewhere through a link (a dotfile repository) is changed where it lies.
  std::string file = MimeAppsFile();
  std::error_code ec;
  if (std::filesystem::is_symlink(file, ec)) {
    auto target = std::filesystem::canonical(file, ec);
    if (!ec) file = target.string();
  }
  std::string content = ReadText(file);
  std::vector<std::string> lines = Lines(content);
  Place place = Find(lines, mimeType);
  std::string entry = mimeType + '=' + value;
  if (place.line < lines.size()) {
    if (value.empty()) {
      lines.erase(lines.begin() + long(place.line));
    } else {
      lines[place.line] = entry;
    }
  } else if (value.empty()) {
    return true;
  } else if (place.insertAfter == std::string::npos) {
    if (!lines.empty() && !lines.back().empty()) lines.push_back("");
    lines.push_back(std::string(kDefaultGroup));
    lines.push_back(entry);
  } else {
    lines.insert(lines.begin() + long(place.insertAfter) + 1, entry);
  }
  std::string out;
  for (const std::string& line : lines) out += line + '\n';
  if (out == content) return true;
  return MakeFolders(FolderOf(file)) && profile::ReplaceFile(file, out, false);
}

std::string FirstLauncher(const std::string& value) {
  std::vector<std::string> ids = Launchers(value);
  return ids.empty() ? "" : ids.front();
}

std::string InstalledLaunchers(const std::string& value) {
  std::vector<std::string> ids = Launchers(value);
  std::string kept;
  size_t count = 0;
  for (const std::string& id : ids) {
    if (IsInstalledLauncher(id)) {
      kept += id + ';';
      ++count;
    }
  }
  // When every one is still there the value comes back as it was written.
  return count == ids.size() && count > 0 ? value : kept;
}

}  // namespace qvr
