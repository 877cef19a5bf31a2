#include "ArchiveEachFile.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "ArchiveCommand.h"
#include "ArchiveSwitches.h"
#include "Completion.h"
#include "MainWindowPort.h"
#include "PathHelpers.h"
#include "RunProgress.h"
#include "RunReport.h"
#include "Translate.h"

namespace qvr {
namespace {

// One entry; true when it was archived, else *reason says why for the report.
bool ArchiveOne(const ArchiveRun& run, ArchiveCaller& caller, RunProgress& progress,
                const std::string& format, const std::string& source, const std::string& archive,
                bool* stop, std::string* reason) {
  MainWindowPort& window = run.window;
  if (!IsExistingFile(source)) {
    *reason = Tr("ArchiveEachFile", "ファイルがありません");
    window.messageBox(Tr("ArchiveEachFile", "存在しないファイルです。場所を確認してください。"),
                      MsgIcon::Critical, MsgButtons::Ok);
    return false;
  }
  if (!EachFileCommandCarries(format, source)) {
    *reason = Tr("ArchiveEachFile", "ライブラリに渡せない名前です");
    caller.RefuseName(source);
    return false;
  }
  // yz2enc names its output itself, in the source's folder.
  if (format != "yz2" && archive == source) {
    *reason = Tr("ArchiveEachFile", "書庫の名前が元のファイルと同じです");
    window.messageBox(
        Tr("ArchiveEachFile", "書庫の名前が元のファイルと同じになるため圧縮できません。\r\n") +
            source,
        MsgIcon::Critical, MsgButtons::Ok);
    return false;
  }
  // Read again for every entry: a change of the settings applies from the next one.
  const ArchiveSwitches switches = ReadArchiveSwitches();
  ArchiveCommand command = BuildEachFileCommand(format, switches, archive, source, run.status);
  if (command.route == ArchiveRoute::Library && CreatesArchiveAnew(format, switches)) {
    ArchiveCaller::Replace replace = caller.MayReplace(ReplacedArchive(format, switches, archive));
    if (replace == ArchiveCaller::Replace::Stop) *stop = true;
    *reason = Tr("ArchiveEachFile", "既存の書庫を残しました");
    if (replace != ArchiveCaller::Replace::Go) return false;
  }
  bool made = caller.Run(command, &progress);
  *reason = caller.lastReason();
  return made;
}

}  // namespace

std::string EachFileArchivePath(const std::string& source, const std::string& formatWord,
                                bool useDestination, const std::string& destinationFolder) {
  std::string folder = useDestination ? destinationFolder : FolderOf(source);
  return folder + kSep + StripExtension(FileNameOf(source)) + "." + formatWord;
}

int ArchiveEachFile(const ArchiveRun& run, bool useDestination,
                    const std::string& destinationFolder) {
  MainWindowPort& window = run.window;
  if (window.listCount() == 0) {
    window.messageBox(Tr("ArchiveRun", kNoFilesText), MsgIcon::Information, MsgButtons::Ok);
    return 0;
  }
  const std::vector<std::string> entries = ListEntries(window);
  const std::string count = std::to_string(entries.size());

  EngineProgress shownProgress(window, run.progress);
  RunProgress& progress = *shownProgress;
  RunReport ownReport(ReportKind::Archive);
  RunReport& report = run.report ? *run.report : ownReport;
  const std::vector<int64_t> sizes = FileLens(entries);
  progress.Begin(sizes);

  window.startTimer1();
  window.setPanelText(2, "00:00:00");
  const std::string format = ArchiveFormatWord(run.arcTypeText);
  ArchiveCaller caller(run);
  int archived = 0;
  bool stop = false;
  size_t worked = 0;
  for (; worked < entries.size() && !stop && !progress.cancelled(); ++worked) {
    window.setPanelText(1, std::to_string(worked + 1) + Tr("ArchiveEachFile", "個目(全体:") +
                               count + Tr("ArchiveEachFile", "個)のファイルを圧縮中"));
    window.pumpEvents();
    const std::string& source = entries[worked];
    std::string archive = EachFileArchivePath(source, format, useDestination, destinationFolder);
    progress.StartItem(source, sizes[worked]);
    std::string reason;
    bool made = ArchiveOne(run, caller, progress, format, source, archive, &stop, &reason);
    progress.FinishItem();
    if (made) ++archived;
    // A stopped write leaves no archive; its source stays in the list.
    if (!made && progress.cancelled()) {
      report.Add({.archive = archive, .outcome = ArchiveOutcome::Stopped, .reason = reason});
      break;
    }
    report.Add(made ? ReportRow{.archive = archive, .reason = reason, .output = archive}
                    : FailedRow(archive, reason));
  }
  window.stopTimer1();
  // A Cancel to the replace question ends the run with the list emptied, as ever.
  if (stop) worked = entries.size();
  RemoveWorkedEntries(window, {entries.begin(), entries.begin() + std::ptrdiff_t(worked)});
  window.setPanelText(2, window.elapsedText());
  // The files actually archived, so that a run that made nothing does not read as done.
  window.setPanelText(1, progress.cancelled()
                             ? StoppedText(WorkMode::Archive, archived, int(worked) - archived)
                             : DoneText(WorkMode::Archive, archived));
  return archived;
}

}  // namespace qvr
