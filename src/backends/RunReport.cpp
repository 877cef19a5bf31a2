#include "RunReport.h"

#include <ctime>

#include "DateTimeText.h"
#include "ErrorLog.h"
#include "Translate.h"
#include "qvr/ArchiverAbi.h"

namespace qvr {

ReportRow FailedRow(const std::string& archive, std::string reason) {
  return {.archive = archive, .outcome = ArchiveOutcome::Failed, .reason = std::move(reason)};
}

std::string MissingReason(const std::string& component) {
  return Tr("RunReport", "「") + component + Tr("RunReport", "」がありません");
}

ReportRow RowOfCall(const std::string& archive, int32_t result, RunProgress::Tally tally,
                    bool stopped) {
  ReportRow row{.archive = archive, .written = tally.written, .skipped = std::move(tally.skipped)};
  if (result != 0) {
    row.outcome = stopped ? ArchiveOutcome::Stopped : ArchiveOutcome::Failed;
    row.reason = ReasonOfResult(result, tally.failedEntry);
  }
  return row;
}

std::string ReasonOfResult(int32_t code, const std::string& entry) {
  const std::string at =
      entry.empty() ? "" : Tr("RunReport", "（「") + entry + Tr("RunReport", "」）");
  switch (code) {
    case 0:
      return "";
    case ERROR_PASSWORD_FILE:
      return Tr("RunReport", "パスワードがないか、違います") + at;
    case ERROR_FILE_CRC:
    case ERROR_BROKEN_DATA:
    case ERROR_HEADER_BROKEN:
      return Tr("RunReport", "データが壊れています") + at;
    case ERROR_UNKNOWN_TYPE:
    case ERROR_NOT_ARC_FILE:
    case ERROR_METHOD:
    case ERROR_NOT_SUPPORT:
      return Tr("RunReport", "対応していない形式です") + at;
    case ERROR_DISK_SPACE:
      return Tr("RunReport", "書き込み先の空きがありません") + at;
    case ERROR_MAKEDIRECTORY:
    case ERROR_CANNOT_WRITE:
      return Tr("RunReport", "書き込み先に書き込めません") + at;
    case ERROR_NOT_EXIST:
    case ERROR_ARC_FILE_OPEN:
    case ERROR_CANNOT_READ:
    case ERROR_FILE_OPEN:
      return Tr("RunReport", "ファイルを読めません") + at;
    case ERROR_USER_CANCEL:
      return Tr("RunReport", "中止しました") + at;
    case ERROR_COMMAND_NAME:
      return Tr("RunReport", "ライブラリが指示を受け付けません") + at;
    case ERROR_NOT_FIND_FILE:
      return Tr("RunReport", "該当するファイルがありません");
    default:
      return Tr("RunReport", "エラー（") + std::to_string(code) + Tr("RunReport", "）") + at;
  }
}

std::string ReasonOfSkip(int32_t reason) {
  switch (reason) {
    case kSkipNoName:
      return Tr("RunReport", "使える名前がない");
    case kSkipDevice:
      return Tr("RunReport", "デバイスまたはFIFO");
    case kSkipLinkOutside:
      return Tr("RunReport", "展開先の外を指すリンク");
    case kSkipHardlinkAway:
      return Tr("RunReport", "展開先にないファイルへのハードリンク");
    default:
      return Tr("RunReport", "安全のため除外");
  }
}

std::string OutcomeText(ArchiveOutcome outcome, ReportKind kind) {
  switch (outcome) {
    case ArchiveOutcome::Done:
      return kind == ReportKind::Extract   ? Tr("RunReport", "解凍しました")
             : kind == ReportKind::Archive ? Tr("RunReport", "圧縮しました")
                                           : Tr("RunReport", "正常です");
    case ArchiveOutcome::Failed:
      return Tr("RunReport", "失敗");
    case ArchiveOutcome::Stopped:
      return Tr("RunReport", "中止");
  }
  return "";
}

int RunReport::Count(ArchiveOutcome outcome) const {
  int n = 0;
  for (const ReportRow& row : rows_) n += row.outcome == outcome ? 1 : 0;
  return n;
}

bool RunReport::HasProblems() const {
  for (const ReportRow& row : rows_)
    if (row.outcome == ArchiveOutcome::Failed || !row.skipped.empty()) return true;
  return false;
}

std::vector<std::string> RunReport::Lines() const {
  std::vector<std::string> lines;
  for (const ReportRow& row : rows_) {
    std::string line = row.archive + "\t" + OutcomeText(row.outcome, kind_);
    line += "\t" + row.reason;
    line +=
        "\t" + (row.written < 0 ? std::string("-")
                                : std::to_string(row.written) +
                                      (kind_ == ReportKind::Test ? Tr("RunReport", "個検査")
                                                                 : Tr("RunReport", "個書き出し")));
    if (!row.skipped.empty())
      line += "\t" + std::to_string(row.skipped.size()) + Tr("RunReport", "個除外");
    if (!row.note.empty()) line += "\t" + row.note;
    lines.push_back(line);
    for (const auto& [entry, reason] : row.skipped)
      lines.push_back(Tr("RunReport", "\t除外: ") + entry + "\t" + ReasonOfSkip(reason));
  }
  return lines;
}

std::string RunReport::Text() const {
  std::string text;
  for (const std::string& line : Lines()) text += line + "\n";
  return text;
}

std::vector<std::string> RunReport::Outputs() const {
  std::vector<std::string> outputs;
  for (const ReportRow& row : rows_)
    if (row.outcome == ArchiveOutcome::Done && !row.output.empty()) outputs.push_back(row.output);
  return outputs;
}

void RunReport::WriteToLog() const {
  if (rows_.empty()) return;
  ErrorLog log;
  const std::string run = kind_ == ReportKind::Extract   ? Tr("RunReport", " 解凍の結果")
                          : kind_ == ReportKind::Archive ? Tr("RunReport", " 圧縮の結果")
                                                         : Tr("RunReport", " 検査の結果");
  log.Line(DateTimeText(std::time(nullptr)) + run);
  for (const std::string& line : Lines()) log.Line(line);
}

}  // namespace qvr
