#include "PreScan.h"

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "ArchiverDLL_Inspect.h"
#include "DateTimeText.h"
#include "ExtractArchives.h"
#include "MainWindowPort.h"
#include "PathHelpers.h"
#include "RunReport.h"
#include "Settings.h"
#include "Translate.h"
#include "VolumeSet.h"
#include "WorkerPool.h"
#include "cExecute.h"

namespace qvr {
namespace fs = std::filesystem;
namespace {

std::function<std::optional<uint64_t>(const std::string&)>& FreeSpaceProbe() {
  static std::function<std::optional<uint64_t>(const std::string&)> probe;
  return probe;
}

std::optional<uint64_t> FileSystemSpace(const std::string& folder) {
  // A destination that does not exist yet is made by the libraries later; the file system
  // that will hold it is the one of its nearest existing parent.
  std::error_code ec;
  fs::path probe = fs::absolute(fs::path(folder.empty() ? "." : folder), ec);
  while (!probe.empty() && !fs::exists(probe, ec)) {
    if (probe == probe.parent_path()) break;
    probe = probe.parent_path();
  }
  fs::space_info info = fs::space(probe, ec);
  if (ec || info.available == static_cast<std::uintmax_t>(-1)) return std::nullopt;
  return uint64_t(info.available);
}

// The log line of a failed extension check; "" for a result that lets the entry pass.
std::string CheckFailureLine(int16_t code, const std::string& path) {
  switch (code) {
    case kCheckNoLibrary:
      return path + " : Archiver DLL is not Exist!";
    case kCheckRejected:
      return path + " is Abnormal Archive or Broken!";
    case kCheckUnZipTooOld:
      return "UnZip32.DLL Version is low!";
    case kCheckYz1Password:
      return path + " is protected by Password!(Yz1)";
    case kCheckUnknownExtension:
      return path + " is not Archive!";
    case kCheckExeUnknown:
      return path + " is not Self-Extracter EXE File Or don't have DLL!";
    case kCheckInternal:
      return path + " : Internal Error.";
    default:
      return "";
  }
}

// First pass: entries whose file is gone.
int RemoveMissing(MainWindowPort& window, ErrorLog& log) {
  int errors = 0;
  for (int i = 0; i < window.listCount();) {
    std::string path = window.listItem(i);
    if (IsExistingFile(path)) {
      ++i;
      continue;
    }
    log.Line(path + " is not Exist!!");
    window.listRemove(i);  // the next entry takes this index
    ++errors;
  }
  return errors;
}

// Volume sets with a part missing or cut short: nothing of them is extracted.
int RemoveBrokenSets(MainWindowPort& window, ErrorLog& log, RunReport* report) {
  int errors = 0;
  for (int i = 0; i < window.listCount();) {
    std::string path = window.listItem(i);
    VolumeSetProblem problem = CheckVolumeSet(path);
    if (problem.part.empty()) {
      ++i;
      continue;
    }
    log.Line(problem.part + (problem.short_ ? " is too short!!" : " is not Exist!!") +
             " (a part of " + path + ")");
    if (report) report->Add(FailedRow(path, VolumeSetReason(problem)));
    window.listRemove(i);
    ++errors;
  }
  return errors;
}

// One answer of the inspection for each entry of the list, the archives inspected several
// at once (GENERAL/Threads), each worker with its own copy of the inspection (it keeps the
// type text of the archive it read last).
template <class Answer>
std::vector<Answer> InspectEach(MainWindowPort& window, const ArchiverDLL_Inspect& inspect,
                                const std::vector<std::string>& paths,
                                Answer (ArchiverDLL_Inspect::*ask)(const std::string&)) {
  std::vector<Answer> answers(paths.size());
  window.runResponsive([&] {
    RunOnWorkers(
        ArchiveWorkers(), paths.size(),
        [&](size_t i) {
          ArchiverDLL_Inspect own = inspect;
          answers[i] = (own.*ask)(paths[i]);
        },
        [] { return false; });
  });
  return answers;
}

// Second pass: entries the extension check refuses.
int RemoveRefused(MainWindowPort& window, const ArchiverDLL_Inspect& inspect, ErrorLog& log) {
  const std::vector<std::string> paths = ListEntries(window);
  const std::vector<int16_t> codes =
      InspectEach(window, inspect, paths, &ArchiverDLL_Inspect::CheckArchive);
  int errors = 0;
  int index = 0;  // the entry's place in the list as the failed ones before it go
  for (size_t i = 0; i < paths.size(); ++i) {
    std::string line = CheckFailureLine(codes[i], paths[i]);
    if (line.empty()) {
      ++index;
      continue;
    }
    log.Line(line);
    window.listRemove(index);
    ++errors;
  }
  return errors;
}

uint64_t TotalOriginalSize(MainWindowPort& window, const ArchiverDLL_Inspect& inspect) {
  uint64_t total = 0;
  for (uint64_t size :
       InspectEach(window, inspect, ListEntries(window), &ArchiverDLL_Inspect::OriginalSize))
    total += size;
  return total;
}

// The free-space test; true when the contents do not fit.
bool DiskTooSmall(MainWindowPort& window, const ArchiverDLL_Inspect& inspect,
                  const std::string& destFolder) {
  uint64_t total = TotalOriginalSize(window, inspect);
  std::optional<uint64_t> free = FreeSpaceOf(destFolder);
  // Equal counts as too small: the file system would be left with nothing.
  if (free && *free <= total) return true;
  window.setPanelText(3, GroupDigits(total) + " Bytes");
  return false;
}

}  // namespace

std::optional<uint64_t> FreeSpaceOf(const std::string& folder) {
  if (FreeSpaceProbe()) return FreeSpaceProbe()(folder);
  return FileSystemSpace(folder);
}

void SetFreeSpaceProbe(std::function<std::optional<uint64_t>(const std::string&)> probe) {
  FreeSpaceProbe() = std::move(probe);
}

PreScanResult PreScan(MainWindowPort& window, ArchiverDLL_Inspect& inspect, bool singleDestination,
                      const std::string& destFolder, RunReport* report) {
  ErrorLog log;
  log.Line("...Extract Start on " + DateTimeText(std::time(nullptr)));

  PreScanResult result;
  window.setPanelText(1, Tr("PreScan", "書庫のチェック中."));
  result.errorCount += RemoveMissing(window, log);
  result.errorCount += RemoveBrokenSets(window, log, report);
  window.setPanelText(1, Tr("PreScan", "書庫のチェック中.."));
  result.errorCount += RemoveRefused(window, inspect, log);
  window.setPanelText(1, Tr("PreScan", "書庫のチェック中..."));

  bool diskError = false;
  if (!singleDestination) {
    window.setPanelText(3, "");
  } else if (DiskTooSmall(window, inspect, destFolder)) {
    log.Line("Disk Size Error");
    ++result.errorCount;
    diskError = true;
  }
  if (window.listCount() == 0) {
    window.setPanelText(3, "");
    diskError = false;  // nothing is left to extract, so there is nothing to fit
  }

  if (diskError) {
    result.continueRun = false;
  } else if (result.errorCount > 0) {
    MsgResult answer =
        window.messageBox(Tr("PreScan", "エラーが") + std::to_string(result.errorCount) +
                              Tr("PreScan", "あります。\r\n解凍を続行しますか？"),
                          MsgIcon::None, MsgButtons::YesNo);
    result.continueRun = answer == MsgResult::Yes;
  }
  return result;
}

void ShowErrorLog(void* ownerWindow) {
  cExecute runner;
  runner.ShellX(QuotePath(AppFile(kErrorLogFile)), kShowNormal, ownerWindow, false);
}

}  // namespace qvr
