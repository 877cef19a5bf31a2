#include "Completion.h"

#include "MainWindowPort.h"
#include "PathHelpers.h"
#include "Registry_Link.h"
#include "RunReport.h"
#include "Settings.h"
#include "Translate.h"
#include "cExecute.h"

namespace qvr {
namespace {

int16_t IniInt(const char* section, const char* key) {
  return GetIniInt(kQvrArcIni, section, key);
}

void OpenFolder(const CompletionNotice& notice, const std::string& folder) {
  std::string commandLine = QuotePath(folder);
  void* owner = notice.window.ownerWindow();
  if (notice.shellX) {
    notice.shellX(commandLine, owner);
  } else {
    cExecute runner;
    runner.ShellX(commandLine, kShowNormal, owner, false);
  }
}

bool OpensFolder(int successes, const Destination& destination) {
  if (IniInt("GENERAL", "OpenFolder") == 0 || destination.openFolder.empty()) return false;
  if (destination.kind == DestinationKind::Chosen) return true;
  return destination.kind == DestinationKind::OwnFolder && successes == 1;
}

// The end box; with a report to offer, "詳細(&D)" opens it.
void EndBox(const CompletionNotice& notice, const std::string& text, MsgIcon icon,
            const RunReport* report) {
  MainWindowPort& window = notice.window;
  if (!report || !report->HasProblems()) {
    window.messageBox(text, icon, MsgButtons::Ok);
    return;
  }
  if (window.messageBox(text, icon, MsgButtons::OkDetails) == MsgResult::Details)
    window.showReport(*report);
}

// The folder the notice's action shows: the run's destination, else the first entry's folder;
// with what the run made in it selected.
void ShowDesktopNotice(DesktopNotice& desktop, const std::string& text,
                       const Destination& destination, const RunReport* report) {
  std::string folder = destination.openFolder.empty() ? destination.folder : destination.openFolder;
  while (folder.size() > 1 && folder.back() == kSep) folder.pop_back();
  std::vector<std::string> items;
  if (report)
    for (const std::string& output : report->Outputs())
      if (FolderOf(output) == folder) items.push_back(output);
  desktop.Show(text, folder, items);
}

}  // namespace

std::string DesktopFolder() {
  return SpecialFolderPath(kCsidlDesktop);
}

std::string DoneText(WorkMode workMode, int successes, int failures) {
  std::string text = std::to_string(successes) +
                     (workMode == WorkMode::Extract ? Tr("Completion", "個のファイルを解凍完了！")
                                                    : Tr("Completion", "個のファイルを圧縮完了！"));
  if (failures > 0)
    text += Tr("Completion", "（") + std::to_string(failures) + Tr("Completion", "個失敗）");
  return text;
}

std::string StoppedText(WorkMode workMode, int successes, int failures) {
  std::string text = Tr("Completion", "中止しました。（") + std::to_string(successes) +
                     (workMode == WorkMode::Extract ? Tr("Completion", "個のファイルを解凍済み")
                                                    : Tr("Completion", "個のファイルを圧縮済み"));
  if (failures > 0)
    text += Tr("Completion", "、") + std::to_string(failures) + Tr("Completion", "個失敗");
  return text + Tr("Completion", "）");
}

void Completion(const CompletionNotice& notice, int successes, WorkMode workMode,
                const Destination& destination, int failures, bool stopped,
                const RunReport* report) {
  if (report && (stopped || report->HasProblems())) report->WriteToLog();
  // A stop with nothing finished needs no notice: the user is there.
  if (stopped && successes < 1) return;
  // Only the value 1 switches the e-mail notice on.
  bool mail = notice.mail && IniInt("E-Mail", "Use") == 1 && notice.mailAvailable;
  const std::string done = stopped ? StoppedText(workMode, successes, failures)
                                   : DoneText(workMode, successes, failures);
  const bool endBox = IniInt("GENERAL", "EndNotice") <= 0;
  if (successes < 1) {
    if (mail) notice.mail->Send("FAIL", workMode, done);
    return;
  }
  if (mail) notice.mail->Send("SUCCESS", workMode, done);
  if (IniInt("GENERAL", "UseSound") != 0 && notice.sound) {
    std::string soundFile = CutAtNull(GetIniString(kQvrArcIni, "GENERAL", "SoundFilePath"));
    if (!soundFile.empty()) notice.sound->Play(soundFile);
  }
  bool extract = workMode == WorkMode::Extract;
  if (extract && OpensFolder(successes, destination)) OpenFolder(notice, destination.openFolder);
  if (endBox && notice.desktop && GetIniIntDef(kQvrArcIni, "GENERAL", "DesktopNotice", 1) != 0)
    ShowDesktopNotice(*notice.desktop, done, destination, report);
  if (endBox) EndBox(notice, done, MsgIcon::Information, report);
}

}  // namespace qvr
