// The command-line rules shared by every library: splitting, switches, the archive, the
// folder, response files and wildcards. Each library's dialect works on the result.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qvr::arc {

// Splits at blanks; a double quote starts or ends a quoted run anywhere in an argument
// ("dir/"name is the one argument dir/name). `quoted` tells that the argument began with a
// quote, so that a quoted "-name" stays a name while -jb"a/b" is still a switch. `pattern`
// tells that a "*" or "?" stood outside the quotes: only such a one is a wildcard.
struct Arg {
  std::string text;
  bool quoted = false;
  bool pattern = false;
};
std::vector<Arg> SplitCommandLine(const std::string& line);

// A file or entry name of a command line. A pattern matches entry paths by its "*" and "?";
// any other name is one entry's path exactly (or a folder with what lies below it), its "*",
// "?" and "[" being characters of the name. A "*" written inside double quotes is such a
// name: the quoted "*" selects the entry called "*" alone, a bare * every entry.
struct Name {
  std::string text;
  bool pattern = false;
  Name() = default;
  Name(std::string name, bool isPattern) : text(std::move(name)), pattern(isPattern) {}
  // A name written without quotes: a pattern when it holds "*" or "?".
  Name(std::string name);                              // NOLINT: a bare name converts
  Name(const char* name) : Name(std::string(name)) {}  // NOLINT
};

// The arguments sorted by role. Switches keep their leading "-".
struct ParsedArgs {
  std::vector<std::string> switches;
  std::vector<std::string> words;  // leading non-switch words a dialect takes as its command
  std::string archive;
  std::string folder;       // ends with "/" when given; "" when none
  std::vector<Name> names;  // file names and wildcards, response files expanded
};

// Sorts `args` (already split). The first `commandWords` non-switch arguments are kept in
// `words` (a dialect whose command is a word such as "x" passes 1). Returns 0 or
// ERROR_RESPONSE_READ when a response file cannot be read.
int32_t SortArguments(const std::vector<Arg>& args, int commandWords, ParsedArgs& out);

// The texts of the names, for the commands that take them as files on disk.
std::vector<std::string> NameTexts(const std::vector<Name>& names);

// Reads a response file: one name per line, quoted or not, CR LF or LF, UTF-8; a "*" or
// "?" inside the line's quotes is part of the name, as on the command line.
bool ReadResponseFile(const std::string& path, std::vector<Name>& names);

// "*" and "?" against an entry path; "*" and "*.*" match every entry.
bool MatchWildcard(const std::string& pattern, const std::string& path);

// True when `path` is selected by `names` (every entry when `names` is empty). A name that is
// no pattern selects the entry of exactly that path and what lies below it ("docs" and
// "docs/" select "docs/notes.txt"); a pattern matches the path with or without its "/".
bool IsSelected(const std::vector<Name>& names, const std::string& path);

}  // namespace qvr::arc
