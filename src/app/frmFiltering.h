// The filtering dialog: keywords for the name and the extension, "含む" / "含まない",
// "適用" filters the list, "解除" brings the unfiltered list back, "閉じる" closes.
#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;
class QRadioButton;

namespace qvr {

class MainWindowPort;

class frmFiltering : public QDialog {
  Q_OBJECT

 public:
  // filterOn: the check mark of MnuFiltering when the dialog opens.
  frmFiltering(MainWindowPort& window, bool filterOn, QWidget* parent = nullptr);
  // The check mark to set when the dialog has closed.
  bool filterState() const { return filterOn_; }

 private:
  void Btn_Execute_Click();
  void Btn_NonExecute_Click();

  MainWindowPort& window_;
  bool filterOn_;
  QComboBox* cmbFilterFileName = nullptr;
  QComboBox* cmbFilterExtension = nullptr;
  QRadioButton* optInclude = nullptr;
  QRadioButton* optNotInclude = nullptr;
  QPushButton* Btn_Execute = nullptr;
  QPushButton* Btn_NonExecute = nullptr;
  QPushButton* Btn_Close = nullptr;
};

}  // namespace qvr
