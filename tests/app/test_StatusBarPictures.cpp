#include <gtest/gtest.h>

#include "AppFolder.h"
#include "Settings.h"
#include "StatusBarPictures.h"
#include "TempDir.h"

using qvr::StatusBarZone;

namespace {

class StatusBarTest : public ::testing::Test {
 protected:
  void SetUp() override { qvr::SetAppFolder(dir.path()); }
  int Ini(const char* section, const char* key) {
    return qvr::GetIniInt(qvr::kQvrArcIni, section, key);
  }
  qvr::test::TempDir dir;
};

TEST_F(StatusBarTest, PicturesAndTipsFollowTheSettings) {
  struct Row {
    const char* section;
    const char* key;
    const char* value;  // nullptr: no QvrArc.ini at all
    bool folderPanel;
    int image;
    const char* tip;
  };
  const Row rows[] = {
      {"EXTRACT_NORMAL", "FileNameFolder", nullptr, true, qvr::kPicNone, "自動モード"},
      {"EXTRACT_NORMAL", "FileNameFolder", "0", true, qvr::kPicNone, "自動モード"},
      {"EXTRACT_NORMAL", "FileNameFolder", "1", true, qvr::kPicMakeFolder,
       "ファイル名でフォルダを作成する"},
      {"EXTRACT_NORMAL", "FileNameFolder", "2", true, qvr::kPicNoFolder,
       "ファイル名でフォルダを作成しない"},
      {"GENERAL", "Directory", nullptr, false, qvr::kPicKeepDirs,
       "書庫ファイル内のディレクトリを有効にする"},
      {"GENERAL", "Directory", "1", false, qvr::kPicIgnoreDirs,
       "書庫ファイル内のディレクトリを無視する"},
      {"GENERAL", "Directory", "0", false, qvr::kPicKeepDirs,
       "書庫ファイル内のディレクトリを有効にする"},
  };
  for (const Row& row : rows) {
    if (row.value) qvr::WriteIniString(qvr::kQvrArcIni, row.section, row.key, row.value);
    qvr::StatusPicture picture = row.folderPanel ? qvr::StBarPicMkFldr() : qvr::StBarPicIgnrDir();
    EXPECT_EQ(picture.image, row.image) << row.key << "=" << (row.value ? row.value : "(none)");
    EXPECT_EQ(picture.toolTip, row.tip) << row.key << "=" << (row.value ? row.value : "(none)");
  }
}

TEST(StatusBarZones, ClickPositionsFromTheRightEdge) {
  const int W = 9000;
  struct Row {
    int fromRight;
    StatusBarZone zone;
  } rows[] = {
      {1000, StatusBarZone::None},
      {901, StatusBarZone::None},
      {900, StatusBarZone::FileNameFolder},
      {700, StatusBarZone::FileNameFolder},
      {600, StatusBarZone::FileNameFolder},
      {599, StatusBarZone::Directory},
      {300, StatusBarZone::Directory},
      {299, StatusBarZone::None},
      {0, StatusBarZone::None},
  };
  for (const Row& row : rows)
    EXPECT_EQ(qvr::HitStatusBarZone(W - row.fromRight, W), row.zone) << row.fromRight;
}

TEST_F(StatusBarTest, ClicksCycleFileNameFolderAndToggleDirectory) {
  const int W = 12000;
  // 700 twips left of the right edge: automatic becomes "create a folder".
  EXPECT_EQ(qvr::ClickStatusBar(W - 700, W), StatusBarZone::FileNameFolder);
  EXPECT_EQ(Ini("EXTRACT_NORMAL", "FileNameFolder"), 1);
  EXPECT_EQ(qvr::StBarPicMkFldr().image, qvr::kPicMakeFolder);
  qvr::ClickStatusBar(W - 700, W);
  EXPECT_EQ(Ini("EXTRACT_NORMAL", "FileNameFolder"), 2);
  qvr::ClickStatusBar(W - 700, W);
  EXPECT_EQ(Ini("EXTRACT_NORMAL", "FileNameFolder"), 0);
  // A value no window writes goes back to automatic.
  qvr::WriteIniString(qvr::kQvrArcIni, "EXTRACT_NORMAL", "FileNameFolder", "7");
  qvr::ClickStatusBar(W - 700, W);
  EXPECT_EQ(Ini("EXTRACT_NORMAL", "FileNameFolder"), 0);

  EXPECT_EQ(qvr::ClickStatusBar(W - 400, W), StatusBarZone::Directory);
  EXPECT_EQ(Ini("GENERAL", "Directory"), 1);
  qvr::ClickStatusBar(W - 400, W);
  EXPECT_EQ(Ini("GENERAL", "Directory"), 0);
  EXPECT_EQ(Ini("EXTRACT_NORMAL", "FileNameFolder"), 0);

  // Elsewhere nothing is written.
  qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL", "Directory", "1");
  EXPECT_EQ(qvr::ClickStatusBar(W - 2000, W), StatusBarZone::None);
  EXPECT_EQ(Ini("GENERAL", "Directory"), 1);
  EXPECT_EQ(Ini("EXTRACT_NORMAL", "FileNameFolder"), 0);
}

}  // namespace
