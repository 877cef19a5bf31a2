// Entry names as UTF-8 whatever the process locale: valid UTF-8 is taken as it is, any
// other name is decoded from CP932, the code page of archives made on Japanese Windows.
#pragma once

#include <locale.h>

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

// Raw name bytes to UTF-8 ("\" separators become "/"). Undecodable bytes become U+FFFD.
std::string DecodeEntryName(const std::string& raw);

// Undoes a Latin-1 to UTF-8 widening: each code point below 256 back to its byte. Returns
// false when the text holds a code point above 255 (it was not widened Latin-1).
bool NarrowLatin1(const std::string& utf8, std::string& raw);

}  // namespace qvr::arc
