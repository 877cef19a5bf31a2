// Entry names as UTF-8 whatever the process locale: valid UTF-8 is taken as it is, any
// other name is decoded from the code page the host chose for the thread's calls, else from
// CP932, the code page of archives made on Japanese Windows.
#pragma once

#include <locale.h>

#include <cstdint>
#include <string>

namespace qvr::arc {

// Puts the calling thread in the C.UTF-8 locale for its lifetime, so that libarchive's
// conversions and our own never depend on the host's locale.
class LocaleScope {
 public:
  LocaleScope();
  ~LocaleScope();
  LocaleScope(const LocaleScope&) = delete;
  LocaleScope& operator=(const LocaleScope&) = delete;

 private:
  locale_t previous_ = nullptr;
};

// What the archive says of a name's encoding: ZIP has a flag for UTF-8, most formats none.
enum class NameFlag { Unknown, Utf8, NotUtf8 };

// Raw name bytes to UTF-8 ("\" separators become "/"). Undecodable bytes become U+FFFD. A
// name flagged UTF-8 is taken as it is; without a flag valid UTF-8 is too; a name the archive
// says is not UTF-8 is decoded from a code page the host chose even where its bytes happen to
// be valid UTF-8 (CP866's "Ё" and the letters after it can be).
std::string DecodeEntryName(const std::string& raw, NameFlag flag = NameFlag::Unknown);

// The code page of the names that are not UTF-8 for this thread's later calls (the host's
// PSetNameCodePage); "" decodes them from CP932.
void SetNameCodePage(const std::string& codePage);
// The code page chosen for this thread ("" when none was).
const std::string& ChosenNameCodePage();
// The code page a name that is not UTF-8 is decoded from: the chosen one, else CP932.
const std::string& NameCodePageOf(const std::string& chosen);

// Decodes the names of one archive handle with its chosen code page ("" for none) while it
// lives, whatever the thread's; tells whether any of them was a guess (not flagged UTF-8 and
// not ASCII, or not valid UTF-8).
class CodePageScope {
 public:
  explicit CodePageScope(const std::string& codePage);
  ~CodePageScope();
  CodePageScope(const CodePageScope&) = delete;
  CodePageScope& operator=(const CodePageScope&) = delete;
  bool guessed() const;

 private:
  std::string previous_;
  uint64_t guessesBefore_;
};

// Undoes a Latin-1 to UTF-8 widening: each code point below 256 back to its byte. Returns
// false when the text holds a code point above 255 (it was not widened Latin-1).
bool NarrowLatin1(const std::string& utf8, std::string& raw);

}  // namespace qvr::arc
