#include "ExtractArchives.h"

#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
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
#include "WorkerPool.h"
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
// The ACE back-end and the tools run one at a time: they were never made to run beside
// themselves.
int32_t RunCommand(MainWindowPort& window, const std::string& nameCodePage, RunPasswords& passwords,
                   RunProgress& progress, const ExtractCommand& command, const std::string& path,
                   const std::string& outputFolder, bool& complete) {
  static std::mutex alone;
  complete = false;
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
    case ExtractRoute::AceBackend: {
      std::lock_guard lock(alone);
      result = RunResponsive(window, [&] { return ExtractACE(path, "*.*", outputFolder); });
      complete = result == 0;
      break;
    }
    case ExtractRoute::Tool: {
      std::lock_guard lock(alone);
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

// True when the folders are one or one lies in the other: archives extracting into them
// could write the same path.
bool Overlap(const std::string& a, const std::string& b) {
  auto within = [](const std::string& inner, const std::string& outer) {
    return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
           (inner[outer.size()] == kSep || outer.back() == kSep);
  };
  return a == b || within(a, b) || within(b, a);
}

// The destinations of the archives in hand. An archive starts writing only once every
// archive before it in the list has finished or writes where the two cannot meet: archives
// sharing a destination are worked in list order, as one at a time would work them.
class Destinations {
 public:
  explicit Destinations(size_t count) : folders_(count), finished_(count, false) {}

  // The archive writes below folder; returns once no earlier archive in hand can meet it.
  void Claim(size_t index, const std::string& folder) {
    std::unique_lock lock(mutex_);
    folders_[index] = folder;
    changed_.notify_all();
    changed_.wait(lock, [&] { return ClearLocked(index, folder); });
  }
  // The archive wrote all it will (or nothing at all).
  void Finish(size_t index) {
    std::lock_guard lock(mutex_);
    finished_[index] = true;
    while (firstOpen_ < finished_.size() && finished_[firstOpen_]) ++firstOpen_;
    changed_.notify_all();
  }

 private:
  bool ClearLocked(size_t index, const std::string& folder) const {
    for (size_t j = firstOpen_; j < index; ++j)
      if (!finished_[j] && (!folders_[j] || Overlap(*folders_[j], folder))) return false;
    return true;
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::optional<std::string>> folders_;
  std::vector<bool> finished_;
  size_t firstOpen_ = 0;  // every archive before it has finished
};

// The work on the run's archives; Work may be called for several archives at once, each on
// a worker of its own that reaches the window through window.
class Loop {
 public:
  Loop(const ExtractRun& run, MainWindowPort& window, bool singleDestination,
       const std::string& destFolder, RunProgress& progress, size_t count)
      : run_(run),
        window_(window),
        single_(singleDestination),
        dest_(destFolder),
        options_(ReadExtractLoopOptions(run.startUpMode)),
        ownPasswords_(run.passwords ? nullptr : std::make_unique<RunPasswords>(run.window)),
        passwords_(run.passwords ? *run.passwords : *ownPasswords_),
        progress_(progress),
        trash_(window),
        destinations_(count),
        count_(std::to_string(count)) {}

  int workers() const { return options_.workers; }

  // What became of the archive at that place of the list; Done when it extracted.
  ReportRow Work(size_t index, const std::string& path, int64_t size) {
    struct Finished {
      Destinations& destinations;
      size_t index;
      ~Finished() { destinations.Finish(index); }
    } finished{destinations_, index};
    window_.setPanelText(1, std::to_string(++started_) + Tr("ExtractArchives", "個目(全体:") +
                                count_ + Tr("ExtractArchives", "個)のファイルを解凍中"));
    window_.pumpEvents();
    RunProgress share(progress_);
    share.StartItem(path, size);
    ReportRow row = Extract(index, path, share);
    share.FinishItem();
    return row;
  }

  int trashed() const { return trashed_; }

 private:
  ReportRow Extract(size_t index, const std::string& path, RunProgress& progress) {
    if (!IsExistingFile(path)) {
      // Nothing is run for a file that is gone; with the skip option it fails silently.
      if (!options_.errorSkip)
        window_.messageBox(
            Tr("ExtractArchives", "存在しないファイルです。場所を確認してください。"),
            MsgIcon::Critical, MsgButtons::Ok);
      return FailedRow(path, Tr("ExtractArchives", "ファイルがありません"));
    }
    ArchiverDLL_Inspect inspect(run_.status, window_.ownerWindow(), &passwords_);
    std::string folder = single_ ? dest_ : FolderOf(path);
    const bool ownFolder = MakesFolder(options_, inspect, path);
    if (ownFolder) folder += kSep + ArchiveFolderName(path);

    ExtractCommand command = Command(path, folder, inspect);
    if (command.route == ExtractRoute::Unsupported)
      return FailedRow(path, Tr("ExtractArchives", "対応していない形式です"));
    if (!CommandAvailable(command, run_.status, run_.useYZ2DEC))
      return FailedRow(path, MissingReason(std::string(RowOf(command.lib).fileName)));
    destinations_.Claim(index, folder);
    // One level; a missing parent is the library's to make or report. A folder that was not
    // there counts as made by this archive also when its library made it with the parent.
    const bool made = ::mkdir(folder.c_str(), 0777) == 0 || errno == ENOENT;
    bool complete = false;
    int32_t result = RunCommand(window_, options_.nameCodePage, passwords_, progress, command, path,
                                folder, complete);
    if (made && result != 0) RemoveIfNothingCame(folder);
    ReportRow row = RowOfCall(path, result, progress.TakeTally(), progress.cancelled());
    if (result != 0) return row;
    if (ownFolder) row.output = folder;
    // An archive goes only when every entry of it now lies in the destination; a volume
    // set with every part of it. It goes to the Trash: the option is easily set by mistake.
    if (options_.deleteArchive && complete) {
      std::lock_guard lock(trashMutex_);  // the run's one question about deleting for good
      const ArchiveTrash::Fate fate = trash_.Remove(VolumeParts(path));
      if (fate == ArchiveTrash::Fate::Trashed) ++trashed_;
      row.note = ArchiveTrash::FateText(fate);
    }
    return row;
  }

  ExtractCommand Command(const std::string& path, const std::string& folder,
                         ArchiverDLL_Inspect& inspect) {
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
      format = inspect.DetectFormat(path);
      return BuildSelfExtractCommand(format, o, path, folder);
    }
    ExtractCommand command = BuildExtractCommand(format, o, path, folder);
    if (command.route == ExtractRoute::Unsupported && !options_.errorSkip)
      window_.messageBox(Tr("ExtractArchives", "対応していない形式のファイルです"),
                         MsgIcon::Critical, MsgButtons::Ok);
    return command;
  }

  const ExtractRun& run_;
  MainWindowPort& window_;
  bool single_;
  std::string dest_;
  ExtractLoopOptions options_;
  std::unique_ptr<RunPasswords> ownPasswords_;
  RunPasswords& passwords_;
  RunProgress& progress_;
  ArchiveTrash trash_;
  std::mutex trashMutex_;
  int trashed_ = 0;
  Destinations destinations_;
  const std::string count_;
  std::atomic<int> started_{0};
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
  o.workers = ArchiveWorkers();
  return o;
}

int ArchiveWorkers() {
  return WorkerCount(GetIniInt(kQvrArcIni, "GENERAL", "Threads"));
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
  WorkerWindow workers(window);
  Loop loop(run, workers, singleDestination, destFolder, progress, entries.size());
  // Each archive's row at its place of the list; none for an archive a stop left untouched.
  std::vector<std::optional<ReportRow>> rows(entries.size());
  window.runResponsive([&] {
    RunOnWorkers(
        loop.workers(), entries.size(),
        [&](size_t i) { rows[i] = loop.Work(i, entries[i], sizes[i]); },
        [&] { return progress.cancelled(); });
  });
  int successes = 0;
  std::vector<std::string> worked;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (!rows[i]) continue;
    if (rows[i]->outcome == ArchiveOutcome::Done) ++successes;
    // A stopped archive stays in the list.
    if (rows[i]->outcome != ArchiveOutcome::Stopped) worked.push_back(entries[i]);
    report.Add(std::move(*rows[i]));
  }
  window.stopTimer1();
  const int failures = int(worked.size()) - successes;
  RemoveWorkedEntries(window, worked);
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
