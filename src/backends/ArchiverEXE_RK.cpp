#include "ArchiverEXE_RK.h"

#include <sys/stat.h>

#include "ArchiverDLLStatus.h"
#include "ToolOutput.h"
#include "cExecute.h"

namespace qvr {
namespace {

constexpr const char* kRk = "rk";
constexpr const char* kSeparator = "  -------                    -------";

std::string Rk(const LibraryStatus& status) {
  return status.RKEXEPath + kRk;
}

bool IsFinishedLine(const std::string& line) {
  return line.size() >= 11 && line.compare(0, 9, "Finished.") == 0;
}

}  // namespace

std::string RKVersionText(const LibraryStatus& status) {
  std::string output = RunCaptured(Rk(status), std::vector<std::string>{}, "rk.ver", nullptr);
  if (output.empty()) return "Failed";
  std::vector<std::string> lines;
  ReadLines(output, lines);
  tooloutput::DeleteWorkFile("rk.ver");
  // The version stands from position 31 of the first line up to, not including, its last
  // character; a shorter line carries none.
  constexpr size_t kStart = 30;
  if (lines.empty() || lines[0].size() <= kStart) return "Failed";
  std::string text = lines[0].substr(kStart, lines[0].size() - kStart - 1);
  text = tooloutput::RemoveBlanks(text);
  text = tooloutput::ReplaceAll(text, "(alpha)", "a");
  return tooloutput::ReplaceAll(text, "(beta)", "b");
}

int RKTest(const LibraryStatus& status, const std::string& archivePath) {
  int answer = kRKTestFailed;
  std::string output = RunCaptured(Rk(status), {"-i", archivePath}, "rk.chk", nullptr);
  struct stat info;
  if (stat(archivePath.c_str(), &info) == 0) {
    std::vector<std::string> lines;
    if (!output.empty()) ReadLines(output, lines);
    for (const std::string& line : lines)
      if (line == "Integrity check OK.") answer = kRKTestOK;
  } else {
    answer = kRKTestMissing;
  }
  tooloutput::DeleteWorkFile("rk.chk");
  return answer;
}

bool OpenRKListing(const LibraryStatus& status, const std::string& archivePath,
                   ToolListing& listing) {
  std::string output = RunCaptured(Rk(status), {"-va", archivePath}, "rk.list", nullptr);
  if (output.empty()) return false;
  std::vector<std::string> lines;
  ReadLines(output, lines);
  bool success = false;
  for (const std::string& line : lines) success = success || IsFinishedLine(line);
  bool opened = success && tooloutput::WriteFileList(lines, kSeparator) && listing.Open();
  tooloutput::DeleteWorkFile("rk.list");
  return opened;
}

int NextRKEntry(ToolListing& listing, const std::string& wildcard, EntryInfo& entry,
                uint64_t* originalSize64) {
  std::string line;
  while (listing.ReadLine(line)) {
    // An empty line closes the tool's entry lines; it names no entry.
    if (line.empty()) return 1;
    constexpr size_t kNameStart = 29;
    std::string name = line.size() > kNameStart ? line.substr(kNameStart) : "";
    if (!tooloutput::Matches(wildcard, name)) continue;
    uint64_t size = tooloutput::LeadingNumber(std::string_view(line).substr(0, 10));
    tooloutput::FillEntry(entry, name, size, originalSize64);
    return 0;
  }
  return 1;
}

int RKEntryCount(const LibraryStatus& status, const std::string& archivePath) {
  ToolListing listing;
  if (!OpenRKListing(status, archivePath, listing)) return 0;
  EntryInfo entry{};
  int count = 0;
  while (NextRKEntry(listing, "*", entry) == 0) ++count;
  CloseListing(listing);
  return count;
}

}  // namespace qvr
