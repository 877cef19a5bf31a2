// The archive viewer window "File Viewer": List1 with the archive's entries, the pop-up menu,
// the keys, the header sort, drops into the archive and drags out of it, and the docking to
// the main window's right edge. Thin: the actions are ListViewer's.
#pragma once

#include <QTemporaryDir>
#include <QTreeView>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "ArchiverDLL_List.h"
#include "ListViewer.h"
#include "ViewerSortModel.h"

class QAction;
class QMenu;

namespace qvr {

class frmListViewer;

// List1: the report-style list; it starts drags of the chosen entries.
class ViewerList : public QTreeView {
  Q_OBJECT
 public:
  explicit ViewerList(frmListViewer& viewer);
  // The width the shown cells of the column need.
  int ContentWidth(int column) const { return sizeHintForColumn(column); }

 protected:
  void startDrag(Qt::DropActions actions) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  frmListViewer& viewer_;
};

// What the viewer needs of the main window.
struct ViewerHost {
  MainWindowPort& window;         // panels, boxes, runResponsive
  const LibraryStatus& status;    // the availability flags
  ArchiverDLL_Inspect& inspect;   // the one inspection object (archive type)
  QWidget* mainWindow = nullptr;  // the window the viewer docks to; null: no docking
  bool* docked = nullptr;         // the main window's docked flag
  std::function<void()> relist;   // the main window's List1_DblClick
};

class frmListViewer : public QWidget {
  Q_OBJECT

 public:
  explicit frmListViewer(ViewerHost host, QWidget* parent = nullptr);
  ~frmListViewer() override;

  // Lists the archive (anew) and shows it: the rows arrive in parts while the window
  // answers; a second call or closing the window stops a listing still running.
  void ShowArchive(const std::string& path);
  const std::string& archive() const { return viewer_.archive(); }
  ListViewer& engine() { return viewer_; }
  ArchiveListModel& model() { return *model_; }
  QTreeView* list() const;
  // The entry path of the current row; "" when none.
  std::string CurrentEntry() const;
  // Sorts by the column as a header click does (the order flips on every click).
  void SortByColumn(int column);

  // Docking (X11; nothing where top-level windows cannot be placed): the main window moved
  // or was resized (Form1 calls this); a docked viewer takes its right edge and its height.
  void MainWindowMoved();
  // The viewer's first placement: at the main window's right edge when docked.
  void MainWindowPlaced();
  static bool CanPlaceWindows();

  // The drop of files on the list: addlist.tmp, then the composer.
  void DropFiles(const std::vector<std::string>& paths);
  // The drag of the chosen entries: extracted to a private folder, as file URLs.
  QList<QUrl> ExtractForDrag(const std::vector<std::string>& entries);

  QAction* mnuOpen = nullptr;
  QAction* mnuOpenApoint = nullptr;
  QAction* mnuOpenAlways = nullptr;
  QAction* mnuExtractApoint = nullptr;
  QAction* mnuExtractAlways = nullptr;
  QMenu* mnuExtractBase = nullptr;
  QAction* mnuExtractToMyDocument = nullptr;
  QAction* mnuExtractToDesktop = nullptr;
  QAction* mnuExtractToSystem = nullptr;
  QAction* mnuExtractToWindows = nullptr;
  // The code page the listing decoded names from, where it had to guess, and the others.
  QMenu* mnuCodePage = nullptr;
  QAction* mnuTest = nullptr;
  QAction* mnuDelete = nullptr;
  QAction* mnuOptMakeFolder = nullptr;
  QMenu* mnuPopUp = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildMenu();
  void StopListing();
  // The design's width of a column in pixels: the least it gets.
  int LeastColumnWidth(int column) const;
  // Widens the date, size and ratio columns to the shown cells (a date is never cut at any
  // DPI); the name column keeps the design's width. The first time, the window widens too.
  void FitColumns();
  // The listing's code page in mnuCodePage; "" when every name was UTF-8.
  void ShowCodePage(const std::string& guessed);
  // Lists the archive again with the code page; its extractions keep it.
  void ChooseCodePage(const std::string& codePage);
  void RunOnCurrent(ViewerAction action);
  void DeleteCurrent();
  void MovedByUser();
  void ResizedByUser();
  bool Dockable() const;
  void PlaceViewer(const QRect& frame);
  void PlaceMain(const QPoint& topLeft, int frameHeight);
  bool EchoOfOwnRequest();

  ViewerHost host_;
  ListViewer viewer_;
  std::unique_ptr<ArchiveListModel> model_;
  ViewerSortModel* proxy_ = nullptr;
  ViewerList* List1 = nullptr;
  Qt::SortOrder order_ = Qt::DescendingOrder;
  std::unique_ptr<QTemporaryDir> dragFolder_;
  std::shared_ptr<std::atomic<bool>> listingStop_;  // the running listing's stop; null: none
  // The positions and sizes this window asked for: when the window system reports them back,
  // they are no move of the user's (the two windows never move each other in a loop).
  std::optional<QRect> viewerEcho_;
  std::optional<QRect> mainEcho_;
  bool placing_ = false;        // this window is placing one of the two right now
  bool columnsFitted_ = false;  // the widths were set from the listing's first rows
  bool widened_ = false;        // the window was widened to its columns once
};

// Twips of a pixel length of the widget's screen.
long PixelsToTwipsX(const QWidget& widget, int pixels);
long PixelsToTwipsY(const QWidget& widget, int pixels);

}  // namespace qvr
