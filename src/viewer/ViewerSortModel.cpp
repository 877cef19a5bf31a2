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
  sortColumn_ = -1;
  keys_.clear();
  Identity();
  if (source_) {
    connect(source_, &QAbstractItemModel::modelReset, this, [this] {
      beginResetModel();
      sortColumn_ = -1;
      keys_.clear();
      Identity();
      endResetModel();
    });
    connect(source_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { Appended(first, last); });
  }
  endResetModel();
}

uint64_t ViewerSortModel::Key(int sourceRow) const {
  return keys_[size_t(sourceRow)];
}

// The order of two source rows under the sort: by the column, then by the listing order, so
// that the order is total and a merge gives what a sort of all rows gives.
bool ViewerSortModel::Before(int a, int b) const {
  bool ascending = sortOrder_ == Qt::AscendingOrder;
  if (sortColumn_ == kColFileName) {
    std::string_view x = source_->SortName(a), y = source_->SortName(b);
    if (x != y) return ascending ? x < y : y < x;
  } else if (Key(a) != Key(b)) {
    return ascending ? Key(a) < Key(b) : Key(b) < Key(a);
  }
  return ascending ? a < b : b < a;
}

void ViewerSortModel::SortTail(size_t from) {
  if (sortColumn_ != kColFileName) {
    size_t rows = size_t(source_->rowCount());
    for (size_t i = keys_.size(); i < rows; ++i)
      keys_.push_back(source_->SortKey(int(i), sortColumn_));
  }
  auto before = [this](int a, int b) { return Before(a, b); };
  auto mid = order_.begin() + std::ptrdiff_t(from);
  std::sort(mid, order_.end(), before);
  std::inplace_merge(order_.begin(), mid, order_.end(), before);
  for (size_t i = 0; i < order_.size(); ++i) position_[size_t(order_[i])] = int(i);
}

// Reorders the rows as a layout change: the views' selection and current row follow them.
void ViewerSortModel::Relayout(const std::function<void()>& reorder) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  QModelIndexList before = persistentIndexList();
  std::vector<int> sourceRows;
  for (const QModelIndex& index : before) sourceRows.push_back(SourceRow(index.row()));
  reorder();
  QModelIndexList after;
  for (int i = 0; i < before.size(); ++i) {
    int row = sourceRows[size_t(i)] < 0 ? -1 : position_[size_t(sourceRows[size_t(i)])];
    after.push_back(row < 0 ? QModelIndex() : index(row, before[i].column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ViewerSortModel::Sort(int column, Qt::SortOrder order) {
  if (!source_) return;
  Relayout([&] {
    sortColumn_ = column;
    sortOrder_ = order;
    keys_.clear();
    Identity();
    SortTail(0);
  });
}

// Rows appended to the source: shown at the end, then merged into the sort when there is one.
void ViewerSortModel::Appended(int first, int last) {
  size_t from = order_.size();
  if (first != int(from)) {  // the source only ever appends; anything else starts afresh
    beginResetModel();
    Identity();
    if (sortColumn_ >= 0) {
      keys_.clear();
      SortTail(0);
    }
    endResetModel();
    return;
  }
  beginInsertRows(QModelIndex(), first, last);
  for (int row = first; row <= last; ++row) {
    order_.push_back(row);
    position_.push_back(row);
  }
  endInsertRows();
  if (sortColumn_ >= 0) Relayout([&] { SortTail(from); });
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
