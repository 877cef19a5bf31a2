#include "ExtractArchives.h"

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>
#include <vector>

#include "ArchiveTrash.h"
#include "ArchiverDLL.h"
#include "ArchiverDLLStatus.h"
#include "ArchiverDLL_ACE.h"
#include "ArchiverDLL_Inspect.h"
#include "Completion.h"
#include "ExtractCommand.h"
#include "MainWindowPort.h"
#include "PathHelpers.h"
#include "RunPasswords.h"
#include "RunProgress.h"
#include "RunReport.h"
#include "Settings.h"
#include "Translate.h"
#include "cExecute.h"
#include "qvr/VolumeNames.h"

namespace qvr {
namespace fs = std::filesystem;
namespace {

bool IniFlag(const char* section, const char* key) {
  return GetIniInt(kQvrArcIni, section, key) != 0;
}

bool MakesFolder(const ExtractLoopOptions& o, ArchiverDLL_Inspect& inspect,
                 const std::string& path) {
  if (o.fileNameFolder == 1) return true;
  if (o.fileNameFolder == 2) return false;
  return inspect.NeedsFolder(path);
}

// Our libraries return 0 also when they left entries out for safety (a link pointing
// outside, a device, a name with nothing usable left) and count them (PGetSkippedCount); a
// library without that count is taken to have left nothing out.
bool LeftEntriesOut(int32_t skipped) {
  return skipped > 0;
}

// Runs the command; complete is set when the archive extracted with every entry written.
int32_t RunCommand(const ExtractRun& run, const std::string& nameCodePage, RunPasswords& passwords,
                   RunProgress& progress, const ExtractCommand& command, const std::string& path,
                   const std::string& outputFolder, bool& complete) {
  complete = false;
  MainWindowPort& window = run.window;
  int32_t result = kNoEntryResult;
  switch (command.route) {
    case ExtractRoute::Library: {
      ArchiverDLL& dll = ArchiverDLL::Of(command.lib);
      int32_t skipped = 0;
      RunPasswords::Call call(passwords);
      result = RunResponsive(window, [&] {
        return dll.Command(window.ownerWindow(), command.commandLine, nullptr, &skipped, &call,
                           &progress, nameCodePage);
      });
      call.Finish(result == ERROR_PASSWORD_FILE);
      complete = result == 0 && !LeftEntriesOut(skipped);
      break;
    }
    case ExtractRoute::AceBackend:
      result = RunResponsive(window, [&] { return ExtractACE(path, "*.*", outputFolder); });
      complete = result == 0;
      break;
    case ExtractRoute::Tool: {
      // The tools report nothing we can read back: a tool that ran counts as done, one that
      // could not be started as failed. ShellX keeps the window answering while it waits.
      cExecute runner;
      bool started = runner.ShellX(command.commandLine, kShowNormal, window.ownerWindow(), true);
      result = started ? 0 : kNoEntryResult;
      complete = started;
      break;
    }
    case ExtractRoute::Unsupported:
      break;
  }
  return result;
}

// True when nothing but folders lies below the folder (links and files count as something).
bool HoldsOnlyFolders(const std::string& folder) {
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(folder, ec))) return false;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (!it->is_directory(ec) || it->is_symlink(ec)) return false;
  return !ec;
}

// A folder this run made for an archive that failed and gave nothing (a wrong or no
// password, broken data, a refused archive) goes again, with the empty folders the library
// left in it. A folder that was there before is never touched.
void RemoveIfNothingCame(const std::string& folder) {
  std::error_code ec;
  if (HoldsOnlyFolders(folder)) fs::remove_all(folder, ec);
}

class Loop {
 public:
  Loop(const ExtractRun& run, bool singleDestination, const std::string& destFolder,
       RunProgress& progress)
      : run_(run),
        single_(singleDestination),
        dest_(destFolder),
        options_(ReadExtractLoopOptions(run.startUpMode)),
        ownPasswords_(run.passwords ? nullptr : std::make_unique<RunPasswords>(run.window)),
        passwords_(run.passwords ? *run.passwords : *ownPasswords_),
        progress_(progress),
        inspect_(run.status, run.window.ownerWindow(), &passwords_),
        trash_(run.window) {}

  // What became of the archive; Done when it extracted (result 0).
  ReportRow Extract(const std::string& path) {
    MainWindowPort& window = run_.window;
    if (!IsExistingFile(path)) {
      // Nothing is run for a file that is gone; with the skip option it fails silently.
      if (!options_.errorSkip)
        window.messageBox(Tr("ExtractArchives", "存在しないファイルです。場所を確認してください。"),
                          MsgIcon::Critical, MsgButtons::Ok);
      return FailedRow(path, Tr("ExtractArchives", "ファイルがありません"));
    }
    std::string folder = single_ ? dest_ : FolderOf(path);
    const bool ownFolder =
        RunResponsive(window, [&] { return MakesFolder(options_, inspect_, path); });
    if (ownFolder) folder += kSep + ArchiveFolderName(path);

    ExtractCommand command = Command(path, folder);
    if (command.route == ExtractRoute::Unsupported)
      return FailedRow(path, Tr("ExtractArchives", "対応していない形式です"));
    if (!CommandAvailable(command, run_.status, run_.useYZ2DEC))
      return FailedRow(path, MissingReason(std::string(RowOf(command.lib).fileName)));
    // One level; a missing parent is the library's to report.
    const bool made = ::mkdir(folder.c_str(), 0777) == 0;
    bool complete = false;
    int32_t result = RunCommand(run_, options_.nameCodePage, passwords_, progress_, command, path,
                                folder, complete);
    if (made && result != 0) RemoveIfNothingCame(folder);
    ReportRow row = RowOfCall(path, result, progress_.TakeTally(), progress_.cancelled());
    if (result != 0) return row;
    if (ownFolder) row.output = folder;
    // An archive goes only when every entry of it now lies in the destination; a volume
    // set with every part of it. It goes to the Trash: the option is easily set by mistake.
    if (options_.deleteArchive && complete) {
      const ArchiveTrash::Fate fate = trash_.Remove(VolumeParts(path));
      if (fate == ArchiveTrash::Fate::Trashed) ++trashed_;
      row.note = ArchiveTrash::FateText(fate);
    }
    return row;
  }

  int trashed() const { return trashed_; }

 private:
  ExtractCommand Command(const std::string& path, const std::string& folder) {
    ExtractOptions o;
    o.ignoreFolders = options_.ignoreFolders;
    o.confirmOverwrite = options_.confirmOverwrite;
    o.use7Zip = options_.use7Zip;
    o.useUnace32 = options_.useUnace32;
    o.rkFolder = run_.status.RKEXEPath;
    o.yz2decFolder = run_.status.YZ2DECPath;
    std::string format = FormatOfExtension(path);
    if (format == "EXE") {
      // A self-extracting file whose format nobody recognises fails without a message.
      format = RunResponsive(run_.window, [&] { return inspect_.DetectFormat(path); });
      return BuildSelfExtractCommand(format, o, path, folder);
    }
    ExtractCommand command = BuildExtractCommand(format, o, path, folder);
    if (command.route == ExtractRoute::Unsupported && !options_.errorSkip)
      run_.window.messageBox(Tr("ExtractArchives", "対応していない形式のファイルです"),
                             MsgIcon::Critical, MsgButtons::Ok);
    return command;
  }

  const ExtractRun& run_;
  bool single_;
  std::string dest_;
  ExtractLoopOptions options_;
  std::unique_ptr<RunPasswords> ownPasswords_;
  RunPasswords& passwords_;
  RunProgress& progress_;
  ArchiverDLL_Inspect inspect_;
  ArchiveTrash trash_;
  int trashed_ = 0;
};

}  // namespace

ExtractLoopOptions ReadExtractLoopOptions(const std::string& startUpMode) {
  ExtractLoopOptions o;
  if (startUpMode == kModeDDMode) {
    o.fileNameFolder = GetIniInt(kQvrArcIni, "EXTRACT_DDMODE", "FileNameFolder");
    o.ignoreFolders = false;
    o.deleteArchive = IniFlag("EXTRACT_DDMODE", "DeleteArchive");
    o.confirmOverwrite = IniFlag("DDMODE", "OverWrite");
  } else {
    o.fileNameFolder = GetIniInt(kQvrArcIni, "EXTRACT_NORMAL", "FileNameFolder");
    // Flat extraction is only offered together with a folder per archive.
    o.ignoreFolders = o.fileNameFolder != 0 && IniFlag("GENERAL", "Directory");
    o.deleteArchive = IniFlag("EXTRACT_NORMAL", "DeleteArchive");
    o.confirmOverwrite = IniFlag("EXTRACT_NORMAL", "OverWrite");
  }
  o.errorSkip = IniFlag("GENERAL", "ErrorSkip");
  o.use7Zip = IniFlag("GENERAL", "Use7Zip");
  o.useUnace32 = IniFlag("GENERAL", "UseUNACE32");
  o.nameCodePage = NameCodePageSetting();
  return o;
}

std::string ArchiveFolderName(const std::string& archivePath) {
  std::string name = FileNameOf(archivePath);
  size_t start = name.find_first_not_of('.');
  if (start == std::string::npos) return name;
  size_t dot = name.find('.', start);
  return dot == std::string::npos ? name : name.substr(0, dot);
}

int ExtractArchives(const ExtractRun& run, bool singleDestination, const std::string& destFolder) {
  MainWindowPort& window = run.window;
  if (window.listCount() == 0) {
    window.setPanelText(1, Tr("ExtractArchives", "ファイルがありません。"));
    window.messageBox(Tr("ExtractArchives", "ファイルがありません。"), MsgIcon::Information,
                      MsgButtons::Ok);
    return 0;
  }
  const std::vector<std::string> entries = ListEntries(window);
  const std::string count = std::to_string(entries.size());

  EngineProgress shownProgress(window, run.progress);
  RunProgress& progress = *shownProgress;
  RunReport ownReport;
  RunReport& report = run.report ? *run.report : ownReport;
  const std::vector<int64_t> sizes = FileLens(entries);
  progress.Begin(sizes);

  window.startTimer1();
  window.setPanelText(2, "00:00:00");
  Loop loop(run, singleDestination, destFolder, progress);
  int successes = 0;
  size_t worked = 0;
  for (; worked < entries.size() && !progress.cancelled(); ++worked) {
    const std::string& path = entries[worked];
    window.setPanelText(1, std::to_string(worked + 1) + Tr("ExtractArchives", "個目(全体:") +
                               count + Tr("ExtractArchives", "個)のファイルを解凍中"));
    window.pumpEvents();
    progress.StartItem(path, sizes[worked]);
    ReportRow row = loop.Extract(path);
    progress.FinishItem();
    if (row.outcome == ArchiveOutcome::Done) ++successes;
    const bool stopped = row.outcome == ArchiveOutcome::Stopped;
    report.Add(std::move(row));
    if (stopped) break;  // the archive in hand stays in the list
  }
  window.stopTimer1();
  const int failures = int(worked) - successes;
  RemoveWorkedEntries(window, {entries.begin(), entries.begin() + std::ptrdiff_t(worked)});
  window.setPanelText(2, window.elapsedText());
  std::string end = progress.cancelled() ? StoppedText(WorkMode::Extract, successes, failures)
                                         : DoneText(WorkMode::Extract, successes, failures);
  if (loop.trashed() > 0)
    end += " " + std::to_string(loop.trashed()) +
           Tr("ExtractArchives", "個の書庫をごみ箱へ移動しました");
  window.setPanelText(1, end);
  return successes;
}

}  // namespace qvr
