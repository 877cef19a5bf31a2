#include "ViewerDock.h"

namespace qvr {

ViewerDock::ViewerDock(MainWindowPort& window, const LibraryStatus& status,
                       ArchiverDLL_Inspect& inspect, QWidget* mainWindow,
                       std::function<void()> relist)
    : window_(window),
      status_(status),
      inspect_(inspect),
      mainWindow_(mainWindow),
      relist_(std::move(relist)) {}

// The viewer goes first: as the main window's child it would otherwise be destroyed by
// QWidget's destructor, when its destroyed signal would reach a main window already gone.
ViewerDock::~ViewerDock() {
  delete viewer_.data();
}

void ViewerDock::Open(const std::string& path) {
  if (!viewer_) {
    ViewerHost host{window_, status_, inspect_, mainWindow_, &docked_, relist_};
    viewer_ = new frmListViewer(std::move(host), mainWindow_);
    viewer_->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(viewer_, &QObject::destroyed, mainWindow_, [this] { open_ = false; });
  }
  open_ = true;
  viewer_->ShowArchive(path);
}

void ViewerDock::Close() {
  if (viewer_) viewer_->close();
  open_ = false;
}

void ViewerDock::Reset() {
  open_ = false;
  docked_ = true;
}

void ViewerDock::MainWindowMoved() {
  if (viewer_ && open_) viewer_->MainWindowMoved();
}

}  // namespace qvr
