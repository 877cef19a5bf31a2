// The row under the main window's list, under the design's names: the destination, method
// and format boxes (cmbTargetPlace, cmbArcMethod, cmbArcType) and the three buttons
// (Btn_Start, Btn_Option, Btn_Close) and Btn_Test; the boxes' choices kept in QvrArc.ini, the
// captions of the work mode, and the controls a run turns off.
#pragma once

#include <QWidget>

class QComboBox;
class QPushButton;

namespace qvr {

struct MainControls {
  // The row, `heightPixels` high, as a child of `parent`.
  QWidget* Build(QWidget* parent, int heightPixels);
  // The boxes' choices from QvrArc.ini (a text no longer offered selects the first entry),
  // and back.
  void RestoreChoices();
  void SaveChoices();
  // Btn_Start's caption and the archive mode's boxes (off and grey in extract mode).
  void ShowMode(bool extract);
  void ApplyCaptions(bool extract);
  // During a run only Btn_Start answers, as "中止(&S)"; afterwards it is the mode's again.
  void SetRunning(bool running, bool extract);

  QComboBox* cmbTargetPlace = nullptr;
  QComboBox* cmbArcMethod = nullptr;
  QComboBox* cmbArcType = nullptr;
  QPushButton* Btn_Start = nullptr;
  QPushButton* Btn_Test = nullptr;  // "検査(&T)": the test run
  QPushButton* Btn_Option = nullptr;
  QPushButton* Btn_Close = nullptr;
};

}  // namespace qvr
