// The frame the three options dialogs share: the design's tab strip with its pages
// (TabStrip1 and its Picture1 pages: only the page of the chosen tab is enabled), OK and
// Cancel, and the bindings that move a dialog's values (OptionRows) into its controls and
// back. A dialog names its controls, lays them out on its pages and binds them; OK asks
// the dialog to save and closes only when it agrees.
#pragma once

#include <QDialog>
#include <QString>
#include <initializer_list>
#include <string>
#include <vector>

#include "OptionRows.h"

class QAbstractButton;
class QBoxLayout;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace qvr {

class OptionTabDialog : public QDialog {
  Q_OBJECT

 public:
  OptionTabDialog(const char* name, const std::string& caption, QWidget* parent);

  // A new page behind a tab; its layout takes the page's controls from top to bottom.
  QBoxLayout* AddPage(const std::string& caption, const std::string& toolTip);
  QWidget* page(int index) const;
  int pageCount() const;
  // The tab click: every page disabled, the chosen one enabled and shown.
  void SelectPage(int index);

  // Controls named as the design names them (objectName), with their tool tips.
  QCheckBox* NewCheck(const char* name, const std::string& caption,
                      const std::string& toolTip = "");
  QRadioButton* NewOption(const char* name, const std::string& caption,
                          const std::string& toolTip = "");
  QLineEdit* NewText(const char* name, const std::string& toolTip = "");
  QComboBox* NewCombo(const char* name, std::initializer_list<const char*> items, bool editable);
  QPushButton* NewButton(const char* name, const std::string& caption,
                         const std::string& toolTip = "");
  // A frame with its option buttons side by side (or stacked) and an exclusive group.
  QGroupBox* NewFrame(const std::string& caption, std::initializer_list<QWidget*> controls,
                      bool stacked = false);
  // A label and its controls in one row.
  QBoxLayout* Row(const std::string& label, std::initializer_list<QWidget*> controls);
  QLabel* Hint(const std::string& text);

  // Bindings of the rows to their controls.
  void Bind(int row, QCheckBox* box);
  void Bind(int row, QLineEdit* text);
  void Bind(int row, QComboBox* combo);
  void Bind(int row, std::vector<QRadioButton*> group);
  // Shows the values in the bound controls.
  void ShowValues(const OptionValues& values);
  // The values the controls hold; rows without a control, and an option group with no
  // button chosen, keep what `loaded` holds.
  OptionValues TakeValues(const OptionValues& loaded) const;

  // A box titled "QuiverArchiver" owned by this dialog.
  void Inform(const std::string& text);
  // The common folder dialog owned by this dialog; "" when cancelled.
  std::string BrowseFolder();

  QTabWidget* TabStrip1 = nullptr;
  QPushButton* Btn_OK = nullptr;
  QPushButton* Btn_Cancel = nullptr;

 protected:
  // OK: false keeps the dialog open (the dialog has said why).
  virtual bool Save() = 0;

 private:
  struct Binding {
    int row;
    QCheckBox* check = nullptr;
    QLineEdit* text = nullptr;
    QComboBox* combo = nullptr;
    std::vector<QRadioButton*> group;
  };
  std::vector<Binding> bindings_;
  std::vector<QWidget*> pages_;
};

}  // namespace qvr
