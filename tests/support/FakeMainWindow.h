// A recording stand-in for the main window: keeps the list and the panels, records every
// message box and dialog, and answers them from scripted queues.
#pragma once

#include <deque>
#include <set>
#include <string>
#include <vector>

#include "MainWindowPort.h"

namespace qvr::test {

struct MessageRecord {
  std::string text;
  MsgIcon icon;
  MsgButtons buttons;
};

class FakeMainWindow : public MainWindowPort {
 public:
  int listCount() const override { return int(list.size()); }
  std::string listItem(int index) const override { return list.at(size_t(index)); }
  void listAdd(const std::string& path) override { list.push_back(path); }
  void listRemove(int index) override { list.erase(list.begin() + index); }
  void listClear() override { list.clear(); }
  bool listSelected(int index) const override { return selected.count(index) != 0; }
  void setListVisible(bool visible) override;
  void setBusyCursor(bool busy) override { busyCursor = busy; }

  void setPanelText(int panel, const std::string& text) override;
  std::string panelText(int panel) const override { return panels.at(size_t(panel)); }

  MsgResult messageBox(const std::string& text, MsgIcon icon, MsgButtons buttons) override;
  std::string inputBox(const std::string& prompt, const std::string& title,
                       const std::string& defaultText) override;
  std::optional<std::string> passwordBox(const std::string& prompt) override;
  // Recorded among passwordPrompts as "new:" + prompt, answered from passwordAnswers.
  std::optional<std::string> newPasswordBox(const std::string& prompt) override;
  std::string browseForFolder() override;
  std::string openFileDialog(const std::vector<std::string>& filter,
                             const std::string& initialFolder) override;
  std::string saveFileDialog(const std::vector<std::string>& filter,
                             const std::string& initialFolder) override;

  void startTimer1() override;
  void stopTimer1() override { timerRunning = false; }
  std::string elapsedText() const override { return "00:00:00"; }
  void* ownerWindow() const override { return nullptr; }
  void pumpEvents() override {
    ++pumps;
    if (onPump) onPump();
  }
  void runResponsive(const std::function<void()>& work) override {
    ++responsiveCalls;
    work();
  }
  void showProgress(RunProgress* progress) override {
    shownProgress = progress;
    if (onShowProgress) onShowProgress(progress);
  }
  void showReport(const RunReport& report) override {
    ++reportsShown;
    if (onShowReport) onShowReport(report);
  }

  // What the fake holds and recorded.
  std::vector<std::string> list;
  std::set<int> selected;  // indices of selected entries
  bool listVisible = true;
  int listHides = 0;  // how often List1 was hidden
  bool busyCursor = false;
  std::vector<std::string> panels = std::vector<std::string>(6);
  std::vector<std::pair<int, std::string>> panelHistory;
  std::vector<MessageRecord> messages;
  std::vector<std::string> dialogs;  // "input:<prompt>", "folder", "open", "save"
  std::vector<std::pair<std::string, std::string>> inputs;  // each input box's title and default
  std::vector<std::vector<std::string>> saveFilters;        // each save dialog's filter
  bool timerRunning = false;
  int timerStarts = 0;
  int pumps = 0;
  int responsiveCalls = 0;
  std::function<void()> onPump;
  RunProgress* shownProgress = nullptr;  // the progress shown now
  std::function<void(RunProgress*)> onShowProgress;
  int reportsShown = 0;
  std::function<void(const RunReport&)> onShowReport;

  // Scripted answers; when a queue is empty: Ok/Yes for boxes, "" for dialogs.
  std::deque<MsgResult> messageAnswers;
  std::deque<std::string> dialogAnswers;
  // Password questions: each prompt, and the answers (nullopt = Cancel; none left = Cancel).
  std::vector<std::string> passwordPrompts;
  std::deque<std::optional<std::string>> passwordAnswers;

 private:
  std::string nextDialogAnswer();
};

}  // namespace qvr::test
