#include "ArchiverEXE_YZ2.h"

#include "ArchiverDLLStatus.h"
#include "ToolOutput.h"
#include "cExecute.h"

namespace qvr {
namespace {

constexpr const char* kYz2Dec = "yz2dec";
constexpr const char* kEndLine = "--- Normal end ---";

std::string Yz2Dec(const LibraryStatus& status) {
  return status.YZ2DECPath + kYz2Dec;
}

}  // namespace

std::string YZ2VersionText(const LibraryStatus& status) {
  std::string output =
      RunCaptured(Yz2Dec(status), std::vector<std::string>{}, "yz2dec.ver", nullptr);
  if (output.empty()) return "Failed";
  std::vector<std::string> lines;
  ReadLines(output, lines);
  tooloutput::DeleteWorkFile("yz2dec.ver");
  // The version stands on the banner's third line from position 10 up to its "(" (or to
  // the end of the line when it has none).
  if (lines.size() < 3) return "Failed";
  const std::string& line = lines[2];
  constexpr size_t kStart = 9;
  if (line.size() <= kStart) return "";
  size_t paren = line.find('(', kStart);
  std::string text = line.substr(kStart, paren == std::string::npos ? paren : paren - kStart);
  text = tooloutput::RemoveBlanks(text);
  text = tooloutput::ReplaceAll(text, "alpha", "a");
  return tooloutput::ReplaceAll(text, "beta", "b");
}

bool OpenYZ2Listing(const LibraryStatus& status, const std::string& archivePath,
                    ToolListing& listing) {
  std::string output = RunCaptured(Yz2Dec(status), {"-l", archivePath}, "yz2.list", nullptr);
  if (output.empty()) return false;
  std::vector<std::string> lines;
  ReadLines(output, lines);
  bool success = false;
  for (const std::string& line : lines) success = success || line == kEndLine;
  bool opened = success && tooloutput::WriteFileList(lines, kEndLine) && listing.Open();
  tooloutput::DeleteWorkFile("yz2.list");
  return opened;
}

int NextYZ2Entry(ToolListing& listing, const std::string& wildcard, EntryInfo& entry,
                 uint64_t* originalSize64) {
  std::string line;
  while (listing.ReadLine(line)) {
    // An empty line closes the tool's entry lines; it names no entry.
    if (line.empty()) return 1;
    size_t at = 0, n = line.size();
    auto skipBlanks = [&] {
      while (at < n && line[at] == ' ') ++at;
    };
    auto skipField = [&] {
      while (at < n && line[at] != ' ') ++at;
    };
    skipBlanks();
    skipField();  // the first field
    skipBlanks();
    at = std::min(n, at + 10);  // the date
    skipBlanks();
    skipField();  // the time
    skipBlanks();
    size_t sizeStart = at;
    skipField();
    std::string sizeText = tooloutput::ReplaceAll(line.substr(sizeStart, at - sizeStart), ",", "");
    size_t first = line.find_first_not_of(' ', at);
    size_t last = line.find_last_not_of(' ');
    std::string name = first == std::string::npos ? "" : line.substr(first, last - first + 1);
    if (!tooloutput::Matches(wildcard, name)) continue;
    tooloutput::FillEntry(entry, name, tooloutput::LeadingNumber(sizeText), originalSize64);
    return 0;
  }
  return 1;
}

}  // namespace qvr
