#include "ArchiverDLL_List.h"

#include <array>
#include <cstdio>

#include "ArchiverEXE_RK.h"
#include "ArchiverEXE_YZ2.h"

namespace qvr {
namespace {

constexpr std::string_view kNone = "-";

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[size_t(month - 1)];
}

}  // namespace

// ---- Cell formatting ----

std::string GroupDigits(uint64_t value) {
  std::string digits = std::to_string(value);
  std::string grouped;
  grouped.reserve(digits.size() + digits.size() / 3);
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string TenthsText(int32_t tenths) {
  std::string text = tenths < 0 ? "-" : "";
  int64_t magnitude = tenths < 0 ? -int64_t(tenths) : int64_t(tenths);
  text += std::to_string(magnitude / 10);
  if (magnitude % 10 != 0) {
    text += '.';
    text += char('0' + magnitude % 10);
  }
  return text;
}

std::string PercentText(uint64_t part, uint64_t whole) {
  if (whole == 0) return "";
  long double percent = (long double)part * 100.0L / (long double)whole;
  uint64_t tenths = 0;
  if (part <= UINT64_MAX / 2000) {
    tenths = (part * 2000 + whole) / (2 * whole);  // exact, half up
  } else {
    tenths = uint64_t(percent * 10.0L + 0.5L);
  }
  return std::to_string(tenths / 10) + "." + char('0' + tenths % 10);
}

std::string DosDateTimeText(uint16_t date, uint16_t time) {
  int year = 1980 + (date >> 9);
  int month = (date >> 5) & 0x0F;
  int day = date & 0x1F;
  int hour = time >> 11;
  int minute = (time >> 5) & 0x3F;
  int second = (time & 0x1F) * 2;
  // The moments DosDateTimeToFileTime refuses have no date to show.
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
      minute > 59 || second > 59) {
    return std::string(kNone);
  }
  char text[32];
  std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", year, month, day, hour, minute,
                second);
  return text;
}

RowFormat RowFormatOf(std::string_view format) {
  if (format == "CAB" || format == "TAR" || format == "IMP" || format == "YZ1") {
    return RowFormat::NoCompression;
  }
  if (format == "BEL") return RowFormat::Bel;
  if (format == "KTY" || format == "ACE") return RowFormat::Computed;
  if (format == "YZ2" || format == "RK") return RowFormat::Tool;
  return RowFormat::Plain;
}

// ---- The model ----

ArchiveListModel::ArchiveListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ArchiveListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(rows_.size());
}

int ArchiveListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kListColumnCount;
}

QVariant ArchiveListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= int(rows_.size())) return {};
  if (role == Qt::DisplayRole) return QString::fromStdString(Cell(index.row(), index.column()));
  if (role == Qt::TextAlignmentRole) {
    Qt::Alignment horizontal = index.column() >= kColOriginalSize ? Qt::AlignRight : Qt::AlignLeft;
    return QVariant::fromValue(horizontal | Qt::AlignVCenter);
  }
  return {};
}

QVariant ArchiveListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= kListColumnCount) {
    return {};
  }
  return QString::fromLatin1(kListColumnKeys[section]);
}

void ArchiveListModel::Clear() {
  beginResetModel();
  rows_ = {};
  names_ = {};
  endResetModel();
}

void ArchiveListModel::BeginListing() {
  beginResetModel();
  rows_ = {};
  names_ = {};
  listing_ = true;
  firstPartDone_ = false;
  stopped_ = false;
  lastPart_ = std::chrono::steady_clock::now();
}

void ArchiveListModel::EndListing() {
  if (!listing_) return;
  if (handler_ && !stopped_ && !rows_.empty()) HandOff();
  listing_ = false;
  endResetModel();
}

void ArchiveListModel::HandOffParts(PartHandler handler, size_t firstRows, size_t rows,
                                    std::chrono::milliseconds interval) {
  handler_ = std::move(handler);
  firstPartRows_ = firstRows;
  partRows_ = rows;
  partInterval_ = interval;
}

bool ArchiveListModel::HandOff() {
  auto part = std::make_shared<Part>();
  part->rows.swap(rows_);
  part->names.swap(names_);
  rows_.reserve(partRows_);
  firstPartDone_ = true;
  lastPart_ = std::chrono::steady_clock::now();
  if (!handler_(std::move(part))) stopped_ = true;
  return !stopped_;
}

void ArchiveListModel::AppendPart(const Part& part) {
  if (part.rows.empty()) return;
  int first = int(rows_.size());
  beginInsertRows(QModelIndex(), first, first + int(part.rows.size()) - 1);
  uint64_t offset = names_.size();
  names_ += part.names;
  for (Row row : part.rows) {
    row.nameOffset += offset;
    rows_.push_back(row);
  }
  endInsertRows();
}

bool ArchiveListModel::AddRow(const ListEntry& entry, RowFormat format) {
  if (listing_ && stopped_) return false;
  static_assert(sizeof(Row) == 32, "a row stays a compact record");
  int position = int(rows_.size());
  if (!listing_) beginInsertRows(QModelIndex(), position, position);
  std::string_view name = entry.fileName.substr(0, sizeof(EntryInfo::FileName));
  Row row{};
  row.originalSize = entry.originalSize;
  row.compressedSize = entry.compressedSize;
  row.nameOffset = names_.size();
  row.nameLength = name.size();
  row.format = uint8_t(format);
  row.ratio = entry.ratio;
  row.date = entry.date;
  row.time = entry.time;
  names_ += name;
  rows_.push_back(row);
  if (!listing_) {
    endInsertRows();
    return true;
  }
  if (!handler_) return true;
  size_t due = firstPartDone_ ? partRows_ : firstPartRows_;
  // The clock is read every 64 rows: a part of a slow listing still goes out in time.
  bool late =
      (rows_.size() & 63) == 0 && std::chrono::steady_clock::now() - lastPart_ >= partInterval_;
  if (rows_.size() >= due || late) return HandOff();
  return true;
}

std::string_view ArchiveListModel::NameOf(const Row& row) const {
  return std::string_view(names_).substr(row.nameOffset, row.nameLength);
}

std::string ArchiveListModel::FileName(int row) const {
  if (row < 0 || row >= int(rows_.size())) return "";
  return std::string(NameOf(rows_[size_t(row)]));
}

std::string ArchiveListModel::Cell(int index, int column) const {
  if (index < 0 || index >= int(rows_.size())) return "";
  const Row& row = rows_[size_t(index)];
  auto format = RowFormat(row.format);
  switch (column) {
    case kColFileName:
      return format == RowFormat::Bel ? std::string(kNone) : std::string(NameOf(row));
    case kColDate:
      if (format == RowFormat::Bel || format == RowFormat::Tool) return std::string(kNone);
      return DosDateTimeText(row.date, row.time);
    case kColOriginalSize:
      return row.originalSize == 0 ? std::string(kNone) : GroupDigits(row.originalSize);
    case kColCompressionSize:
      if (format == RowFormat::NoCompression) return std::string(kNone);
      if (format == RowFormat::Bel) return GroupDigits(row.compressedSize);
      return row.compressedSize == 0 ? std::string(kNone) : GroupDigits(row.compressedSize);
    case kColRatio:
      switch (format) {
        case RowFormat::NoCompression:
          return std::string(kNone);
        case RowFormat::Bel:
          return TenthsText(1000 - row.ratio) + "%";
        case RowFormat::Computed:
          if (row.compressedSize == 0 || row.originalSize == 0) return std::string(kNone);
          return PercentText(row.compressedSize, row.originalSize) + "%";
        case RowFormat::Plain:
        case RowFormat::Tool:
          if (row.compressedSize == 0 && row.ratio == 0) return std::string(kNone);
          return TenthsText(row.ratio) + "%";
      }
      return "";
    default:
      return "";
  }
}

uint64_t ArchiveListModel::SortKey(int index, int column) const {
  if (index < 0 || index >= int(rows_.size())) return 0;
  const Row& row = rows_[size_t(index)];
  auto format = RowFormat(row.format);
  switch (column) {
    case kColDate:
      if (format == RowFormat::Bel || format == RowFormat::Tool) return 0;
      return (uint64_t(row.date) << 16 | row.time) + 1;
    case kColOriginalSize:
      return row.originalSize;
    case kColCompressionSize:
      return format == RowFormat::NoCompression ? 0 : row.compressedSize;
    case kColRatio: {
      // The cell's own number, so that every row format sorts as it reads.
      std::string text = Cell(index, column);
      uint64_t tenths = 0;
      bool digits = false, fraction = false;
      for (char c : text) {
        if (c >= '0' && c <= '9') {
          tenths = tenths * 10 + uint64_t(c - '0');
          digits = true;
          if (fraction) break;
        } else if (c == '.') {
          fraction = true;
        }
      }
      if (!digits) return 0;
      return (fraction ? tenths : tenths * 10) + 1;
    }
    default:
      return 0;
  }
}

std::string_view ArchiveListModel::SortName(int index) const {
  if (index < 0 || index >= int(rows_.size())) return {};
  const Row& row = rows_[size_t(index)];
  return RowFormat(row.format) == RowFormat::Bel ? kNone : NameOf(row);
}

// ---- The listing ----

ArchiverDLL_List::ArchiverDLL_List(const LibraryStatus& status, ArchiverDLL_Inspect& inspect,
                                   void* ownerWindow, RunPasswords* passwords)
    : status_(status), inspect_(inspect), ownerWindow_(ownerWindow), passwords_(passwords) {}

bool ArchiverDLL_List::ListByExtension(const std::string& path, ArchiveListModel& model) {
  std::string id = FormatOfExtension(path);
  if (id == "EXE") return ListByFormat(path, model);
  if (id == "YZ2" || id == "RK") {
    ListTool(id, path, model);
    return true;
  }
  const FormatRow* format = id == "ZIP" ? &ZipReader() : LibraryFormatOf(id);
  // PQA has no walk: like an unknown extension, it leaves the model untouched.
  if (!format || !format->walks) return false;
  ListLibrary(*format, format->id, path, model);
  return true;
}

bool ArchiverDLL_List::ListByFormat(const std::string& path, ArchiveListModel& model) {
  std::string detected = inspect_.DetectFormat(path);
  if (detected.empty() || detected == "PQA") return false;
  if (detected == "RK") {
    ListTool(detected, path, model);
  } else {
    ListLibrary(*LibraryFormatOf(detected), detected, path, model);  // ZIP: UnZip32
  }
  return true;
}

void ArchiverDLL_List::ListLibrary(const FormatRow& format, std::string_view id,
                                   const std::string& path, ArchiveListModel& model) {
  model.BeginListing();
  guessedCodePage_.clear();
  RowFormat rowFormat = RowFormatOf(id);
  // The listing reads through unace32 alone; unacev2 only extracts.
  if (status_.*RowOf(format.lib).flag) {
    WalkEntries(
        format, path, ownerWindow_, format.openMode,
        [&](ArchiverDLL& dll, HARC archive, const EntryInfo& entry) {
          ListEntry row;
          row.fileName = EntryName(entry);
          row.originalSize = dll.OriginalSize(archive, entry);
          row.compressedSize = dll.CompressedSize(archive, entry);
          row.ratio = entry.Ratio;
          row.date = entry.Date;
          row.time = entry.Time;
          return model.AddRow(row, rowFormat);
        },
        passwords_, nameCodePage_, &guessedCodePage_);
  }
  model.EndListing();
}

void ArchiverDLL_List::ListTool(std::string_view id, const std::string& path,
                                ArchiveListModel& model) {
  model.BeginListing();
  bool yz2 = id == "YZ2";
  ToolListing listing;
  if ((yz2 ? status_.YZ2DEC : status_.RKEXE) &&
      (yz2 ? OpenYZ2Listing(status_, path, listing) : OpenRKListing(status_, path, listing))) {
    for (uint64_t n = 0; n < kMaxWalkEntries; ++n) {
      EntryInfo entry{};
      uint64_t size = 0;
      int answer =
          yz2 ? NextYZ2Entry(listing, "*", entry, &size) : NextRKEntry(listing, "*", entry, &size);
      if (answer != 0) break;
      ListEntry row;
      row.fileName = EntryName(entry);
      row.originalSize = size;
      if (!model.AddRow(row, RowFormat::Tool)) break;
    }
    CloseListing(listing);
  }
  model.EndListing();
}

}  // namespace qvr
