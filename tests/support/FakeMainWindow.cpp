#include "FakeMainWindow.h"

namespace qvr::test {

void FakeMainWindow::setPanelText(int panel, const std::string& text) {
  panels.at(size_t(panel)) = text;
  panelHistory.emplace_back(panel, text);
}

MsgResult FakeMainWindow::messageBox(const std::string& text, MsgIcon icon, MsgButtons buttons) {
  messages.push_back({text, icon, buttons});
  if (!messageAnswers.empty()) {
    MsgResult answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
  }
  bool question = buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ||
                  buttons == MsgButtons::YesNoAllCancel || buttons == MsgButtons::YesNoDefaultNo;
  return question ? MsgResult::Yes : MsgResult::Ok;
}

std::string FakeMainWindow::nextDialogAnswer() {
  if (dialogAnswers.empty()) return "";
  std::string answer = dialogAnswers.front();
  dialogAnswers.pop_front();
  return answer;
}

std::string FakeMainWindow::inputBox(const std::string& prompt, const std::string& title,
                                     const std::string& defaultText) {
  dialogs.push_back("input:" + prompt);
  inputs.push_back({title, defaultText});
  return nextDialogAnswer();
}

std::optional<std::string> FakeMainWindow::passwordBox(const std::string& prompt) {
  passwordPrompts.push_back(prompt);
  if (passwordAnswers.empty()) return std::nullopt;
  std::optional<std::string> answer = passwordAnswers.front();
  passwordAnswers.pop_front();
  return answer;
}

std::optional<std::string> FakeMainWindow::newPasswordBox(const std::string& prompt) {
  return passwordBox("new:" + prompt);
}

std::string FakeMainWindow::browseForFolder() {
  dialogs.push_back("folder");
  return nextDialogAnswer();
}

std::string FakeMainWindow::openFileDialog(const std::vector<std::string>&, const std::string&) {
  dialogs.push_back("open");
  return nextDialogAnswer();
}

std::string FakeMainWindow::saveFileDialog(const std::vector<std::string>& filter,
                                           const std::string&) {
  dialogs.push_back("save");
  saveFilters.push_back(filter);
  return nextDialogAnswer();
}

void FakeMainWindow::setListVisible(bool visible) {
  if (!visible && listVisible) ++listHides;
  listVisible = visible;
}

void FakeMainWindow::startTimer1() {
  timerRunning = true;
  ++timerStarts;
}

}  // namespace qvr::test
