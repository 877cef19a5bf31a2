#include <filesystem>

#include "DesktopEntry.h"
#include "ShellTest.h"

namespace qvr {
namespace {

using test::ReadFile;
using test::WriteFile;

TEST(DesktopEntry, ExecValuesQuoteOnlyWhereTheDesktopEntryRulesAsk) {
  const std::pair<std::string, std::string> cases[] = {
      {"/usr/bin/QuiverArchiver", "/usr/bin/QuiverArchiver %F"},
      {"/opt/my apps/Q", "\"/opt/my apps/Q\" %F"},
      {"/opt/100%/Q", "/opt/100%%/Q %F"},
      {"/opt/a\"b/Q", "\"/opt/a\\\\\"b/Q\" %F"},
      {"/opt/a\\b/Q", "\"/opt/a\\\\\\\\b/Q\" %F"},
      {"/opt/$x/Q", "\"/opt/\\\\$x/Q\" %F"},
  };
  for (const auto& [program, exec] : cases) EXPECT_EQ(ExecValue(program, "%F"), exec) << program;
  EXPECT_EQ(ExecValue("/a", ""), "/a");
  EXPECT_EQ(EscapeValue("a\nb\tc\\"), "a\\nb\\tc\\\\");
  EXPECT_EQ(EscapeXml("<a & \"b\">"), "&lt;a &amp; &quot;b&quot;&gt;");
}

class OurFiles : public test::ShellTest {};

TEST_F(OurFiles, OnlyMarkedFilesAreRewrittenOrDeleted) {
  std::string file = dir.file("x/y/entry.desktop");
  std::string ours = std::string("[Desktop Entry]\n") + kOurMark + "\n";
  EXPECT_EQ(WriteOurFile(file, ours, false), FileState::Written);
  EXPECT_EQ(WriteOurFile(file, ours, false), FileState::Unchanged);
  EXPECT_EQ(WriteOurFile(file, ours, true), FileState::Written);
  EXPECT_TRUE(RemoveOurFile(file));
  EXPECT_FALSE(std::filesystem::exists(file));

  const std::pair<std::string, bool> marks[] = {{"# X-QuiverArchiver=1\n", true},
                                                {"<!-- X-QuiverArchiver=1 -->\n", true},
                                                {"X-QuiverArchiver=0\n", false},
                                                {"Comment=X-QuiverArchiver=1\n", false}};
  for (const auto& [content, isOurs] : marks) {
    WriteFile(file, content);
    EXPECT_EQ(IsOurFile(file), isOurs) << content;
    EXPECT_EQ(WriteOurFile(file, ours, false), isOurs ? FileState::Written : FileState::Foreign);
    if (!isOurs) {
      EXPECT_EQ(ReadFile(file), content);
    }
  }
  WriteFile(dir.file("target"), ours);
  std::filesystem::remove(file);
  std::filesystem::create_symlink(dir.file("target"), file);
  EXPECT_EQ(WriteOurFile(file, ours + "more\n", false), FileState::Foreign);
  EXPECT_FALSE(RemoveOurFile(file));
  EXPECT_EQ(ReadFile(dir.file("target")), ours);
}

}  // namespace
}  // namespace qvr
