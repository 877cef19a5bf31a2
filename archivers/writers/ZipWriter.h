// Our own ZIP writer: creates, updates and deletes. Entries that stay are copied from the old
// archive as they are (header and compressed data), so adding one small file to a large
// archive costs a copy, never a recompression.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ArgSplitter.h"
#include "SourceList.h"
#include "WriteResult.h"
#include "ZipDirectory.h"

namespace qvr::writers {

enum class ZipMethod { Stored, Deflate, BZip2 };

struct ZipOptions {
  ZipMethod method = ZipMethod::Deflate;
  int level = 6;           // 0 stores
  bool onlyNewer = false;  // replace an entry only when the file is newer than it
  // Set: the entries added are encrypted with it (AES-256); the entries kept stay as they are.
  std::optional<std::string> password;
  // Not 0: a new split archive of parts this long (x.z01 ... x.zip); an archive there is replaced.
  uint64_t volumeSize = 0;
  Progress progress;
};

// Adds the items to the archive (created when missing); an entry of the same name is replaced.
WriteResult ZipAdd(const std::string& archivePath, const std::vector<AddItem>& items,
                   const ZipOptions& options);

// Removes the entries the names select (arc::IsSelected: an exact name is that entry and,
// for a folder, everything under it; a pattern its matches). Fails with ERROR_NOT_FIND_FILE
// when nothing is selected.
WriteResult ZipDelete(const std::string& archivePath, const std::vector<arc::Name>& names,
                      const Progress& progress = {});

// The records our writer puts in a ZIP's central directory and at its end (thisDisk and
// cdDisk for the parts of a split archive, 0 for a whole one).
std::string ZipCentralRecord(const arc::ZipEntryRecord& e);
std::string ZipEndRecords(uint64_t count, uint64_t cdOffset, uint64_t cdSize,
                          const std::string& comment, uint32_t thisDisk = 0, uint32_t cdDisk = 0);

}  // namespace qvr::writers
