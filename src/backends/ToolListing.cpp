#include "ToolListing.h"

#include "Settings.h"

namespace qvr {
namespace {

void DropCarriageReturn(std::string& line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
}

}  // namespace

bool ToolListing::Open() {
  Close();
  file_.open(AppFile(kFileListTmp), std::ios::binary);
  return file_.is_open();
}

bool ToolListing::ReadLine(std::string& line) {
  if (!file_.is_open() || !std::getline(file_, line)) return false;
  DropCarriageReturn(line);
  return true;
}

void ToolListing::Close() {
  if (file_.is_open()) file_.close();
  file_.clear();
}

bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
  lines.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    DropCarriageReturn(line);
    lines.push_back(std::move(line));
  }
  return true;
}

}  // namespace qvr
