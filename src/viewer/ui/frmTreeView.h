// The folder-tree composer dialog: TreeView1 with the archive's folders under "<ROOT>",
// Btn_Add for a new folder, Btn_OK to add the dropped files (addlist.tmp) into the chosen
// folder, Btn_Cancel. Modal: the main window and the viewer wait while it is open.
#pragma once

#include <QDialog>
#include <string>

#include "ArchiverDLL_TreeViewer.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace qvr {

class frmTreeView : public QDialog {
  Q_OBJECT

 public:
  frmTreeView(const std::string& archivePath, const LibraryStatus& status, MainWindowPort& window,
              QWidget* parent = nullptr);

  // True after an OK that ran the add (the archive is to be listed anew).
  bool added() const { return added_; }
  const std::string& selectedPath() const { return selectedPath_; }
  const ArchiveTree& tree() const { return tree_; }
  QTreeWidget* TreeView1 = nullptr;
  QPushButton* Btn_Add = nullptr;
  QPushButton* Btn_OK = nullptr;
  QPushButton* Btn_Cancel = nullptr;

 private:
  void Fill();
  void OnAdd();
  void OnOk();

  std::string archive_;
  const LibraryStatus& status_;
  MainWindowPort& window_;
  ArchiveTree tree_;
  std::string selectedPath_;
  bool added_ = false;
};

}  // namespace qvr
