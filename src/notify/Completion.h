// The completion notice after a run of either work mode: the e-mail, the sound, opening the
// destination folder and the final box. The window supplies the mail and sound components;
// nothing here knows a widget.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "WorkMode.h"

namespace qvr {

class MainWindowPort;
class RunReport;

// The e-mail notice: result word "SUCCESS" or "FAIL", the run's work mode and its counts
// as the end shows them (DoneText). The default sends nothing.
class MailNotice {
 public:
  virtual ~MailNotice() = default;
  virtual void Send(const std::string& /*result*/, WorkMode /*workMode*/,
                    const std::string& /*summary*/) {}
};

// Plays GENERAL/SoundFilePath at the end of a run; must return at once (never waits for
// the sound to end).
class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  virtual void Play(const std::string& soundFile) = 0;
};

// The desktop's own notice of the end of a run (a freedesktop notification): the program's
// title, the end box's text, and "フォルダを開く", which shows the folder with the items the
// run made selected (none: the folder alone). A desktop without a notification service
// shows nothing; the run never hears of it.
class DesktopNotice {
 public:
  virtual ~DesktopNotice() = default;
  virtual void Show(const std::string& text, const std::string& folder,
                    const std::vector<std::string>& items) = 0;
};

// Where a run puts its results.
enum class DestinationKind { OwnFolder = 1, Chosen = 2, Desktop = 3 };
struct Destination {
  bool cancelled = false;  // a dialog was answered empty: the run ends here
  bool single = false;     // every result goes to folder
  std::string folder;
  DestinationKind kind = DestinationKind::OwnFolder;
  std::string openFolder;  // opened afterwards: folder, or the first entry's for OwnFolder
};

// The user's desktop folder (SpecialFolderPath of the desktop), without a trailing "/".
std::string DesktopFolder();

// What the window supplies to the notice.
struct CompletionNotice {
  MainWindowPort& window;
  bool mailAvailable = false;  // the mail component is installed (BASP21)
  MailNotice* mail = nullptr;
  SoundPlayer* sound = nullptr;
  DesktopNotice* desktop = nullptr;
  // Starts a command line without waiting (cExecute::ShellX); tests record it instead.
  std::function<void(const std::string& commandLine, void* ownerWindow)> shellX;
};

// The end of a run in words: "2個のファイルを解凍完了！", followed by "（1個失敗）" when any
// failed ("圧縮完了！" in archive mode).
std::string DoneText(WorkMode workMode, int successes, int failures = 0);
// The end of a stopped run: "中止しました。（2個のファイルを解凍済み、1個失敗）".
std::string StoppedText(WorkMode workMode, int successes, int failures = 0);

// The notice after a run with the number of successes and the number that failed. A run
// the user stopped gives a notice only when some archive was finished, and says it was
// stopped. With the end box (GENERAL/EndNotice) comes the desktop's notice
// (GENERAL/DesktopNotice, on unless 0) of the same text. The end box offers the report ("詳細(&D)")
// when it names a failure or an entry left out; its lines then also go to Log.txt (also when
// nothing succeeded, which gives no end box).
void Completion(const CompletionNotice& notice, int successes, WorkMode workMode,
                const Destination& destination, int failures = 0, bool stopped = false,
                const RunReport* report = nullptr);

}  // namespace qvr
