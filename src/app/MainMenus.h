// The main window's menus under the design's names (FileMenu, ToolMenu, OptionMenu,
// HelpMenu and their Mnu... actions): built onto the menu bar with the commands they run,
// captioned from the string table, and the ones a run turns off.
#pragma once

#include <QMenuBar>
#include <functional>

class QAction;
class QMenu;

namespace qvr {

struct MainMenus {
  // What each action runs.
  struct Commands {
    std::function<void()> modeExtract, modeArchive, start, loadFileList, saveFileList, filtering,
        sort, quit, dllDown, errorLog, optGeneral, optExtract, optArchive, help, onlineHelp, about,
        test;
  };

  void Build(QMenuBar* bar, const Commands& commands);
  void ApplyCaptions();
  // During a run the list's menus, the help and the error log stay on.
  void SetRunning(bool running);
  // The mode entries' check marks.
  void ShowMode(bool extract);

  QMenu* FileMenu = nullptr;
  QMenu* ToolMenu = nullptr;
  QMenu* OptionMenu = nullptr;
  QMenu* HelpMenu = nullptr;
  QAction* MnuQuit = nullptr;
  QAction* MnuModeExtract = nullptr;
  QAction* MnuModeArchive = nullptr;
  QAction* MnuStart = nullptr;
  QAction* MnuTest = nullptr;  // the test run of the list's archives
  QAction* MnuFileLoadFileList = nullptr;
  QAction* MnuFileSaveFileList = nullptr;
  QAction* MnuFiltering = nullptr;
  QAction* MnuSort = nullptr;
  QAction* MnuDLLDown = nullptr;
  QAction* MnuOptGeneral = nullptr;
  QAction* MnuOptExtract = nullptr;
  QAction* MnuOptArchive = nullptr;
  QAction* MnuErrorLog = nullptr;
  QAction* MnuHelp = nullptr;
  QAction* MnuOnlineHelp = nullptr;
  QAction* MnuAbout = nullptr;
};

}  // namespace qvr
