// The main window: the program's only entry, alive for the whole process. It owns the file
// list List1, the work and start-up modes and the status bar, and is the MainWindowPort
// through which the engines reach the user.
#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ArchiverDLLStatus.h"
#include "CommandLine.h"
#include "FileListBox.h"
#include "MainControls.h"
#include "MainMenus.h"
#include "MainWindowPortQt.h"
#include "RunController.h"
#include "ViewerDock.h"
#include "WorkMode.h"

class QAction;
class QComboBox;
class QMenu;
class QPushButton;

namespace qvr {

class ArchiverDLL_Inspect;
class HookMsg;
class MailNotice;
class MainStatusBar;
class QtSoundPlayer;
class DesktopNotification;
class RunProgressView;
class frmProgress;

class Form1 : public QMainWindow, public MainWindowPortQt {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  // The load step, in its order, for the parsed command line. After it, the program
  // either shows the window or has already ended (endRequested()).
  void Load(const StartUp& startUp);
  // The unload step: saves the window's choices, restores ShowResult, empties "tmp".
  // Runs once; closing the window runs it.
  void Unload();
  // Receives the hand-offs of later starts.
  void AttachHookMsg(HookMsg& hook);

  // Sets the work mode and the controls that depend on it.
  void ModeChange(WorkMode mode);
  WorkMode workMode() const { return workMode_; }
  const std::string& startUpMode() const { return startUpMode_; }
  // The run: Btn_Start, MnuStart and a drag-and-drop start. During a run Btn_Start
  // ("中止(&S)") and Escape stop it instead.
  void Start();
  void CancelRun();
  // The test run (Btn_Test, MnuTest): the list's archives checked, nothing written, the list
  // kept, the report shown at the end.
  void StartTest();
  // True while a run is under way: the window answers, but starts nothing new.
  bool running() const { return run_.running(); }
  // The in-memory copy of GENERAL/UseYZ2DEC the runs use.
  bool useYZ2DEC() const { return useYZ2DEC_; }
  // Ends the program after a drag-and-drop run: only ShowResult is restored.
  void EndAfterDDModeRun();
  bool endRequested() const { return endRequested_; }
  // The process's exit status after a drag-and-drop start (RunStatus: 0 every archive
  // extracted, 1 some failed, 2 stopped); 0 for other starts.
  int exitStatus() const { return run_.exitStatus(); }

  // The library availability flags and tool folders, filled at load.
  const LibraryStatus& libraryStatus() const { return status_; }

  // The list's double click: archive facts in panels 1-3, the viewer for an archive.
  void List1_DblClick();
  // The work mode the list suggests (start-up and after a drop).
  WorkMode DecideWorkMode() const;

  // Twips per pixel of the screen (15 at 96 DPI).
  double TwipsPerPixelX() const;
  double TwipsPerPixelY() const;
  // StatusBar1's height in pixels for a height in twips.
  int StatusBarHeight(int twips) const;

  // MainWindowPort: the list, the panels and Timer1 (boxes, dialogs and the worker come
  // from MainWindowPortQt)
  int listCount() const override;
  std::string listItem(int index) const override;
  void listAdd(const std::string& path) override;
  void listRemove(int index) override;
  void listClear() override;
  bool listSelected(int index) const override;
  void setListVisible(bool visible) override;
  void setPanelText(int panel, const std::string& text) override;
  std::string panelText(int panel) const override;
  void startTimer1() override;
  void stopTimer1() override;
  std::string elapsedText() const override;
  // The bar under the list; for /DDMODE, whose window stays hidden, a small window.
  void showProgress(RunProgress* progress) override;
  void showReport(const RunReport& report) override;
  RunProgressView* progressView() const { return progressView_; }
  frmProgress* ddModeProgress() const { return ddProgress_.get(); }

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // A docked viewer follows the main window's place and height.
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildControls();
  void BuildMenus();
  void ApplyCaptions();
  void RestorePosition();
  void SavePosition();
  void SetStatusBarHeight();
  void SaveShowResultOff();
  void RestoreShowResult();
  void OnFilesDropped(const std::vector<std::string>& paths);
  void OnDeleteKey();
  void OnSelectAll();
  void OnListOptions();
  void OnSurprise();
  void OnSort();
  void OnFiltering();
  void OnHandOff(const QString& text);
  void OnRestoreRequested();
  void SetRunning(bool running);
  RunEnd RunOnce(RunStatus* status);

  // Places other parts of the program fill in; each stays one call here.
  void LoadLibraryStatus();
  bool Unzip32Available() const;
  ArchiverDLL_Inspect& Inspect() const;
  int ExtensionCheck(const std::string& path) const;
  void OpenViewer(const std::string& path);
  std::string ViewerArchiveType() const;
  void CloseViewer();
  void ShowGeneralOptions(const std::string& openingMode);
  void ShowExtractOptions();
  void ShowStatusBarPictures();
  void ShowAbout();
  void DLLDown();
  void ShowErrorLog();

  // Controls
  FileListBox* List1 = nullptr;
  RunProgressView* progressView_ = nullptr;
  std::unique_ptr<frmProgress> ddProgress_;
  MainControls controls_;  // cmbTargetPlace ... Btn_Close
  MainStatusBar* StatusBar1 = nullptr;
  QTimer Timer1;
  QElapsedTimer timer1Start_;

  MainMenus menus_;

  // State
  LibraryStatus status_;
  mutable std::unique_ptr<ArchiverDLL_Inspect> inspect_;
  std::string startUpMode_ = kModeNormal;
  WorkMode workMode_ = WorkMode::Archive;
  std::string windowsVersionName_;  // no shell prefix on this platform
  int32_t savedShowResult_ = 0;
  std::unique_ptr<ViewerDock> dock_;  // the viewer, once opened
  bool useYZ2DEC_ = false;
  bool filterOn_ = false;  // the check mark of MnuFiltering: a filter is in force
  bool unloaded_ = false;
  bool testRun_ = false;  // the run being started is the test run
  bool endRequested_ = false;
  int listHidden_ = 0;
  std::unique_ptr<MailNotice> mail_;
  std::unique_ptr<QtSoundPlayer> sound_;
  std::unique_ptr<DesktopNotification> desktop_;
  RunController run_;
};

// "QuiverArchiver v" + major.minor.revision.
QString ProgramCaption();

}  // namespace qvr
