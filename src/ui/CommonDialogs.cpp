#include "CommonDialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

#include "QtHelpers.h"
#include "Translate.h"

namespace qvr {
namespace {

// "説明(*.a,*.b)" / "*.a;*.b" pairs as Qt name filters.
QString QtFilter(const std::vector<std::string>& filter) {
  QStringList filters;
  for (size_t i = 0; i + 1 < filter.size(); i += 2) {
    QString patterns = Q(filter[i + 1]).replace(';', ' ');
    filters << Q(filter[i]) + " (" + patterns + ")";
  }
  return filters.join(";;");
}

FileDialogStandIn& StandIn() {
  static FileDialogStandIn standIn;
  return standIn;
}

}  // namespace

MsgResult MessageBoxOn(QWidget* owner, const std::string& text, MsgIcon icon, MsgButtons buttons) {
  QMessageBox box(owner);
  box.setWindowTitle(QString::fromUtf8(kProgramTitle));
  box.setText(Q(text).replace("\r\n", "\n"));
  switch (icon) {
    case MsgIcon::Critical:
      box.setIcon(QMessageBox::Critical);
      break;
    case MsgIcon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case MsgIcon::Exclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case MsgIcon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case MsgIcon::None:
      break;
  }
  QAbstractButton* details = nullptr;
  switch (buttons) {
    case MsgButtons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case MsgButtons::OkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case MsgButtons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case MsgButtons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
      break;
    case MsgButtons::YesNoDefaultNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      box.setDefaultButton(QMessageBox::No);
      box.setEscapeButton(QMessageBox::No);
      break;
    case MsgButtons::OkDetails:
      box.setStandardButtons(QMessageBox::Ok);
      details = box.addButton(QCoreApplication::translate("CommonDialogs", "詳細(&D)"),
                              QMessageBox::ActionRole);
      box.setDefaultButton(QMessageBox::Ok);
      break;
    case MsgButtons::YesNoAllCancel:
      // The overwrite question, as our libraries ask it: No unless the user says otherwise.
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No |
                             QMessageBox::NoToAll | QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::No);
      box.setEscapeButton(QMessageBox::Cancel);
      break;
  }
  const int answer = box.exec();
  if (details && box.clickedButton() == details) return MsgResult::Details;
  switch (answer) {
    case QMessageBox::Cancel:
      return MsgResult::Cancel;
    case QMessageBox::Yes:
      return MsgResult::Yes;
    case QMessageBox::YesToAll:
      return MsgResult::YesToAll;
    case QMessageBox::No:
      return MsgResult::No;
    case QMessageBox::NoToAll:
      return MsgResult::NoToAll;
    default:
      return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoDefaultNo ? MsgResult::No
                                                                                   : MsgResult::Ok;
  }
}

void SetFileDialogStandIn(FileDialogStandIn standIn) {
  StandIn() = std::move(standIn);
}

std::string OpenFileDialog(QWidget* owner, const std::vector<std::string>& filter,
                           const std::string& initialFolder) {
  const std::string caption = Tr("CommonDialogs", "ファイルを開く");
  if (StandIn()) return StandIn()(caption, filter, initialFolder);
  return QFileDialog::getOpenFileName(owner, Q(caption), Q(initialFolder), QtFilter(filter))
      .toStdString();
}

std::string SaveFileDialog(QWidget* owner, const std::vector<std::string>& filter,
                           const std::string& initialFolder) {
  const std::string caption = Tr("CommonDialogs", "ファイルを保存");
  if (StandIn()) return StandIn()(caption, filter, initialFolder);
  return QFileDialog::getSaveFileName(owner, Q(caption), Q(initialFolder), QtFilter(filter))
      .toStdString();
}

std::string BrowseForFolder(QWidget* owner) {
  const std::string caption = Tr("CommonDialogs", "フォルダの選択");
  if (StandIn()) return StandIn()(caption, {}, "");
  return QFileDialog::getExistingDirectory(owner, Q(caption)).toStdString();
}

}  // namespace qvr
