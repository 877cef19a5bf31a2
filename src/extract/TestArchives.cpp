#include "TestArchives.h"

#include <memory>
#include <vector>

#include "ArchiverDLL.h"
#include "ArchiverDLLStatus.h"
#include "ArchiverDLL_Inspect.h"
#include "ExtractCommand.h"
#include "MainWindowPort.h"
#include "PathHelpers.h"
#include "RunPasswords.h"
#include "RunProgress.h"
#include "RunReport.h"
#include "Settings.h"
#include "Translate.h"

namespace qvr {
namespace {

class Tester {
 public:
  Tester(const ExtractRun& run, RunPasswords& passwords, RunProgress& progress)
      : run_(run),
        passwords_(passwords),
        progress_(progress),
        inspect_(run.status, run.window.ownerWindow(), &passwords),
        use7Zip_(GetIniInt(kQvrArcIni, "GENERAL", "Use7Zip") != 0),
        nameCodePage_(NameCodePageSetting()) {}

  ReportRow Test(const std::string& path) {
    MainWindowPort& window = run_.window;
    if (!IsExistingFile(path)) return FailedRow(path, Tr("TestArchives", "ファイルがありません"));
    std::string format = FormatOfExtension(path);
    // A self-extracting file is tested by the format found inside it.
    if (format == "EXE")
      format = RunResponsive(window, [&] { return inspect_.DetectFormat(path); });
    ExtractCommand command = BuildTestCommand(format, use7Zip_, path);
    if (command.route == ExtractRoute::Unsupported)
      return FailedRow(path, Tr("TestArchives", "検査できない形式です"));
    if (!CommandAvailable(command, run_.status, run_.useYZ2DEC))
      return FailedRow(path, MissingReason(std::string(RowOf(command.lib).fileName)));
    ArchiverDLL& dll = ArchiverDLL::Of(command.lib);
    RunPasswords::Call call(passwords_);
    int32_t result = RunResponsive(window, [&] {
      return dll.Command(window.ownerWindow(), command.commandLine, nullptr, nullptr, &call,
                         &progress_, nameCodePage_);
    });
    call.Finish(result == ERROR_PASSWORD_FILE);
    return RowOfCall(path, result, progress_.TakeTally(), progress_.cancelled());
  }

 private:
  const ExtractRun& run_;
  RunPasswords& passwords_;
  RunProgress& progress_;
  ArchiverDLL_Inspect inspect_;
  bool use7Zip_;
  std::string nameCodePage_;
};

std::string EndText(const RunReport& report, bool stopped) {
  const std::string tested =
      std::to_string(report.Count(ArchiveOutcome::Done) + report.Count(ArchiveOutcome::Failed));
  const int failed = report.Count(ArchiveOutcome::Failed);
  if (stopped)
    return Tr("TestArchives", "中止しました。（") + tested +
           Tr("TestArchives", "個の書庫を検査済み）");
  std::string text = tested + Tr("TestArchives", "個の書庫を検査しました");
  if (failed > 0)
    text += Tr("TestArchives", "（") + std::to_string(failed) + Tr("TestArchives", "個異常）");
  return text;
}

}  // namespace

int TestArchives(const ExtractRun& run, const std::vector<std::string>& entries) {
  MainWindowPort& window = run.window;
  if (entries.empty()) {
    window.setPanelText(1, Tr("TestArchives", "ファイルがありません。"));
    window.messageBox(Tr("TestArchives", "ファイルがありません。"), MsgIcon::Information,
                      MsgButtons::Ok);
    return 0;
  }
  const std::string count = std::to_string(entries.size());
  std::unique_ptr<RunPasswords> ownPasswords =
      run.passwords ? nullptr : std::make_unique<RunPasswords>(window);
  RunPasswords& passwords = run.passwords ? *run.passwords : *ownPasswords;
  RunReport ownReport(ReportKind::Test);
  RunReport& report = run.report ? *run.report : ownReport;
  {
    EngineProgress shownProgress(window, run.progress);
    RunProgress& progress = *shownProgress;
    const std::vector<int64_t> sizes = FileLens(entries);
    progress.Begin(sizes);
    window.startTimer1();
    window.setPanelText(2, "00:00:00");
    Tester tester(run, passwords, progress);
    for (size_t i = 0; i < entries.size() && !progress.cancelled(); ++i) {
      window.setPanelText(1, std::to_string(i + 1) + Tr("TestArchives", "個目(全体:") + count +
                                 Tr("TestArchives", "個)の書庫を検査中"));
      window.pumpEvents();
      progress.StartItem(entries[i], sizes[i]);
      report.Add(tester.Test(entries[i]));
      progress.FinishItem();
    }
    window.stopTimer1();
    window.setPanelText(2, window.elapsedText());
    window.setPanelText(1, EndText(report, progress.cancelled()));
  }
  report.WriteToLog();
  window.showReport(report);
  return report.Count(ArchiveOutcome::Done);
}

}  // namespace qvr
