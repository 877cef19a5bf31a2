#include "ArchiveRun.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "ArchiveCommand.h"
#include "ArchiverDLL.h"
#include "MainWindowPort.h"
#include "RunProgress.h"
#include "RunReport.h"
#include "Translate.h"
#include "cExecute.h"

namespace qvr {
namespace {

// Answers the library's question for the password of the archive it writes with the run's.
class StartPassword final : public PasswordAnswerer {
 public:
  explicit StartPassword(const std::string& password) : password_(password) {}
  std::optional<std::string> Answer(const std::string&, int wrong) override {
    if (wrong > 0) return std::nullopt;
    return password_;
  }

 private:
  const std::string& password_;
};

}  // namespace

ArchiveCaller::Replace ArchiveCaller::MayReplace(const std::string& archive) {
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(archive, ec))) return Replace::Go;
  if (yesToAll_) return Replace::Go;
  if (noToAll_) return Replace::Skip;
  MsgResult answer =
      run_.window.messageBox(Tr("ArchiveRun", "「") + archive +
                                 Tr("ArchiveRun", "」はすでに存在します。\n上書きしますか？"),
                             MsgIcon::Question, MsgButtons::YesNoAllCancel);
  switch (answer) {
    case MsgResult::Yes:
      return Replace::Go;
    case MsgResult::YesToAll:
      yesToAll_ = true;
      return Replace::Go;
    case MsgResult::NoToAll:
      noToAll_ = true;
      return Replace::Skip;
    case MsgResult::Cancel:
      return Replace::Stop;
    default:
      return Replace::Skip;
  }
}

void ArchiveCaller::RefuseName(const std::string& path) {
  run_.window.messageBox(
      Tr("ArchiveRun", "ファイル名をそのまま書庫ライブラリに渡せないため圧縮できません。\r\n") +
          path,
      MsgIcon::Critical, MsgButtons::Ok);
}

bool ArchiveCaller::Run(const ArchiveCommand& command, RunProgress* progress) {
  MainWindowPort& window = run_.window;
  lastReason_.clear();
  if (command.route == ArchiveRoute::Unsupported) {
    lastReason_ = Tr("ArchiveRun", "対応していない形式です");
    window.messageBox(Tr("ArchiveRun", kUnsupportedText), MsgIcon::Critical, MsgButtons::Ok);
    return false;
  }
  std::vector<std::string> missing = MissingComponents(command, run_.status);
  if (!missing.empty()) {
    lastReason_ = MissingReason(missing.front());
    for (const std::string& name : missing) {
      if (!reported_.insert(name).second) continue;
      window.messageBox(Tr("ArchiveRun", "圧縮に必要な「") + name +
                            Tr("ArchiveRun", "」がインストールされていません。"),
                        MsgIcon::Critical, MsgButtons::Ok);
    }
    return false;
  }
  if (command.route == ArchiveRoute::Tool) {
    // The tools report nothing we read back: a tool that ran counts as done. ShellX keeps
    // the window answering while it waits.
    cExecute runner;
    bool started = runner.ShellX(command.commandLine, kShowNormal, window.ownerWindow(), true);
    if (!started) lastReason_ = Tr("ArchiveRun", "ツールを起動できません");
    return started;
  }
  ArchiverDLL& dll = ArchiverDLL::Of(command.lib);
  std::optional<StartPassword> password;
  if (run_.password) password.emplace(*run_.password);
  int32_t result = RunResponsive(window, [&] {
    return dll.Command(window.ownerWindow(), command.commandLine, nullptr, nullptr,
                       password ? &*password : nullptr, progress);
  });
  std::string entry = progress ? progress->TakeTally().failedEntry : "";
  lastReason_ = ReasonOfResult(result, entry);
  return result == 0;
}

}  // namespace qvr
