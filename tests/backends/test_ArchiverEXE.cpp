#include <gtest/gtest.h>

#include <filesystem>

#include "ArchiverDLLStatus.h"
#include "ArchiverEXE_RK.h"
#include "ArchiverEXE_YZ2.h"
#include "BackendsTest.h"

namespace qvr::test {
namespace {

using Args = std::vector<std::string>;

class ToolTest : public BackendsTest {
 protected:
  ToolTest() {
    InstallTool("yz2dec");
    InstallTool("rk");
    status.YZ2DEC = status.RKEXE = true;
    status.YZ2DECPath = status.RKEXEPath = plugin.folder();
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(App(name)); }

  // Every entry of an open listing as "name|size".
  template <typename Next>
  Args ReadAll(ToolListing& listing, Next next) {
    Args rows;
    EntryInfo entry{};
    uint64_t size = 0;
    while (next(listing, "*", entry, &size) == 0)
      rows.push_back(std::string(entry.FileName) + "|" + std::to_string(size));
    return rows;
  }

  LibraryStatus status;
};

std::string SevenLines(const std::string& seventh = "-------") {
  return "yz2dec listing\nline2\nline3\nline4\nline5\nline6\n" + seventh + "\n";
}

const std::string kRkHeader = "rk\n2\n3\n4\n5\n6\n----\n";
const std::string kRkSeparator = "  -------                    -------";
// An rk entry line: size in the first 10 characters, the name from position 30.
std::string RkLine(const std::string& size, const std::string& name) {
  std::string line = size;
  line.resize(29, ' ');
  return line + name;
}

TEST_F(ToolTest, YZ2VersionTextComesFromTheThirdBannerLine) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"Yz2 decoder\r\n(c) someone\r\nVersion: 0.31 alpha (2006/01/01)\r\n", "0.31a"},
      {"a\nb\nVersion: 1.0 beta 2 (x) (y)\n", "1.0b2"},
      // Decided: without "(" the version runs to the end of the line.
      {"a\nb\nVersion: 2.10 release\n", "2.10release"},
      // A "(" before position 10 does not end the text early.
      {"a\nb\n(c) 2006 1.5 (z)\n", "1.5"},
      {"a\nb\nshort\n", ""},
      // Decided: a banner of fewer than three lines names no version.
      {"a\nb\n", "Failed"},
      {"", "Failed"},
  };
  for (const auto& [banner, expected] : cases) {
    ToolPrints("yz2dec", "banner", banner);
    EXPECT_EQ(YZ2VersionText(status), expected) << banner;
    EXPECT_FALSE(Exists("yz2dec.ver"));
  }
  EXPECT_EQ(ToolArgs("yz2dec"), Args{});
}

TEST_F(ToolTest, RKVersionTextComesFromPosition31OfTheFirstLine) {
  const std::string head(30, '=');
  const std::vector<std::pair<std::string, std::string>> cases{
      {head + "1.04 (beta).\r\nmore\n", "1.04b"},
      {head + " 1.02 (alpha)]\n", "1.02a"},
      {head + "1.00 x\n", "1.00"},
      {head + "7\n", ""},
      // Decided: a line that stops before position 31 carries no version.
      {head + "\n", "Failed"},
      {"rk 1.0\n", "Failed"},
      {"", "Failed"},
  };
  for (const auto& [banner, expected] : cases) {
    ToolPrints("rk", "banner", banner);
    EXPECT_EQ(RKVersionText(status), expected) << banner;
    EXPECT_FALSE(Exists("rk.ver"));
  }
}

TEST_F(ToolTest, VersionTextsOfAMissingToolFail) {
  status.YZ2DECPath = status.RKEXEPath = temp.file("nowhere") + "/";
  EXPECT_EQ(YZ2VersionText(status), "Failed");
  EXPECT_EQ(RKVersionText(status), "Failed");
}

TEST_F(ToolTest, RKTestReadsTheIntegrityLine) {
  std::string archive = temp.file("my archive.rk");
  WriteFile(archive, "rk data");
  ToolPrints("rk", "check", "Testing...\r\nIntegrity check OK.\r\n");
  EXPECT_EQ(RKTest(status, archive), kRKTestOK);
  EXPECT_EQ(ToolArgs("rk"), (Args{"-i", archive}));
  EXPECT_FALSE(Exists("rk.chk"));

  ToolPrints("rk", "check", "Testing...\nIntegrity check OK. (mostly)\n");
  EXPECT_EQ(RKTest(status, archive), kRKTestFailed);
  ToolPrints("rk", "check", "");
  EXPECT_EQ(RKTest(status, archive), kRKTestFailed);

  // A missing archive gives 3 even though rk ran.
  ToolPrints("rk", "check", "Integrity check OK.\n");
  std::filesystem::remove(App("rk.args"));
  EXPECT_EQ(RKTest(status, temp.file("gone.rk")), kRKTestMissing);
  EXPECT_TRUE(Exists("rk.args"));

  status.RKEXEPath = temp.file("nowhere") + "/";
  EXPECT_EQ(RKTest(status, archive), kRKTestFailed);
}

TEST_F(ToolTest, YZ2ListingCopiesTheEntryLinesAndParsesThem) {
  std::string archive = temp.file("a b.yz2");
  ToolPrints("yz2dec", "list",
             SevenLines() +
                 "1 2006/01/02 12:34:56 1,234,567 dir/file one.txt  \r\n"
                 "  2  2007/11/30  01:02:03  5,000,000,000   big.bin\r\n"
                 "--- Normal end ---\r\n"
                 "trailer\r\n");
  ToolListing listing;
  ASSERT_TRUE(OpenYZ2Listing(status, archive, listing));
  EXPECT_EQ(ToolArgs("yz2dec"), (Args{"-l", archive}));
  EXPECT_FALSE(Exists("yz2.list"));
  EXPECT_EQ(ReadFile(App("FileList.tmp")),
            "1 2006/01/02 12:34:56 1,234,567 dir/file one.txt  \r\n"
            "  2  2007/11/30  01:02:03  5,000,000,000   big.bin\r\n");
  EXPECT_EQ(ReadAll(listing, NextYZ2Entry),
            (Args{"dir/file one.txt|1234567", "big.bin|5000000000"}));
  CloseListing(listing);
  EXPECT_FALSE(listing.isOpen());
}

TEST_F(ToolTest, ListingWithoutSuccessLineFailsAndKeepsTheEarlierList) {
  WriteFile(App("FileList.tmp"), "earlier\r\n");
  const std::vector<std::pair<std::string, std::string>> cases{
      {"yz2dec", SevenLines() + "1 2006/01/02 12:34:56 10 a\nError: broken\n"},
      {"yz2dec", ""},
      {"rk", kRkHeader + RkLine("10", "a") + "\nFinished.\n"},  // only 9 characters
      {"rk", std::string("\x00\x01\xff\xfe\n\x89PNG", 9)},
  };
  for (const auto& [tool, output] : cases) {
    ToolPrints(tool, "list", output);
    ToolListing listing;
    bool opened = tool == "rk" ? OpenRKListing(status, "/a.rk", listing)
                               : OpenYZ2Listing(status, "/a.yz2", listing);
    EXPECT_FALSE(opened) << tool;
    EXPECT_FALSE(listing.isOpen());
    EXPECT_EQ(ReadFile(App("FileList.tmp")), "earlier\r\n");
    EXPECT_FALSE(Exists(tool == "rk" ? "rk.list" : "yz2.list"));
  }
  status.YZ2DECPath = temp.file("nowhere") + "/";
  ToolListing listing;
  EXPECT_FALSE(OpenYZ2Listing(status, "/a.yz2", listing));
}

TEST_F(ToolTest, EmptyLinesEndTheCopyAndTheEntries) {
  // The seventh line empty: nothing is copied.
  ToolPrints("yz2dec", "list", SevenLines("") + "1 2006/01/02 12:34:56 10 a\n--- Normal end ---\n");
  ToolListing listing;
  ASSERT_TRUE(OpenYZ2Listing(status, "/a.yz2", listing));
  EXPECT_EQ(ReadFile(App("FileList.tmp")), "");
  EXPECT_TRUE(ReadAll(listing, NextYZ2Entry).empty());
  CloseListing(listing);

  // An empty line is copied and ends the copy; it is no entry of its own.
  ToolPrints("yz2dec", "list",
             SevenLines() +
                 "1 2006/01/02 12:34:56 10 a\n\n1 2006/01/02 12:34:56 20 b\n"
                 "--- Normal end ---\n");
  ASSERT_TRUE(OpenYZ2Listing(status, "/a.yz2", listing));
  EXPECT_EQ(ReadFile(App("FileList.tmp")), "1 2006/01/02 12:34:56 10 a\r\n\r\n");
  EXPECT_EQ(ReadAll(listing, NextYZ2Entry), Args{"a|10"});
  CloseListing(listing);

  // A success line among the first seven: an empty listing that opens.
  ToolPrints("yz2dec", "list", "--- Normal end ---\n");
  ASSERT_TRUE(OpenYZ2Listing(status, "/a.yz2", listing));
  EXPECT_TRUE(ReadAll(listing, NextYZ2Entry).empty());
}

TEST_F(ToolTest, RKListingStopsAtTheSeparator) {
  ToolPrints("rk", "list",
             kRkHeader + RkLine("      1234", "docs/readme.txt") + "\r\n" +
                 RkLine("4294967296", "huge.bin") + "\r\n" + RkLine("12", "") + "\r\n" +
                 kRkSeparator + "\r\n" + RkLine("     99999", "total") +
                 "\r\nFinished. 3 files\r\n");
  ToolListing listing;
  ASSERT_TRUE(OpenRKListing(status, "/x y/a.rk", listing));
  EXPECT_EQ(ToolArgs("rk"), (Args{"-va", "/x y/a.rk"}));
  EXPECT_FALSE(Exists("rk.list"));
  EXPECT_EQ(ReadAll(listing, NextRKEntry),
            (Args{"docs/readme.txt|1234", "huge.bin|4294967296", "|12"}));
  CloseListing(listing);
  EXPECT_EQ(RKEntryCount(status, "/x y/a.rk"), 3);
}

TEST_F(ToolTest, RKEntryCountOfAFailedListingIsZero) {
  ToolPrints("rk", "list", kRkHeader + RkLine("1", "a") + "\n");
  EXPECT_EQ(RKEntryCount(status, "/a.rk"), 0);
  status.RKEXEPath = temp.file("nowhere") + "/";
  EXPECT_EQ(RKEntryCount(status, "/a.rk"), 0);
}

TEST_F(ToolTest, OverlongAndBinaryLinesAreReadSafely) {
  std::string longName(100000, 'n');
  std::string japanese;
  for (int i = 0; i < 300; ++i) japanese += "あ";  // 900 bytes, cut at a character boundary
  ToolPrints("rk", "list",
             kRkHeader + RkLine(std::string(100000, '9'), longName) + "\n" + RkLine("5", japanese) +
                 "\n" + std::string("\x01\x02\x00\xff", 4) + "\n" + kRkSeparator +
                 "\nFinished. ok\n");
  ToolListing listing;
  ASSERT_TRUE(OpenRKListing(status, "/a.rk", listing));
  EntryInfo entry{};
  uint64_t size = 0;
  ASSERT_EQ(NextRKEntry(listing, "*", entry, &size), 0);
  EXPECT_EQ(std::string(entry.FileName), longName.substr(0, 512));
  EXPECT_EQ(entry.OriginalSize, 4294967295u);
  ASSERT_EQ(NextRKEntry(listing, "*", entry, &size), 0);
  EXPECT_EQ(std::string(entry.FileName), japanese.substr(0, 510));
  EXPECT_EQ(size, 5u);
  ASSERT_EQ(NextRKEntry(listing, "*", entry, &size), 0);
  EXPECT_STREQ(entry.FileName, "");
  EXPECT_EQ(NextRKEntry(listing, "*", entry, &size), 1);

  ToolPrints("yz2dec", "banner", "a\nb\n" + std::string(100000, 'v') + "\n");
  EXPECT_EQ(YZ2VersionText(status).size(), 100000u - 9);
}

}  // namespace
}  // namespace qvr::test
