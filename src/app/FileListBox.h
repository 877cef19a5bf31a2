// List1: the file list of the main window, a list box with multiple selection that takes
// dropped files and the list keys, over a model of the entries as the engines see them.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <string>
#include <vector>

namespace qvr {

// The entries of List1 as the engines see them: byte strings (a file name need not be
// valid UTF-8), shown as text; an entry that opens a volume set shows its number of parts.
class FileListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  const std::string& entry(int row) const { return entries_[size_t(row)]; }
  void append(const std::string& entry);
  void removeAt(int row);
  void clear();

 private:
  std::vector<std::string> entries_;
  std::vector<int> parts_;  // the files of each entry's volume set (1: no set)
};

// List1: a list box with multiple selection that takes dropped files and the list keys.
class FileListBox : public QListView {
  Q_OBJECT

 public:
  explicit FileListBox(QWidget* parent = nullptr);
  FileListModel& entries() { return model_; }
  const FileListModel& entries() const { return model_; }
  // The entry with the focus; -1 when none.
  int currentRow() const { return currentIndex().isValid() ? currentIndex().row() : -1; }
  void setCurrentRow(int row) { setCurrentIndex(model_.index(row)); }

 signals:
  void filesDropped(const std::vector<std::string>& paths);
  void deleteRequested();
  void selectAllRequested();
  void optionsRequested();
  void closeRequested();
  void surpriseRequested();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  FileListModel model_;
};

}  // namespace qvr
