#include "MnuDLLDown.h"

#include <QWidget>

#include "AppFolder.h"
#include "PathHelpers.h"
#include "cExecute.h"

namespace qvr {

bool MnuDLLDown(QWidget* mainWindow) {
  // The wait keeps the window painting; disabled, it cannot start a second run meanwhile.
  if (mainWindow) mainWindow->setEnabled(false);
  cExecute runner;
  bool started = runner.ShellX(QuotePath(AppFolder() + "caldix"), kShowNormal, mainWindow, true);
  if (mainWindow) mainWindow->setEnabled(true);
  return started;
}

}  // namespace qvr
