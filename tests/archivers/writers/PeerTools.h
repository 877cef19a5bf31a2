// Helpers for checking our archives with independent tools and with our own reading side: a
// sample tree of awkward names, running a peer program without a shell or a command line through
// one of our plugins, and reading back what was extracted.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qvr::test {

// Relative path -> content for files; folders end in "/" and map to "".
using Tree = std::map<std::string, std::string>;

struct ToolRun {
  int exitCode = -1;
  std::string output;  // standard output and error together
};

// Runs argv[0] (searched in PATH) with its standard output going to stdoutFile when given.
ToolRun RunTool(const std::vector<std::string>& argv, const std::string& stdoutFile = "");
bool HaveTool(const std::string& name);

// Writes the sample tree under root: text, binary, 0-byte, Japanese and blank-holding names,
// nested and empty folders, one hidden file. Returns what it wrote.
Tree MakeSampleTree(const std::string& root);
// The files (and, when asked, folders) under root.
Tree ReadTree(const std::string& root, bool withFolders = true);
// The tree without folder entries and, when asked, without hidden files.
Tree FilesOnly(const Tree& tree, bool withHidden = true);
// Keys stripped of their folders (a flat archive's view).
Tree Flattened(const Tree& tree);
// Prefixes every key with folder + "/".
Tree Under(const std::string& folder, const Tree& tree);

// Extracts the archive into dest with the named peer ("unzip", "7zz", "bsdtar", "unar",
// "cabextract", "lhasa", "tar" for GNU tar) and returns the extracted tree; the exit code lands in
// *exitCode.
Tree ExtractWith(const std::string& tool, const std::string& archive, const std::string& dest,
                 int* exitCode);
// Entry names as the peer lists them (7zz -slt, bsdtar -t, unzip -Z1, lsar).
std::vector<std::string> ListWith(const std::string& tool, const std::string& archive);

// A command line run through the command entry of one of our plugins in the build's bin folder.
struct Call {
  int32_t code = -1;
  std::string report;
};
// With a password, the library's password callback answers it to its first question and
// declines the next (an answer that proved wrong); without one no callback is set.
Call CallLibrary(const std::string& library, const std::string& prefix, const std::string& line,
                 const std::optional<std::string>& password = std::nullopt);

// Extracts the archive into dest with our reading side (the library its extension names) and
// returns the extracted tree; a failing library fails the test.
Tree ExtractWithOurs(const std::string& archive, const std::string& dest,
                     const std::optional<std::string>& password = std::nullopt);

}  // namespace qvr::test
