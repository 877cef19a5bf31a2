#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "ProfileFile.h"
#include "TempDir.h"

namespace fs = std::filesystem;
namespace profile = qvr::profile;
using qvr::test::ReadFile;
using qvr::test::TempDir;
using qvr::test::WriteFile;

namespace {

TEST(ProfileFile, WindowsReadRules) {
  TempDir dir;
  std::string ini = dir.file("QvrArc.ini");
  WriteFile(ini,
            "; comment line\r\n"
            "[GENERAL]\r\n"
            "Use7ZIP=1\r\n"
            "  AlwaysPath  =  /home/u/解凍先  \r\n"
            "Quoted=\"  spaced  \"\r\n"
            "Single='x'\r\n"
            "Half=\"open\r\n"
            "NoEquals line\r\n"
            "Empty=\r\n"
            "Dup=first\r\n"
            "Dup=second\r\n"
            "  [ Extract_Normal ]  \r\n"
            "FileNameFolder=2\r\n"
            "[general]\r\n"
            "Late=from duplicate section\r\n"
            "Dup=third\r\n");
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {"GENERAL", "Use7Zip", "1"},  // names compare without regard to case
      {"general", "USE7ZIP", "1"},
      {"GENERAL", "AlwaysPath", "/home/u/解凍先"},
      {"GENERAL", "Quoted", "  spaced  "},
      {"GENERAL", "Single", "x"},
      {"GENERAL", "Half", "\"open"},
      {"GENERAL", "NoEquals line", std::nullopt},
      {"GENERAL", "Empty", ""},
      {"GENERAL", "Dup", "first"},  // the first matching key wins
      {"GENERAL", "Late", "from duplicate section"},
      {"EXTRACT_NORMAL", "FileNameFolder", "2"},
      {"EXTRACT_NORMAL", "Missing", std::nullopt},
      {"NOSECTION", "Use7Zip", std::nullopt},
      {"GENERAL", "comment line", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    EXPECT_EQ(profile::ReadString(ini, c.section, c.key), c.value);
  }
  EXPECT_EQ(profile::ReadString(dir.file("missing.ini"), "GENERAL", "Use7Zip"), std::nullopt);
  EXPECT_FALSE(fs::exists(dir.file("missing.ini")));  // a read never creates the file
}

TEST(ProfileFile, TextReadsStopAt255BytesOnACharacterBoundary) {
  TempDir dir;
  std::string ini = dir.file("a.ini");
  std::string exact(255, 'a');
  std::string over(256, 'b');
  std::string japanese;  // 3-byte characters: 85 of them are 255 bytes, 86 are 258
  for (int i = 0; i < 86; ++i) japanese += "あ";
  std::string shifted = "x" + japanese;  // 1 + 3*84 = 253 fits, the 85th would split
  WriteFile(ini, "[S]\nexact=" + exact + "\nover=" + over + "\njp=" + japanese +
                     "\nshifted=" + shifted + "\n");
  EXPECT_EQ(profile::ReadString(ini, "S", "exact"), exact);
  EXPECT_EQ(profile::ReadString(ini, "S", "over"), over.substr(0, 255));
  EXPECT_EQ(profile::ReadString(ini, "S", "jp"), japanese.substr(0, 255));
  EXPECT_EQ(profile::ReadString(ini, "S", "shifted"), shifted.substr(0, 253));
}

TEST(ProfileFile, IntegerReadsParseLikeGetPrivateProfileInt) {
  TempDir dir;
  std::string ini = dir.file("a.ini");
  WriteFile(ini,
            "[S]\nplain=42\nneg=-7\nplus=+5\nblank=  12  \ntrail=12abc\nletters=abc\n"
            "empty=\nmax=32767\nmin=-32768\nover=32768\nunder=-32769\nhuge=99999999999999\n"
            "hex=0x10\nquoted=\"3\"\n");
  struct Case {
    const char* key;
    int16_t expected;
  };
  const Case cases[] = {{"plain", 42},   {"neg", -7},    {"plus", 5},    {"blank", 12},
                        {"trail", 12},   {"letters", 0}, {"empty", 99},  {"max", 32767},
                        {"min", -32768}, {"over", 99},   {"under", 99},  {"huge", 99},
                        {"hex", 0},      {"quoted", 3},  {"missing", 99}};
  for (const auto& c : cases) {
    EXPECT_EQ(profile::ReadInt(ini, "S", c.key, 99), c.expected) << c.key;
  }
}

TEST(ProfileFile, WriteCreatesTheFileAndKeepsEveryOtherLine) {
  TempDir dir;
  std::string ini = dir.file("QvrArc.ini");
  EXPECT_TRUE(profile::WriteString(ini, "GENERAL", "SORT", "2"));
  EXPECT_EQ(ReadFile(ini), "[GENERAL]\r\nSORT=2\r\n");

  WriteFile(ini,
            "; settings\n"
            "\n"
            "[GENERAL]\n"
            "use7zip=0\n"
            "junk without equals\n"
            "\n"
            "[DDMODE]\r\n"
            "TargetPath=/tmp\r\n");
  EXPECT_TRUE(profile::WriteString(ini, "General", "Use7Zip", "1"));  // replaced in place
  EXPECT_TRUE(profile::WriteString(ini, "GENERAL", "SORT", "1"));     // added to the section
  EXPECT_TRUE(profile::WriteString(ini, "E-Mail", "Port", "25"));     // new section at the end
  EXPECT_EQ(ReadFile(ini),
            "; settings\n"
            "\n"
            "[GENERAL]\n"
            "use7zip=1\n"
            "junk without equals\n"
            "SORT=1\r\n"
            "\n"
            "[DDMODE]\r\n"
            "TargetPath=/tmp\r\n"
            "[E-Mail]\r\n"
            "Port=25\r\n");
}

TEST(ProfileFile, SeveralWritesInOneGoEqualTheWritesOneByOne) {
  TempDir dir;
  const std::string start = "; comment\n[b]\nK=1\n\n[A]\nx = old \r\n";
  const std::vector<profile::Write> writes{
      {"A", "X", "new"}, {"b", "k2", "2"}, {"C", "c", "3"}, {"a", "y", "4"}, {"C", "c", "5"}};
  for (bool flush : {true, false}) {
    WriteFile(dir.file("one.ini"), start);
    WriteFile(dir.file("batch.ini"), start);
    for (const auto& w : writes)
      profile::WriteString(dir.file("one.ini"), w.section, w.key, w.value);
    ASSERT_TRUE(profile::WriteStrings(dir.file("batch.ini"), writes, flush));
    EXPECT_EQ(ReadFile(dir.file("batch.ini")), ReadFile(dir.file("one.ini")));
    EXPECT_EQ(profile::ReadString(dir.file("batch.ini"), "c", "C"), "5");
  }
  ASSERT_TRUE(profile::WriteStrings(dir.file("new.ini"), {{"S", "k", "v"}}, false));
  EXPECT_EQ(ReadFile(dir.file("new.ini")), "[S]\r\nk=v\r\n");
}

TEST(ProfileFile, WriteKeepsTheFilesModeAndLeavesNoTemporaryFile) {
  TempDir dir;
  std::string ini = dir.file("a.ini");
  WriteFile(ini, "[S]\nk=v\n");
  chmod(ini.c_str(), 0600);
  EXPECT_TRUE(profile::WriteString(ini, "S", "k", "w"));
  struct stat st;
  ASSERT_EQ(stat(ini.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  int files = 0;
  for (auto& entry : fs::directory_iterator(dir.path())) {
    (void)entry;
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST(ProfileFile, AFailedWriteLeavesTheOldFileWhole) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  TempDir dir;
  std::string folder = dir.file("ro");
  std::string ini = folder + "/a.ini";
  WriteFile(ini, "[S]\nk=old\n");
  chmod(folder.c_str(), 0555);
  EXPECT_FALSE(profile::WriteString(ini, "S", "k", "new"));
  EXPECT_EQ(ReadFile(ini), "[S]\nk=old\n");
}

TEST(ProfileFile, LineBreaksInAValueCannotBreakTheFile) {
  TempDir dir;
  std::string ini = dir.file("a.ini");
  EXPECT_TRUE(profile::WriteString(ini, "S", "k", "one\r\n[Injected]\r\nx=1"));
  EXPECT_EQ(profile::ReadString(ini, "S", "k"), "one");
  EXPECT_EQ(profile::ReadString(ini, "Injected", "x"), std::nullopt);
}

TEST(ProfileFile, BadFilesStillReadAndWrite) {
  TempDir dir;
  std::string ini = dir.file("bad.ini");

  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += char(i * 37 % 256);
  WriteFile(ini, binary + "\n[S]\nk=v\n");
  EXPECT_EQ(profile::ReadString(ini, "S", "k"), "v");

  WriteFile(ini, "[S]\rk=cr only\rnext=2\r");
  EXPECT_EQ(profile::ReadString(ini, "S", "k"), "cr only");
  EXPECT_TRUE(profile::WriteString(ini, "S", "next", "3"));
  EXPECT_EQ(ReadFile(ini), "[S]\rk=cr only\rnext=3\r");

  WriteFile(ini, std::string("[S]\nk=before\0after\nz=1\n", 22));
  EXPECT_EQ(profile::ReadString(ini, "S", "k"), "before");
  EXPECT_EQ(profile::ReadString(ini, "S", "z"), "1");
  EXPECT_TRUE(profile::WriteString(ini, "S", "z", "2"));
  EXPECT_EQ(ReadFile(ini), std::string("[S]\nk=before\0after\nz=2\n", 22));

  std::string big;
  for (int i = 0; i < 100000; ++i)
    big += "key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
  WriteFile(ini, "[S]\n" + big + "[T]\nlast=yes\n");
  EXPECT_EQ(profile::ReadString(ini, "S", "key99999"), "99999");
  EXPECT_EQ(profile::ReadString(ini, "T", "last"), "yes");
  EXPECT_TRUE(profile::WriteString(ini, "S", "key5", "five"));
  EXPECT_EQ(profile::ReadString(ini, "S", "key5"), "five");
  EXPECT_EQ(profile::ReadString(ini, "S", "key99998"), "99998");
  EXPECT_EQ(profile::ReadString(ini, "T", "last"), "yes");

  WriteFile(ini, "no sections at all\nk=v\n");
  EXPECT_EQ(profile::ReadString(ini, "S", "k"), std::nullopt);
  EXPECT_TRUE(profile::WriteString(ini, "S", "k", "w"));
  EXPECT_EQ(ReadFile(ini), "no sections at all\nk=v\n[S]\r\nk=w\r\n");
}

TEST(ProfileFile, EveryReadSeesAChangeMadeByAnotherProcess) {
  TempDir dir;
  std::string ini = dir.file("a.ini");
  WriteFile(ini, "[S]\nk=0\n");
  for (int round = 1; round <= 20; ++round) {
    EXPECT_EQ(profile::ReadString(ini, "S", "k"), std::to_string(round - 1));
    pid_t child = fork();
    if (child == 0) {
      // Same size, rewritten in place: only the file's times tell the change.
      FILE* f = fopen(ini.c_str(), "r+");
      fprintf(f, "[S]\nk=%d\n", round % 10);
      fclose(f);
      _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(profile::ReadString(ini, "S", "k"), std::to_string(round % 10));
    WriteFile(ini, "[S]\nk=" + std::to_string(round) + "\n");
  }
}

}  // namespace
