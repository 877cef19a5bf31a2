// Our own ZIP writer: creates, updates and deletes. Entries that stay are copied from the old
// archive as they are (header and compressed data), so adding one small file to a large
// archive costs a copy, never a recompression.
#pragma once

#include <string>
#include <vector>

#include "SourceList.h"
#include "WriteResult.h"

namespace qvr::writers {

enum class ZipMethod { Stored, Deflate, BZip2 };

struct ZipOptions {
  ZipMethod method = ZipMethod::Deflate;
  int level = 6;           // 0 stores
  bool onlyNewer = false;  // replace an entry only when the file is newer than it
  Progress progress;
};

// Adds the items to the archive (created when missing); an entry of the same name is replaced.
WriteResult ZipAdd(const std::string& archivePath, const std::vector<AddItem>& items,
                   const ZipOptions& options);

// Removes the entries matching any of the patterns (exact names or wildcards; a folder name
// takes everything under it too). Fails with ERROR_NOT_FIND_FILE when nothing matches.
WriteResult ZipDelete(const std::string& archivePath, const std::vector<std::string>& patterns,
                      const Progress& progress = {});

// True when the entry name matches a delete pattern.
bool MatchesDeletePattern(const std::string& pattern, const std::string& entryName);

}  // namespace qvr::writers
