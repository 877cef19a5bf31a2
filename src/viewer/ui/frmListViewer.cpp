#include "frmListViewer.h"

#include <QActionGroup>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDrag>
#include <QDragEnterEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QShortcut>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>
#include <cmath>

#include "ArchiverDLL.h"
#include "ArchiverDLL_TreeViewer.h"
#include "QtHelpers.h"
#include "Settings.h"
#include "Translate.h"
#include "frmTreeView.h"

namespace qvr {
namespace {

constexpr int kColumnTwips[kListColumnCount] = {1860, 1740, 860, 860, 570};

// The listing's parts: a first screenful at once, then a part every 8192 rows or 50 ms.
constexpr size_t kFirstPartRows = 256;
constexpr size_t kPartRows = 8192;
constexpr std::chrono::milliseconds kPartInterval{50};

std::vector<std::string> LocalPaths(const QMimeData* mime) {
  std::vector<std::string> paths;
  if (!mime) return paths;
  for (const QUrl& url : mime->urls())
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  return paths;
}

}  // namespace

long PixelsToTwipsX(const QWidget& widget, int pixels) {
  return std::lround(pixels * TwipsPerPixelX(widget));
}

long PixelsToTwipsY(const QWidget& widget, int pixels) {
  return std::lround(pixels * TwipsPerPixelY(widget));
}

// ---- List1 ----

ViewerList::ViewerList(frmListViewer& viewer) : QTreeView(&viewer), viewer_(viewer) {
  setObjectName("List1");
  setRootIsDecorated(false);
  setUniformRowHeights(true);
  setItemsExpandable(false);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(false);
  setDragDropMode(QAbstractItemView::DragDrop);
  setContextMenuPolicy(Qt::CustomContextMenu);
}

void ViewerList::startDrag(Qt::DropActions) {
  std::vector<std::string> entries;
  for (const QModelIndex& index : selectionModel()->selectedRows())
    entries.push_back(
        viewer_.model().FileName(static_cast<ViewerSortModel*>(model())->SourceRow(index.row())));
  if (entries.empty()) return;
  QList<QUrl> urls = viewer_.ExtractForDrag(entries);
  if (urls.isEmpty()) return;
  auto* mime = new QMimeData;
  mime->setUrls(urls);  // text/uri-list
  auto* drag = new QDrag(this);
  drag->setMimeData(mime);
  drag->exec(Qt::CopyAction, Qt::CopyAction);
}

void ViewerList::dragEnterEvent(QDragEnterEvent* event) {
  if (event->source() == this || !event->mimeData()->hasUrls()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
}

void ViewerList::dragMoveEvent(QDragMoveEvent* event) {
  if (event->source() == this) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
}

void ViewerList::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths = LocalPaths(event->mimeData());
  if (event->source() == this || paths.empty()) return;
  event->acceptProposedAction();
  viewer_.DropFiles(paths);
}

// ---- frmListViewer ----

frmListViewer::frmListViewer(ViewerHost host, QWidget* parent)
    : QWidget(parent, Qt::Window),
      host_(std::move(host)),
      viewer_(host_.window, host_.status, host_.inspect),
      model_(std::make_unique<ArchiveListModel>()) {
  setObjectName("frmListViewer");
  setWindowTitle("File Viewer");
  viewer_.setOwnerWindow(static_cast<QWidget*>(this));
  viewer_.setOpener([](const std::string& path) {
    // The desktop's associated program, never the file itself started as a program.
    QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path)));
  });
  viewer_.setMakeFolder(GetIniInt(kQvrArcIni, "GENERAL", "MakeFolder4ListView") == 1);

  List1 = new ViewerList(*this);
  proxy_ = new ViewerSortModel(this);
  proxy_->SetSource(model_.get());
  List1->setModel(proxy_);
  for (int c = 0; c < kListColumnCount; ++c) List1->setColumnWidth(c, LeastColumnWidth(c));
  // The first rows of a listing set the widths (FitColumns).
  connect(proxy_, &QAbstractItemModel::rowsInserted, this, [this] {
    if (!columnsFitted_) FitColumns();
  });
  List1->header()->setStretchLastSection(false);
  List1->header()->setSectionsClickable(true);
  List1->header()->setSortIndicatorShown(false);
  connect(List1->header(), &QHeaderView::sectionClicked, this, &frmListViewer::SortByColumn);
  connect(List1, &QTreeView::doubleClicked, this, [this] {
    std::string entry = CurrentEntry();
    if (!entry.empty()) viewer_.DoubleClick(entry);
  });
  connect(List1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { mnuPopUp->popup(List1->viewport()->mapToGlobal(at)); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(List1);
  BuildMenu();

  auto* del = new QShortcut(QKeySequence(Qt::Key_Delete), List1);
  connect(del, &QShortcut::activated, this, &frmListViewer::DeleteCurrent);
  auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(esc, &QShortcut::activated, this, &QWidget::close);
  auto* surprise = new QShortcut(QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_0), this);
  connect(surprise, &QShortcut::activated, this, [this] {
    host_.window.messageBox(Tr("frmListViewer", "(つД｀) ﾊﾞﾚﾀ"), MsgIcon::Information,
                            MsgButtons::Ok);
  });
  resize(qRound(6000 / TwipsPerPixelX(*this)), qRound(4800 / TwipsPerPixelY(*this)));
}

frmListViewer::~frmListViewer() {
  StopListing();
  // The view and the sorted model go with the widget, after the entry model: let go of it.
  proxy_->SetSource(nullptr);
}

void frmListViewer::closeEvent(QCloseEvent* event) {
  StopListing();  // a listing still running ends at its next entry
  QWidget::closeEvent(event);
}

void frmListViewer::BuildMenu() {
  mnuPopUp = new QMenu(TrQ("frmListViewer", "ポップアップメニュー"), this);
  mnuPopUp->setObjectName("mnuPopUp");
  auto add = [this](QMenu* menu, QAction*& action, const char* name, const QString& caption,
                    ViewerAction run) {
    action = menu->addAction(caption);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, run] { RunOnCurrent(run); });
  };
  add(mnuPopUp, mnuOpen, "mnuOpen", TrQ("frmListViewer", "開く"), ViewerAction::Open);
  add(mnuPopUp, mnuOpenApoint, "mnuOpenApoint", TrQ("frmListViewer", "開く（場所を指定して保存）"),
      ViewerAction::OpenApoint);
  add(mnuPopUp, mnuOpenAlways, "mnuOpenAlways",
      TrQ("frmListViewer", "開く（いつものところへ保存）"), ViewerAction::OpenAlways);
  mnuPopUp->addSeparator();
  add(mnuPopUp, mnuExtractApoint, "mnuExtractApoint", TrQ("frmListViewer", "解凍（解凍先を指定）"),
      ViewerAction::ExtractApoint);
  add(mnuPopUp, mnuExtractAlways, "mnuExtractAlways",
      TrQ("frmListViewer", "解凍（いつものところへ）"), ViewerAction::ExtractAlways);
  mnuExtractBase = mnuPopUp->addMenu(TrQ("frmListViewer", "解凍(テンプレート指定)"));
  mnuExtractBase->setObjectName("mnuExtractBase");
  add(mnuExtractBase, mnuExtractToMyDocument, "mnuExtractToMyDocument",
      TrQ("Options", kSpecialFolderCaptions[0]), ViewerAction::ExtractToMyDocument);
  add(mnuExtractBase, mnuExtractToDesktop, "mnuExtractToDesktop",
      TrQ("Options", kSpecialFolderCaptions[1]), ViewerAction::ExtractToDesktop);
  add(mnuExtractBase, mnuExtractToSystem, "mnuExtractToSystem",
      TrQ("Options", kSpecialFolderCaptions[2]), ViewerAction::ExtractToSystem);
  add(mnuExtractBase, mnuExtractToWindows, "mnuExtractToWindows",
      TrQ("Options", kSpecialFolderCaptions[3]), ViewerAction::ExtractToWindows);
  mnuPopUp->addSeparator();
  mnuCodePage =
      mnuPopUp->addMenu(QCoreApplication::translate("frmListViewer", "ファイル名の文字コード(&C)"));
  mnuCodePage->setObjectName("mnuCodePage");
  mnuCodePage->setEnabled(false);
  auto* codePages = new QActionGroup(this);
  for (const char* codePage : kNameCodePages) {
    QAction* action = mnuCodePage->addAction(QString::fromUtf8(codePage));
    action->setCheckable(true);
    action->setData(QString::fromUtf8(codePage));
    codePages->addAction(action);
    connect(action, &QAction::triggered, this, [this, codePage] { ChooseCodePage(codePage); });
  }
  mnuPopUp->addSeparator();
  mnuTest = mnuPopUp->addAction(TrQ("frmListViewer", "検査(&T)"));
  mnuTest->setObjectName("mnuTest");
  connect(mnuTest, &QAction::triggered, this, [this] {
    if (!viewer_.archive().empty()) viewer_.Test();
  });
  mnuDelete = mnuPopUp->addAction(TrQ("frmListViewer", "削除(&D)"));
  mnuDelete->setObjectName("mnuDelete");
  connect(mnuDelete, &QAction::triggered, this, &frmListViewer::DeleteCurrent);
  mnuPopUp->addSeparator();
  mnuOptMakeFolder =
      mnuPopUp->addAction(TrQ("frmListViewer", "圧縮ファイル名でフォルダを作成する"));
  mnuOptMakeFolder->setObjectName("mnuOptMakeFolder");
  mnuOptMakeFolder->setCheckable(true);
  mnuOptMakeFolder->setChecked(viewer_.makeFolder());
  // Only the check mark flips; nothing is written to the settings.
  connect(mnuOptMakeFolder, &QAction::toggled, this,
          [this](bool on) { viewer_.setMakeFolder(on); });
}

QTreeView* frmListViewer::list() const {
  return List1;
}

std::string frmListViewer::CurrentEntry() const {
  QModelIndex current = List1->currentIndex();
  if (!current.isValid()) return "";
  return model_->FileName(proxy_->SourceRow(current.row()));
}

void frmListViewer::SortByColumn(int column) {
  order_ = order_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
  proxy_->Sort(column, order_);
}

int frmListViewer::LeastColumnWidth(int column) const {
  return qRound(kColumnTwips[column] / TwipsPerPixelX(*this));
}

void frmListViewer::FitColumns() {
  columnsFitted_ = proxy_->rowCount() > 0;
  for (int c = kColDate; c < kListColumnCount; ++c)
    List1->setColumnWidth(c, std::max(LeastColumnWidth(c), List1->ContentWidth(c)));
  // The first fitted listing widens the window as far as the five columns need.
  if (!columnsFitted_ || widened_) return;
  widened_ = true;
  int columns = 0;
  for (int c = 0; c < kListColumnCount; ++c) columns += List1->columnWidth(c);
  int missing = columns - List1->viewport()->width();
  if (missing > 0) resize(width() + missing, height());
}

void frmListViewer::StopListing() {
  if (listingStop_) *listingStop_ = true;
  listingStop_.reset();
}

void frmListViewer::ShowArchive(const std::string& path) {
  // A listing still running (for this archive or another) stops; its late parts are dropped.
  StopListing();
  viewer_.setArchive(path);
  auto stop = std::make_shared<std::atomic<bool>>(false);
  listingStop_ = stop;
  auto shown = std::make_unique<ArchiveListModel>();
  ArchiveListModel* target = shown.get();
  proxy_->SetSource(target);
  // The last listing's model may be in the middle of telling the views of new rows (an open
  // from one of their slots): it goes when the events come round, at the latest with this.
  ArchiveListModel* last = model_.release();
  last->setParent(this);
  last->deleteLater();
  model_ = std::move(shown);
  columnsFitted_ = false;
  if (isHidden()) {
    show();
    MainWindowPlaced();
  }
  raise();
  activateWindow();

  // The listing runs on the worker into a model no view watches and hands its rows on in
  // parts, queued to this thread: the first rows show at once, the window answers meanwhile.
  QObject receiver;  // lives on this thread while the listing runs
  ArchiveListModel staging;
  staging.HandOffParts(
      [&receiver, target, stop](std::shared_ptr<ArchiveListModel::Part> part) {
        if (*stop) return false;
        if (QThread::currentThread() == receiver.thread()) {
          target->AppendPart(*part);
          return true;
        }
        QMetaObject::invokeMethod(
            &receiver,
            [target, stop, part] {
              if (!*stop) target->AppendPart(*part);
            },
            Qt::QueuedConnection);
        return true;
      },
      kFirstPartRows, kPartRows, kPartInterval);
  QPointer<frmListViewer> self(this);
  void* owner = static_cast<QWidget*>(this);
  ArchiverDLL_List listing(host_.status, host_.inspect, owner, &viewer_.passwords());
  listing.setNameCodePage(viewer_.nameCodePage());
  std::string ext = LowerExtension(path);
  host_.window.runResponsive([&] {
    if (ext == "exe") {
      listing.ListByFormat(path, staging);
    } else {
      listing.ListByExtension(path, staging);
    }
  });
  // The parts still queued, before the receiver goes (each one checks the stop first).
  QCoreApplication::sendPostedEvents(&receiver, QEvent::MetaCall);
  if (!self || *stop) return;  // closed, or another archive opened, meanwhile
  listingStop_.reset();
  FitColumns();
  ShowCodePage(listing.guessedCodePage());
}

void frmListViewer::ShowCodePage(const std::string& guessed) {
  // Only a listing that had to decode names from a code page offers the others.
  mnuCodePage->setEnabled(!guessed.empty());
  mnuCodePage->setTitle(
      guessed.empty()
          ? QCoreApplication::translate("frmListViewer", "ファイル名の文字コード(&C)")
          : QCoreApplication::translate("frmListViewer", "ファイル名の文字コード(&C): ") +
                Q(guessed));
  for (QAction* action : mnuCodePage->actions())
    action->setChecked(action->data().toString().toStdString() == guessed);
}

void frmListViewer::ChooseCodePage(const std::string& codePage) {
  if (viewer_.archive().empty()) return;
  viewer_.setNameCodePage(codePage);
  ShowArchive(viewer_.archive());
}

void frmListViewer::RunOnCurrent(ViewerAction action) {
  std::string entry = CurrentEntry();
  if (!entry.empty()) viewer_.Run(action, entry);
}

void frmListViewer::DeleteCurrent() {
  std::string entry = CurrentEntry();
  if (entry.empty()) return;
  if (viewer_.Delete(entry) && host_.relist) host_.relist();
}

void frmListViewer::DropFiles(const std::vector<std::string>& paths) {
  if (!WriteDroppedList(paths, host_.window)) return;
  if (!ComposerTakes(viewer_.archive())) {
    host_.window.setPanelText(1, Tr("frmListViewer", "対応していない書庫です。"));
    return;
  }
  frmTreeView composer(viewer_.archive(), host_.status, host_.window, this);
  composer.exec();
  if (composer.added() && host_.relist) host_.relist();
}

QList<QUrl> frmListViewer::ExtractForDrag(const std::vector<std::string>& entries) {
  dragFolder_ = std::make_unique<QTemporaryDir>();
  if (!dragFolder_->isValid()) return {};
  std::string folder = dragFolder_->path().toStdString();
  bool makeFolder = viewer_.makeFolder();
  viewer_.setMakeFolder(false);
  QList<QUrl> urls;
  for (const std::string& entry : entries) {
    std::string out;
    if (!viewer_.ExtractFile(entry, folder, &out, 0)) continue;
    std::string file = ExtractedFileInside(folder, out);
    if (!file.empty()) urls.push_back(QUrl::fromLocalFile(Q(file)));
  }
  viewer_.setMakeFolder(makeFolder);
  return urls;
}

// ---- Docking ----

bool frmListViewer::CanPlaceWindows() {
  return !QGuiApplication::platformName().startsWith("wayland");
}

bool frmListViewer::Dockable() const {
  return host_.mainWindow && host_.docked && CanPlaceWindows() && isVisible();
}

void frmListViewer::PlaceViewer(const QRect& frame) {
  // frame: the viewer's outer rectangle; the client keeps the frame's margins.
  QRect now = frameGeometry();
  int height = frame.height() - (now.height() - this->height());
  viewerEcho_ = QRect(frame.topLeft(), QSize(now.width(), frame.height()));
  placing_ = true;
  resize(width(), std::max(height, 1));
  move(frame.topLeft());
  placing_ = false;
}

void frmListViewer::PlaceMain(const QPoint& topLeft, int frameHeight) {
  QWidget& main = *host_.mainWindow;
  QRect now = main.frameGeometry();
  mainEcho_ = QRect(topLeft, QSize(now.width(), frameHeight));
  placing_ = true;
  if (frameHeight != now.height())
    main.resize(main.width(), std::max(frameHeight - (now.height() - main.height()), 1));
  main.move(topLeft);
  placing_ = false;
}

void frmListViewer::MainWindowMoved() {
  if (placing_ || !Dockable() || !*host_.docked) return;
  QRect main = host_.mainWindow->frameGeometry();
  if (mainEcho_ && *mainEcho_ == main) {
    mainEcho_.reset();  // the move this window asked for
    return;
  }
  mainEcho_.reset();
  PlaceViewer(QRect(main.x() + main.width(), main.y(), frameGeometry().width(), main.height()));
}

void frmListViewer::MainWindowPlaced() {
  if (Dockable() && *host_.docked) {
    QRect main = host_.mainWindow->frameGeometry();
    PlaceViewer(QRect(main.x() + main.width(), main.y(), frameGeometry().width(), main.height()));
  }
}

void frmListViewer::MovedByUser() {
  if (!Dockable()) return;
  QRect frame = frameGeometry();
  QRect main = host_.mainWindow->frameGeometry();
  *host_.docked = IsDockedAt(PixelsToTwipsX(*this, frame.x()), PixelsToTwipsX(*this, main.x()),
                             PixelsToTwipsX(*this, main.width()));
  if (*host_.docked) PlaceMain(QPoint(frame.x() - main.width(), frame.y()), main.height());
}

void frmListViewer::ResizedByUser() {
  if (!Dockable() || !*host_.docked) return;
  QRect frame = frameGeometry();
  QRect main = host_.mainWindow->frameGeometry();
  // The main window takes the viewer's top and height.
  PlaceMain(QPoint(main.x(), frame.y()), frame.height());
}

bool frmListViewer::EchoOfOwnRequest() {
  if (placing_) return true;
  QRect frame = frameGeometry();
  if (!viewerEcho_) return false;
  bool echo = viewerEcho_->topLeft() == frame.topLeft() && viewerEcho_->height() == frame.height();
  if (echo) viewerEcho_.reset();
  return echo;
}

void frmListViewer::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (!EchoOfOwnRequest()) MovedByUser();
}

void frmListViewer::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!EchoOfOwnRequest()) ResizedByUser();
}

}  // namespace qvr
