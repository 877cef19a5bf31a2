// The command-line rules shared by every library: splitting, switches, the archive, the
// folder, response files and wildcards. Each library's dialect works on the result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvr::arc {

// Splits at blanks; a double quote starts or ends a quoted run anywhere in an argument
// ("dir/"name is the one argument dir/name). `quoted` tells that the argument began with a
// quote, so that a quoted "-name" stays a name while -jb"a/b" is still a switch.
struct Arg {
  std::string text;
  bool quoted = false;
};
std::vector<Arg> SplitCommandLine(const std::string& line);

// The arguments sorted by role. Switches keep their leading "-".
struct ParsedArgs {
  std::vector<std::string> switches;
  std::vector<std::string> words;  // leading non-switch words a dialect takes as its command
  std::string archive;
  std::string folder;              // ends with "/" when given; "" when none
  std::vector<std::string> names;  // file names and wildcards, response files expanded
};

// Sorts `args` (already split). The first `commandWords` non-switch arguments are kept in
// `words` (a dialect whose command is a word such as "x" passes 1). Returns 0 or
// ERROR_RESPONSE_READ when a response file cannot be read.
int32_t SortArguments(const std::vector<Arg>& args, int commandWords, ParsedArgs& out);

// Reads a response file: one name per line, quoted or not, CR LF or LF, UTF-8.
bool ReadResponseFile(const std::string& path, std::vector<std::string>& names);

// "*" and "?" against an entry path; "*" and "*.*" match every entry.
bool MatchWildcard(const std::string& pattern, const std::string& path);

// True when `path` is selected by `names` (every entry when `names` is empty). A plain name
// also selects what lies below it ("docs" selects "docs/notes.txt").
bool IsSelected(const std::vector<std::string>& names, const std::string& path);

}  // namespace qvr::arc
