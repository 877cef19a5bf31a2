// What happened to each archive of a run: one row per archive (extracted, failed and why,
// or stopped), the entries written and the entries left out with the reason. The end box
// offers it when anything failed or was left out; its lines also go to Log.txt and can be
// copied as text. The reasons come from result codes and the libraries' reports, never
// from the words of a library's own text.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "RunProgress.h"

namespace qvr {

enum class ArchiveOutcome { Done, Failed, Stopped };
// Which run the report is of: extraction, archiving or the test run ("検査").
enum class ReportKind { Extract, Archive, Test };

// Every member has its default, so that a row names only what it differs in.
struct ReportRow {
  std::string archive{};  // full path
  ArchiveOutcome outcome = ArchiveOutcome::Done;
  std::string reason{};  // why it failed or stopped ("" when it went well)
  int written = -1;      // entries written; -1 when its library does not tell
  std::vector<std::pair<std::string, int32_t>> skipped{};  // entry, kSkip reason code
  std::string note{};    // what became of the archive afterwards ("ごみ箱へ移動しました")
  std::string output{};  // the folder made for its entries, or the archive made ("" for none)
};

// The row of an archive no library call was made for.
ReportRow FailedRow(const std::string& archive, std::string reason);
// The reason "「unzip32.so」がありません" for a component that is not installed.
std::string MissingReason(const std::string& component);
// The row of an archive after its library call: done for result 0, else failed (stopped when
// the run was) with the reason of the result naming the entry that failed.
ReportRow RowOfCall(const std::string& archive, int32_t result, RunProgress::Tally tally,
                    bool stopped);

// The words for a result code of a library call; `entry`: the entry in hand when it failed.
std::string ReasonOfResult(int32_t code, const std::string& entry);
// The words for an entry left out (a kSkip code).
std::string ReasonOfSkip(int32_t reason);
// The words of an outcome: "解凍しました" / "圧縮しました" / "正常です", "失敗", "中止".
std::string OutcomeText(ArchiveOutcome outcome, ReportKind kind);

class RunReport {
 public:
  explicit RunReport(ReportKind kind = ReportKind::Extract) : kind_(kind) {}
  void Add(ReportRow row) { rows_.push_back(std::move(row)); }
  const std::vector<ReportRow>& rows() const { return rows_; }
  ReportKind kind() const { return kind_; }
  int Count(ArchiveOutcome outcome) const;
  // True when some archive failed or had entries left out.
  bool HasProblems() const;
  // One line per archive, and one per entry left out below it (tab-separated fields).
  std::vector<std::string> Lines() const;
  std::string Text() const;
  // The lines to Log.txt, after a line naming the run's time.
  void WriteToLog() const;
  // What the run made: the outputs of the rows that went well, in list order.
  std::vector<std::string> Outputs() const;

 private:
  ReportKind kind_;
  std::vector<ReportRow> rows_;
};

}  // namespace qvr
