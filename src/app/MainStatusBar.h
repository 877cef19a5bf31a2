// StatusBar1: panels 1 to 5 of the main window. Panel 1 takes the rest of the width, panels
// 2 and 3 the texts of a run, panels 4 and 5 the option pictures (StatusBarPictures), each
// 300 twips wide and ending 300 twips before the window's outer right edge, where their
// click zones lie. A click is measured from the window's outer left edge.
#pragma once

#include <QStatusBar>
#include <string>

#include "StatusBarPictures.h"

class QLabel;

namespace qvr {

class MainStatusBar : public QStatusBar {
  Q_OBJECT

 public:
  explicit MainStatusBar(QWidget* window);

  void setPanelText(int panel, const std::string& text);  // panels 1 to 5
  std::string panelText(int panel) const;
  // Panels 4 and 5 from the settings.
  void ShowPictures();
  // The window frame's right border counts into the 300 twips beside the pictures; called
  // whenever the frame may have changed.
  void AlignPictures();

 signals:
  // A click switched the setting of a picture's zone (already saved and redrawn).
  void zoneClicked(StatusBarZone zone);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QLabel* panels_[5] = {};
  QWidget* edge_ = nullptr;
};

}  // namespace qvr
