// The archive listing: walks one archive through its library (or the yz2dec/rk listing) and
// fills the viewer's entry model with one row per entry. The model keeps each entry as a
// compact record and formats the five cells when a view asks for them.
#pragma once

#include <QAbstractTableModel>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ArchiverDLL.h"
#include "ArchiverDLLStatus.h"

namespace qvr {

// The viewer's columns, in order; key and caption are the same text.
enum ListColumn { kColFileName, kColDate, kColOriginalSize, kColCompressionSize, kColRatio };
inline constexpr int kListColumnCount = 5;
inline constexpr const char* kListColumnKeys[kListColumnCount] = {
    "FileName", "Date", "OriginalSize", "CompressionSize", "Ratio"};

// The reader that produced a row; it decides how the cells read.
enum class RowFormat : uint8_t {
  Plain,          // LZH, ZIP, 7Z, GCA, RAR, ARJ, BGA, HKI, YZ2DEC, RK
  NoCompression,  // CAB, TAR, IMP, YZ1: no stored size, no ratio
  Bel,            // no name, no date; ratio = 100 - Ratio / 10
  Computed,       // KTY, ACE: ratio from the two sizes
  Tool,           // YZ2DEC, RK: no date
};
// The row format of a reader identifier ("LZH", "YZ2DEC", ...).
RowFormat RowFormatOf(std::string_view format);

// One entry as the viewer needs it. Sizes are 64-bit (the library's 64-bit entries when
// it has them).
struct ListEntry {
  std::string_view fileName;  // up to the first NUL of the record's field
  uint64_t originalSize = 0;
  uint64_t compressedSize = 0;
  int16_t ratio = 0;  // tenths of a percent
  uint16_t date = 0;  // MS-DOS date
  uint16_t time = 0;  // MS-DOS time
};

// The viewer's list: rows of the five cells.
class ArchiveListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit ArchiveListModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // Removes every row.
  void Clear();
  // Appends one row.
  void AddRow(const ListEntry& entry, RowFormat format);
  // Appends rows in one batch (a walk adds its rows at once).
  void AddRows(const std::vector<ListEntry>& entries, RowFormat format);

  // The cell text of a row, exactly as a view shows it.
  std::string Cell(int row, int column) const;
  // The entry path of a row as the library gave it ("" for BEL rows' name cell aside).
  std::string FileName(int row) const;

 private:
  struct Row {
    uint64_t originalSize;
    uint64_t compressedSize;
    uint32_t nameOffset;  // into names_
    uint16_t nameLength;
    int16_t ratio;
    uint16_t date;
    uint16_t time;
    RowFormat format;
  };
  void Append(const ListEntry& entry, RowFormat format);

  std::vector<Row> rows_;
  std::string names_;  // every row's name, one after the other
};

// Cell formatting, shared by the model and its tests.
std::string GroupDigits(uint64_t value);  // "#,#": 1234567 -> "1,234,567"; 0 -> "0"
std::string PlainDecimal(double value);   // shortest decimal form: 45.5, 50
std::string DosDateTimeText(uint16_t date, uint16_t time);  // "YYYY/MM/DD hh:nn:ss"

// The listing. Every reader clears the model before it reads; an unknown extension or an
// exe in which no listable format is found leaves the model untouched.
class ArchiverDLL_List {
 public:
  ArchiverDLL_List(const LibraryStatus& status, void* ownerWindow);
  // Lists by the lower-cased extension. False when the extension has no reader (the model
  // was not touched).
  bool ListByExtension(const std::string& path, ArchiveListModel& model);
  // Lists by the detection by content. False for "", "PQA" (the model was not touched).
  bool ListByFormat(const std::string& path, ArchiveListModel& model);

 private:
  const LibraryStatus& status_;
  void* ownerWindow_;
};

}  // namespace qvr
