// The inspection and the listing end to end: our own archiver libraries from build/bin on
// the shared fixtures, compared with what their manifest says the archives hold.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>

#include "AppFolder.h"
#include "ArchiverDLL_Inspect.h"
#include "ArchiverDLL_List.h"
#include "FixtureManifest.h"
#include "PathHelpers.h"
#include "Settings.h"
#include "TempDir.h"

namespace qvr::test {
namespace {

class RealArchivesTest : public ::testing::Test {
 protected:
  RealArchivesTest() {
    // The fixtures' times were stored in UTC; the libraries report local time.
    setenv("TZ", "UTC", 1);
    tzset();
    SetAppFolder(temp.path() + "/");
    // Our libraries are loaded once and kept, as in the program.
    SetSearchExecutableFolder(std::string(QVR_BIN_DIR) + "/");
    // The libraries we ship.
    status.UNLHA32 = status.UNZIP32 = status.SEVENZIP32 = status.CAB32 = status.UNRAR32 =
        status.TAR32 = status.UNARJ32 = true;
  }
  ~RealArchivesTest() override { SetSearchExecutableFolder(std::nullopt); }
  // A fixture whose extension the format table knows and a library of ours reads.
  static bool Listed(const Fixture& f) {
    std::string format = FormatOfExtension(f.file);
    return !format.empty() && RouteFor(f).file != "" && !f.expectError;
  }
  static uint64_t TotalSize(const Fixture& f) {
    uint64_t total = 0;
    for (const ExpectedFile& file : f.expected) total += uint64_t(file.size);
    return total;
  }

  TempDir temp;
  LibraryStatus status;
  ArchiverDLL_Inspect inspect{status, nullptr};
  ArchiverDLL_List list{status, inspect, nullptr};
};

TEST_F(RealArchivesTest, CountSizeAndFolderInspectionMatchTheManifest) {
  int checked = 0;
  for (const Fixture& f : LoadManifest()) {
    if (!Listed(f)) continue;
    ++checked;
    std::string path = FixturePath(f.file);
    SCOPED_TRACE(f.file);
    EXPECT_EQ(inspect.CheckArchive(path), kCheckOk);
    if (LowerExtension(f.file) == "exe") {
      // 7-zip32 reads ZIP too and is asked after UnZip32: the last to accept decides.
      std::string format = f.format == "zip" ? "7Z" : UCase(f.format);
      EXPECT_EQ(inspect.DetectFormat(path), format);
    }
    if (f.headerEncrypted) {
      // Names behind a password: without an owner window no question, so nothing is known.
      EXPECT_EQ(inspect.FileCount(path), -1);
      EXPECT_EQ(inspect.OriginalSize(path), 0u);
      continue;
    }
    EXPECT_EQ(inspect.FileCount(path), f.entryCount);
    // The hostile archives hold entries that the manifest does not count as extracted.
    if (!SizeUnrecorded(f) && !f.hostile) {
      EXPECT_EQ(inspect.OriginalSize(path), TotalSize(f));
    }
    // One top folder, or one single entry, needs no folder of its own.
    bool needsFolder = !f.topFolderShared && f.entryCount > 1;
    EXPECT_EQ(inspect.NeedsFolder(path), needsFolder);
  }
  EXPECT_GT(checked, 30);
}

TEST_F(RealArchivesTest, SingleTopFolderAndMultiRootArchives) {
  const std::vector<std::pair<std::string, bool>> cases{
      {"single_top_folder.zip", false},
      {"single_top_folder_no_dir_entries.zip", false},
      {"data.tar.gz", false},
      {"two_root_files.zip", true},
      {"root_file_and_folder.zip", true},
      {"zip_deflate.zip", true},
      {"readme.txt.gz", false},
  };
  for (const auto& [file, expected] : cases) {
    EXPECT_EQ(inspect.NeedsFolder(FixturePath(file)), expected) << file;
  }
  // The same through 7-zip32.
  WriteIniString(kQvrArcIni, "GENERAL", "Use7Zip", "1");
  EXPECT_FALSE(inspect.NeedsFolder(FixturePath("single_top_folder.zip")));
  EXPECT_TRUE(inspect.NeedsFolder(FixturePath("two_root_files.zip")));
}

TEST_F(RealArchivesTest, ListingRowsMatchTheManifest) {
  for (const Fixture& f : LoadManifest()) {
    if (!Listed(f)) continue;
    SCOPED_TRACE(f.file);
    ArchiveListModel model;
    if (f.headerEncrypted) {  // no owner window, no password question: no rows
      list.ListByExtension(FixturePath(f.file), model);
      EXPECT_EQ(model.rowCount(), 0);
      continue;
    }
    ASSERT_TRUE(list.ListByExtension(FixturePath(f.file), model));
    EXPECT_EQ(model.rowCount(), f.entryCount);
    std::map<std::string, int> rows;
    for (int row = 0; row < model.rowCount(); ++row) rows[model.FileName(row)] = row;
    for (const ExpectedFile& file : f.expected) {
      if (SizeUnrecorded(f)) break;
      auto it = rows.find(file.path);
      ASSERT_NE(it, rows.end()) << file.path;
      EXPECT_EQ(model.Cell(it->second, kColOriginalSize),
                file.size == 0 ? "-" : GroupDigits(uint64_t(file.size)))
          << file.path;
    }
  }
}

TEST_F(RealArchivesTest, ARowShowsTheEntrysDateAndSizes) {
  ArchiveListModel model;
  list.ListByExtension(FixturePath("zip_deflate.zip"), model);
  int notes = -1;
  for (int row = 0; row < model.rowCount(); ++row) {
    if (model.FileName(row) == "docs/notes.txt") notes = row;
  }
  ASSERT_GE(notes, 0);
  EXPECT_EQ(model.Cell(notes, kColDate), "2004/03/07 13:05:10");
  EXPECT_EQ(model.Cell(notes, kColOriginalSize), "1,537");
  EXPECT_EQ(model.Cell(notes, kColCompressionSize), "575");
  EXPECT_EQ(model.Cell(notes, kColRatio), "37.4%");
  // CAB rows show no stored size.
  list.ListByExtension(FixturePath("cab_mszip.cab"), model);
  ASSERT_GT(model.rowCount(), 0);
  EXPECT_EQ(model.Cell(0, kColCompressionSize), "-");
  EXPECT_EQ(model.Cell(0, kColRatio), "-");
}

TEST_F(RealArchivesTest, BrokenAndForeignFilesGiveDefinedResults) {
  std::string folder = temp.path() + "/";
  std::filesystem::create_directory(folder + "x.zip");
  std::filesystem::create_symlink(folder + "gone.zip", folder + "dangling.zip");
  WriteFile(folder + "empty.lzh", "");
  WriteFile(folder + "garbage.exe", std::string(4096, 'g'));
  std::string unreadable = folder + "unreadable.zip";
  std::filesystem::copy_file(FixturePath("zip_deflate.zip"), unreadable);
  chmod(unreadable.c_str(), 0);
  bool canRead = access(unreadable.c_str(), R_OK) == 0;  // root reads it anyway

  std::vector<std::string> paths{folder + "x.zip", folder + "dangling.zip", folder + "empty.lzh",
                                 FixturePath("not_a_zip.zip"), folder + "garbage.exe"};
  if (!canRead) paths.push_back(unreadable);
  for (const std::string& path : paths) {
    SCOPED_TRACE(path);
    int16_t check = inspect.CheckArchive(path);
    EXPECT_EQ(check, LowerExtension(path) == "exe" ? kCheckExeUnknown : kCheckRejected);
    EXPECT_LE(inspect.FileCount(path), 0);  // 0, or -1 from a library that cannot read it
    EXPECT_EQ(inspect.OriginalSize(path), 0u);
    EXPECT_FALSE(inspect.NeedsFolder(path));
    ArchiveListModel model;
    list.ListByExtension(path, model);
    EXPECT_EQ(model.rowCount(), 0);
  }
}

}  // namespace
}  // namespace qvr::test
