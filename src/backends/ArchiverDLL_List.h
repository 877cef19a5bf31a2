// The archive listing: walks one archive through its library (or the yz2dec/rk listing) and
// fills the viewer's entry model with one row per entry. The model keeps each entry as a
// compact record and formats the five cells when a view asks for them.
#pragma once

#include <QAbstractTableModel>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ArchiverDLL.h"
#include "ArchiverDLLStatus.h"
#include "ArchiverDLL_Inspect.h"
#include "RunPasswords.h"

namespace qvr {

// The viewer's columns, in order; key and caption are the same text.
enum ListColumn { kColFileName, kColDate, kColOriginalSize, kColCompressionSize, kColRatio };
inline constexpr int kListColumnCount = 5;
inline constexpr const char* kListColumnKeys[kListColumnCount] = {
    "FileName", "Date", "OriginalSize", "CompressionSize", "Ratio"};

// The reader that produced a row; it decides how the cells read.
enum class RowFormat : uint8_t {
  Plain,          // LZH, ZIP, 7Z, GCA, RAR, ARJ, BGA, HKI
  NoCompression,  // CAB, TAR, IMP, YZ1: no stored size, no ratio
  Bel,            // no name, no date; ratio = 100 - Ratio / 10
  Computed,       // KTY, ACE: ratio from the two sizes
  Tool,           // YZ2, RK (the tools' listings): no date
};
// The row format of a format identifier ("LZH", "YZ2", ...).
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

// The viewer's list: rows of the five cells. The rows are kept as compact records and
// their cells formatted when a view asks for them.
class ArchiveListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit ArchiveListModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  // DisplayRole: the cell text; TextAlignmentRole: names and dates left, numbers right.
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  // The column keys as captions.
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // Removes every row.
  void Clear();
  // A listing: BeginListing removes every row; the rows added until EndListing are shown
  // to the views at once when it is called.
  void BeginListing();
  void EndListing();
  // Appends one row ("Add row"; the row number is its position + 1). False when the listing
  // is to stop (a part handler said so).
  bool AddRow(const ListEntry& entry, RowFormat format);

  // Rows taken out of a listing model, to be appended to another (another thread's) model.
  class Part;
  // While a listing runs (on a worker, into a model no view watches), its rows are handed
  // on in parts: the first `firstRows` rows, then every `rows` rows or `interval`, whichever
  // comes first, and the rest at EndListing are taken out of this model and given to the
  // handler. The handler answers false to stop the listing: AddRow then answers false.
  using PartHandler = std::function<bool(std::shared_ptr<Part>)>;
  void HandOffParts(PartHandler handler, size_t firstRows, size_t rows,
                    std::chrono::milliseconds interval);
  // Appends a part's rows after the rows there are, as one insertion the views see.
  void AppendPart(const Part& part);

  // The cell text of a row, exactly as a view shows it.
  std::string Cell(int row, int column) const;
  // The entry path of a row as the library gave it (also for BEL rows, whose cell reads "-").
  std::string FileName(int row) const;
  // What a row sorts by in a numeric column: sizes as numbers, the date and time as one
  // moment, the ratio in tenths of a percent; a cell that reads "-" sorts first.
  uint64_t SortKey(int row, int column) const;
  // The name as it sorts (the cell's text, without copying).
  std::string_view SortName(int row) const;

 private:
  struct Row {
    uint64_t originalSize;
    uint64_t compressedSize;
    uint64_t nameOffset : 48;  // into names_
    uint64_t nameLength : 13;
    uint64_t format : 3;
    int16_t ratio;
    uint16_t date;
    uint16_t time;
  };
  std::string_view NameOf(const Row& row) const;
  bool HandOff();

  std::vector<Row> rows_;
  std::string names_;  // every row's name, one after the other
  bool listing_ = false;
  PartHandler handler_;
  size_t firstPartRows_ = 0, partRows_ = 0;
  std::chrono::milliseconds partInterval_{0};
  std::chrono::steady_clock::time_point lastPart_;
  bool firstPartDone_ = false;
  bool stopped_ = false;
};

class ArchiveListModel::Part {
 private:
  friend class ArchiveListModel;
  std::vector<Row> rows;
  std::string names;
};

// Cell formatting, shared by the model and its tests.
std::string GroupDigits(uint64_t value);  // "#,#": 1234567 -> "1,234,567"; 0 -> "0"
std::string TenthsText(int32_t tenths);   // shortest decimal of tenths / 10: 455 -> "45.5"
// The "0.0" form of part / whole x 100, rounded half up; "" when whole is 0.
std::string PercentText(uint64_t part, uint64_t whole);
// "YYYY/MM/DD hh:nn:ss" of an MS-DOS date and time; "-" when they name no valid moment.
std::string DosDateTimeText(uint16_t date, uint16_t time);

// The listing. Every reader clears the model before it reads; an unknown extension or an
// exe in which no listable format is found leaves the model untouched. The detection of an
// exe sets the archive type of the viewer's inspection object.
class ArchiverDLL_List {
 public:
  // passwords, when given, answers a password question of the opening (encrypted names).
  ArchiverDLL_List(const LibraryStatus& status, ArchiverDLL_Inspect& inspect, void* ownerWindow,
                   RunPasswords* passwords = nullptr);
  // Lists by the lower-cased extension. False when the extension has no reader (the model
  // was not touched).
  bool ListByExtension(const std::string& path, ArchiveListModel& model);
  // Lists by the detection by content. False for "", "PQA" (the model was not touched).
  bool ListByFormat(const std::string& path, ArchiveListModel& model);
  // The code page of the names that are not UTF-8 for the listings ("": the library's guess).
  void setNameCodePage(const std::string& codePage) { nameCodePage_ = codePage; }
  // The code page some names of the last listing were decoded from; "" when every name was
  // UTF-8 (or the library does not tell).
  const std::string& guessedCodePage() const { return guessedCodePage_; }

 private:
  void ListLibrary(const FormatRow& format, std::string_view id, const std::string& path,
                   ArchiveListModel& model);
  void ListTool(std::string_view id, const std::string& path, ArchiveListModel& model);

  const LibraryStatus& status_;
  ArchiverDLL_Inspect& inspect_;
  void* ownerWindow_;
  RunPasswords* passwords_;
  std::string nameCodePage_;
  std::string guessedCodePage_;
};

}  // namespace qvr
