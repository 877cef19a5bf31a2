#include "ArgSplitter.h"

#include <fstream>
#include <iterator>
#include <string_view>

#include "ArcErrors.h"

namespace qvr::arc {

namespace {

bool IsWildcard(char c) {
  return c == '*' || c == '?';
}

}  // namespace

Name::Name(std::string name)
    : text(std::move(name)), pattern(text.find_first_of("*?") != std::string::npos) {}

std::vector<std::string> NameTexts(const std::vector<Name>& names) {
  std::vector<std::string> texts;
  texts.reserve(names.size());
  for (const Name& n : names) texts.push_back(n.text);
  return texts;
}

std::vector<Arg> SplitCommandLine(const std::string& line) {
  std::vector<Arg> args;
  Arg cur;
  bool inArg = false, inQuote = false;
  for (char c : line) {
    if (c == '"') {
      inQuote = !inQuote;
      if (!inArg) cur.quoted = true;
      inArg = true;
    } else if ((c == ' ' || c == '\t' || c == '\r' || c == '\n') && !inQuote) {
      if (inArg) args.push_back(cur);
      cur = Arg{};
      inArg = false;
    } else {
      if (!inQuote && IsWildcard(c)) cur.pattern = true;
      cur.text += c;
      inArg = true;
    }
  }
  if (inArg) args.push_back(cur);
  return args;
}

bool ReadResponseFile(const std::string& path, std::vector<Name>& names) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) content.erase(0, 3);  // UTF-8 mark
  size_t start = 0;
  while (start <= content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Blanks around the line go; blanks inside the quotes are part of the name.
    start = end + 1;
    size_t lead = line.find_first_not_of(" \t");
    if (lead == std::string::npos) continue;
    size_t last = line.find_last_not_of(" \t");
    Name name;
    bool inQuote = false;
    for (char c : line.substr(lead, last + 1 - lead)) {
      if (c == '"') {
        inQuote = !inQuote;
        continue;
      }
      if (!inQuote && IsWildcard(c)) name.pattern = true;
      name.text += c;
    }
    if (!name.text.empty()) names.push_back(name);
  }
  return true;
}

// "@list" names a response file. A quoted argument is one only when a full path follows the
// "@" (the program always names its list files so): a quoted "@name" is a file of that name.
static bool IsResponseFile(const Arg& a) {
  if (a.text.size() < 2 || a.text[0] != '@') return false;
  return !a.quoted || a.text[1] == '/';
}

int32_t SortArguments(const std::vector<Arg>& args, int commandWords, ParsedArgs& out) {
  for (const Arg& a : args) {
    if (a.text.empty()) continue;
    if (a.text[0] == '-' && !a.quoted) {
      out.switches.push_back(a.text);
    } else if (static_cast<int>(out.words.size()) < commandWords) {
      out.words.push_back(a.text);
    } else if (out.archive.empty()) {
      out.archive = a.text;
    } else if (a.text.back() == '/') {
      out.folder = a.text;
    } else if (IsResponseFile(a)) {
      if (!ReadResponseFile(a.text.substr(1), out.names)) return ERROR_RESPONSE_READ;
    } else {
      out.names.emplace_back(a.text, a.pattern);
    }
  }
  return kOk;
}

static bool MatchFrom(const char* p, const char* s) {
  // Iterative matcher with one backtrack point: linear in practice, no recursion depth.
  const char* starP = nullptr;
  const char* starS = nullptr;
  while (*s) {
    if (*p == '*') {
      starP = p++;
      starS = s;
    } else if (*p == '?' || *p == *s) {
      ++p;
      ++s;
    } else if (starP) {
      p = starP + 1;
      s = ++starS;
    } else {
      return false;
    }
  }
  while (*p == '*') ++p;
  return *p == '\0';
}

bool MatchWildcard(const std::string& pattern, const std::string& path) {
  if (pattern == "*" || pattern == "*.*") return true;
  return MatchFrom(pattern.c_str(), path.c_str());
}

bool IsSelected(const std::vector<Name>& names, const std::string& path) {
  if (names.empty()) return true;
  std::string bare = path;
  if (!bare.empty() && bare.back() == '/') bare.pop_back();
  for (const Name& name : names) {
    if (name.pattern) {
      if (MatchWildcard(name.text, path) || MatchWildcard(name.text, bare)) return true;
      continue;
    }
    std::string_view n = name.text;
    while (n.size() > 1 && n.back() == '/') n.remove_suffix(1);
    if (bare == n || (bare.size() > n.size() && bare.starts_with(n) && bare[n.size()] == '/')) {
      return true;
    }
  }
  return false;
}

}  // namespace qvr::arc
