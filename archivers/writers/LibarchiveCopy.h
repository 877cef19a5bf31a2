// Shared steps of the writers built on libarchive: writing one file or folder from disk and
// copying the entries of an old archive into the new one.
#pragma once

#include <archive.h>
#include <archive_entry.h>

#include <cstdint>
#include <functional>
#include <string>

#include "SourceList.h"
#include "WriteResult.h"

namespace qvr::writers {

// Writes the item's header and data; *done counts the source bytes for progress.
WriteResult WriteDiskItem(struct archive* out, const AddItem& item, uint64_t* done,
                          const Progress& progress);

// Copies every entry of the readable archive `in` for which keep(name) is true; a name of a
// folder ends in "/". An encrypted entry or a damaged archive fails, naming the archive.
WriteResult CopyArchiveEntries(struct archive* in, struct archive* out, const std::string& inPath,
                               const std::function<bool(const std::string&)>& keep, uint64_t* done,
                               const Progress& progress, size_t* copied = nullptr);

// The error code and report of a libarchive writer failure.
WriteResult WriterFailure(struct archive* out, const std::string& archivePath);

}  // namespace qvr::writers
