#include "ThunarActions.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "AppFolder.h"
#include "PathHelpers.h"
#include "ProfileFile.h"

namespace qvr {
namespace {

constexpr std::string_view kEmptyFile =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n";

bool ReadText(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

std::string SystemFile() {
  for (const std::string& folder : XdgConfigDirs()) {
    std::string file = folder + "/Thunar/uca.xml";
    std::error_code ec;
    if (std::filesystem::is_regular_file(file, ec)) return file;
  }
  return "";
}

// The file to change: the user's, through a link to where it really lies.
std::string UserFile() {
  std::string file = ThunarActionsFile();
  std::error_code ec;
  if (std::filesystem::is_symlink(file, ec)) {
    auto target = std::filesystem::canonical(file, ec);
    if (!ec) return target.string();
  }
  return file;
}

// The span of the action with the id, its line end included; npos when there is none.
struct Span {
  size_t begin = std::string::npos;
  size_t end = std::string::npos;
};

Span FindAction(const std::string& content, const std::string& uniqueId) {
  Span span;
  size_t id = content.find("<unique-id>" + uniqueId + "</unique-id>");
  if (id == std::string::npos) return span;
  size_t begin = content.rfind("<action>", id);
  size_t end = content.find("</action>", id);
  if (begin == std::string::npos || end == std::string::npos) return span;
  end += std::string_view("</action>").size();
  if (end < content.size() && content[end] == '\n') ++end;
  // The indentation before the element goes with it.
  while (begin > 0 && (content[begin - 1] == '\t' || content[begin - 1] == ' ')) --begin;
  span.begin = begin;
  span.end = end;
  return span;
}

bool Save(const std::string& file, const std::string& content) {
  return MakeFolders(FolderOf(file)) && profile::ReplaceFile(file, content, false);
}

}  // namespace

std::string ThunarActionsFile() {
  return XdgConfigHome() + "/Thunar/uca.xml";
}

bool SetThunarAction(const std::string& uniqueId, const std::string& action) {
  std::string file = UserFile();
  std::string content;
  if (!ReadText(file, content)) {
    std::string system = SystemFile();
    if (system.empty() || !ReadText(system, content)) content = kEmptyFile;
  }
  std::string updated = content;
  Span span = FindAction(content, uniqueId);
  if (span.begin != std::string::npos) {
    updated.replace(span.begin, span.end - span.begin, action);
  } else {
    size_t close = content.rfind("</actions>");
    if (close == std::string::npos) return false;
    size_t lineStart = content.rfind('\n', close);
    lineStart = lineStart == std::string::npos ? 0 : lineStart + 1;
    bool ownLine = content.find_first_not_of(" \t", lineStart) == close;
    updated.insert(ownLine ? lineStart : close, ownLine ? action : "\n" + action);
  }
  std::error_code ec;
  if (updated == content && std::filesystem::exists(file, ec)) return false;
  return Save(file, updated);
}

bool RemoveThunarAction(const std::string& uniqueId) {
  std::string file = UserFile();
  std::string content;
  if (!ReadText(file, content)) return false;
  Span span = FindAction(content, uniqueId);
  if (span.begin == std::string::npos) return false;
  content.erase(span.begin, span.end - span.begin);
  return Save(file, content);
}

}  // namespace qvr
