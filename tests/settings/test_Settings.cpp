#include <gtest/gtest.h>

#include <filesystem>

#include "AppFolder.h"
#include "Settings.h"
#include "TempDir.h"

using qvr::test::TempDir;
using qvr::test::WriteFile;

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { qvr::SetAppFolder(dir.path()); }
  TempDir dir;
};

TEST_F(SettingsTest, MissingFileGivesEveryReadItsDefaultAndIsNotCreated) {
  EXPECT_EQ(qvr::GetIniString(qvr::kQvrArcIni, "GENERAL", "AlwaysPath"), "");
  EXPECT_EQ(qvr::CutAtNull(qvr::GetIniString(qvr::kQvrArcIni, "GENERAL", "AlwaysPath")), "");
  EXPECT_EQ(qvr::GetIniInt(qvr::kQvrArcIni, "GENERAL", "SORT"), 0);
  EXPECT_EQ(qvr::GetIniIntDef(qvr::kQvrArcIni, "ARCHIVE_ZIP", "ArchiveLevel", 6), 6);
  EXPECT_EQ(qvr::GetIniStringDef(qvr::kQvrArcIni, "ARCHIVE_LZH", "ArchiveLevel", "lh5"), "lh5");
  EXPECT_FALSE(std::filesystem::exists(dir.file("QvrArc.ini")));
}

TEST_F(SettingsTest, GetIniStringFillsTheBufferWithNuls) {
  qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL", "Use7ZIP", "1");
  EXPECT_TRUE(std::filesystem::exists(dir.file("QvrArc.ini")));
  std::string raw = qvr::GetIniString(qvr::kQvrArcIni, "GENERAL", "Use7Zip");
  ASSERT_EQ(raw.size(), 256u);
  EXPECT_EQ(raw.substr(0, 2), std::string("1\0", 2));
  EXPECT_EQ(qvr::CutAtNull(raw), "1");
  EXPECT_EQ(qvr::GetIniInt(qvr::kQvrArcIni, "general", "use7zip"), 1);
  // A missing key in an existing file reads as empty text, padded all the same.
  EXPECT_EQ(qvr::GetIniString(qvr::kQvrArcIni, "GENERAL", "Nothing"), std::string(256, '\0'));
}

TEST_F(SettingsTest, TextOf255BytesComesBackWholeAnd256Cut) {
  qvr::WriteIniString(qvr::kQvrArcIni, "S", "a", std::string(255, 'a'));
  qvr::WriteIniString(qvr::kQvrArcIni, "S", "b", std::string(256, 'b'));
  EXPECT_EQ(qvr::CutAtNull(qvr::GetIniString(qvr::kQvrArcIni, "S", "a")), std::string(255, 'a'));
  EXPECT_EQ(qvr::CutAtNull(qvr::GetIniString(qvr::kQvrArcIni, "S", "b")), std::string(255, 'b'));
  EXPECT_EQ(qvr::GetIniStringDef(qvr::kQvrArcIni, "S", "b", ""), std::string(255, 'b'));
}

TEST_F(SettingsTest, DefaultsApplyToMissingKeysOfAnExistingFile) {
  WriteFile(dir.file("QvrArc.ini"), "[ARCHIVE_7Z]\nSolidMode=0\nArchiveLevel=\n");
  EXPECT_EQ(qvr::GetIniIntDef(qvr::kQvrArcIni, "ARCHIVE_7Z", "SolidMode", 1), 0);
  EXPECT_EQ(qvr::GetIniIntDef(qvr::kQvrArcIni, "ARCHIVE_7Z", "Filter", 1), 1);
  EXPECT_EQ(qvr::GetIniIntDef(qvr::kQvrArcIni, "ARCHIVE_7Z", "ArchiveLevel", 5), 5);
  EXPECT_EQ(qvr::GetIniStringDef(qvr::kQvrArcIni, "ARCHIVE_CAB", "ArchiveType", "MSZIP"), "MSZIP");
  EXPECT_EQ(qvr::GetIniStringDef(qvr::kQvrArcIni, "ARCHIVE_7Z", "ArchiveLevel", "x"), "");
}

TEST(CutAtNull, Cases) {
  EXPECT_EQ(qvr::CutAtNull(""), "");
  EXPECT_EQ(qvr::CutAtNull("no nul"), "");
  EXPECT_EQ(qvr::CutAtNull(std::string("ab\0cd\0", 6)), "ab");
  EXPECT_EQ(qvr::CutAtNull(std::string("\0x", 2)), "");
}

}  // namespace
