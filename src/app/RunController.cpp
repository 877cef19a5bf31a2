#include "RunController.h"

#include <algorithm>

namespace qvr {

RunController::After RunController::Start(bool ddMode) {
  if (running_) return After::Nothing;
  RunEnd end = RunEnd::StayOpen;
  do {
    addedDuringRun_ = false;
    running_ = true;
    window_.setRunning(true);
    RunStatus status = RunStatus::AllDone;
    end = window_.run(&status);
    running_ = false;
    window_.setRunning(false);
    // The exit status of a drag-and-drop start: the worst of its runs.
    if (ddMode) exitStatus_ = std::max(exitStatus_, int(status));
    // A drag-and-drop start ends after its run; files a second start handed over meanwhile
    // would be lost with it, so they get a run of their own first.
  } while (end == RunEnd::EndProgram && addedDuringRun_ && window_.listCount() > 0);
  if (end == RunEnd::EndProgram) return After::EndProgram;
  if (closeAfterRun_) {
    closeAfterRun_ = false;
    return After::Close;
  }
  return addedDuringRun_ ? After::DecideWorkMode : After::Nothing;
}

bool RunController::FilesAdded() {
  if (running_) addedDuringRun_ = true;
  return running_;
}

bool RunController::MayClose() {
  if (running_) closeAfterRun_ = true;
  return !running_;
}

}  // namespace qvr
