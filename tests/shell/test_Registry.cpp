#include <gtest/gtest.h>
#include <sys/stat.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "Registry.h"
#include "TempDir.h"

namespace qvr {
namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1); }
  test::TempDir dir;
};

const RegRoot kHKCU = RegRoot::CurrentUser;
const char* const kKey = "Software\\ArchiverDll\\UNZIP32\\Settings";

TEST_F(RegistryTest, StoreLivesUnderTheConfigFolder) {
  EXPECT_EQ(RegistryFile(), dir.path() + "/QuiverArchiver/registry.reg");
  EXPECT_TRUE(RegWrite(kHKCU, kKey, "ShowResult", kRegDword, int32_t(1)));
  struct stat st;
  EXPECT_EQ(stat(RegistryFile().c_str(), &st), 0);
}

TEST_F(RegistryTest, MissingKeyOrValueOrWrongTypeGivesTheDefault) {
  EXPECT_EQ(RegRead(kHKCU, kKey, "ShowResult", kRegDword, int32_t(-1)), RegValue(int32_t(-1)));
  ASSERT_TRUE(RegWrite(kHKCU, kKey, "ShowResult", kRegDword, int32_t(7)));
  EXPECT_EQ(RegRead(kHKCU, kKey, "Other", kRegDword, int32_t(-1)), RegValue(int32_t(-1)));
  EXPECT_EQ(RegRead(kHKCU, kKey, "ShowResult", kRegSz, std::string("-1")),
            RegValue(std::string("-1")));
  EXPECT_EQ(RegRead(RegRoot::ClassesRoot, kKey, "ShowResult", kRegDword, int32_t(-1)),
            RegValue(int32_t(-1)));
}

TEST_F(RegistryTest, ValuesRoundTripWithoutRegardToNameCase) {
  const std::string tricky = "\"C:\\a b\\x.exe\" \"%1\"\r\nnext 日本語";
  ASSERT_TRUE(RegWrite(RegRoot::ClassesRoot, ".lzh", "", kRegSz, std::string("QuiverEx_LZH")));
  ASSERT_TRUE(
      RegWrite(RegRoot::ClassesRoot, "QuiverEx_LZH\\shell\\open\\command", "", kRegSz, tricky));
  ASSERT_TRUE(RegWrite(kHKCU, kKey, "ShowResult", kRegDword, int32_t(-5)));
  EXPECT_EQ(RegRead(RegRoot::ClassesRoot, ".LZH", "", kRegSz, std::string("-1")),
            RegValue(std::string("QuiverEx_LZH")));
  EXPECT_EQ(RegRead(RegRoot::ClassesRoot, "quiverex_lzh\\SHELL\\open\\command", "", kRegSz,
                    std::string("-1")),
            RegValue(tricky));
  EXPECT_EQ(RegRead(kHKCU, kKey, "showresult", kRegDword, int32_t(0)), RegValue(int32_t(-5)));
  // The parent keys exist with no values: their default value is not set.
  EXPECT_EQ(RegRead(RegRoot::ClassesRoot, "QuiverEx_LZH", "", kRegSz, std::string("-1")),
            RegValue(std::string("-1")));
}

TEST_F(RegistryTest, TypeConversionsAndRefusals) {
  EXPECT_TRUE(RegWrite(kHKCU, kKey, "n", kRegSz, int32_t(42)));
  EXPECT_EQ(RegRead(kHKCU, kKey, "n", kRegSz, std::string()), RegValue(std::string("42")));
  EXPECT_TRUE(RegWrite(kHKCU, kKey, "d", kRegDword, std::string("-3")));
  EXPECT_EQ(RegRead(kHKCU, kKey, "d", kRegDword, int32_t(0)), RegValue(int32_t(-3)));
  EXPECT_FALSE(RegWrite(kHKCU, kKey, "d", kRegDword, std::string("abc")));
  EXPECT_FALSE(RegWrite(kHKCU, kKey, "x", 3, std::string("abc")));
  EXPECT_EQ(RegRead(kHKCU, kKey, "d", kRegDword, int32_t(0)), RegValue(int32_t(-3)));
  // A text is read up to its first NUL.
  EXPECT_TRUE(RegWrite(kHKCU, kKey, "z", kRegSz, std::string("ab\0cd", 5)));
  EXPECT_EQ(RegRead(kHKCU, kKey, "z", kRegSz, std::string()), RegValue(std::string("ab")));
}

TEST_F(RegistryTest, DeleteKeyOnlyWithoutSubkeys) {
  const char* key = "Directory\\shell\\QvrArc.Add";
  const char* command = "Directory\\shell\\QvrArc.Add\\command";
  ASSERT_TRUE(RegWrite(RegRoot::ClassesRoot, key, "", kRegSz, std::string("QuiverArchiverへ追加")));
  ASSERT_TRUE(RegWrite(RegRoot::ClassesRoot, command, "", kRegSz, std::string("cmd")));
  // A sibling whose name sorts between the key and its subkeys does not count as a subkey.
  ASSERT_TRUE(RegWrite(RegRoot::ClassesRoot, "Directory\\shell\\QvrArc.Add!", "", kRegSz,
                       std::string("x")));
  EXPECT_FALSE(RegDeleteKey(RegRoot::ClassesRoot, key));
  EXPECT_TRUE(RegDeleteKey(RegRoot::ClassesRoot, command));
  EXPECT_FALSE(RegDeleteKey(RegRoot::ClassesRoot, command));
  EXPECT_TRUE(RegDeleteKey(RegRoot::ClassesRoot, key));
  EXPECT_EQ(RegRead(RegRoot::ClassesRoot, key, "", kRegSz, std::string("-1")),
            RegValue(std::string("-1")));
  EXPECT_EQ(
      RegRead(RegRoot::ClassesRoot, "Directory\\shell\\QvrArc.Add!", "", kRegSz, std::string("-1")),
      RegValue(std::string("x")));
  EXPECT_FALSE(RegDeleteKey(RegRoot::ClassesRoot, ""));
}

TEST_F(RegistryTest, AWriteKeepsEveryOtherValueAndLeavesNoTemporaryFile) {
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(RegWrite(kHKCU, "K" + std::to_string(i), "v", kRegDword, int32_t(i)));
  }
  for (int i = 0; i < 20; ++i) {
    EXPECT_EQ(RegRead(kHKCU, "K" + std::to_string(i), "v", kRegDword, int32_t(-1)),
              RegValue(int32_t(i)));
  }
  int files = 0;
  for ([[maybe_unused]] const auto& entry :
       std::filesystem::directory_iterator(dir.path() + "/QuiverArchiver")) {
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST_F(RegistryTest, AStoreThatCannotBeWrittenKeepsThePreviousValue) {
  ASSERT_TRUE(RegWrite(kHKCU, kKey, "ShowResult", kRegDword, int32_t(1)));
  chmod((dir.path() + "/QuiverArchiver").c_str(), 0500);
  if (RegWrite(kHKCU, kKey, "ShowResult", kRegDword, int32_t(0))) {
    GTEST_SKIP() << "running with privileges that ignore folder permissions";
  }
  EXPECT_EQ(RegRead(kHKCU, kKey, "ShowResult", kRegDword, int32_t(-1)), RegValue(int32_t(1)));
}

}  // namespace
}  // namespace qvr
