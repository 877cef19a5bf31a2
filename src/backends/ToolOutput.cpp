#include "ToolOutput.h"

#include <fnmatch.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <limits>

#include "Settings.h"

namespace qvr::tooloutput {

bool WriteFileList(const std::vector<std::string>& lines, std::string_view endLine) {
  std::ofstream out(AppFile(kFileListTmp), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  constexpr size_t kSkipped = 7;
  if (lines.size() < kSkipped || lines[kSkipped - 1].empty()) return bool(out);
  for (size_t i = kSkipped; i < lines.size(); ++i) {
    if (lines[i] == endLine) break;
    out << lines[i] << "\r\n";
    if (lines[i].empty()) break;
  }
  return bool(out);
}

uint64_t LeadingNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  uint64_t value = 0;
  constexpr uint64_t kMax = std::numeric_limits<uint64_t>::max();
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    uint64_t digit = uint64_t(text[i] - '0');
    value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
  }
  return value;
}

void FillEntry(EntryInfo& entry, std::string_view name, uint64_t size, uint64_t* size64) {
  size_t length = std::min(name.size(), sizeof entry.FileName - 1);
  // Never cut a multi-byte character in two.
  if (length < name.size()) {
    while (length > 0 && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80) --length;
  }
  std::memcpy(entry.FileName, name.data(), length);
  entry.FileName[length] = '\0';
  entry.OriginalSize = uint32_t(std::min<uint64_t>(size, std::numeric_limits<uint32_t>::max()));
  if (size64) *size64 = size;
}

bool Matches(const std::string& wildcard, const std::string& name) {
  if (wildcard == "*" || wildcard == "*.*") return true;
  return fnmatch(wildcard.c_str(), name.c_str(), 0) == 0;
}

std::string RemoveBlanks(std::string_view text) {
  std::string result;
  for (char c : text)
    if (c != ' ') result += c;
  return result;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

void DeleteWorkFile(const std::string& fileName) {
  unlink(AppFile(fileName).c_str());
}

}  // namespace qvr::tooloutput
