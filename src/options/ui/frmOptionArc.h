// The archiving options (caption "Option-Archive-"): one page per format with
// the switch table's values (OptionArc). OK checks and writes every key in the
// table's order; Cancel writes nothing.
#pragma once

#include <initializer_list>

#include "OptionArc.h"
#include "OptionTabDialog.h"

namespace qvr {

class frmOptionArc : public OptionTabDialog {
  Q_OBJECT

 public:
  explicit frmOptionArc(QWidget* parent = nullptr);

 protected:
  bool Save() override;

 private:
  // A list of fixed items bound to its key, under its label, with the hint
  // lines.
  QComboBox* ListBox(QBoxLayout* page, ArchiveKey key, const char* name, const std::string& label,
                     std::initializer_list<const char*> items,
                     std::initializer_list<std::string> hints = {});
  QLineEdit* NumberBox(QBoxLayout* page, ArchiveKey key, const char* name, const std::string& label,
                       std::initializer_list<std::string> hints = {});
  QCheckBox* CheckBox(QBoxLayout* page, ArchiveKey key, const char* name,
                      const std::string& caption);
  void Hints(QBoxLayout* page, std::initializer_list<std::string> hints);

  OptionValues loaded_;
};

}  // namespace qvr
