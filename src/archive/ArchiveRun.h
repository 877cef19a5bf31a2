// What both archiving methods share: the run's inputs from the main window, and the caller
// that runs one archive command (library entry or outside tool) with the run's questions:
// what is not installed (said once per component), and whether an existing file may be
// replaced (Yes / Yes to all / No / No to all / Cancel, remembered for the run).
#pragma once

#include "Translate.h"

#include <set>
#include <string>

namespace qvr {

class MainWindowPort;
class RunProgress;
class RunReport;
struct LibraryStatus;
struct ArchiveCommand;

struct ArchiveRun {
  MainWindowPort& window;
  const LibraryStatus& status;
  std::string arcTypeText;  // cmbArcType's text
  // The run's progress (shown by the run) and report; null: the engine keeps its own.
  RunProgress* progress = nullptr;
  RunReport* report = nullptr;
  // The password typed at Start for the archives of the run (memory only); null: none.
  const std::string* password = nullptr;
};

inline constexpr const char* kNoFilesText =
    QVR_TRANSLATE_NOOP("ArchiveRun", "ファイルがありません。");
inline constexpr const char* kUnsupportedText =
    QVR_TRANSLATE_NOOP("ArchiveRun", "対応していない形式のファイルです");

class ArchiveCaller {
 public:
  explicit ArchiveCaller(const ArchiveRun& run) : run_(run) {}

  enum class Replace { Go, Skip, Stop };
  // Before a command that writes `archive` anew: Go when no such file exists or the user
  // allows replacing it; Skip for No; Stop for Cancel (the run ends).
  Replace MayReplace(const std::string& archive);

  // Says that the path cannot be handed to the library as it is.
  void RefuseName(const std::string& path);

  // Runs the command when every component it needs is installed (else a stop box naming
  // what is missing, once per component in a run); true when the library answered 0 or the
  // tool was started. An unsupported command shows the unsupported-format box. A library
  // call tells `progress` how far it got and stops when it is cancelled.
  bool Run(const ArchiveCommand& command, RunProgress* progress = nullptr);
  // Why the last Run failed, for the report ("" after a success).
  const std::string& lastReason() const { return lastReason_; }

 private:
  const ArchiveRun& run_;
  std::string lastReason_;
  std::set<std::string> reported_;
  bool yesToAll_ = false;
  bool noToAll_ = false;
};

}  // namespace qvr
