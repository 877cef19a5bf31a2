// The small window of a /DDMODE start, whose main window stays hidden: the run's bar, the
// archive in hand and a "中止" button.
#pragma once

#include <QWidget>

namespace qvr {

class RunProgress;
class RunProgressView;

class frmProgress : public QWidget {
  Q_OBJECT

 public:
  explicit frmProgress(QWidget* parent = nullptr);
  // Shows the window following `progress`; null hides it.
  void Follow(RunProgress* progress);
  RunProgressView* view() const { return view_; }

 protected:
  // Closing the window stops the run, as its button does.
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  RunProgressView* view_ = nullptr;
};

}  // namespace qvr
