#include "StartArchive.h"

#include <optional>

#include "ArchiveAllInOne.h"
#include "ArchiveCommand.h"
#include "ArchiveEachFile.h"
#include "ArchiveSwitches.h"
#include "MainWindowPort.h"
#include "PathHelpers.h"
#include "RunProgress.h"
#include "RunReport.h"
#include "Settings.h"
#include "Translate.h"

namespace qvr {
namespace {

ArchiveDestination Stopped(MainWindowPort& window) {
  window.setPanelText(1, Tr("StartArchive", "圧縮は中止しました。"));
  ArchiveDestination d;
  d.destination.cancelled = true;
  return d;
}

ArchiveDestination In(DestinationKind kind, const std::string& folder) {
  ArchiveDestination d;
  d.destination.single = true;
  d.destination.kind = kind;
  d.destination.folder = folder;
  d.destination.openFolder = folder;
  return d;
}

// The name for "一括" when no save dialog gave one; "" after a message when none is given.
std::string AskArchiveName(MainWindowPort& window) {
  std::string name =
      window.inputBox(Tr("StartArchive", "作成するファイル名(書庫名)を入力してください。"),
                      kProgramTitle, "QvrArcFile");
  if (name.empty()) {
    window.messageBox(Tr("StartArchive", "キャンセルされました。"), MsgIcon::Information,
                      MsgButtons::Ok);
    return "";
  }
  // A name holding "/" would put the archive elsewhere; the helper says what is not allowed.
  return IsValidFileName(name, window) ? name : "";
}

}  // namespace

ArchiveDestination ChooseArchiveDestination(const BatchRun& run, bool allInOne) {
  MainWindowPort& window = run.extract.window;
  switch (run.targetPlace) {
    case 1: {
      if (allInOne) {
        std::string path = window.saveFileDialog({"ALL Files(*.*)", "*.*"}, "");
        if (path.empty()) return Stopped(window);
        ArchiveDestination d = In(DestinationKind::Chosen, FolderOf(path));
        d.archiveName = FileNameOf(path);
        return d;
      }
      std::string folder = window.browseForFolder();
      if (folder.empty()) return Stopped(window);
      return In(DestinationKind::Chosen, folder);
    }
    case 2: {
      // An empty setting would put every archive at the file system's root.
      std::string folder = CutAtNull(GetIniString(kQvrArcIni, "GENERAL", "AlwaysPath"));
      if (!folder.empty()) return In(DestinationKind::Chosen, folder);
      window.messageBox(Tr("StartArchive", "圧縮先のフォルダが設定されていません。"),
                        MsgIcon::Critical, MsgButtons::Ok);
      return Stopped(window);
    }
    case 3:
      return In(DestinationKind::Desktop, DesktopFolder());
    default: {
      ArchiveDestination d;
      if (window.listCount() > 0) d.destination.openFolder = FolderOf(window.listItem(0));
      return d;
    }
  }
}

RunEnd StartArchive(const BatchRun& run, const std::string& arcMethod, const std::string& arcType) {
  const std::string& mode = run.extract.startUpMode;
  if (mode == kModeDDModeSetting) return RunEnd::StayOpen;  // only the options are shown
  MainWindowPort& window = run.extract.window;
  const bool allInOne = arcMethod != kArcMethodEachFile;
  ArchiveDestination chosen = ChooseArchiveDestination(run, allInOne);
  if (chosen.destination.cancelled) return RunEnd::StayOpen;
  if (allInOne && run.targetPlace != 1) {
    chosen.archiveName = AskArchiveName(window);
    if (chosen.archiveName.empty()) return RunEnd::StayOpen;
  }
  // A password for the run's archives, typed twice; cancelled: nothing is made.
  std::optional<std::string> password;
  if (ArchiveEncrypts(ArchiveFormatWord(arcType), ReadArchiveSwitches())) {
    password =
        window.newPasswordBox(Tr("StartArchive", "作成する書庫のパスワードを入力してください。"));
    if (!password) {
      window.setPanelText(1, Tr("StartArchive", "圧縮は中止しました。"));
      return RunEnd::StayOpen;
    }
  }
  RunProgress progress;
  RunReport report(ReportKind::Archive);
  ArchiveRun archive{
      window, run.extract.status, arcType, &progress, &report, password ? &*password : nullptr};
  const Destination& d = chosen.destination;
  int successes = 0;
  {
    ProgressShown shown(window, progress);
    successes = allInOne ? ArchiveAllInOne(archive, d.single, d.folder, chosen.archiveName)
                         : ArchiveEachFile(archive, d.single, d.folder);
  }
  Completion(NoticeOf(run), successes, WorkMode::Archive, d, report.Count(ArchiveOutcome::Failed),
             progress.cancelled(), &report);
  return mode == kModeDDMode ? RunEnd::EndProgram : RunEnd::StayOpen;
}

}  // namespace qvr
