// CAB writing through libgcab: MSZIP or stored, one CAB folder. Adding to an existing cabinet
// reads its entries (through libarchive) and writes them again with the new ones.
#pragma once

#include <string>
#include <vector>

#include "SourceList.h"
#include "WriteResult.h"

namespace qvr::writers {

// libgcab writes no LZX; an LZX request is written as MSZIP.
enum class CabCompression { Stored, MsZip };

struct CabOptions {
  CabCompression compression = CabCompression::MsZip;
  Progress progress;
};

// Adds the files (a cabinet stores no folder entries; folder items are left out); an entry of
// the same name is replaced. Files of 2 GiB or more do not fit a cabinet and fail.
WriteResult CabAdd(const std::string& archivePath, const std::vector<AddItem>& items,
                   const CabOptions& options);

}  // namespace qvr::writers
