#include "MainMenus.h"

#include <QAction>
#include <QMenu>

#include "QtHelpers.h"
#include "StringTable.h"

namespace qvr {
namespace {

QString Res(int offset) {
  return Q(LoadResString(kResBase + offset));
}

QMenu* Menu(QMenuBar* bar, const char* name) {
  QMenu* menu = bar->addMenu(QString());
  menu->setObjectName(name);
  return menu;
}

QAction* Action(QMenu* menu, const char* name, const std::function<void()>& run) {
  QAction* a = menu->addAction(QString());
  a->setObjectName(name);
  QObject::connect(a, &QAction::triggered, menu, [run] {
    if (run) run();
  });
  return a;
}

}  // namespace

void MainMenus::Build(QMenuBar* bar, const Commands& c) {
  FileMenu = Menu(bar, "FileMenu");
  MnuModeExtract = Action(FileMenu, "MnuModeExtract", c.modeExtract);
  MnuModeArchive = Action(FileMenu, "MnuModeArchive", c.modeArchive);
  MnuModeExtract->setCheckable(true);
  MnuModeArchive->setCheckable(true);
  FileMenu->addSeparator();
  MnuStart = Action(FileMenu, "MnuStart", c.start);
  FileMenu->addSeparator();
  MnuFileLoadFileList = Action(FileMenu, "MnuFileLoadFileList", c.loadFileList);
  MnuFileSaveFileList = Action(FileMenu, "MnuFileSaveFileList", c.saveFileList);
  FileMenu->addSeparator();
  MnuFiltering = Action(FileMenu, "MnuFiltering", c.filtering);
  MnuFiltering->setCheckable(true);
  MnuSort = Action(FileMenu, "MnuSort", c.sort);
  FileMenu->addSeparator();
  MnuQuit = Action(FileMenu, "MnuQuit", c.quit);

  ToolMenu = Menu(bar, "ToolMenu");
  MnuDLLDown = Action(ToolMenu, "MnuDLLDown", c.dllDown);
  MnuErrorLog = Action(ToolMenu, "MnuErrorLog", c.errorLog);

  OptionMenu = Menu(bar, "OptionMenu");
  MnuOptGeneral = Action(OptionMenu, "MnuOptGeneral", c.optGeneral);
  MnuOptExtract = Action(OptionMenu, "MnuOptExtract", c.optExtract);
  MnuOptArchive = Action(OptionMenu, "MnuOptArchive", c.optArchive);

  HelpMenu = Menu(bar, "HelpMenu");
  MnuHelp = Action(HelpMenu, "MnuHelp", c.help);
  MnuOnlineHelp = Action(HelpMenu, "MnuOnlineHelp", c.onlineHelp);
  HelpMenu->addSeparator();
  MnuAbout = Action(HelpMenu, "MnuAbout", c.about);
}

void MainMenus::ApplyCaptions() {
  FileMenu->setTitle(Res(1));
  MnuQuit->setText(Res(2));
  MnuModeExtract->setText(Res(3));
  MnuModeArchive->setText(Res(4));
  MnuStart->setText(Res(5));
  MnuFileLoadFileList->setText(Res(6));
  MnuFileSaveFileList->setText(Res(7));
  MnuFiltering->setText(Res(8));
  MnuSort->setText(Res(9));
  ToolMenu->setTitle(Res(11));
  MnuDLLDown->setText(Res(12));
  OptionMenu->setTitle(Res(13));
  MnuOptGeneral->setText(Res(14));
  MnuOptExtract->setText(Res(15));
  MnuOptArchive->setText(Res(16));
  MnuErrorLog->setText(Res(17));
  HelpMenu->setTitle(Res(21));
  MnuHelp->setText(Res(22));
  MnuOnlineHelp->setText(Res(23));
  MnuAbout->setText(Res(24));
}

void MainMenus::SetRunning(bool running) {
  for (QAction* action :
       {MnuStart, MnuModeExtract, MnuModeArchive, MnuFileLoadFileList, MnuFiltering, MnuSort,
        MnuDLLDown, MnuOptGeneral, MnuOptExtract, MnuOptArchive, MnuAbout})
    action->setEnabled(!running);
}

void MainMenus::ShowMode(bool extract) {
  MnuModeExtract->setChecked(extract);
  MnuModeArchive->setChecked(!extract);
}

}  // namespace qvr
