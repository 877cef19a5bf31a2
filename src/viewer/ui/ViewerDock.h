// The viewer as the main window keeps it: made at the first open and kept until it is
// closed, docked at the main window's right edge and following it while docked
// (frmListViewer does the placing), gone before the main window.
#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>

#include "frmListViewer.h"

namespace qvr {

class ViewerDock {
 public:
  // What the viewer needs of the main window, given once; `mainWindow` owns the viewer.
  ViewerDock(MainWindowPort& window, const LibraryStatus& status, ArchiverDLL_Inspect& inspect,
             QWidget* mainWindow, std::function<void()> relist);
  ~ViewerDock();
  ViewerDock(const ViewerDock&) = delete;
  ViewerDock& operator=(const ViewerDock&) = delete;

  // Shows the viewer modeless (made when not open) with the archive's listing.
  void Open(const std::string& path);
  void Close();
  bool isOpen() const { return open_; }
  // The start of a load: the viewer counts as closed and docked.
  void Reset();
  // The main window moved or changed its size.
  void MainWindowMoved();

 private:
  MainWindowPort& window_;
  const LibraryStatus& status_;
  ArchiverDLL_Inspect& inspect_;
  QWidget* mainWindow_;
  std::function<void()> relist_;
  bool open_ = false;
  bool docked_ = true;
  QPointer<frmListViewer> viewer_;  // while it is loaded
};

}  // namespace qvr
