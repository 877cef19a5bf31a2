// 7Z writing through libarchive's 7-Zip writer. Updating or deleting decodes the old archive's
// entries and writes them anew (a 7Z folder is one solid stream; its parts cannot be copied).
#pragma once

#include <string>
#include <vector>

#include "SourceList.h"
#include "WriteResult.h"

namespace qvr::writers {

struct SevenZipOptions {
  int level = 5;  // 0 stores
  // libarchive writes one solid LZMA2 stream with a compressed header and offers no branch
  // filter; the switches are taken and have no further effect.
  bool solid = true;
  bool filter = true;
  bool headerCompression = true;
  bool fullHeaderCompression = true;
  Progress progress;
};

WriteResult SevenZipAdd(const std::string& archivePath, const std::vector<AddItem>& items,
                        const SevenZipOptions& options);
WriteResult SevenZipDelete(const std::string& archivePath, const std::vector<std::string>& patterns,
                           const Progress& progress = {});

}  // namespace qvr::writers
