#include "DesktopEntry.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "AppFolder.h"
#include "PathHelpers.h"
#include "ProfileFile.h"

namespace qvr {
namespace {

std::string& ProgramOverride() {
  static std::string program;
  return program;
}

// The characters for which the Desktop Entry standard asks an argument to be quoted.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

bool ReadWholeFile(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// A line that, without a comment's "#", "<!--", "-->" and blanks around it, is our mark.
bool IsMarkLine(std::string_view line) {
  auto trim = [&line](std::string_view cut) {
    if (line.substr(0, cut.size()) == cut) line.remove_prefix(cut.size());
  };
  auto blanks = [&line] {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
      line.remove_suffix(1);
  };
  blanks();
  trim("#");
  trim("<!--");
  if (line.size() >= 3 && line.substr(line.size() - 3) == "-->") line.remove_suffix(3);
  blanks();
  return line == kOurMark;
}

}  // namespace

std::string ShellProgram() {
  return ProgramOverride().empty() ? ExecutablePath() : ProgramOverride();
}

void SetShellProgram(const std::string& path) {
  ProgramOverride() = path;
}

std::string ShellIcon() {
  std::string file = FolderOf(ShellProgram()) + kSep + "quiverarchiver.svg";
  std::error_code ec;
  return std::filesystem::is_regular_file(file, ec) ? file : "quiverarchiver";
}

std::string QuoteArgument(const std::string& argument) {
  std::string out = "\"";
  for (char c : argument) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') out += '\\';
    out += c;
  }
  return out + '"';
}

std::string ExecValue(const std::string& program, const std::string& rest) {
  std::string word =
      program.find_first_of(kReserved) == std::string::npos ? program : QuoteArgument(program);
  std::string exec;
  for (char c : word) {
    exec += c;
    if (c == '%') exec += '%';
  }
  if (!rest.empty()) exec += ' ' + rest;
  return EscapeValue(exec);
}

std::string EscapeValue(const std::string& value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string EscapeXml(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string DesktopGroup(const std::string& name, const DesktopKeys& keys) {
  std::string text = "[" + name + "]\n";
  for (const auto& [key, value] : keys) text += key + '=' + value + '\n';
  return text;
}

bool IsOurFile(const std::string& path) {
  std::string content;
  if (!ReadWholeFile(path, content)) return false;
  std::istringstream lines(content);
  std::string line;
  while (std::getline(lines, line)) {
    if (IsMarkLine(line)) return true;
  }
  return false;
}

FileState WriteOurFile(const std::string& path, const std::string& content, bool executable) {
  std::error_code ec;
  auto status = std::filesystem::symlink_status(path, ec);
  mode_t mode = executable ? 0755 : 0644;
  if (std::filesystem::exists(status)) {
    if (!std::filesystem::is_regular_file(status) || !IsOurFile(path)) return FileState::Foreign;
    std::string old;
    struct stat st;
    if (ReadWholeFile(path, old) && old == content && stat(path.c_str(), &st) == 0 &&
        (st.st_mode & 07777) == mode) {
      return FileState::Unchanged;
    }
  }
  if (!MakeFolders(FolderOf(path))) return FileState::Failed;
  if (!profile::ReplaceFile(path, content, false)) return FileState::Failed;
  return chmod(path.c_str(), mode) == 0 ? FileState::Written : FileState::Failed;
}

bool RemoveOurFile(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(std::filesystem::symlink_status(path, ec))) return false;
  if (!IsOurFile(path)) return false;
  return std::filesystem::remove(path, ec);
}

}  // namespace qvr
