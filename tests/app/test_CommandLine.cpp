#include <gtest/gtest.h>

#include "CommandLine.h"

namespace qvr {
namespace {

struct ModeCase {
  const char* text;
  bool previousInstance;
  const char* mode;
  const char* filePart;
};

TEST(CommandLine, FormsAndTheCaseOfTheSwitch) {
  const ModeCase cases[] = {
      {"", false, kModeNormal, ""},
      {"   ", false, kModeNormal, ""},
      {"/DDMODE", false, kModeDDModeSetting, ""},
      {"  /DDMODE  ", false, kModeDDModeSetting, ""},
      {"/DDMODE /a/b.lzh", false, kModeDDMode, "/a/b.lzh"},
      {"/DDMODE \"/a b/c.zip\" /d.lzh", false, kModeDDMode, "\"/a b/c.zip\" /d.lzh"},
      // The file part starts after the switch and one separator, whatever that is.
      {"/DDMODEX/a.lzh", false, kModeDDMode, "/a.lzh"},
      // Case counts: a lower-case switch is read as a path.
      {"/ddmode /a.lzh", false, kModeNormal, "/ddmode /a.lzh"},
      {"/DDmode", false, kModeNormal, "/DDmode"},
      {"/a/b.lzh /c.zip", false, kModeNormal, "/a/b.lzh /c.zip"},
      // With an instance running, no run starts here; the files still go over.
      {"/DDMODE /a/b.lzh", true, kModeNormal, "/a/b.lzh"},
      {"/DDMODE", true, kModeNormal, "/DDMODE"},
  };
  for (const auto& c : cases) {
    StartUp startUp = ParseCommandLine(c.text, c.previousInstance);
    EXPECT_EQ(startUp.mode, c.mode) << c.text;
    EXPECT_EQ(startUp.filePart, c.filePart) << c.text;
  }
}

TEST(CommandLine, JoinQuotesBlanksAndAnchorsRelativePaths) {
  EXPECT_EQ(JoinArguments({"/DDMODE", "a b.lzh", "/x/y.zip", ""}, "/home/u"),
            "/DDMODE \"/home/u/a b.lzh\" /x/y.zip");
  EXPECT_EQ(JoinArguments({"日本 語.lzh"}, "/"), "\"/日本 語.lzh\"");
  EXPECT_EQ(JoinArguments({}, "/"), "");
}

TEST(CommandLine, SixtyFourKilobytesAndUnbalancedQuotes) {
  std::string longLine = "/DDMODE " + std::string(65536, 'x') + " \"/unclosed";
  StartUp startUp = ParseCommandLine(longLine, false);
  EXPECT_EQ(startUp.mode, kModeDDMode);
  EXPECT_EQ(startUp.filePart.size(), longLine.size() - 8);
}

}  // namespace
}  // namespace qvr
