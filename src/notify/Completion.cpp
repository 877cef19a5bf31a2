#include "Completion.h"

#include "MainWindowPort.h"
#include "PathHelpers.h"
#include "Registry_Link.h"
#include "Settings.h"
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

}  // namespace

std::string DesktopFolder() {
  return SpecialFolderPath(kCsidlDesktop);
}

std::string DoneText(WorkMode workMode, int successes, int failures) {
  std::string text =
      std::to_string(successes) +
      (workMode == WorkMode::Extract ? "個のファイルを解凍完了！" : "個のファイルを圧縮完了！");
  if (failures > 0) text += "（" + std::to_string(failures) + "個失敗）";
  return text;
}

void Completion(const CompletionNotice& notice, int successes, WorkMode workMode,
                const Destination& destination, int failures) {
  // Only the value 1 switches the e-mail notice on.
  bool mail = notice.mail && IniInt("E-Mail", "Use") == 1 && notice.mailAvailable;
  const std::string done = DoneText(workMode, successes, failures);
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
  if (IniInt("GENERAL", "EndNotice") <= 0)
    notice.window.messageBox(done, MsgIcon::Information, MsgButtons::Ok);
}

}  // namespace qvr
