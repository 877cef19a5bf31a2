#include "MainControls.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPushButton>

#include "QtHelpers.h"
#include "Settings.h"
#include "StringTable.h"
#include "Translate.h"

namespace qvr {
namespace {

// Each entry shows its text in the interface's language and keeps the source as its data:
// the run and QvrArc.ini read the source, whatever the language.
QComboBox* Box(QWidget* parent, const char* name, std::initializer_list<const char*> items,
               const QString& tip) {
  auto* box = new QComboBox(parent);
  box->setObjectName(name);
  for (const char* item : items) box->addItem(TrQ("MainControls", item), QString::fromUtf8(item));
  box->setToolTip(tip);
  return box;
}

QPushButton* Button(QWidget* parent, const char* name) {
  auto* button = new QPushButton(parent);
  button->setObjectName(name);
  return button;
}

// The three boxes and the QvrArc.ini keys of their choices.
struct Choice {
  QComboBox* MainControls::*box;
  const char* section;
  const char* key;
};
constexpr Choice kChoices[] = {
    {&MainControls::cmbTargetPlace, "EXTRACT_NORMAL", "TargetPlace"},
    {&MainControls::cmbArcMethod, "ARCHIVE_NORMAL", "ArchiveMethod"},
    {&MainControls::cmbArcType, "ARCHIVE_NORMAL", "ArchiveType"},
};

}  // namespace

QWidget* MainControls::Build(QWidget* parent, int heightPixels) {
  auto* panel = new QWidget(parent);
  panel->setFixedHeight(heightPixels);
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(6, 4, 6, 4);
  cmbTargetPlace = Box(panel, "cmbTargetPlace",
                       {QVR_TRANSLATE_NOOP("MainControls", "書庫のある場所"),
                        QVR_TRANSLATE_NOOP("MainControls", "自分で決定"),
                        QVR_TRANSLATE_NOOP("MainControls", "いつものところ"),
                        QVR_TRANSLATE_NOOP("MainControls", "デスクトップ")},
                       TrQ("MainControls", "解凍先"));
  cmbArcMethod =
      Box(panel, "cmbArcMethod",
          {QVR_TRANSLATE_NOOP("MainControls", "個別"), QVR_TRANSLATE_NOOP("MainControls", "一括")},
          TrQ("MainControls", "圧縮方法"));
  cmbArcType =
      Box(panel, "cmbArcType",
          {"LZH", "ZIP", "CAB", "YZ1", "YZ2", "TAR", "GZ", "BZ2", "BZA", "GZA", "RK", "7Z", "PQA"},
          TrQ("MainControls", "圧縮形式"));
  Btn_Start = Button(panel, "Btn_Start");
  Btn_Test = Button(panel, "Btn_Test");
  Btn_Test->setText(QCoreApplication::translate("MainControls", "検査(&T)"));
  Btn_Test->setToolTip(QCoreApplication::translate("MainControls", "書庫を展開せずに検査します"));
  Btn_Option = Button(panel, "Btn_Option");
  Btn_Close = Button(panel, "Btn_Close");
  row->addWidget(cmbTargetPlace);
  row->addWidget(cmbArcMethod);
  row->addWidget(cmbArcType);
  row->addStretch(1);
  row->addWidget(Btn_Test);
  row->addWidget(Btn_Start);
  row->addWidget(Btn_Option);
  row->addWidget(Btn_Close);
  return panel;
}

void MainControls::RestoreChoices() {
  for (const Choice& c : kChoices) {
    QComboBox* box = this->*c.box;
    std::string stored = CutAtNull(GetIniString(kQvrArcIni, c.section, c.key));
    int index = stored.empty() ? 0 : box->findData(Q(stored), Qt::UserRole, Qt::MatchExactly);
    // A stored text that is no longer offered selects the first entry.
    box->setCurrentIndex(index < 0 ? 0 : index);
  }
}

void MainControls::SaveChoices() {
  for (const Choice& c : kChoices)
    WriteIniString(kQvrArcIni, c.section, c.key,
                   (this->*c.box)->currentData().toString().toStdString());
}

void MainControls::ShowMode(bool extract) {
  Btn_Start->setText(ResCaption(extract ? 31 : 41));
  for (QComboBox* box : {cmbArcMethod, cmbArcType}) {
    box->setEnabled(!extract);
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base,
                     QApplication::palette().color(extract ? QPalette::Button : QPalette::Base));
    box->setPalette(palette);
  }
}

void MainControls::ApplyCaptions(bool extract) {
  Btn_Start->setText(ResCaption(extract ? 31 : 41));
  Btn_Option->setText(ResCaption(32));
  Btn_Close->setText(ResCaption(2));
}

// During a run only the list (to take more files), the help, the error log and the stop
// answer.
void MainControls::SetRunning(bool running, bool extract) {
  for (QWidget* control : {static_cast<QWidget*>(Btn_Option), static_cast<QWidget*>(cmbTargetPlace),
                           static_cast<QWidget*>(Btn_Test)})
    control->setEnabled(!running);
  Btn_Start->setText(running ? QCoreApplication::translate("MainControls", "中止(&S)")
                             : ResCaption(extract ? 31 : 41));
}

}  // namespace qvr
