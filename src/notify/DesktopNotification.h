// The end of a run as a freedesktop notification (org.freedesktop.Notifications over the
// session bus), with the action "フォルダを開く": the file manager shows the folder with the
// run's new folders or archives selected (org.freedesktop.FileManager1), or, where no file
// manager answers, the folder is opened as any document is. Every call is asynchronous: a
// bus without a notification service costs the run nothing.
#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "Completion.h"

namespace qvr {

class DesktopNotification : public QObject, public DesktopNotice {
  Q_OBJECT

 public:
  // openFolder opens a folder when no file manager takes ShowItems (cExecute's ShellX).
  explicit DesktopNotification(std::function<void(const std::string& folder)> openFolder,
                               QObject* parent = nullptr);
  // A notice still shown when the program ends is taken back: its action would find no one.
  ~DesktopNotification() override;

  void Show(const std::string& text, const std::string& folder,
            const std::vector<std::string>& items) override;
  // Waits, answering events, until the last notice was closed or answered, or timeoutMs
  // passed: a drag-and-drop start has no window that keeps the program alive.
  void WaitUntilClosed(int timeoutMs);
  // True from Show until the notice was closed, answered or refused.
  bool pending() const { return pending_; }

 private slots:
  void OnActionInvoked(uint id, const QString& action);
  void OnClosed(uint id, uint reason);

 private:
  void ShowFolder();

  std::function<void(const std::string& folder)> openFolder_;
  bool listening_ = false;  // the notices' signals are connected
  bool pending_ = false;
  uint id_ = 0;
  std::string folder_;
  std::vector<std::string> items_;
};

}  // namespace qvr
