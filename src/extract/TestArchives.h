// The test run ("検査(T)"): every archive of the list through its library's test command
// (every entry's data read and its checks made, nothing written), with the run's progress
// and passwords. The list keeps every entry; the end shows the report of every archive
// (passed, or failed at which entry and why), whose lines also go to Log.txt.
#pragma once

#include <string>
#include <vector>

#include "ExtractArchives.h"

namespace qvr {

// Tests the archives (the list's entries present at the start, or the viewer's archive);
// returns how many passed. Panel 1 ends with the counts ("3個の書庫を検査しました（1個異常）"),
// or says the run was stopped.
int TestArchives(const ExtractRun& run, const std::vector<std::string>& archives);

}  // namespace qvr
