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

// Sources whose file names are equal although their paths differ: a library that stores
// names without folders would keep only one of each. Every such path, in list order.
std::vector<std::string> CollidingNames(const std::vector<std::string>& sources);

// Archives every entry present at the start into one archive; returns the number of
// entries archived (0 when the archive was not made). On success the list holds the
// archive instead of the entries; on failure it stays as it was.
int ArchiveAllInOne(const ArchiveRun& run, bool useDestination,
                    const std::string& destinationFolder, const std::string& archiveName);

}  // namespace qvr
