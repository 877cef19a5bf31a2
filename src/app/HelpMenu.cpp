#include "HelpMenu.h"

#include "Translate.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <string>

#include "AppFolder.h"
#include "MainWindowPort.h"
#include "QtHelpers.h"

namespace qvr {
namespace {

std::string ManualPath() {
  std::string beside = ExecutableFolder() + "manual/index.html";
  if (QFileInfo::exists(Q(beside))) return beside;
  return std::string(QVR_MANUAL_INSTALL_DIR) + "/index.html";
}

}  // namespace

void OpenManual(MainWindowPort& window) {
  std::string manual = ManualPath();
  if (!QFileInfo::exists(Q(manual))) {
    window.messageBox(Tr("HelpMenu", "ヘルプファイルが見つかりません。\r\n") + manual,
                      MsgIcon::Exclamation, MsgButtons::Ok);
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(Q(manual)));
}

void OpenOnlineHelp() {
  QDesktopServices::openUrl(QUrl(QString::fromLatin1(kOnlineHelpUrl)));
}

}  // namespace qvr
