#include "Form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "AppFolder.h"
#include "ArchiverDLLStatus.h"
#include "ArchiverDLL_Inspect.h"
#include "BatchRun.h"
#include "DesktopNotification.h"
#include "FileList.h"
#include "HelpMenu.h"
#include "HookMsg.h"
#include "MainStatusBar.h"
#include "MnuDLLDown.h"
#include "OptionWindows.h"
#include "PathHelpers.h"
#include "QtHelpers.h"
#include "QtSoundPlayer.h"
#include "Registry_Link.h"
#include "Registry_ShowResult.h"
#include "RunProgressView.h"
#include "RunReport.h"
#include "SendCompletionMail.h"
#include "Settings.h"
#include "StartArchive.h"
#include "TestArchives.h"
#include "Translate.h"
#include "Version.h"
#include "cExecute.h"
#include "frmAbout.h"
#include "frmFiltering.h"
#include "frmProgress.h"
#include "frmReport.h"

namespace qvr {

QString ProgramCaption() {
  return QStringLiteral("%1 v%2.%3.%4")
      .arg(QString::fromUtf8(kProgramTitle))
      .arg(kVersionMajor)
      .arg(kVersionMinor)
      .arg(kVersionRevision);
}

namespace {

// Where no file manager answers the notice's action: the folder opens as a document does.
void OpenFolderAsDocument(const std::string& folder) {
  cExecute().ShellX(QuotePath(folder), kShowNormal, nullptr, false);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Form1: building

Form1::Form1(QWidget* parent)
    : QMainWindow(parent),
      MainWindowPortQt(this),
      mail_(std::make_unique<CompletionMailNotice>(*this)),
      sound_(std::make_unique<QtSoundPlayer>()),
      desktop_(std::make_unique<DesktopNotification>(OpenFolderAsDocument)),
      run_({[this](bool running) { SetRunning(running); },
            [this](RunStatus* status) { return RunOnce(status); },
            [this] { return listCount(); }}) {
  setObjectName("Form1");
  setWindowTitle(ProgramCaption());
  BuildControls();
  BuildMenus();
  ApplyCaptions();
  resize(560, 400);
}

// The viewer goes first, before QWidget's destructor would take it as a child.
Form1::~Form1() {
  dock_.reset();
}

void Form1::BuildControls() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  List1 = new FileListBox(central);
  layout->addWidget(List1, 1);
  progressView_ = new RunProgressView(false, central);
  layout->addWidget(progressView_);
  // The row under the list is 840 twips high, as the list's height leaves it.
  layout->addWidget(controls_.Build(central, qRound(840 / TwipsPerPixelY())));
  setCentralWidget(central);

  StatusBar1 = new MainStatusBar(this);
  setStatusBar(StatusBar1);

  Timer1.setInterval(1000);
  // A coarse timer may tick a little early and show the same second twice.
  Timer1.setTimerType(Qt::PreciseTimer);
  connect(&Timer1, &QTimer::timeout, this, [this] { setPanelText(2, elapsedText()); });
  connect(List1, &FileListBox::filesDropped, this, &Form1::OnFilesDropped);
  connect(List1, &FileListBox::deleteRequested, this, &Form1::OnDeleteKey);
  connect(List1, &FileListBox::selectAllRequested, this, &Form1::OnSelectAll);
  connect(List1, &FileListBox::optionsRequested, this, &Form1::OnListOptions);
  connect(List1, &FileListBox::closeRequested, this, &Form1::close);
  connect(List1, &FileListBox::surpriseRequested, this, &Form1::OnSurprise);
  connect(List1, &QListView::doubleClicked, this, [this] { List1_DblClick(); });
  connect(controls_.Btn_Start, &QPushButton::clicked, this, &Form1::Start);
  connect(controls_.Btn_Test, &QPushButton::clicked, this, &Form1::StartTest);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &Form1::CancelRun);
  connect(controls_.Btn_Close, &QPushButton::clicked, this, &Form1::close);
}

void Form1::BuildMenus() {
  menus_.Build(
      menuBar(),
      {[this] { ModeChange(WorkMode::Extract); }, [this] { ModeChange(WorkMode::Archive); },
       [this] { Start(); }, [this] { LoadFileListCommand(*this); },
       [this] { SaveFileListCommand(*this); }, [this] { OnFiltering(); }, [this] { OnSort(); },
       [this] { close(); }, [this] { DLLDown(); }, [this] { ShowErrorLog(); },
       [this] { ShowGeneralOptions(""); }, [this] { ShowExtractOptions(); },
       [this] { ShowArchiveOptions(this); }, [this] { OpenManual(*this); },
       [] { OpenOnlineHelp(); }, [this] { ShowAbout(); }, [this] { StartTest(); }});
  QPushButton* options = controls_.Btn_Option;
  connect(options, &QPushButton::clicked, this, [this, options] {
    menus_.OptionMenu->popup(options->mapToGlobal(QPoint(0, options->height())));
  });
}

void Form1::ApplyCaptions() {
  menus_.ApplyCaptions();
  controls_.ApplyCaptions(workMode_ == WorkMode::Extract);
}

// ---------------------------------------------------------------------------------------
// Load and unload

void Form1::Load(const StartUp& startUp) {
  startUpMode_ = startUp.mode;
  windowsVersionName_.clear();
  Timer1.stop();
  Timer1.setInterval(1000);
  LoadLibraryStatus();
  if (Unzip32Available()) SaveShowResultOff();
  if (dock_) dock_->Reset();
  controls_.cmbTargetPlace->setCurrentIndex(0);
  useYZ2DEC_ = GetIniInt(kQvrArcIni, "GENERAL", "UseYZ2DEC") != 0;

  if (startUpMode_ == kModeDDMode) {
    ModeChange(WorkMode::Extract);
    AddArchiveList(*this, startUp.filePart);
    Start();
    if (endRequested_) return;
  } else if (startUpMode_ == kModeDDModeSetting) {
    ShowGeneralOptions(kModeDDModeSetting);
    hide();
  } else {
    AddArchiveList(*this, startUp.filePart);
    if (GetIniInt(kQvrArcIni, "GENERAL", "ShowListViewer") == 1) List1_DblClick();
  }

  ShowStatusBarPictures();
  SetStatusBarHeight();
  controls_.RestoreChoices();
  ApplyCaptions();
  if (startUpMode_ != kModeNormal) {
    ModeChange(WorkMode::Extract);
  } else {
    // An empty or unknown stored word leaves the choice to the list.
    std::string word = CutAtNull(GetIniString(kQvrArcIni, "GENERAL", "QvrStartUpMode"));
    ModeChange(WorkModeOfWord(word).value_or(DecideWorkMode()));
  }
  RestorePosition();
  std::error_code ec;
  std::filesystem::create_directory(AppFile("tmp"), ec);
}

WorkMode Form1::DecideWorkMode() const {
  if (listCount() == 0) return WorkMode::Archive;
  return ExtensionCheck(listItem(0)) == 0 ? WorkMode::Extract : WorkMode::Archive;
}

void Form1::SetStatusBarHeight() {
  int twips = GetIniInt(kQvrArcIni, "GENERAL", "FONTSIZE") == 1 ? 240 : 300;
  statusBar()->setFixedHeight(StatusBarHeight(twips));
}

int Form1::StatusBarHeight(int twips) const {
  // The twips were chosen for the screens of their font size; never clip a line of text.
  return std::max(qRound(twips / TwipsPerPixelY()), statusBar()->fontMetrics().height() + 4);
}

void Form1::RestorePosition() {
  int left = GetIniInt(kQvrArcIni, "GENERAL", "Left");
  int top = GetIniInt(kQvrArcIni, "GENERAL", "Top");
  move(qRound(left / TwipsPerPixelX()), qRound(top / TwipsPerPixelY()));
}

void Form1::SavePosition() {
  // A minimised window's place is no place to come back to.
  if (isMinimized()) return;
  long left = std::lround(x() * TwipsPerPixelX());
  long top = std::lround(y() * TwipsPerPixelY());
  if (left >= -32768 && left <= 32767) {
    WriteIniString(kQvrArcIni, "GENERAL", "Left", std::to_string(left));
  }
  if (top >= -32768 && top <= 32767) {
    WriteIniString(kQvrArcIni, "GENERAL", "Top", std::to_string(top));
  }
}

// ShowResult (src/shell/Registry_ShowResult): off while the ZIP library is in use.
void Form1::SaveShowResultOff() {
  if (int32_t showResult = TurnShowResultOff(); showResult != 0) savedShowResult_ = showResult;
}

void Form1::RestoreShowResult() {
  if (Unzip32Available()) qvr::RestoreShowResult(savedShowResult_);
}

void Form1::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  RestoreShowResult();
  controls_.SaveChoices();
  CloseViewer();
  SavePosition();
  EmptyFolder(AppFile("tmp"));
}

void Form1::EndAfterDDModeRun() {
  // The program has no window left to keep it alive.
  sound_->WaitUntilDone(30000);
  desktop_->WaitUntilClosed(10000);  // its action may still be taken
  RestoreShowResult();
  unloaded_ = true;  // nothing else of the unload step runs
  endRequested_ = true;
  // The run happens in the load step, before the event loop: the caller ends there. A quit
  // asked with no loop running would end every later loop at once.
  if (QThread::currentThread()->loopLevel() > 0) QCoreApplication::exit(run_.exitStatus());
}

void Form1::closeEvent(QCloseEvent* event) {
  // A run cannot be interrupted: the window closes when it is over.
  if (!run_.MayClose()) {
    event->ignore();
    return;
  }
  Unload();
  event->accept();
  QCoreApplication::quit();
}

void Form1::AttachHookMsg(HookMsg& hook) {
  connect(&hook, &HookMsg::handOffReceived, this, &Form1::OnHandOff);
  connect(&hook, &HookMsg::restoreRequested, this, &Form1::OnRestoreRequested);
}

void Form1::OnHandOff(const QString& text) {
  run_.FilesAdded();
  setBusyCursor(true);
  AddArchiveList(*this, text.toStdString());
  setBusyCursor(false);
}

void Form1::OnRestoreRequested() {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

// ---------------------------------------------------------------------------------------
// Modes and commands

void Form1::ModeChange(WorkMode mode) {
  workMode_ = mode;
  bool extract = mode == WorkMode::Extract;
  controls_.ShowMode(extract);
  menus_.ShowMode(extract);
}

void Form1::OnFilesDropped(const std::vector<std::string>& paths) {
  AddDroppedFiles(*this, paths);
  // During a run the work mode is the run's; the drop decides it when the run is over.
  if (!run_.FilesAdded()) ModeChange(DecideWorkMode());
}

void Form1::OnDeleteKey() {
  // A run holds the positions of its entries; during it the list only grows.
  if (run_.running()) return;
  RemoveSelected(*this);
}

void Form1::OnSelectAll() {
  setListVisible(false);
  List1->selectAll();
  setListVisible(true);
}

void Form1::OnListOptions() {
  if (run_.running()) return;
  if (workMode_ == WorkMode::Extract) {
    ShowExtractOptions();
  } else {
    ShowArchiveOptions(this);
  }
}

void Form1::OnSurprise() {
  messageBox(Tr("Form1", "ｷﾀ━━━━━━(ﾟ∀ﾟ)━━━━━━!!"), MsgIcon::Information, MsgButtons::Ok);
}

void Form1::OnSort() {
  SortFileList(*this, GetIniInt(kQvrArcIni, "GENERAL", "SORT"));
}

void Form1::OnFiltering() {
  // Triggering a checkable menu item flips its mark; the mark shows filterOn_ only.
  menus_.MnuFiltering->setChecked(filterOn_);
  frmFiltering dialog(*this, filterOn_, this);
  dialog.exec();
  filterOn_ = dialog.filterState();
  menus_.MnuFiltering->setChecked(filterOn_);
}

void Form1::List1_DblClick() {
  if (run_.running()) return;  // the libraries are busy with the run
  std::string entry = List1->currentRow() >= 0 ? listItem(List1->currentRow()) : "";
  if (ShowArchiveFacts(*this, Inspect(), entry)) OpenViewer(entry);
  std::string type = ViewerArchiveType();
  setPanelText(1, type.empty() ? "" : type + Tr("Form1", "書庫"));
}

// ---------------------------------------------------------------------------------------
// Places other parts fill in

void Form1::LoadLibraryStatus() {
  LoadArchiverDLLStatus(status_, *this);
}

bool Form1::Unzip32Available() const {
  return status_.UNZIP32;
}

int Form1::ExtensionCheck(const std::string& path) const {
  return Inspect().CheckArchive(path);
}

// One inspection object over the library status; it keeps the last archive's type text.
ArchiverDLL_Inspect& Form1::Inspect() const {
  if (!inspect_) {
    inspect_ = std::make_unique<ArchiverDLL_Inspect>(status_, ownerWindow());
  }
  return *inspect_;
}

// The viewer window (src/viewer/ui/ViewerDock): shown modeless, filled with the listing.
void Form1::OpenViewer(const std::string& path) {
  if (!dock_)
    dock_ =
        std::make_unique<ViewerDock>(*this, status_, Inspect(), this, [this] { List1_DblClick(); });
  dock_->Open(path);
}

// The viewer's archive-type text; until the viewer exists, the inspection's.
std::string Form1::ViewerArchiveType() const {
  return Inspect().archiveType();
}

void Form1::CloseViewer() {
  if (dock_) dock_->Close();
}

// The options dialogs (src/options/ui): the general ones modeless for "DDMODE_SETTING",
// whose closing ends the program; the extraction options' OK sets this window's copy of
// UseYZ2DEC, the easy-extraction launcher and the status bar's pictures.
void Form1::ShowGeneralOptions(const std::string& openingMode) {
  qvr::ShowGeneralOptions(this, *this, status_, openingMode, [this] { close(); });
}

void Form1::ShowExtractOptions() {
  OptionExFollowUps followUps{
      [this](bool use) { useYZ2DEC_ = use; },
      [this](bool use) { UpdateDesktopShortcut(use, "DDMode", *this); },
      [this] { ShowStatusBarPictures(); },
  };
  // "いつものところ" on this window extracts into the usual folder.
  qvr::ShowExtractOptions(this, status_, std::move(followUps),
                          controls_.cmbTargetPlace->currentIndex() == 2);
}

// Panels 4 and 5: the folder-per-archive and keep-folders pictures.
void Form1::ShowStatusBarPictures() {
  StatusBar1->ShowPictures();
}

void Form1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  StatusBar1->AlignPictures();
}

void Form1::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  if (dock_) dock_->MainWindowMoved();
}

void Form1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (dock_) dock_->MainWindowMoved();
}

// The about box with the library versions.
void Form1::ShowAbout() {
  frmAbout dialog(status_, this);
  dialog.exec();
}

// The library installer "caldix" of the application folder.
void Form1::DLLDown() {
  if (!qvr::MnuDLLDown(this)) {
    messageBox(Tr("Form1", "ライブラリのインストーラ(caldix)が見つかりません。\r\n") + AppFolder() +
                   "caldix",
               MsgIcon::Exclamation, MsgButtons::Ok);
  }
}

// Log.txt opened with its associated program.
void Form1::ShowErrorLog() {
  if (!QFileInfo::exists(Q(AppFile("Log.txt")))) {
    messageBox(Tr("Form1", "エラーログ(Log.txt)はありません。"), MsgIcon::Information,
               MsgButtons::Ok);
    return;
  }
  cExecute().ShellX(QuotePath(AppFile("Log.txt")), kShowNormal, ownerWindow(), false);
}

// The run (Btn_Start, MnuStart, drag-and-drop start), through RunController.
void Form1::Start() {
  if (run_.running()) {
    CancelRun();
    return;
  }
  switch (run_.Start(startUpMode_ == kModeDDMode)) {
    case RunController::After::EndProgram:
      EndAfterDDModeRun();
      break;
    case RunController::After::Close:
      close();
      break;
    case RunController::After::DecideWorkMode:
      ModeChange(DecideWorkMode());
      break;
    case RunController::After::Nothing:
      break;
  }
}

void Form1::StartTest() {
  if (run_.running()) return;
  testRun_ = true;
  Start();
  testRun_ = false;
}

void Form1::CancelRun() {
  progressView_->Cancel();
  if (ddProgress_) ddProgress_->view()->Cancel();
}

// One run of the work mode with this window's choices.
RunEnd Form1::RunOnce(RunStatus* status) {
  BatchRun run{ExtractRun{*this, status_, startUpMode_, useYZ2DEC_},
               controls_.cmbTargetPlace->currentIndex(),
               mail_.get(),
               sound_.get(),
               [this] { CloseViewer(); },
               {},
               desktop_.get()};
  if (testRun_) {
    *status = TestArchives(run.extract, ListEntries(*this)) == listCount() ? RunStatus::AllDone
                                                                           : RunStatus::SomeFailed;
    return RunEnd::StayOpen;
  }
  if (workMode_ == WorkMode::Extract) return StartExtract(run, status);
  return StartArchive(run, controls_.cmbArcMethod->currentData().toString().toStdString(),
                      controls_.cmbArcType->currentData().toString().toStdString());
}

// During a run only the list (to take more files), the help and the error log answer.
void Form1::SetRunning(bool running) {
  controls_.SetRunning(running, workMode_ == WorkMode::Extract);
  menus_.SetRunning(running);
}

// ---------------------------------------------------------------------------------------
// MainWindowPort

double Form1::TwipsPerPixelX() const {
  return qvr::TwipsPerPixelX(*this);
}

double Form1::TwipsPerPixelY() const {
  return qvr::TwipsPerPixelY(*this);
}

int Form1::listCount() const {
  return List1->entries().rowCount();
}

std::string Form1::listItem(int index) const {
  if (index < 0 || index >= listCount()) return "";
  return List1->entries().entry(index);
}

void Form1::listAdd(const std::string& path) {
  List1->entries().append(path);
}

void Form1::listRemove(int index) {
  List1->entries().removeAt(index);
}

void Form1::listClear() {
  List1->entries().clear();
}

bool Form1::listSelected(int index) const {
  return List1->selectionModel()->isRowSelected(index, QModelIndex());
}

void Form1::setListVisible(bool visible) {
  listHidden_ += visible ? -1 : 1;
  if (listHidden_ < 0) listHidden_ = 0;
  List1->setVisible(listHidden_ == 0);
}

void Form1::setPanelText(int panel, const std::string& text) {
  StatusBar1->setPanelText(panel, text);
}

std::string Form1::panelText(int panel) const {
  return StatusBar1->panelText(panel);
}

void Form1::startTimer1() {
  timer1Start_.start();
  Timer1.start();
}

void Form1::stopTimer1() {
  Timer1.stop();
}

void Form1::showProgress(RunProgress* progress) {
  if (startUpMode_ == kModeDDMode) {
    if (!ddProgress_) ddProgress_ = std::make_unique<frmProgress>();
    ddProgress_->Follow(progress);
    return;
  }
  progressView_->Follow(progress);
}

void Form1::showReport(const RunReport& report) {
  frmReport dialog(report, isVisible() ? this : nullptr);
  dialog.exec();
}

std::string Form1::elapsedText() const {
  if (!timer1Start_.isValid()) return FormatElapsed(std::chrono::seconds(0));
  return FormatElapsed(std::chrono::seconds(timer1Start_.elapsed() / 1000));
}

}  // namespace qvr
