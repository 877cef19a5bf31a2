#include "frmFiltering.h"

#include "QtHelpers.h"
#include "Translate.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "Filtering.h"

namespace qvr {
namespace {

QComboBox* HistoryBox(const char* name, const char* history, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  for (const auto& line : ReadHistory(history)) box->addItem(QString::fromStdString(line));
  box->setCurrentIndex(-1);
  box->setEditText(QString());
  box->setMinimumWidth(240);
  return box;
}

QPushButton* Button(const char* name, const QString& caption, QWidget* parent) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

}  // namespace

frmFiltering::frmFiltering(MainWindowPort& window, bool filterOn, QWidget* parent)
    : QDialog(parent), window_(window), filterOn_(filterOn) {
  setObjectName("frmFiltering");
  setWindowTitle(TrQ("frmFiltering", "フィルタリング"));
  cmbFilterFileName = HistoryBox("cmbFilterFileName", kFilterNameHistory, this);
  cmbFilterExtension = HistoryBox("cmbFilterExtension", kFilterExtHistory, this);
  optInclude = new QRadioButton(TrQ("frmFiltering", "含む"), this);
  optInclude->setObjectName("optInclude");
  optNotInclude = new QRadioButton(TrQ("frmFiltering", "含まない"), this);
  optNotInclude->setObjectName("optNotInclude");
  optInclude->setChecked(true);
  Btn_Execute = Button("Btn_Execute", TrQ("frmFiltering", "適用"), this);
  Btn_NonExecute = Button("Btn_NonExecute", TrQ("frmFiltering", "解除"), this);
  Btn_Close = Button("Btn_Close", TrQ("frmFiltering", "閉じる"), this);
  Btn_NonExecute->setEnabled(filterOn_);

  auto* form = new QFormLayout;
  form->addRow(TrQ("frmFiltering", "ファイル名:"), cmbFilterFileName);
  form->addRow(TrQ("frmFiltering", "拡張子:"), cmbFilterExtension);
  auto* options = new QHBoxLayout;
  options->addWidget(optInclude);
  options->addWidget(optNotInclude);
  options->addStretch(1);
  form->addRow(new QLabel(TrQ("frmFiltering", "キーワードを"), this), options);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Btn_Execute);
  buttons->addWidget(Btn_NonExecute);
  buttons->addWidget(Btn_Close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);

  connect(Btn_Execute, &QPushButton::clicked, this, &frmFiltering::Btn_Execute_Click);
  connect(Btn_NonExecute, &QPushButton::clicked, this, &frmFiltering::Btn_NonExecute_Click);
  connect(Btn_Close, &QPushButton::clicked, this, &QDialog::reject);
}

void frmFiltering::Btn_Execute_Click() {
  filterOn_ = FilterExecute(window_, cmbFilterFileName->currentText().toStdString(),
                            cmbFilterExtension->currentText().toStdString(),
                            optNotInclude->isChecked(), filterOn_);
  accept();
}

void frmFiltering::Btn_NonExecute_Click() {
  filterOn_ = FilterRelease(window_);
  accept();
}

}  // namespace qvr
