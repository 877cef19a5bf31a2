// Batch archiving ("一括"): every file of the list into one archive, named by the user, the
// sources handed to the library through the list files addlist.tmp / addlist2.tmp.
#pragma once

#include <string>
#include <vector>

#include "ArchiveRun.h"

namespace qvr {

// The archive's path: the output folder (the destination, or the first entry's folder) +
// "/" + the name; an empty name takes the first entry's name without its extension, and a
// name without an archive extension gets the format word as its extension.
std::string AllInOneArchivePath(const std::string& firstEntry, const std::string& formatWord,
                                bool useDestination, const std::string& destinationFolder,
                                const std::string& archiveName);

// The folder the names of a "一括" archive are relative to (ending in "/"): the deepest
// folder common to the sources' own folders, where a source inside a folder given to the
// list (MainWindowPort::listFolders) counts by that folder's parent, so the folder keeps its
// own name as the archive's top folder. Files of one folder keep their bare names.
std::string BaseFolder(const std::vector<std::string>& sources,
                       const std::vector<std::string>& listFolders);

// The path a source is stored under: relative to the base folder, or its file name alone
// when the base is "" (a library that stores names without folders).
std::string StoredName(const std::string& source, const std::string& base);

// Sources of different paths that would be stored under one name. Every such path, in
// list order.
std::vector<std::string> CollidingNames(const std::vector<std::string>& sources,
                                        const std::string& base);

// Archives every entry present at the start into one archive; returns the number of
// entries archived (0 when the archive was not made). On success the list holds the
// archive instead of the entries; on failure it stays as it was.
int ArchiveAllInOne(const ArchiveRun& run, bool useDestination,
                    const std::string& destinationFolder, const std::string& archiveName);

}  // namespace qvr
