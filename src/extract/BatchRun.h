// The run of Start in extract mode: the destination choice, the pre-scan and the extraction
// loop, then the completion notice (src/notify). Form1 calls it from Btn_Start and draws
// what it returns; nothing here knows a widget.
#pragma once

#include <functional>
#include <string>

#include "Completion.h"
#include "ExtractArchives.h"

namespace qvr {

class MainWindowPort;
struct LibraryStatus;

// What the window supplies to one run.
struct BatchRun {
  ExtractRun extract;
  int targetPlace = 0;  // cmbTargetPlace's index (NORMAL start-up)
  MailNotice* mail = nullptr;
  SoundPlayer* sound = nullptr;
  std::function<void()> closeViewer;  // closes the archive viewer when it is open
  // Starts a command line without waiting (cExecute::ShellX); tests record it instead.
  std::function<void(const std::string& commandLine, void* ownerWindow)> shellX;
  DesktopNotice* desktop = nullptr;
};

// What the caller does when the run is over.
enum class RunEnd {
  StayOpen,   // back to the window
  EndProgram  // drag-and-drop start: the notice was given, the program ends
};

// How a run went, for the exit status of a drag-and-drop start (the values are the status).
enum class RunStatus {
  AllDone = 0,     // every archive on the list extracted
  SomeFailed = 1,  // at least one did not
  Stopped = 2,     // the run was stopped before extracting (a dialog, the pre-scan)
};

// The destination of an extract run by start-up mode and choice. Sets status panel 1 when
// a dialog is answered empty.
Destination ChooseExtractDestination(const BatchRun& run);

// Start in extract mode, from the destination to the completion notice; status (when given)
// receives how the run went.
RunEnd StartExtract(const BatchRun& run, RunStatus* status = nullptr);

// The run's part of the completion notice.
CompletionNotice NoticeOf(const BatchRun& run);

}  // namespace qvr
