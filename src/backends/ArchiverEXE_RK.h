// rk: its version text, the integrity test, the RK listing and the entry count, read from
// the tool's printed output.
#pragma once

#include <cstdint>
#include <string>

#include "ArchiverDLL.h"
#include "ToolListing.h"

namespace qvr {

struct LibraryStatus;

enum RKTestResult { kRKTestOK = 1, kRKTestFailed = 2, kRKTestMissing = 3 };

// The version from the banner's first line, or "Failed" when rk gave no usable banner.
std::string RKVersionText(const LibraryStatus& status);
// 1 = passed rk's integrity test, 2 = did not, 3 = the archive does not exist.
int RKTest(const LibraryStatus& status, const std::string& archivePath);
// Lists the archive into FileList.tmp and opens it; false when the tool failed (FileList.tmp
// is then left as it was).
bool OpenRKListing(const LibraryStatus& status, const std::string& archivePath,
                   ToolListing& listing);
// 0 = the entry's FileName and OriginalSize were filled, 1 = no more entries.
int NextRKEntry(ToolListing& listing, const std::string& wildcard, EntryInfo& entry,
                uint64_t* originalSize64 = nullptr);
// The number of entries of the RK listing; 0 when it fails.
int RKEntryCount(const LibraryStatus& status, const std::string& archivePath);

}  // namespace qvr
