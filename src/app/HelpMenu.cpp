#include "HelpMenu.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>
#include <string>

#include "AppFolder.h"
#include "MainWindowPort.h"
#include "QtHelpers.h"
#include "Translate.h"

namespace qvr {
namespace {

// The start page is a text of the interface: its translation names the page of the language.
std::string ManualPath() {
  const std::string page = Tr("HelpMenu", "index.html");
  std::string beside = ExecutableFolder() + "manual/" + page;
  if (QFileInfo::exists(Q(beside))) return beside;
  return std::string(QVR_MANUAL_INSTALL_DIR) + "/" + page;
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
