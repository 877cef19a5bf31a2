// List filtering: narrow List1 to the entries whose name or extension contains (or does not
// contain) keywords, keep the unfiltered list in "original.lst" for the release, and
// remember the keywords typed in two history files.
#pragma once

#include <string>
#include <vector>

namespace qvr {

class MainWindowPort;

inline constexpr const char* kFilterNameHistory = "FilterName.hst";
inline constexpr const char* kFilterExtHistory = "FilterExt.hst";

// The keywords of a box's text: none for "", otherwise the text split at every blank
// (two blanks in a row give an empty keyword, which occurs in every text).
std::vector<std::string> SplitKeywords(const std::string& text);

// True when a name keyword occurs in the entry without its extension (folder part
// included) or an extension keyword occurs in its extension. An entry whose file name has
// no "." has the empty extension. Case and width count.
bool FilterMatches(const std::string& entry, const std::vector<std::string>& nameKeys,
                   const std::vector<std::string>& extKeys);

// Removes the matching entries (notInclude) or the entries that do not match.
void ApplyFilter(MainWindowPort& window, const std::string& nameText, const std::string& extText,
                 bool notInclude);

// "適用": saves the unfiltered list first when no filter is in force, filters, remembers
// the texts. Returns the new filter state (true).
bool FilterExecute(MainWindowPort& window, const std::string& nameText, const std::string& extText,
                   bool notInclude, bool filterOn);
// "解除": brings back "original.lst"; when it is gone the current list stays. Returns the
// new filter state (false).
bool FilterRelease(MainWindowPort& window);

// The lines of a history file of the application folder, in file order.
std::vector<std::string> ReadHistory(const std::string& file);
// Appends the text unless it is empty or already one of the lines.
void AddToHistory(const std::string& file, const std::string& text);

}  // namespace qvr
