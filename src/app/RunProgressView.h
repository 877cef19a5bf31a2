// The progress of the run under way as the user sees it: a bar for the whole run (busy while
// a step has no measure), the archive or file in hand with the entry inside it, and the time
// left once it can be estimated. It reads the run's RunProgress ten times a second; a
// "中止" button (the /DDMODE window's) stops the run.
#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace qvr {

class RunProgress;

class RunProgressView : public QWidget {
  Q_OBJECT

 public:
  // withCancel: a "中止" button of its own (the main window stops the run with Btn_Start).
  explicit RunProgressView(bool withCancel, QWidget* parent = nullptr);

  // Follows `progress` and shows itself; null hides it (the bar is left where it stood).
  void Follow(RunProgress* progress);
  RunProgress* progress() const { return progress_; }
  QProgressBar* bar() const { return ProgressBar1; }
  QLabel* itemLabel() const { return lblProgress; }
  QPushButton* cancelButton() const { return Btn_Cancel; }
  // Stops the run it follows (nothing when it follows none).
  void Cancel();
  // Reads the progress once more (the timer does it; tests call it to read at once).
  void Refresh();

 private:
  QProgressBar* ProgressBar1 = nullptr;
  QLabel* lblProgress = nullptr;
  QLabel* lblTimeLeft = nullptr;
  QPushButton* Btn_Cancel = nullptr;
  QTimer timer_;
  RunProgress* progress_ = nullptr;
};

// "残り 00:01:23" for seconds left.
QString TimeLeftText(int64_t seconds);

}  // namespace qvr
