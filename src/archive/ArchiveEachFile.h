// Per-file archiving ("個別"): every file of the list into an archive of its own, in the
// format of cmbArcType, named after the file, in its own folder or the run's destination.
#pragma once

#include <string>

#include "ArchiveRun.h"

namespace qvr {

// The archive of one source: folder + "/" + the name without its extension + "." + format.
std::string EachFileArchivePath(const std::string& source, const std::string& formatWord,
                                bool useDestination, const std::string& destinationFolder);

// Archives every entry present at the start; returns the number of files archived.
int ArchiveEachFile(const ArchiveRun& run, bool useDestination,
                    const std::string& destinationFolder);

}  // namespace qvr
