// The run as the main window drives it (Btn_Start, MnuStart, a drag-and-drop start): one at
// a time, the start controls off while it goes, the exit status of a drag-and-drop start
// (the worst of its runs), a run of their own for files handed over during a drag-and-drop
// run, and what the window does afterwards. Widget-free: the window hands in its parts.
#pragma once

#include <functional>

#include "BatchRun.h"

namespace qvr {

class RunController {
 public:
  struct Window {
    std::function<void(bool running)> setRunning;  // the controls off, then on again
    std::function<RunEnd(RunStatus* status)> run;  // one run of the work mode
    std::function<int()> listCount;
  };
  // What the window does when the run is over.
  enum class After { Nothing, EndProgram, Close, DecideWorkMode };

  explicit RunController(Window window) : window_(std::move(window)) {}

  // Runs (nothing while a run goes on); ddMode: a drag-and-drop start.
  After Start(bool ddMode);
  bool running() const { return running_; }
  // The process's exit status after a drag-and-drop start (RunStatus); 0 otherwise.
  int exitStatus() const { return exitStatus_; }
  // Files were dropped or handed over; true when a run goes on (it keeps its work mode,
  // the window decides it afterwards).
  bool FilesAdded();
  // The window is to close; false during a run, which closes it when it is over.
  bool MayClose();

 private:
  Window window_;
  bool running_ = false;
  bool closeAfterRun_ = false;   // the window was closed during a run
  bool addedDuringRun_ = false;  // files were dropped or handed over during a run
  int exitStatus_ = 0;
};

}  // namespace qvr
