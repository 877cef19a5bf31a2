// The list files handed to archiver libraries as response files ("@" + path): one path per
// line, each in double quotes, CR LF, UTF-8. Batch archiving writes addlist.tmp and
// addlist2.tmp here; the viewer and the folder-tree composer write theirs with the same code.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qvr {

inline constexpr const char* kAddListFile = "addlist.tmp";
inline constexpr const char* kAddList2File = "addlist2.tmp";

// False for a path that a command line or a list line cannot carry as it is: a double quote
// ends the quoted run and a line break ends the line, so either would turn one name into others.
bool CanCarryName(std::string_view path);

// The lines, each + CR LF, written to the file (replaced); false when it cannot be written
// completely. The caller quotes what needs quotes.
bool WriteListFile(const std::string& file, const std::vector<std::string>& lines);

// addlist.tmp: every path in double quotes. addlist2.tmp: derived from it line by line with
// the quotes removed: the full path for RK (rk reads bare paths), else the file name in quotes.
bool WriteAddLists(const std::string& folder, const std::vector<std::string>& paths, bool forRk);

}  // namespace qvr
