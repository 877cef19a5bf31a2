// The viewer's sorted view of the entry model: a permutation of the rows, sorted by one
// column straight from the rows' records (names as text, sizes as numbers, dates as moments),
// so that a header click on 100,000 rows sorts without formatting a cell. Rows appended to
// the source while a listing goes on are merged into the sort in place, the selection kept.
#pragma once

#include <QAbstractProxyModel>
#include <functional>
#include <vector>

#include "ArchiverDLL_List.h"

namespace qvr {

class ViewerSortModel : public QAbstractProxyModel {
  Q_OBJECT

 public:
  explicit ViewerSortModel(QObject* parent = nullptr);

  // The entries shown; the order is the source's until Sort is called.
  void SetSource(ArchiveListModel* source);
  ArchiveListModel* source() const { return source_; }
  // A stable sort by the column (rows of equal keys keep their listing order, reversed
  // when descending); it holds for the rows that arrive later too.
  void Sort(int column, Qt::SortOrder order);
  // The source row of a row of this model; -1 when out of range.
  int SourceRow(int row) const;

  QModelIndex mapToSource(const QModelIndex& proxy) const override;
  QModelIndex mapFromSource(const QModelIndex& source) const override;
  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;

 private:
  void Identity();
  void Appended(int first, int last);
  // Sorts order_[from, end) and merges it into the sorted rows before it.
  void SortTail(size_t from);
  void Relayout(const std::function<void()>& reorder);
  uint64_t Key(int sourceRow) const;
  bool Before(int a, int b) const;

  ArchiveListModel* source_ = nullptr;
  int sortColumn_ = -1;  // -1: the source's order
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
  std::vector<uint64_t> keys_;  // the numeric column's key of every source row
  std::vector<int> order_;      // proxy row -> source row
  std::vector<int> position_;   // source row -> proxy row
};

}  // namespace qvr
