// The run of Start in extract mode and the completion notice shared by both work modes:
// the destination choice, the pre-scan and the extraction loop, then the e-mail, the sound,
// opening the destination folder and the final box. Form1 calls it from Btn_Start and
// draws what it returns; nothing here knows a widget.
#pragma once

#include <functional>
#include <string>

#include "ExtractArchives.h"

namespace qvr {

class MainWindowPort;
struct LibraryStatus;

// The e-mail notice: result word "SUCCESS" or "FAIL", work mode "Extract" or "Archive".
// The mail component is not part of the program yet, so the default sends nothing.
class MailNotice {
 public:
  virtual ~MailNotice() = default;
  virtual void Send(const std::string& /*result*/, const std::string& /*workMode*/) {}
};

// Plays GENERAL/SoundFilePath at the end of a run; must return at once (never waits for
// the sound to end).
class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  virtual void Play(const std::string& soundFile) = 0;
};

inline constexpr const char* kWorkModeExtract = "Extract";
inline constexpr const char* kWorkModeArchive = "Archive";

// Where a run puts its results.
enum class DestinationKind { OwnFolder = 1, Chosen = 2, Desktop = 3 };
struct Destination {
  bool cancelled = false;  // a dialog was answered empty: the run ends here
  bool single = false;     // every archive goes to folder
  std::string folder;
  DestinationKind kind = DestinationKind::OwnFolder;
  std::string openFolder;  // opened afterwards: folder, or the first entry's for OwnFolder
};

// What the window supplies to one run.
struct BatchRun {
  ExtractRun extract;
  int targetPlace = 0;  // cmbTargetPlace's index (NORMAL start-up)
  MailNotice* mail = nullptr;
  SoundPlayer* sound = nullptr;
  std::function<void()> closeViewer;  // closes the archive viewer when it is open
  // Starts a command line without waiting (cExecute::ShellX); tests record it instead.
  std::function<void(const std::string& commandLine, void* ownerWindow)> shellX;
};

// What the caller does when the run is over.
enum class RunEnd {
  StayOpen,   // back to the window
  EndProgram  // drag-and-drop start: the notice was given, the program ends
};

// The user's desktop folder (XDG), without a trailing "/".
std::string DesktopFolder();

// The destination of an extract run by start-up mode and choice. Sets status panel 1 when
// a dialog is answered empty.
Destination ChooseExtractDestination(const BatchRun& run);

// Start in extract mode, from the destination to the completion notice.
RunEnd StartExtract(const BatchRun& run);

// The completion notice after either engine, with n = the number of successes.
void Completion(const BatchRun& run, int successes, const std::string& workMode,
                const Destination& destination);

}  // namespace qvr
