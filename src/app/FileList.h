// The file list List1: what reaches it (command-line texts, dropped files and folders, list
// files), what leaves it (removal, filtering), its order (sort) and its status texts.
// Works through MainWindowPort only, so it runs against the real window and the fake alike.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qvr {

class ArchiverDLL_Inspect;
class MainWindowPort;

inline constexpr const char* kOriginalList = "original.lst";
inline constexpr const char* kLoadModeNew = "New";

// Description/pattern pairs of the list-file dialogs.
const std::vector<std::string>& ListFileFilter();

// The paths of a command-line text, trimmed: a path in double quotes may hold blanks,
// others end at a blank; a tail of fewer than 3 characters is no path. Empty paths are
// dropped.
std::vector<std::string> ParseArchiveList(std::string_view text);

// The absolute path as stored on disk: a relative path starts at the current folder, "."
// and ".." are resolved, each component is the name on disk (exact first, otherwise the one
// name that matches without regard to ASCII case). "" when any component cannot be found.
std::string NormalizePath(std::string_view path);

// Adds every file below the folder, depth first, in the order the file system lists them;
// hidden files too, folders never. A symbolic link to a folder is not followed (a link loop
// cannot trap the walk); an unreadable folder adds nothing. Returns the number added.
int WalkFolder(MainWindowPort& window, const std::string& folder);

// Adds one given path: a folder is walked (and remembered, MainWindowPort::listFolders), a
// file is added as its normalised path, a path that does not exist adds nothing. Returns
// the number added.
int AddPath(MainWindowPort& window, std::string_view path);

// The files of one volume set become one entry, the file that opens the set, where the first
// of them stood (a set's lone head stays as it is); returns how many entries went.
int GroupVolumeSets(MainWindowPort& window);

// Adds the paths of a command-line text (start-up and hand-off) and shows the "追加" text; the
// parts of a volume set become one entry (GroupVolumeSets), as in every way of adding below.
int AddArchiveList(MainWindowPort& window, std::string_view text);

// Adds dropped files and folders, deletes "original.lst" and shows the "追加" text.
// The caller decides the work mode again after it.
int AddDroppedFiles(MainWindowPort& window, const std::vector<std::string>& paths);

// The double click's facts of an entry: for an archive extension the catalogue lists, its
// entry count in panel 2 ("n個") and its total size in panel 3 ("#,#Bytes"), both empty when
// the count is unknown; for any other entry both panels are emptied. True for an archive
// (the viewer then shows it).
bool ShowArchiveFacts(MainWindowPort& window, ArchiverDLL_Inspect& inspect,
                      const std::string& entry);

// Removes the selected entries and shows the "消去" text. Returns the number removed.
int RemoveSelected(MainWindowPort& window);

// Panel 1 texts after adding and removing.
std::string AddedText(int count, int added);
std::string RemovedText(int count, int removed);

// Sorts by GENERAL/SORT: 0 full path, 1 folder part, 2 file-name part; any other value
// keeps the order. Stable, in byte order of the UTF-8 texts.
void SortFileList(MainWindowPort& window, int sortKey);

// Reads the list file and adds every line as it stands (empty lines too); mode "New"
// empties the list first, but only once the file has been read. False, with the list
// untouched, when the file cannot be read.
bool LoadFileList(MainWindowPort& window, const std::string& file, std::string_view mode);
// Writes every entry as one line ended by CR LF, replacing the file atomically.
bool SaveFileList(MainWindowPort& window, const std::string& file);

// The menu commands: dialog, load or save, and the panel 1 text.
void LoadFileListCommand(MainWindowPort& window);
void SaveFileListCommand(MainWindowPort& window);
// The chosen save name with ".txt" appended unless it ends in ".txt" or ".csv" (any case).
std::string WithListExtension(const std::string& name);

}  // namespace qvr
