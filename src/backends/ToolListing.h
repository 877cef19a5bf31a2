// An open listing of an outside tool: FileList.tmp of the application folder, holding only
// the entry lines the tool printed. Only one listing exists at a time.
#pragma once

#include <fstream>
#include <string>
#include <vector>

namespace qvr {

inline constexpr const char* kFileListTmp = "FileList.tmp";

class ToolListing {
 public:
  bool isOpen() const { return file_.is_open(); }
  // Opens FileList.tmp; false when it cannot be read.
  bool Open();
  // The next line without its line end; false at the end of the file.
  bool ReadLine(std::string& line);
  void Close();

 private:
  std::ifstream file_;
};

// Close listing.
inline void CloseListing(ToolListing& listing) {
  listing.Close();
}

// Reads a text file line by line (CR LF or LF); false when it cannot be opened.
bool ReadLines(const std::string& path, std::vector<std::string>& lines);

}  // namespace qvr
