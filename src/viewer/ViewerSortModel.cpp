#include "ViewerSortModel.h"

#include <algorithm>
#include <numeric>

namespace qvr {

ViewerSortModel::ViewerSortModel(QObject* parent) : QAbstractProxyModel(parent) {}

void ViewerSortModel::Identity() {
  int rows = source_ ? source_->rowCount() : 0;
  order_.resize(size_t(rows));
  std::iota(order_.begin(), order_.end(), 0);
  position_ = order_;
}

void ViewerSortModel::SetSource(ArchiveListModel* source) {
  beginResetModel();
  if (source_) disconnect(source_, nullptr, this, nullptr);
  source_ = source;
  QAbstractProxyModel::setSourceModel(source);
  Identity();
  if (source_) {
    connect(source_, &QAbstractItemModel::modelReset, this, [this] {
      beginResetModel();
      Identity();
      endResetModel();
    });
  }
  endResetModel();
}

void ViewerSortModel::Sort(int column, Qt::SortOrder order) {
  if (!source_) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  QModelIndexList before = persistentIndexList();
  std::vector<int> sourceRows;
  for (const QModelIndex& index : before) sourceRows.push_back(SourceRow(index.row()));
  Identity();
  const ArchiveListModel& m = *source_;
  if (column == kColFileName) {
    std::stable_sort(order_.begin(), order_.end(),
                     [&](int a, int b) { return m.SortName(a) < m.SortName(b); });
  } else {
    std::vector<uint64_t> keys(order_.size());
    for (size_t i = 0; i < keys.size(); ++i) keys[i] = m.SortKey(int(i), column);
    std::stable_sort(order_.begin(), order_.end(),
                     [&](int a, int b) { return keys[size_t(a)] < keys[size_t(b)]; });
  }
  if (order == Qt::DescendingOrder) {
    // Descending keeps equal rows in their ascending order's reverse, as a flip reads.
    std::reverse(order_.begin(), order_.end());
  }
  for (size_t i = 0; i < order_.size(); ++i) position_[size_t(order_[i])] = int(i);
  QModelIndexList after;
  for (int i = 0; i < before.size(); ++i) {
    int row = sourceRows[size_t(i)] < 0 ? -1 : position_[size_t(sourceRows[size_t(i)])];
    after.push_back(row < 0 ? QModelIndex() : index(row, before[i].column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int ViewerSortModel::SourceRow(int row) const {
  return row >= 0 && row < int(order_.size()) ? order_[size_t(row)] : -1;
}

QModelIndex ViewerSortModel::mapToSource(const QModelIndex& proxy) const {
  if (!source_ || !proxy.isValid()) return {};
  int row = SourceRow(proxy.row());
  return row < 0 ? QModelIndex() : source_->index(row, proxy.column());
}

QModelIndex ViewerSortModel::mapFromSource(const QModelIndex& source) const {
  if (!source.isValid() || source.row() >= int(position_.size())) return {};
  return index(position_[size_t(source.row())], source.column());
}

QModelIndex ViewerSortModel::index(int row, int column, const QModelIndex& parent) const {
  if (parent.isValid() || row < 0 || row >= int(order_.size()) || column < 0 ||
      column >= kListColumnCount) {
    return {};
  }
  return createIndex(row, column);
}

QModelIndex ViewerSortModel::parent(const QModelIndex&) const {
  return {};
}

int ViewerSortModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(order_.size());
}

int ViewerSortModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kListColumnCount;
}

}  // namespace qvr
