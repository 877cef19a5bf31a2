// The test run ("検査(T)"): every archive of the list through its library's test command
// (every entry's data read and its checks made, nothing written), with the run's progress
// and passwords. The list keeps every entry; the end shows the report of every archive
// (passed, or failed at which entry and why), whose lines also go to Log.txt.
#pragma once

#include "ExtractArchives.h"

namespace qvr {

// Tests every entry present at the start; returns how many passed. Panel 1 ends with the
// counts ("3個の書庫を検査しました（1個異常）"), or says the run was stopped.
int TestArchives(const ExtractRun& run);

}  // namespace qvr
