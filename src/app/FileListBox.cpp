#include "FileListBox.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include "QtHelpers.h"
#include "qvr/VolumeNames.h"

namespace qvr {

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(entries_.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || size_t(index.row()) >= entries_.size()) {
    return QVariant();
  }
  const size_t row = size_t(index.row());
  QString text = Q(entries_[row]);
  // A volume set shows how many parts it has.
  if (parts_[row] > 1)
    text += QCoreApplication::translate("FileListBox", "（%1個の分割ファイル）").arg(parts_[row]);
  return text;
}

void FileListModel::append(const std::string& entry) {
  int row = int(entries_.size());
  beginInsertRows(QModelIndex(), row, row);
  entries_.push_back(entry);
  parts_.push_back(int(VolumeParts(entry).size()));
  endInsertRows();
}

void FileListModel::removeAt(int row) {
  if (row < 0 || size_t(row) >= entries_.size()) return;
  beginRemoveRows(QModelIndex(), row, row);
  entries_.erase(entries_.begin() + row);
  parts_.erase(parts_.begin() + row);
  endRemoveRows();
}

void FileListModel::clear() {
  beginResetModel();
  entries_.clear();
  parts_.clear();
  endResetModel();
}

FileListBox::FileListBox(QWidget* parent) : QListView(parent) {
  setObjectName("List1");
  setModel(&model_);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
  setUniformItemSizes(true);
}

void FileListBox::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void FileListBox::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void FileListBox::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  }
  if (paths.empty()) return;
  event->acceptProposedAction();
  emit filesDropped(paths);
}

void FileListBox::keyPressEvent(QKeyEvent* event) {
  Qt::KeyboardModifiers mods = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier |
                                                     Qt::ShiftModifier | Qt::MetaModifier);
  if (mods == Qt::ControlModifier) {
    switch (event->key()) {
      case Qt::Key_A:
        emit selectAllRequested();
        return;
      case Qt::Key_O:
        emit optionsRequested();
        return;
      case Qt::Key_Q:
        emit closeRequested();
        return;
      default:
        break;
    }
  }
  if (mods == (Qt::ControlModifier | Qt::AltModifier) && event->key() == Qt::Key_0) {
    emit surpriseRequested();
    return;
  }
  if (mods == Qt::NoModifier && event->key() == Qt::Key_Delete) {
    emit deleteRequested();
    return;
  }
  QListView::keyPressEvent(event);
}

void FileListBox::mousePressEvent(QMouseEvent* event) {
  // The right button removes the selection on release; it must not change it first.
  if (event->button() == Qt::RightButton) return;
  QListView::mousePressEvent(event);
}

void FileListBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    emit deleteRequested();
    return;
  }
  QListView::mouseReleaseEvent(event);
}

}  // namespace qvr
