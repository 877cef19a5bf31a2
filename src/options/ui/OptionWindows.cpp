#include "OptionWindows.h"

#include <QDialog>

#include "MailKeyring.h"
#include "MainWindowPort.h"
#include "Registry_Association.h"
#include "Registry_Link.h"
#include "SendCompletionMail.h"
#include "StartUpMode.h"
#include "frmOption.h"
#include "frmOptionArc.h"
#include "frmOptionEx.h"

namespace qvr {

OptionSteps GeneralOptionSteps(MainWindowPort& window) {
  OptionSteps steps;
  steps.isAssociated = IsAssociated;
  steps.applyAssociations = ApplyAssociations;
  steps.updateSendTo = [&window](bool use) { UpdateSendToEntry(use, window); };
  steps.updateDesktopNormal = [&window](bool use) { UpdateDesktopShortcut(use, "Normal", window); };
  steps.setFolderRightClick = [](bool use) { SetFolderRightClick(use ? "Set" : "Delete"); };
  steps.storePassword = StoreMailPassword;
  steps.loadPassword = LoadMailPassword;
  steps.keyringAnswers = KeyringAnswers;
  return steps;
}

void ShowGeneralOptions(QWidget* owner, MainWindowPort& window, const LibraryStatus& status,
                        const std::string& openingMode, const std::function<void()>& closed) {
  auto* dialog = new frmOption(status, GeneralOptionSteps(window), openingMode, owner);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  if (openingMode == kModeDDModeSetting) {
    QObject::connect(dialog, &QDialog::finished, owner, [closed] {
      if (closed) closed();
    });
    dialog->show();
  } else {
    dialog->exec();
  }
}

void ShowExtractOptions(QWidget* owner, const LibraryStatus& status, OptionExFollowUps followUps,
                        bool usualFolderChosen) {
  frmOptionEx dialog(status, std::move(followUps), usualFolderChosen, owner);
  dialog.exec();
}

void ShowArchiveOptions(QWidget* owner) {
  frmOptionArc dialog(owner);
  dialog.exec();
}

}  // namespace qvr
