// The pre-scan before an extraction run: checks every entry of the file list (exists, holds
// every part of its volume set, is an archive a present library accepts, fits on the
// destination's file system), writes each
// failure to the error log Log.txt, removes the failed entries from the list for good and
// asks whether to go on when something failed.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "ArchiverDLL_List.h"  // GroupDigits, the one digit grouping
#include "ErrorLog.h"

namespace qvr {

class MainWindowPort;
class ArchiverDLL_Inspect;
class RunReport;

struct PreScanResult {
  int errorCount = 0;  // each removed entry and a disk-size error count one
  bool continueRun = true;
};

// singleDestination: every archive of the run goes to destFolder (any destination but the
// archive's own folder). A volume set with a part missing or cut short is removed with the
// others; report, when given, gets its row naming the part.
PreScanResult PreScan(MainWindowPort& window, ArchiverDLL_Inspect& inspect, bool singleDestination,
                      const std::string& destFolder, RunReport* report = nullptr);

// Free bytes for a new file under the folder; nullopt when they cannot be learnt. The folder
// need not exist yet: its nearest existing parent is asked. Tests replace the probe to stand
// for a full file system (nullptr puts std::filesystem::space back).
std::optional<uint64_t> FreeSpaceOf(const std::string& folder);
void SetFreeSpaceProbe(std::function<std::optional<uint64_t>(const std::string&)> probe);

// Opens Log.txt with its associated program (the menu's "show the error log").
void ShowErrorLog(void* ownerWindow);

}  // namespace qvr
