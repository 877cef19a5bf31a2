// The one narrow interface through which the engines reach the main window.
// Form1 implements it; tests use a recording fake. Everything an engine shows or
// asks goes through here, so engines stay free of widgets.
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "RunProgress.h"

namespace qvr {

class RunReport;

enum class MsgIcon { None, Critical, Question, Exclamation, Information };
// YesNoAllCancel: Yes / Yes to all / No / No to all / Cancel, the overwrite question.
// YesNoDefaultNo: Yes / No where Return and Escape answer No, for a step that cannot be undone.
// OkDetails: OK / "詳細(&D)", the end box of a run with a report.
enum class MsgButtons {
  Ok,
  OkCancel,
  YesNo,
  YesNoCancel,
  YesNoAllCancel,
  YesNoDefaultNo,
  OkDetails
};
enum class MsgResult { Ok, Cancel, Yes, No, YesToAll, NoToAll, Details };

// The program's title, used for every message box.
inline constexpr const char* kProgramTitle = "QuiverArchiver";

class MainWindowPort {
 public:
  virtual ~MainWindowPort() = default;

  // List1: the ordered full paths the next run works on.
  virtual int listCount() const = 0;
  virtual std::string listItem(int index) const = 0;
  virtual void listAdd(const std::string& path) = 0;
  virtual void listRemove(int index) = 0;
  virtual void listClear() = 0;
  // The folders dropped or named whose files went into List1 since it was last empty: a
  // "一括" archive keeps each one's own name as the top folder of its files.
  void listAddFolder(const std::string& folder) { listFolders_.push_back(folder); }
  const std::vector<std::string>& listFolders() const { return listFolders_; }
  void listForgetFolders() { listFolders_.clear(); }
  // Whether the entry is selected in List1 (multiple selection).
  virtual bool listSelected(int /*index*/) const { return false; }
  // List1 is hidden while many entries change at once, and the pointer shows the busy
  // cursor during long walks; each pair nests.
  virtual void setListVisible(bool /*visible*/) {}
  virtual void setBusyCursor(bool /*busy*/) {}

  // StatusBar1 panels, numbered 1 to 5 as in the status bar.
  virtual void setPanelText(int panel, const std::string& text) = 0;
  virtual std::string panelText(int panel) const = 0;

  // A modal message box with the program's title; waits for the answer.
  virtual MsgResult messageBox(const std::string& text, MsgIcon icon, MsgButtons buttons) = 0;
  // An input box; "" when cancelled or answered empty.
  virtual std::string inputBox(const std::string& prompt, const std::string& title,
                               const std::string& defaultText) = 0;
  // The password question (masked input, the program's title); nullopt when cancelled. The
  // one member a library call may reach from the worker of runResponsive: it is then shown
  // on the window's thread while the worker waits.
  virtual std::optional<std::string> passwordBox(const std::string& /*prompt*/) {
    return std::nullopt;
  }
  // A new password (masked, typed twice: the second entry must match the first; never
  // empty); nullopt when cancelled.
  virtual std::optional<std::string> newPasswordBox(const std::string& /*prompt*/) {
    return std::nullopt;
  }
  // Common dialogs; "" when cancelled. A filter is a list of description/pattern pairs.
  virtual std::string browseForFolder() = 0;
  virtual std::string openFileDialog(const std::vector<std::string>& filter,
                                     const std::string& initialFolder) = 0;
  virtual std::string saveFileDialog(const std::vector<std::string>& filter,
                                     const std::string& initialFolder) = 0;

  // Timer1: ticks status panel 2 with the time since the remembered start.
  virtual void startTimer1() = 0;
  virtual void stopTimer1() = 0;
  // Time since the last startTimer1 formatted "hh:nn:ss".
  virtual std::string elapsedText() const = 0;

  // The top-level window handed to archiver libraries as their owner (a QWidget*), or null.
  virtual void* ownerWindow() const = 0;
  // Lets the window repaint and handle input while a long step waits.
  virtual void pumpEvents() = 0;
  // Runs one long library call (an extraction, a check, a size walk) while the window goes
  // on repainting, ticking Timer1 and taking drops and hand-offs; returns when it is done.
  // The work must not touch the window: it may run on another thread.
  virtual void runResponsive(const std::function<void()>& work) { work(); }
  // Runs `work` on the window's thread and waits for it: how a worker of runResponsive shows
  // or asks something. Questions from several workers are shown one at a time.
  virtual void onWindowThread(const std::function<void()>& work) { work(); }

  // The progress of the run under way, shown while it is given (the bar, the item in hand,
  // the time left; the start button and Escape stop it); null hides it again.
  virtual void showProgress(RunProgress* /*progress*/) {}
  // The report window of a run, offered by its end box.
  virtual void showReport(const RunReport& /*report*/) {}

 private:
  std::vector<std::string> listFolders_;
};

// runResponsive for a call with a result.
template <class Work>
auto RunResponsive(MainWindowPort& window, Work&& work) -> decltype(work()) {
  decltype(work()) result{};
  window.runResponsive([&] { result = work(); });
  return result;
}

// Shows the progress on the window while it lives.
class ProgressShown {
 public:
  ProgressShown(MainWindowPort& window, RunProgress& progress) : window_(window) {
    window_.showProgress(&progress);
  }
  ~ProgressShown() { window_.showProgress(nullptr); }
  ProgressShown(const ProgressShown&) = delete;
  ProgressShown& operator=(const ProgressShown&) = delete;

 private:
  MainWindowPort& window_;
};

// The progress a run hands an engine, or one of the engine's own, shown while it lives.
class EngineProgress {
 public:
  EngineProgress(MainWindowPort& window, RunProgress* given) : progress_(given ? *given : own_) {
    if (!given) shown_.emplace(window, own_);
  }
  RunProgress& operator*() { return progress_; }
  RunProgress* operator->() { return &progress_; }

 private:
  RunProgress own_;
  RunProgress& progress_;
  std::optional<ProgressShown> shown_;
};

// The entries of List1 now, in order: what a run starting now works on (the list may grow
// while the window answers during the run).
std::vector<std::string> ListEntries(const MainWindowPort& window);

// Removes the entries a run worked on, one list entry per worked path. Entries added while
// the run went on (a drop, a second start's hand-off) stay for the next run.
void RemoveWorkedEntries(MainWindowPort& window, const std::vector<std::string>& worked);

// "hh:nn:ss" of a duration, hours not wrapped at 24.
std::string FormatElapsed(std::chrono::seconds elapsed);

}  // namespace qvr
