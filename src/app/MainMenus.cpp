#include "MainMenus.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>

#include "StringTable.h"

namespace qvr {
namespace {

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
  MnuTest = Action(FileMenu, "MnuTest", c.test);
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
  FileMenu->setTitle(ResCaption(1));
  MnuQuit->setText(ResCaption(2));
  MnuModeExtract->setText(ResCaption(3));
  MnuModeArchive->setText(ResCaption(4));
  MnuStart->setText(ResCaption(5));
  MnuTest->setText(QCoreApplication::translate("MainControls", "検査(&T)"));
  MnuFileLoadFileList->setText(ResCaption(6));
  MnuFileSaveFileList->setText(ResCaption(7));
  MnuFiltering->setText(ResCaption(8));
  MnuSort->setText(ResCaption(9));
  ToolMenu->setTitle(ResCaption(11));
  MnuDLLDown->setText(ResCaption(12));
  OptionMenu->setTitle(ResCaption(13));
  MnuOptGeneral->setText(ResCaption(14));
  MnuOptExtract->setText(ResCaption(15));
  MnuOptArchive->setText(ResCaption(16));
  MnuErrorLog->setText(ResCaption(17));
  HelpMenu->setTitle(ResCaption(21));
  MnuHelp->setText(ResCaption(22));
  MnuOnlineHelp->setText(ResCaption(23));
  MnuAbout->setText(ResCaption(24));
}

void MainMenus::SetRunning(bool running) {
  for (QAction* action :
       {MnuStart, MnuTest, MnuModeExtract, MnuModeArchive, MnuFileLoadFileList, MnuFiltering,
        MnuSort, MnuDLLDown, MnuOptGeneral, MnuOptExtract, MnuOptArchive, MnuAbout})
    action->setEnabled(!running);
}

void MainMenus::ShowMode(bool extract) {
  MnuModeExtract->setChecked(extract);
  MnuModeArchive->setChecked(!extract);
}

}  // namespace qvr
