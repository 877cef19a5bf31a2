// The Qt side of the window interface that every window of the program shares: message and
// input boxes and the common dialogs owned by the window, the busy cursor, and the worker
// that runs a long library call while the window goes on answering. The window that derives
// from it supplies the list, the status panels and Timer1.
#pragma once

#include <QWidget>

#include "MainWindowPort.h"

namespace qvr {

class MainWindowPortQt : public MainWindowPort {
 public:
  explicit MainWindowPortQt(QWidget* owner);

  void setBusyCursor(bool busy) override;
  MsgResult messageBox(const std::string& text, MsgIcon icon, MsgButtons buttons) override;
  std::string inputBox(const std::string& prompt, const std::string& title,
                       const std::string& defaultText) override;
  std::optional<std::string> passwordBox(const std::string& prompt) override;
  std::optional<std::string> newPasswordBox(const std::string& prompt) override;
  std::string browseForFolder() override;
  std::string openFileDialog(const std::vector<std::string>& filter,
                             const std::string& initialFolder) override;
  std::string saveFileDialog(const std::vector<std::string>& filter,
                             const std::string& initialFolder) override;
  void* ownerWindow() const override;
  void pumpEvents() override;
  void runResponsive(const std::function<void()>& work) override;
  void onWindowThread(const std::function<void()>& work) override;

 private:
  QWidget* owner_;
  int busy_ = 0;
};

}  // namespace qvr
