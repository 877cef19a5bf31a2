// Shared steps of the yz2dec and rk drivers: copying the entry lines of a listing into
// FileList.tmp, filling an entry record from a parsed line, and the text edits of the
// version banners.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ArchiverDLL.h"
#include "ToolListing.h"

namespace qvr::tooloutput {

// Skips the first 7 lines, then copies lines into FileList.tmp up to (not including) the
// end line; an empty line is copied and ends the copying; when the seventh line is empty
// nothing is copied.
bool WriteFileList(const std::vector<std::string>& lines, std::string_view endLine);

// Leading decimal digits after leading blanks, as Val reads them; saturates.
uint64_t LeadingNumber(std::string_view text);

// Stores the name (cut to the record's size at a UTF-8 character boundary) and the size.
void FillEntry(EntryInfo& entry, std::string_view name, uint64_t size, uint64_t* size64);

// True when the wildcard accepts the name ("*" and "*.*" accept every name).
bool Matches(const std::string& wildcard, const std::string& name);

std::string RemoveBlanks(std::string_view text);
std::string ReplaceAll(std::string text, std::string_view from, std::string_view to);

// Removes a work file of the application folder.
void DeleteWorkFile(const std::string& fileName);

}  // namespace qvr::tooloutput
