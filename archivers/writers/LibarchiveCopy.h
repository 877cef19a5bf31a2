// Shared steps of the writers built on libarchive: writing one file or folder from disk.
#pragma once

#include <archive.h>
#include <archive_entry.h>

#include <cstdint>
#include <string>

#include "SourceList.h"
#include "WriteResult.h"

namespace qvr::writers {

// Writes the item's header and data; *done counts the source bytes for progress.
WriteResult WriteDiskItem(struct archive* out, const AddItem& item, uint64_t* done,
                          const Progress& progress);

// The error code and report of a libarchive writer failure.
WriteResult WriterFailure(struct archive* out, const std::string& archivePath);

}  // namespace qvr::writers
