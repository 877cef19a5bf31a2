#include "ListFile.h"

#include <fstream>

#include "PathHelpers.h"

namespace qvr {

bool CanCarryName(std::string_view path) {
  return path.find_first_of("\"\r\n") == std::string_view::npos;
}

bool WriteListFile(const std::string& file, const std::vector<std::string>& lines) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  for (const std::string& line : lines) out << line << "\r\n";
  out.close();
  return bool(out);
}

bool WriteAddLists(const std::string& folder, const std::vector<std::string>& paths, bool forRk) {
  std::vector<std::string> first, second;
  for (const std::string& path : paths) {
    first.push_back("\"" + path + "\"");
    second.push_back(forRk ? path : "\"" + FileNameOf(path) + "\"");
  }
  return WriteListFile(folder + kAddListFile, first) &&
         WriteListFile(folder + kAddList2File, second);
}

}  // namespace qvr
