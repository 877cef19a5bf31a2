#include "OptionTabDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "CommonDialogs.h"
#include "QtHelpers.h"

namespace qvr {

OptionTabDialog::OptionTabDialog(const char* name, const std::string& caption, QWidget* parent)
    : QDialog(parent) {
  setObjectName(name);
  setWindowTitle(QString::fromStdString(caption));
  if (parent) setWindowIcon(parent->windowIcon());
  TabStrip1 = new QTabWidget(this);
  TabStrip1->setObjectName("TabStrip1");
  Btn_OK = new QPushButton("OK", this);
  Btn_OK->setObjectName("Btn_OK");
  Btn_OK->setDefault(true);
  Btn_Cancel = new QPushButton("Cancel", this);
  Btn_Cancel->setObjectName("Btn_Cancel");
  Btn_Cancel->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Btn_OK);
  buttons->addWidget(Btn_Cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(TabStrip1, 1);
  layout->addLayout(buttons);
  connect(TabStrip1, &QTabWidget::currentChanged, this, &OptionTabDialog::SelectPage);
  connect(Btn_OK, &QPushButton::clicked, this, [this] {
    if (Save()) accept();
  });
  connect(Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QBoxLayout* OptionTabDialog::AddPage(const std::string& caption, const std::string& toolTip) {
  auto* picture = new QWidget;
  picture->setObjectName(QStringLiteral("Picture1_%1").arg(pages_.size()));
  auto* layout = new QVBoxLayout(picture);
  int index = TabStrip1->addTab(picture, QString::fromStdString(caption));
  TabStrip1->setTabToolTip(index, QString::fromStdString(toolTip));
  // Page 0 is in front; the others start disabled.
  picture->setEnabled(index == 0);
  pages_.push_back(picture);
  return layout;
}

QWidget* OptionTabDialog::page(int index) const {
  return index >= 0 && index < pageCount() ? pages_[size_t(index)] : nullptr;
}

int OptionTabDialog::pageCount() const {
  return int(pages_.size());
}

void OptionTabDialog::SelectPage(int index) {
  for (QWidget* picture : pages_) picture->setEnabled(false);
  if (QWidget* chosen = page(index)) {
    chosen->setEnabled(true);
    if (TabStrip1->currentIndex() != index) TabStrip1->setCurrentIndex(index);
  }
}

QCheckBox* OptionTabDialog::NewCheck(const char* name, const std::string& caption,
                                     const std::string& toolTip) {
  auto* box = new QCheckBox(QString::fromStdString(caption), this);
  box->setObjectName(name);
  box->setToolTip(QString::fromStdString(toolTip));
  return box;
}

QRadioButton* OptionTabDialog::NewOption(const char* name, const std::string& caption,
                                         const std::string& toolTip) {
  auto* button = new QRadioButton(QString::fromStdString(caption), this);
  button->setObjectName(name);
  button->setToolTip(QString::fromStdString(toolTip));
  return button;
}

QLineEdit* OptionTabDialog::NewText(const char* name, const std::string& toolTip) {
  auto* text = new QLineEdit(this);
  text->setObjectName(name);
  text->setToolTip(QString::fromStdString(toolTip));
  return text;
}

QComboBox* OptionTabDialog::NewCombo(const char* name, std::initializer_list<const char*> items,
                                     bool editable) {
  auto* combo = new QComboBox(this);
  combo->setObjectName(name);
  for (const char* item : items) combo->addItem(QString::fromUtf8(item));
  combo->setEditable(editable);
  if (editable) combo->setInsertPolicy(QComboBox::NoInsert);
  return combo;
}

QPushButton* OptionTabDialog::NewButton(const char* name, const std::string& caption,
                                        const std::string& toolTip) {
  auto* button = new QPushButton(QString::fromStdString(caption), this);
  button->setObjectName(name);
  button->setToolTip(QString::fromStdString(toolTip));
  button->setAutoDefault(false);
  return button;
}

QGroupBox* OptionTabDialog::NewFrame(const std::string& caption,
                                     std::initializer_list<QWidget*> controls, bool stacked) {
  auto* frame = new QGroupBox(QString::fromStdString(caption), this);
  QBoxLayout* layout = stacked ? static_cast<QBoxLayout*>(new QVBoxLayout(frame))
                               : static_cast<QBoxLayout*>(new QHBoxLayout(frame));
  auto* group = new QButtonGroup(frame);
  for (QWidget* control : controls) {
    layout->addWidget(control);
    if (auto* option = qobject_cast<QRadioButton*>(control)) group->addButton(option);
  }
  if (!stacked) layout->addStretch(1);
  return frame;
}

QBoxLayout* OptionTabDialog::Row(const std::string& label,
                                 std::initializer_list<QWidget*> controls) {
  auto* row = new QHBoxLayout;
  if (!label.empty()) row->addWidget(new QLabel(QString::fromStdString(label), this));
  for (QWidget* control : controls)
    row->addWidget(control, qobject_cast<QLineEdit*>(control) ? 1 : 0);
  return row;
}

QLabel* OptionTabDialog::Hint(const std::string& text) {
  auto* label = new QLabel(QString::fromStdString(text), this);
  label->setWordWrap(true);
  return label;
}

void OptionTabDialog::Bind(int row, QCheckBox* box) {
  bindings_.push_back({row, box, nullptr, nullptr, {}});
}

void OptionTabDialog::Bind(int row, QLineEdit* text) {
  bindings_.push_back({row, nullptr, text, nullptr, {}});
}

void OptionTabDialog::Bind(int row, QComboBox* combo) {
  bindings_.push_back({row, nullptr, nullptr, combo, {}});
}

void OptionTabDialog::Bind(int row, std::vector<QRadioButton*> group) {
  bindings_.push_back({row, nullptr, nullptr, nullptr, std::move(group)});
}

void OptionTabDialog::ShowValues(const OptionValues& values) {
  for (const Binding& b : bindings_) {
    const std::string& value = values[size_t(b.row)];
    if (b.check) {
      b.check->setChecked(value == "1");
    } else if (b.text) {
      b.text->setText(Q(value));
    } else if (b.combo) {
      int index = b.combo->findText(Q(value), Qt::MatchExactly);
      // A stored value outside the list is shown as it is.
      if (index < 0 && !value.empty() && !b.combo->isEditable()) {
        b.combo->addItem(Q(value));
        index = b.combo->count() - 1;
      }
      if (b.combo->isEditable()) {
        b.combo->setEditText(Q(value));
      } else {
        b.combo->setCurrentIndex(index);
      }
    } else {
      // A value outside the group's buttons selects none.
      bool inRange = IsDigits(value) && value.size() <= 2;
      size_t chosen = inRange ? size_t(std::stoi(value)) : b.group.size();
      if (chosen < b.group.size()) b.group[chosen]->setChecked(true);
    }
  }
}

OptionValues OptionTabDialog::TakeValues(const OptionValues& loaded) const {
  OptionValues values = loaded;
  for (const Binding& b : bindings_) {
    std::string& value = values[size_t(b.row)];
    if (b.check) {
      value.assign(1, b.check->isChecked() ? '1' : '0');
    } else if (b.text) {
      value = b.text->text().toStdString();
    } else if (b.combo) {
      value = b.combo->currentText().toStdString();
    } else {
      for (size_t i = 0; i < b.group.size(); ++i)
        if (b.group[i]->isChecked()) value = std::to_string(i);
    }
  }
  return values;
}

void OptionTabDialog::Inform(const std::string& text) {
  MessageBoxOn(this, text, MsgIcon::Information, MsgButtons::Ok);
}

std::string OptionTabDialog::BrowseFolder() {
  return BrowseForFolder(this);
}

}  // namespace qvr
