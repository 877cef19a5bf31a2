#include "ArchiveEachFile.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "ArchiveCommand.h"
#include "ArchiveSwitches.h"
#include "Completion.h"
#include "MainWindowPort.h"
#include "PathHelpers.h"

namespace qvr {
namespace {

bool IsExistingFile(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

// One entry; true when it was archived.
bool ArchiveOne(const ArchiveRun& run, ArchiveCaller& caller, const std::string& format,
                const std::string& source, const std::string& archive, bool* stop) {
  MainWindowPort& window = run.window;
  if (!IsExistingFile(source)) {
    window.messageBox("存在しないファイルです。場所を確認してください。", MsgIcon::Critical,
                      MsgButtons::Ok);
    return false;
  }
  if (!EachFileCommandCarries(format, source)) {
    caller.RefuseName(source);
    return false;
  }
  // yz2enc names its output itself, in the source's folder.
  if (format != "yz2" && archive == source) {
    window.messageBox("書庫の名前が元のファイルと同じになるため圧縮できません。\r\n" + source,
                      MsgIcon::Critical, MsgButtons::Ok);
    return false;
  }
  // Read again for every entry: a change of the settings applies from the next one.
  ArchiveCommand command =
      BuildEachFileCommand(format, ReadArchiveSwitches(), archive, source, run.status);
  if (command.route == ArchiveRoute::Library && CreatesArchiveAnew(format)) {
    ArchiveCaller::Replace replace = caller.MayReplace(archive);
    if (replace == ArchiveCaller::Replace::Stop) *stop = true;
    if (replace != ArchiveCaller::Replace::Go) return false;
  }
  return caller.Run(command);
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
    window.messageBox(kNoFilesText, MsgIcon::Information, MsgButtons::Ok);
    return 0;
  }
  const std::vector<std::string> worked = ListEntries(window);
  const std::string count = std::to_string(worked.size());

  window.startTimer1();
  window.setPanelText(2, "00:00:00");
  const std::string format = ArchiveFormatWord(run.arcTypeText);
  ArchiveCaller caller(run);
  int archived = 0;
  bool stop = false;
  for (size_t i = 0; i < worked.size() && !stop; ++i) {
    window.setPanelText(1, std::to_string(i + 1) + "個目(全体:" + count + "個)のファイルを圧縮中");
    window.pumpEvents();
    const std::string& source = worked[i];
    std::string archive = EachFileArchivePath(source, format, useDestination, destinationFolder);
    if (ArchiveOne(run, caller, format, source, archive, &stop)) ++archived;
  }
  window.stopTimer1();
  RemoveWorkedEntries(window, worked);
  window.setPanelText(2, window.elapsedText());
  // The files actually archived, so that a run that made nothing does not read as done.
  window.setPanelText(1, DoneText(WorkMode::Archive, archived));
  return archived;
}

}  // namespace qvr
