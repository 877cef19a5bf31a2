// The listing: the five cells of a row per reader, and the readers chosen by extension and
// by content, against the recording plugin and the scripted yz2dec/rk.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <filesystem>

#include "ArchiverCatalogue.h"
#include "ArchiverDLL_List.h"
#include "BackendsTest.h"
#include "Settings.h"

namespace qvr::test {
namespace {

using Strings = std::vector<std::string>;

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;
// 7 March 2004, 13:05:10.
constexpr uint16_t kDate2004 = (24 << 9) | (3 << 5) | 7;
constexpr uint16_t kTime130510 = (13 << 11) | (5 << 5) | 5;

Strings RowOf(const ArchiveListModel& model, int row) {
  Strings cells;
  for (int column = 0; column < kListColumnCount; ++column) {
    cells.push_back(model.Cell(row, column));
  }
  return cells;
}

// ---- Cells ----

TEST(ListCellsTest, EachReaderFormatsItsRow) {
  struct Case {
    std::string format;
    ListEntry entry;
    Strings cells;
  };
  auto entry = [](uint64_t original, uint64_t compressed, int16_t ratio, uint16_t date = kDate2004,
                  uint16_t time = kTime130510) {
    ListEntry e;
    e.fileName = "dir/file.txt";
    e.originalSize = original;
    e.compressedSize = compressed;
    e.ratio = ratio;
    e.date = date;
    e.time = time;
    return e;
  };
  const std::string kWhen = "2004/03/07 13:05:10";
  const std::vector<Case> cases{
      {"LZH", entry(1000, 455, 455), {"dir/file.txt", kWhen, "1,000", "455", "45.5%"}},
      {"CAB", entry(1000, 455, 455), {"dir/file.txt", kWhen, "1,000", "-", "-"}},
      {"TAR", entry(1000, 455, 455), {"dir/file.txt", kWhen, "1,000", "-", "-"}},
      {"IMP", entry(1000, 455, 455), {"dir/file.txt", kWhen, "1,000", "-", "-"}},
      {"YZ1", entry(1000, 455, 455), {"dir/file.txt", kWhen, "1,000", "-", "-"}},
      {"BEL", entry(1000, 455, 455), {"-", "-", "1,000", "455", "54.5%"}},
      {"BEL", entry(0, 0, 0), {"-", "-", "-", "0", "100%"}},
      {"KTY", entry(1000, 250, 0), {"dir/file.txt", kWhen, "1,000", "250", "25.0%"}},
      {"ACE", entry(3, 2, 0), {"dir/file.txt", kWhen, "3", "2", "66.7%"}},
      {"ACE", entry(0, 2, 0), {"dir/file.txt", kWhen, "-", "2", "-"}},
      {"KTY", entry(5, 0, 0), {"dir/file.txt", kWhen, "5", "-", "-"}},
      {"ZIP", entry(0, 0, 0), {"dir/file.txt", kWhen, "-", "-", "-"}},
      {"ZIP", entry(100, 0, 500), {"dir/file.txt", kWhen, "100", "-", "50%"}},
      {"7Z", entry(100, 7, 0), {"dir/file.txt", kWhen, "100", "7", "0%"}},
      {"RAR", entry(100, 101, -5), {"dir/file.txt", kWhen, "100", "101", "-0.5%"}},
      {"HKI", entry(1234567, 1, 1), {"dir/file.txt", kWhen, "1,234,567", "1", "0.1%"}},
      {"GCA",
       entry(3 * kGiB, 3 * kGiB, 1000),
       {"dir/file.txt", kWhen, "3,221,225,472", "3,221,225,472", "100%"}},
      {"ARJ",
       entry(5 * kGiB, 4 * kGiB, 800),
       {"dir/file.txt", kWhen, "5,368,709,120", "4,294,967,296", "80%"}},
      {"KTY",
       entry(3 * kGiB, kGiB, 0),
       {"dir/file.txt", kWhen, "3,221,225,472", "1,073,741,824", "33.3%"}},
      {"YZ2", entry(3 * kGiB, 0, 0), {"dir/file.txt", "-", "3,221,225,472", "-", "-"}},
      {"RK", entry(12, 0, 0), {"dir/file.txt", "-", "12", "-", "-"}},
      // A moment that MS-DOS dates cannot name shows no date.
      {"LZH", entry(1, 1, 1000, 0, 0), {"dir/file.txt", "-", "1", "1", "100%"}},
  };
  for (const Case& c : cases) {
    ArchiveListModel model;
    model.AddRow(c.entry, RowFormatOf(c.format));
    EXPECT_EQ(RowOf(model, 0), c.cells) << c.format;
  }
}

TEST(ListCellsTest, NumberTexts) {
  const std::vector<std::pair<uint64_t, std::string>> grouped{
      {0, "0"},
      {1, "1"},
      {999, "999"},
      {1000, "1,000"},
      {123456, "123,456"},
      {1234567, "1,234,567"},
      {18446744073709551615ull, "18,446,744,073,709,551,615"}};
  for (const auto& [value, text] : grouped) EXPECT_EQ(GroupDigits(value), text);
  const std::vector<std::pair<int32_t, std::string>> tenths{
      {455, "45.5"},       {500, "50"},   {0, "0"},      {1, "0.1"},        {-5, "-0.5"},
      {-32768, "-3276.8"}, {1000, "100"}, {545, "54.5"}, {32767, "3276.7"}, {-10, "-1"}};
  for (const auto& [value, text] : tenths) EXPECT_EQ(TenthsText(value), text) << value;
  EXPECT_EQ(PercentText(250, 1000), "25.0");
  EXPECT_EQ(PercentText(1, 3), "33.3");
  EXPECT_EQ(PercentText(2, 3), "66.7");
  EXPECT_EQ(PercentText(1, 8), "12.5");  // 12.5 exactly
  EXPECT_EQ(PercentText(1, 16), "6.3");  // 6.25 rounds up
  EXPECT_EQ(PercentText(5, 2), "250.0");
  EXPECT_EQ(PercentText(18446744073709551615ull, 18446744073709551615ull), "100.0");
  EXPECT_EQ(PercentText(1, 0), "");
}

TEST(ListCellsTest, DosDates) {
  struct Case {
    uint16_t date, time;
    std::string text;
  };
  const std::vector<Case> cases{
      {kDate2004, kTime130510, "2004/03/07 13:05:10"},
      {(0 << 9) | (1 << 5) | 1, 0, "1980/01/01 00:00:00"},
      {(127 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29, "2107/12/31 23:59:58"},
      {(20 << 9) | (2 << 5) | 29, 0, "2000/02/29 00:00:00"},  // a leap day
      {(21 << 9) | (2 << 5) | 29, 0, "-"},                    // 2001 has none
      {(24 << 9) | (4 << 5) | 31, 0, "-"},
      {(24 << 9) | (0 << 5) | 1, 0, "-"},
      {(24 << 9) | (13 << 5) | 1, 0, "-"},
      {(24 << 9) | (1 << 5) | 0, 0, "-"},
      {kDate2004, (24 << 11), "-"},
      {kDate2004, (1 << 11) | (60 << 5), "-"},
      {kDate2004, 30, "-"},  // 60 seconds
      {0, 0, "-"},
  };
  for (const Case& c : cases) EXPECT_EQ(DosDateTimeText(c.date, c.time), c.text) << c.text;
}

// ---- The model ----

TEST(ArchiveListModelTest, ShowsTheFiveColumnsToAView) {
  ArchiveListModel model;
  EXPECT_EQ(model.columnCount(), 5);
  Strings headers;
  for (int i = 0; i < 5; ++i) {
    headers.push_back(model.headerData(i, Qt::Horizontal).toString().toStdString());
  }
  EXPECT_EQ(headers, (Strings{"FileName", "Date", "OriginalSize", "CompressionSize", "Ratio"}));
  ListEntry entry;
  entry.fileName = "日本語/名前.txt";
  entry.originalSize = 2048;
  QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
  model.AddRow(entry, RowFormat::Tool);
  EXPECT_EQ(inserted.count(), 1);
  EXPECT_EQ(model.rowCount(), 1);
  EXPECT_EQ(model.data(model.index(0, 0)).toString(), QString::fromUtf8("日本語/名前.txt"));
  EXPECT_EQ(model.data(model.index(0, 2)).toString(), QString("2,048"));
  EXPECT_EQ(model.data(model.index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>() &
                Qt::AlignHorizontal_Mask,
            Qt::AlignLeft);
  EXPECT_EQ(model.data(model.index(0, 4), Qt::TextAlignmentRole).value<Qt::Alignment>() &
                Qt::AlignHorizontal_Mask,
            Qt::AlignRight);
  EXPECT_FALSE(model.data(model.index(1, 0)).isValid());
  EXPECT_EQ(model.FileName(0), "日本語/名前.txt");
  EXPECT_EQ(model.FileName(5), "");
  EXPECT_EQ(model.Cell(-1, 0), "");

  QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
  model.BeginListing();
  model.AddRow(entry, RowFormat::Bel);
  model.AddRow(entry, RowFormat::Bel);
  model.EndListing();
  EXPECT_EQ(reset.count(), 1);
  EXPECT_EQ(inserted.count(), 1);  // a listing adds its rows without a signal per row
  EXPECT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.Cell(0, 0), "-");
  EXPECT_EQ(model.FileName(0), "日本語/名前.txt");  // the entry behind a BEL row's "-"
  model.Clear();
  EXPECT_EQ(model.rowCount(), 0);
}

// A listing handed on in parts: the first part, then full parts, the rest at the end; each
// part appended to another model as one insertion, the rows as the listing gave them. A
// handler's false stops the listing.
TEST(ArchiveListModelTest, HandsAListingOnInParts) {
  ArchiveListModel staging, shown;
  std::vector<int> parts;
  bool stopAfterTwo = false;
  staging.HandOffParts(
      [&](std::shared_ptr<ArchiveListModel::Part> part) {
        int before = shown.rowCount();
        shown.AppendPart(*part);
        parts.push_back(shown.rowCount() - before);
        return !(stopAfterTwo && parts.size() == 2);
      },
      3, 5, std::chrono::hours(1));
  QSignalSpy inserted(&shown, &QAbstractItemModel::rowsInserted);
  std::vector<std::string> names;
  staging.BeginListing();
  for (int i = 0; i < 12; ++i) {
    names.push_back("dir/file" + std::to_string(i) + ".txt");
    ListEntry entry;
    entry.fileName = names.back();
    entry.originalSize = uint64_t(i) * 1000;
    EXPECT_TRUE(staging.AddRow(entry, RowFormat::Plain));
  }
  staging.EndListing();
  EXPECT_EQ(parts, (std::vector<int>{3, 5, 4}));
  EXPECT_EQ(inserted.count(), 3);
  EXPECT_EQ(staging.rowCount(), 0);  // every row went on
  ASSERT_EQ(shown.rowCount(), 12);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(shown.FileName(i), names[size_t(i)]);
    EXPECT_EQ(shown.SortKey(i, kColOriginalSize), uint64_t(i) * 1000);
  }

  shown.Clear();
  parts.clear();
  stopAfterTwo = true;
  staging.BeginListing();
  int accepted = 0;
  ListEntry entry;
  entry.fileName = "x";
  for (int i = 0; i < 12 && staging.AddRow(entry, RowFormat::Plain); ++i) ++accepted;
  staging.EndListing();    // nothing more after a stop
  EXPECT_EQ(accepted, 7);  // the row that completed the second part answered false
  EXPECT_EQ(parts, (std::vector<int>{3, 5}));
  EXPECT_EQ(staging.rowCount(), 0);
}

// ---- The listing ----

class ListTest : public BackendsTest {
 protected:
  ListTest() {
    plugin.InstallAll();
    InstallTool("yz2dec");
    InstallTool("rk");
    ToolPrints("rk", "check", "broken\n");
    for (const LibRow& row : kLibRows) status.*row.flag = true;
    status.YZ2DECPath = status.RKEXEPath = plugin.folder();
  }
  std::string Archive(const std::string& name) {
    std::string path = temp.file(name);
    WriteFile(path, "archive");
    return path;
  }
  void SetGeneral(const std::string& key, const std::string& value) {
    WriteIniString(kQvrArcIni, "GENERAL", key, value);
  }
  // A model holding one earlier row.
  void Prefill() {
    ListEntry earlier;
    earlier.fileName = "earlier";
    model.AddRow(earlier, RowFormat::Plain);
  }
  // The OpenArchive calls as "Prefix mode".
  Strings Opens() const {
    Strings opens;
    for (const PluginCall& call : plugin.Calls()) {
      auto at = call.entry.find("OpenArchive");
      if (at != std::string::npos) opens.push_back(call.entry.substr(0, at) + " " + call.args[2]);
    }
    return opens;
  }

  LibraryStatus status;
  ArchiverDLL_Inspect inspect{status, nullptr};
  ArchiverDLL_List list{status, inspect, nullptr};
  ArchiveListModel model;
};

TEST_F(ListTest, EachExtensionHasItsReaderAndOpenMode) {
  struct Case {
    std::string name, open, ratio;  // the ratio cell shows which row format was used
  };
  const std::vector<Case> cases{
      {"a.lzh", "Unlha 4194304", "45.5%"}, {"a.zip", "UnZip 4194304", "45.5%"},
      {"a.cab", "Cab 4194304", "-"},       {"a.gca", "UnGCA 4194304", "45.5%"},
      {"a.rar", "Unrar 4194304", "45.5%"}, {"a.7z", "SevenZip 4194304", "45.5%"},
      {"a.yz1", "Yz1 4194304", "-"},       {"a.arj", "Unarj 4194304", "45.5%"},
      {"a.tar", "Tar 4194304", "-"},       {"a.gz", "Tar 4194304", "-"},
      {"a.z", "Tar 4194304", "-"},         {"a.bz2", "Tar 4194304", "-"},
      {"a.bza", "Bga 512", "45.5%"},       {"a.gza", "Bga 512", "45.5%"},
      {"a.bel", "Unbel 512", "54.5%"},     {"a.imp", "UnImp 512", "-"},
      {"a.kty", "Kty 0", "25.0%"},         {"a.ace", "Unace 0", "25.0%"},
      {"a.hki", "UnHki 0", "45.5%"},       {"A.LZH", "Unlha 4194304", "45.5%"},
  };
  for (const Case& c : cases) {
    std::string path = Archive(c.name);
    plugin.Entry("*", path,
                 {.original = 1000, .compressed = 250, .ratio = 455, .name = "d/" + c.name});
    Prefill();
    plugin.ClearLog();
    EXPECT_TRUE(list.ListByExtension(path, model));
    EXPECT_EQ(Opens(), Strings{c.open}) << c.name;
    ASSERT_EQ(model.rowCount(), 1) << c.name;
    EXPECT_EQ(model.Cell(0, kColRatio), c.ratio) << c.name;
    EXPECT_EQ(model.FileName(0), "d/" + c.name);
  }
}

TEST_F(ListTest, AWalkAddsEveryEntryInOrder) {
  std::string path = Archive("a.lzh");
  plugin
      .Entry("Unlha", path,
             {.original = 1000,
              .compressed = 455,
              .ratio = 455,
              .date = kDate2004,
              .time = kTime130510,
              .name = "docs/a.txt"})
      .Entry("Unlha", path,
             {.original = 3 * kGiB, .compressed = 2 * kGiB, .ratio = 667, .name = "big.bin"})
      .Entry("Unlha", path, {.name = "empty.dat"});
  Prefill();
  list.ListByExtension(path, model);
  ASSERT_EQ(model.rowCount(), 3);
  EXPECT_EQ(RowOf(model, 0),
            (Strings{"docs/a.txt", "2004/03/07 13:05:10", "1,000", "455", "45.5%"}));
  EXPECT_EQ(RowOf(model, 1), (Strings{"big.bin", "-", "3,221,225,472", "2,147,483,648", "66.7%"}));
  EXPECT_EQ(RowOf(model, 2), (Strings{"empty.dat", "-", "-", "-", "-"}));
  EXPECT_EQ(plugin.Calls("Unlha").back().entry, "UnlhaCloseArchive");
  // Without the 64-bit entries a 3 GiB entry still shows its size.
  plugin.NoSizeEx("Unlha");
  list.ListByExtension(path, model);
  EXPECT_EQ(model.Cell(1, kColOriginalSize), "3,221,225,472");
}

TEST_F(ListTest, ZipIsReadBy7ZipWhenUse7ZipIsOn) {
  std::string path = Archive("a.zip");
  plugin.Entry("UnZip", path, {.name = "u"}).Entry("SevenZip", path, {.name = "s"});
  list.ListByExtension(path, model);
  EXPECT_EQ(model.FileName(0), "u");
  SetGeneral("Use7Zip", "1");
  list.ListByExtension(path, model);
  EXPECT_EQ(model.FileName(0), "s");
}

TEST_F(ListTest, TheBelWalkStopsAfterTheFirstEntry) {
  std::string path = Archive("a.bel");
  plugin.Entry("Unbel", path, {.original = 10, .name = "one"})
      .Entry("Unbel", path, {.original = 20, .name = "two"});
  plugin.ClearLog();
  list.ListByExtension(path, model);
  EXPECT_EQ(model.rowCount(), 1);
  Strings entries;
  for (const PluginCall& call : plugin.Calls()) entries.push_back(call.entry);
  EXPECT_EQ(entries, (Strings{"UnbelOpenArchive", "UnbelFindFirst", "UnbelGetOriginalSizeEx",
                              "UnbelGetCompressedSizeEx", "UnbelCloseArchive"}));
}

TEST_F(ListTest, AFailedOpenOrAMissingLibraryLeavesAnEmptyList) {
  std::string path = Archive("a.cab");
  plugin.OpenFails("Cab", path);
  Prefill();
  EXPECT_TRUE(list.ListByExtension(path, model));
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_EQ(plugin.Calls("Cab").size(), 1u);  // OpenArchive only

  status.UNRAR32 = false;
  std::string rar = Archive("a.rar");
  plugin.Entry("Unrar", rar, {.name = "x"});
  Prefill();
  plugin.ClearLog();
  EXPECT_TRUE(list.ListByExtension(rar, model));
  EXPECT_EQ(model.rowCount(), 0);
  EXPECT_TRUE(plugin.Calls().empty());
}

TEST_F(ListTest, UnknownExtensionsAndUndetectedExesLeaveTheListAsItWas) {
  ToolPrints("rk", "check", "broken\n");
  for (std::string name :
       Strings{"a.txt", "a.pqa", "a.bh", "noext", "a." + std::string(300, 'x'), "setup.exe"}) {
    std::string path = Archive(name);
    plugin.Check("*", "*", 0);
    plugin.Entry("*", path, {.name = "x"});
    Prefill();
    int rows = model.rowCount();
    EXPECT_FALSE(list.ListByExtension(path, model)) << name;
    EXPECT_EQ(model.rowCount(), rows) << name;
  }
  // An exe that only PQA recognises cannot be listed either.
  std::string exe = Archive("setup.exe");
  plugin.Check("Paqar", exe, 1);
  int rows = model.rowCount();
  EXPECT_FALSE(list.ListByExtension(exe, model));
  EXPECT_EQ(model.rowCount(), rows);
  EXPECT_EQ(inspect.archiveType(), "Paqar");
}

TEST_F(ListTest, AnExeIsListedByItsDetectedFormat) {
  std::string exe = Archive("setup.exe");
  plugin.Check("*", "*", 0).Check("UnZip", exe, 1);
  plugin.Entry("UnZip", exe, {.name = "from unzip"}).Entry("SevenZip", exe, {.name = "from 7z"});
  SetGeneral("Use7Zip", "0");
  EXPECT_TRUE(list.ListByExtension(exe, model));
  EXPECT_EQ(model.FileName(0), "from unzip");
  EXPECT_EQ(inspect.archiveType(), "ZIP");
  plugin.Check("Cab", exe, 1).Entry("Cab", exe, {.original = 5, .ratio = 5, .name = "from cab"});
  EXPECT_TRUE(list.ListByFormat(exe, model));
  EXPECT_EQ(RowOf(model, 0), (Strings{"from cab", "-", "5", "-", "-"}));
}

TEST_F(ListTest, TheToolFormatsAreListedThroughTheTools) {
  std::string yz2 = Archive("a.yz2a6");
  ToolPrints("yz2dec", "list",
             "1\n2\n3\n4\n5\n6\n7\n"
             "1 2006/01/02 12:34:56 1,234 dir/a b.txt\n"
             "1 2006/01/02 12:34:56 5,000,000,000 big\n--- Normal end ---\n");
  Prefill();
  EXPECT_TRUE(list.ListByExtension(yz2, model));
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(RowOf(model, 0), (Strings{"dir/a b.txt", "-", "1,234", "-", "-"}));
  EXPECT_EQ(RowOf(model, 1), (Strings{"big", "-", "5,000,000,000", "-", "-"}));

  std::string rk = Archive("a.rk");
  ToolPrints("rk", "list",
             "rk\n2\n3\n4\n5\n6\n----\n" + std::string("10") + std::string(27, ' ') + "one\n" +
                 "  -------                    -------\nFinished. 1 file\n");
  EXPECT_TRUE(list.ListByExtension(rk, model));
  EXPECT_EQ(RowOf(model, 0), (Strings{"one", "-", "10", "-", "-"}));

  // A tool listing that fails, or a missing tool: an empty list.
  ToolPrints("rk", "list", "nothing\n");
  EXPECT_TRUE(list.ListByExtension(rk, model));
  EXPECT_EQ(model.rowCount(), 0);
  Prefill();
  status.YZ2DEC = false;
  EXPECT_TRUE(list.ListByExtension(yz2, model));
  EXPECT_EQ(model.rowCount(), 0);
}

TEST_F(ListTest, EmptyAndOverlongNamesAreCutToTheField) {
  std::string path = Archive("a.lzh");
  plugin.Entry("Unlha", path, {.original = 1, .name = ""})
      .Entry("Unlha", path, {.original = 2, .name = std::string(600, 'n')});
  list.ListByExtension(path, model);
  ASSERT_EQ(model.rowCount(), 2);
  EXPECT_EQ(model.Cell(0, kColFileName), "");
  EXPECT_EQ(model.Cell(1, kColFileName), std::string(512, 'n'));
}

TEST_F(ListTest, AnEndlessWalkGivesUpAfterTenMillionRows) {
  std::filesystem::copy_file(QVR_ENDLESS_PLUGIN, App("unlha32.so"),
                             std::filesystem::copy_options::overwrite_existing);
  ArchiverDLL::ForgetAll();
  setenv("QVR_ENDLESS_NAME", "d/x", 1);
  list.ListByExtension(Archive("a.lzh"), model);
  unsetenv("QVR_ENDLESS_NAME");
  EXPECT_EQ(uint64_t(model.rowCount()), kMaxWalkEntries);
  EXPECT_EQ(RowOf(model, model.rowCount() - 1), (Strings{"d/x", "-", "1", "1", "100%"}));
}

}  // namespace
}  // namespace qvr::test
