#include "ArchiveAllInOne.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <numeric>
#include <optional>
#include <set>

#include "AppFolder.h"
#include "ArchiveCommand.h"
#include "ArchiveSwitches.h"
#include "Completion.h"
#include "ListFile.h"
#include "MainWindowPort.h"
#include "PathHelpers.h"
#include "RunProgress.h"
#include "RunReport.h"
#include "Translate.h"

namespace qvr {
namespace {

// Extensions a typed name may already carry; such a name is taken as it is.
bool HasArchiveExtension(const std::string& name) {
  if (name.find('.') == std::string::npos) return false;
  static const std::set<std::string> kKnown = {"lzh", "zip", "cab", "yz1", "yz2", "tar", "gz",
                                               "bz2", "bza", "gza", "rk",  "pqa", "7z"};
  return kKnown.count(LCase(ExtensionOf(name))) != 0;
}

// The folder a source's stored path starts below: the folder holding the outermost folder
// given to the list that contains it, else the source's own folder.
std::string RootOf(const std::string& source, const std::vector<std::string>& listFolders) {
  const std::string* outermost = nullptr;
  for (const std::string& folder : listFolders) {
    bool inside = source.size() > folder.size() && source.compare(0, folder.size(), folder) == 0 &&
                  (folder.back() == kSep || source[folder.size()] == kSep);
    if (inside && (!outermost || folder.size() < outermost->size())) outermost = &folder;
  }
  return FolderOf(outermost ? *outermost : source);
}

// The list's entries once each, in list order; false after a message when one cannot be
// carried by the list file or when two would be stored under one name.
bool Sources(const ArchiveRun& run, ArchiveCaller& caller, const std::string& base,
             const std::vector<std::string>& worked, std::vector<std::string>* sources) {
  std::set<std::string> seen;
  for (const std::string& path : worked) {
    if (!CanCarryName(path)) {
      caller.RefuseName(path);
      return false;
    }
    if (seen.insert(path).second) sources->push_back(path);
  }
  std::vector<std::string> colliding = CollidingNames(*sources, base);
  if (colliding.empty()) return true;
  std::string text =
      Tr("ArchiveAllInOne", "同じ名前のファイルが複数あるため、1つの書庫にまとめられません。");
  const size_t shown = std::min<size_t>(colliding.size(), 10);
  for (size_t i = 0; i < shown; ++i) text += "\r\n" + colliding[i];
  if (colliding.size() > shown) text += "\r\n…";
  run.window.messageBox(text, MsgIcon::Critical, MsgButtons::Ok);
  return false;
}

bool MakeArchive(const ArchiveRun& run, RunProgress& progress, const std::string& format,
                 const std::vector<std::string>& worked, const std::string& archive,
                 int* archived) {
  MainWindowPort& window = run.window;
  ArchiveCaller caller(run);
  // Our libraries keep the tree below the base folder; the others store file names alone.
  const std::string base = KeepsTree(format) ? BaseFolder(worked, window.listFolders()) : "";
  std::vector<std::string> sources;
  if (!Sources(run, caller, base, worked, &sources)) return false;
  if (std::find(sources.begin(), sources.end(), archive) != sources.end()) {
    window.messageBox(
        Tr("ArchiveAllInOne", "書庫の名前が元のファイルと同じになるため圧縮できません。\r\n") +
            archive,
        MsgIcon::Critical, MsgButtons::Ok);
    return false;
  }
  const std::string& folder = AppFileFolder(AppFileKind::Cache);
  if (!WriteAddLists(folder, sources, format == "rk")) {
    window.messageBox(
        Tr("ArchiveAllInOne", "リストファイルを作成できませんでした。\r\n") + folder + kAddListFile,
        MsgIcon::Critical, MsgButtons::Ok);
    return false;
  }
  const ArchiveSwitches switches = ReadArchiveSwitches();
  ArchiveCommand command =
      BuildAllInOneCommand(format, switches, archive, folder, run.status, base);
  if (command.route == ArchiveRoute::Library && CreatesArchiveAnew(format, switches) &&
      caller.MayReplace(ReplacedArchive(format, switches, archive)) != ArchiveCaller::Replace::Go)
    return false;
  // One item, weighed by the source bytes the library reads.
  const std::vector<int64_t> sizes = FileLens(sources);
  progress.BeginOne(archive, std::accumulate(sizes.begin(), sizes.end(), int64_t(0)));
  bool made = caller.Run(command, &progress);
  progress.FinishItem();
  ReportRow row{.archive = archive, .output = made ? archive : ""};
  if (!made) {
    row.outcome = progress.cancelled() ? ArchiveOutcome::Stopped : ArchiveOutcome::Failed;
    row.reason = caller.lastReason();
  }
  if (run.report) run.report->Add(std::move(row));
  if (!made) return false;
  *archived = int(sources.size());
  return true;
}

}  // namespace

std::string AllInOneArchivePath(const std::string& firstEntry, const std::string& formatWord,
                                bool useDestination, const std::string& destinationFolder,
                                const std::string& archiveName) {
  std::string folder = useDestination ? destinationFolder : FolderOf(firstEntry);
  if (archiveName.empty())
    return folder + kSep + StripExtension(FileNameOf(firstEntry)) + "." + formatWord;
  if (HasArchiveExtension(archiveName)) return folder + kSep + archiveName;
  return folder + kSep + archiveName + "." + formatWord;
}

std::string BaseFolder(const std::vector<std::string>& sources,
                       const std::vector<std::string>& listFolders) {
  std::optional<std::filesystem::path> common;
  for (const std::string& source : sources) {
    std::filesystem::path root = RootOf(source, listFolders);
    if (!common) {
      common = root;
      continue;
    }
    auto end = std::mismatch(common->begin(), common->end(), root.begin(), root.end()).first;
    std::filesystem::path kept;
    for (auto part = common->begin(); part != end; ++part) kept /= *part;
    common = kept;
  }
  std::string base = common ? common->string() : "";
  return base.empty() || base.back() != kSep ? base + kSep : base;
}

std::string StoredName(const std::string& source, const std::string& base) {
  if (base.empty()) return FileNameOf(source);
  return source.compare(0, base.size(), base) == 0 ? source.substr(base.size()) : source;
}

std::vector<std::string> CollidingNames(const std::vector<std::string>& sources,
                                        const std::string& base) {
  std::map<std::string, int> byName;
  for (const std::string& path : sources) ++byName[StoredName(path, base)];
  std::vector<std::string> colliding;
  for (const std::string& path : sources)
    if (byName[StoredName(path, base)] > 1) colliding.push_back(path);
  return colliding;
}

int ArchiveAllInOne(const ArchiveRun& run, bool useDestination,
                    const std::string& destinationFolder, const std::string& archiveName) {
  MainWindowPort& window = run.window;
  if (window.listCount() == 0) {
    window.messageBox(Tr("ArchiveRun", kNoFilesText), MsgIcon::Information, MsgButtons::Ok);
    return 0;
  }
  const std::vector<std::string> worked = ListEntries(window);

  window.startTimer1();
  window.setPanelText(2, "00:00:00");
  const std::string format = ArchiveFormatWord(run.arcTypeText);
  const std::string archive =
      AllInOneArchivePath(worked[0], format, useDestination, destinationFolder, archiveName);
  int archived = 0;
  EngineProgress progress(window, run.progress);
  bool made = MakeArchive(run, *progress, format, worked, archive, &archived);
  window.stopTimer1();
  // A stopped write leaves no new archive and an updated one as it was; the list stays.
  if (made) {
    RemoveWorkedEntries(window, worked);
    window.listAdd(archive);
  }
  window.setPanelText(2, window.elapsedText());
  window.setPanelText(1, progress->cancelled() ? StoppedText(WorkMode::Archive, 0)
                                               : DoneText(WorkMode::Archive, archived));
  return archived;
}

}  // namespace qvr
