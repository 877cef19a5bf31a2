// yz2dec: its version text and the YZ2 listing, read from the tool's printed output.
#pragma once

#include <cstdint>
#include <string>

#include "ArchiverDLL.h"
#include "ToolListing.h"

namespace qvr {

struct LibraryStatus;

// The version from the banner's third line, or "Failed" when yz2dec gave no banner.
std::string YZ2VersionText(const LibraryStatus& status);
// Lists the archive into FileList.tmp and opens it; false when the tool failed (FileList.tmp
// is then left as it was).
bool OpenYZ2Listing(const LibraryStatus& status, const std::string& archivePath,
                    ToolListing& listing);
// 0 = the entry's FileName and OriginalSize were filled, 1 = no more entries. The size
// beyond 32 bits is stored in originalSize64 when given.
int NextYZ2Entry(ToolListing& listing, const std::string& wildcard, EntryInfo& entry,
                 uint64_t* originalSize64 = nullptr);

}  // namespace qvr
