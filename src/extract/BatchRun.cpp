#include "BatchRun.h"

#include "ArchiverDLLStatus.h"
#include "ArchiverDLL_Inspect.h"
#include "MainWindowPort.h"
#include "PathHelpers.h"
#include "PreScan.h"
#include "RunPasswords.h"
#include "RunProgress.h"
#include "RunReport.h"
#include "Settings.h"
#include "Translate.h"

namespace qvr {
namespace {

int16_t IniInt(const char* section, const char* key) {
  return GetIniInt(kQvrArcIni, section, key);
}

std::string IniText(const char* section, const char* key) {
  return CutAtNull(GetIniString(kQvrArcIni, section, key));
}

Destination OwnFolder(const BatchRun& run) {
  Destination d;
  d.kind = DestinationKind::OwnFolder;
  MainWindowPort& window = run.extract.window;
  if (window.listCount() > 0) d.openFolder = FolderOf(window.listItem(0));
  return d;
}

Destination Single(DestinationKind kind, const std::string& folder) {
  Destination d;
  d.single = true;
  d.kind = kind;
  d.folder = folder;
  d.openFolder = folder;
  return d;
}

Destination Cancelled(MainWindowPort& window) {
  window.setPanelText(1, Tr("BatchRun", "解凍は中止しました。"));
  Destination d;
  d.cancelled = true;
  return d;
}

// A folder taken from the settings. An empty one would make every library write into the
// file system's root, so the run stops instead.
Destination Configured(MainWindowPort& window, const std::string& folder) {
  if (!folder.empty()) return Single(DestinationKind::Chosen, folder);
  window.messageBox(Tr("BatchRun", "解凍先のフォルダが設定されていません。"), MsgIcon::Critical,
                    MsgButtons::Ok);
  return Cancelled(window);
}

Destination NormalDestination(const BatchRun& run) {
  MainWindowPort& window = run.extract.window;
  switch (run.targetPlace) {
    case 1: {
      std::string folder = window.browseForFolder();
      if (folder.empty()) return Cancelled(window);
      return Single(DestinationKind::Chosen, folder);
    }
    case 2:
      return Configured(window, IniText("GENERAL", "AlwaysPath"));
    case 3:
      return Single(DestinationKind::Desktop, DesktopFolder());
    default:
      return OwnFolder(run);
  }
}

Destination DDModeDestination(const BatchRun& run) {
  switch (IniInt("DDMODE", "ExtractMode")) {
    case 0:
      return Single(DestinationKind::Desktop, DesktopFolder());
    case 2:
      return Configured(run.extract.window, IniText("DDMODE", "TargetPath"));
    default:
      return OwnFolder(run);
  }
}

void CloseViewer(const BatchRun& run) {
  if (run.closeViewer) run.closeViewer();
}

int ExtractWithPreScan(const BatchRun& run, const Destination& dest, bool& stopped) {
  MainWindowPort& window = run.extract.window;
  ArchiverDLL_Inspect inspect(run.extract.status, window.ownerWindow(), run.extract.passwords);
  run.extract.progress->Busy(Tr("BatchRun", "書庫のチェック中"));
  PreScanResult scan = PreScan(window, inspect, dest.single, dest.folder, run.extract.report);
  int successes = 0;
  stopped = !scan.continueRun;
  if (!scan.continueRun) {
    window.setPanelText(1, Tr("BatchRun", "解凍中止。"));
    window.messageBox(Tr("BatchRun", "書庫または環境に問題があるため、解凍を中止します。"),
                      MsgIcon::Critical, MsgButtons::Ok);
  } else {
    successes = ExtractArchives(run.extract, dest.single, dest.folder);
    CloseViewer(run);
  }
  if (scan.errorCount > 0) {
    std::string count = std::to_string(scan.errorCount);
    window.setPanelText(1, Tr("BatchRun", "エラーが") + count + Tr("BatchRun", "件ありました。"));
    window.messageBox(Tr("BatchRun", "エラーが") + count +
                          Tr("BatchRun", "件ありました。詳細はErrorLogをご覧下さい。"),
                      MsgIcon::Information, MsgButtons::Ok);
  }
  return successes;
}

}  // namespace

Destination ChooseExtractDestination(const BatchRun& run) {
  if (run.extract.startUpMode == kModeDDMode) return DDModeDestination(run);
  return NormalDestination(run);
}

RunEnd StartExtract(const BatchRun& given, RunStatus* status) {
  RunStatus ignored;
  RunStatus& outcome = status ? *status : ignored;
  outcome = RunStatus::Stopped;
  const std::string& mode = given.extract.startUpMode;
  if (mode == kModeDDModeSetting) return RunEnd::StayOpen;  // only the options are shown
  const int archives = given.extract.window.listCount();
  Destination destination = ChooseExtractDestination(given);
  if (destination.cancelled) return RunEnd::StayOpen;

  // The passwords given in this run serve every later archive of it, and go with it.
  RunPasswords passwords(given.extract.window);
  RunProgress progress;
  RunReport report;
  BatchRun run = given;
  run.extract.passwords = &passwords;
  run.extract.progress = &progress;
  run.extract.report = &report;
  int successes = 0;
  bool stopped = false;
  {
    ProgressShown shown(run.extract.window, progress);
    if (IniInt("GENERAL", "PreScan") == 0) {
      successes = ExtractWithPreScan(run, destination, stopped);
    } else {
      successes = ExtractArchives(run.extract, destination.single, destination.folder);
      CloseViewer(run);
    }
  }
  const bool cancelled = progress.cancelled();
  // A stopped run leaves its unworked archives in the list: they did not fail.
  const int failures = cancelled ? report.Count(ArchiveOutcome::Failed) : archives - successes;
  Completion(NoticeOf(run), successes, WorkMode::Extract, destination, failures, cancelled,
             &report);
  stopped = stopped || cancelled;
  outcome = stopped                ? RunStatus::Stopped
            : successes < archives ? RunStatus::SomeFailed
                                   : RunStatus::AllDone;
  return mode == kModeDDMode ? RunEnd::EndProgram : RunEnd::StayOpen;
}

CompletionNotice NoticeOf(const BatchRun& run) {
  return {run.extract.window, run.extract.status.BASP21, run.mail, run.sound, run.desktop,
          run.shellX};
}

}  // namespace qvr
