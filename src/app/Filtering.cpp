#include "Filtering.h"

#include <fstream>

#include "FileList.h"
#include "MainWindowPort.h"
#include "PathHelpers.h"
#include "Settings.h"

namespace qvr {
namespace {

bool AnyOccurs(const std::string& text, const std::vector<std::string>& keys) {
  for (const auto& key : keys) {
    if (text.find(key) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

std::vector<std::string> SplitKeywords(const std::string& text) {
  std::vector<std::string> keys;
  if (text.empty()) return keys;
  size_t start = 0;
  for (;;) {
    size_t blank = text.find(' ', start);
    keys.push_back(
        text.substr(start, blank == std::string::npos ? std::string::npos : blank - start));
    if (blank == std::string::npos) break;
    start = blank + 1;
  }
  return keys;
}

bool FilterMatches(const std::string& entry, const std::vector<std::string>& nameKeys,
                   const std::vector<std::string>& extKeys) {
  // The extension is the file name's: a "." in a folder name does not start one.
  bool hasExtension = FileNameOf(entry).find('.') != std::string::npos;
  std::string extension = hasExtension ? ExtensionOf(entry) : "";
  std::string stem = hasExtension ? StripExtension(entry) : entry;
  return AnyOccurs(stem, nameKeys) || AnyOccurs(extension, extKeys);
}

void ApplyFilter(MainWindowPort& window, const std::string& nameText, const std::string& extText,
                 bool notInclude) {
  std::vector<std::string> nameKeys = SplitKeywords(nameText);
  std::vector<std::string> extKeys = SplitKeywords(extText);
  std::vector<std::string> kept;
  int count = window.listCount();
  for (int i = 0; i < count; ++i) {
    std::string entry = window.listItem(i);
    if (FilterMatches(entry, nameKeys, extKeys) != notInclude) kept.push_back(std::move(entry));
  }
  if (int(kept.size()) == count) return;
  window.setListVisible(false);
  window.listClear();
  for (const auto& entry : kept) window.listAdd(entry);
  window.setListVisible(true);
}

bool FilterExecute(MainWindowPort& window, const std::string& nameText, const std::string& extText,
                   bool notInclude, bool filterOn) {
  if (!filterOn) SaveFileList(window, AppFile(kOriginalList));
  ApplyFilter(window, nameText, extText, notInclude);
  AddToHistory(kFilterNameHistory, nameText);
  AddToHistory(kFilterExtHistory, extText);
  return true;
}

bool FilterRelease(MainWindowPort& window) {
  LoadFileList(window, AppFile(kOriginalList), kLoadModeNew);
  return false;
}

std::vector<std::string> ReadHistory(const std::string& file) {
  std::vector<std::string> lines;
  std::ifstream in(AppFile(file), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

void AddToHistory(const std::string& file, const std::string& text) {
  if (text.empty()) return;
  for (const auto& line : ReadHistory(file)) {
    if (line == text) return;
  }
  std::ofstream out(AppFile(file), std::ios::binary | std::ios::app);
  out << text << "\r\n";
}

}  // namespace qvr
