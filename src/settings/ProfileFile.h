// Profile files (QvrArc.ini, DllStatus.ini) with the semantics of the Windows profile
// functions the program was designed on: case-insensitive section and key names, values
// trimmed and unquoted, the first matching key wins, the file created by the first write.
// A write replaces the whole file atomically, keeping every other line as it was.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvr::profile {

// True when a regular file of that path exists.
bool FileExists(const std::string& path);

// The value of section/key, trimmed and with enclosing quotes removed, cut to at most
// 255 bytes at a UTF-8 character boundary; nullopt when the file, section or key is missing.
std::optional<std::string> ReadString(const std::string& path, std::string_view section,
                                      std::string_view key);

// The value parsed as GetPrivateProfileInt parses it (leading blanks, sign, decimal digits
// up to the first other character; no digits = 0). A missing or empty value, or one outside
// -32768..32767, gives the default.
int16_t ReadInt(const std::string& path, std::string_view section, std::string_view key,
                int16_t defaultValue);

// Writes key=value into the section, creating file and section when missing. Line breaks
// in the value end it (they would break the file). False when the file could not be replaced.
bool WriteString(const std::string& path, std::string_view section, std::string_view key,
                 std::string_view value);

struct Write {
  std::string section, key, value;
};
// The writes in their order, as WriteString would make them one by one, with one
// replacement of the file (one flush to disk instead of one per key). Without flush the
// file is still replaced atomically but not forced to disk: for caches that are rebuilt
// when lost.
bool WriteStrings(const std::string& path, const std::vector<Write>& writes, bool flush = true);

// Replaces the file's content atomically (a temporary file beside it, rename), keeping the
// file's permissions; with flush the content is forced to disk first. False when the file
// could not be replaced.
bool ReplaceFile(const std::string& path, const std::string& content, bool flush = true);

}  // namespace qvr::profile
