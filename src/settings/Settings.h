// Settings access over the profile files of the application folder (QvrArc.ini for the
// user's settings, DllStatus.ini for the library status). Values are read at the moment
// of use; nothing here keeps a copy that could miss another window's or process's write.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ProfileFile.h"

namespace qvr {

inline constexpr const char* kQvrArcIni = "QvrArc.ini";

// Writes the value; file and section are created when missing. Failures are not reported.
void WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value);
// Several writes to one file in their order, replacing the file once (see
// profile::WriteStrings for flush).
void WriteIniStrings(const std::string& file, const std::vector<profile::Write>& writes,
                     bool flush = true);
// "" when the file does not exist; otherwise the value (default "") followed by NUL
// characters up to 256 bytes, as the profile API fills its buffer. Pass it through CutAtNull.
std::string GetIniString(const std::string& file, const std::string& section,
                         const std::string& key);
// The value, or the default when the file or the key is missing; already cut at NUL.
std::string GetIniStringDef(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& defaultValue);
// 0 when the file or the key is missing.
int16_t GetIniInt(const std::string& file, const std::string& section, const std::string& key);
// The default when the file or the key is missing or the value lies outside 16 bits.
int16_t GetIniIntDef(const std::string& file, const std::string& section, const std::string& key,
                     int16_t defaultValue);
// The text before the first NUL; "" for a text without NUL.
std::string CutAtNull(std::string_view text);

// Full path of a file of the application folder.
std::string AppFile(const std::string& file);

}  // namespace qvr
