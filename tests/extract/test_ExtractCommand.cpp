#include <gtest/gtest.h>

#include "ArchiverDLL_Inspect.h"
#include "ExtractCommand.h"

using qvr::BuildExtractCommand;
using qvr::BuildSelfExtractCommand;
using qvr::ExtractOptions;
using qvr::ExtractRoute;

namespace {

const std::string P = "/home/u/My Files/arc.v1.x";  // blanks and dots pass through unchanged
const std::string D = "/out/解凍先";

struct Row {
  const char* ext;
  bool ignore;
  bool confirm;
  const char* prefix;  // "" for the tool and back-end routes
  std::string command;
};

// The format the extraction loop resolves for an upper-case extension.
std::string Format(const std::string& ext) {
  return qvr::FormatOfExtension("arc." + ext);
}

// The prefix of a command's library; "" for the tool and back-end routes.
std::string Prefix(const qvr::ExtractCommand& command) {
  if (command.route != ExtractRoute::Library) return "";
  return std::string(qvr::RowOf(command.lib).prefix);
}

ExtractOptions Options(bool ignore, bool confirm) {
  ExtractOptions o;
  o.ignoreFolders = ignore;
  o.confirmOverwrite = confirm;
  o.rkFolder = "/opt/rk tools/";
  o.yz2decFolder = "/opt/yz/";
  return o;
}

// Every row of the command table, for folders ignored/kept and confirming/not confirming.
const Row kRows[] = {
    {"LZH", true, true, "Unlha", "e -c0 -m0 -jf0 \"" + P + "\" \"" + D + "/\""},
    {"LZH", false, false, "Unlha", "x -c1 -m1 -y1 -jf0 \"" + P + "\" \"" + D + "/\""},
    {"ZIP", true, true, "UnZip", "-x -j -s -V -i -C -qq \"" + P + "\" \"" + D + "/\""},
    {"ZIP", false, false, "UnZip", "-x -o -s -V -i -C -qq \"" + P + "\" \"" + D + "/\""},
    {"CAB", true, true, "Cab", "-x -j \"" + P + "\" \"" + D + "/\""},
    {"CAB", false, false, "Cab", "-x -o \"" + P + "\" \"" + D + "/\""},
    {"GCA", true, true, "UnGCA", "e -xx0 -yx1 -sx1 \"" + P + "\" \"" + D + "/\""},
    {"GCA", false, false, "UnGCA", "e -xx1 -yx0 -sx1 \"" + P + "\" \"" + D + "/\""},
    {"RAR", true, true, "Unrar", "-e \"" + P + "\" \"" + D + "/\""},
    {"RAR", false, false, "Unrar", "-x -y -o \"" + P + "\" \"" + D + "/\""},
    {"7Z", true, true, "SevenZip", "e \"" + P + "\" \"" + D + "/\""},
    {"7Z", false, false, "SevenZip", "x -y \"" + P + "\" \"" + D + "/\""},
    {"YZ1", true, true, "Yz1", "x -x0 -y2 \"" + P + "\" \"" + D + "/\""},
    {"YZ1", false, false, "Yz1", "x -x1 -y1 \"" + P + "\" \"" + D + "/\""},
    {"ARJ", true, true, "Unarj", "e \"" + P + "\" \"" + D + "/\""},
    {"ARJ", false, false, "Unarj", "x -y- \"" + P + "\" \"" + D + "/\""},
    {"TAR", true, true, "Tar", "-x --use-directory=0 \"" + P + "\" \"" + D + "/\""},
    {"GZ", false, false, "Tar", "-x --use-directory=1 \"" + P + "\" \"" + D + "/\""},
    {"Z", true, false, "Tar", "-x --use-directory=0 \"" + P + "\" \"" + D + "/\""},
    {"BZ2", false, true, "Tar", "-x --use-directory=1 \"" + P + "\" \"" + D + "/\""},
    {"BZA", true, true, "Bga", "x -a -j \"" + P + "\" \"" + D + "/\""},
    {"GZA", false, false, "Bga", "x -a -o \"" + P + "\" \"" + D + "/\""},
    {"BEL", true, true, "Unbel", " \"" + P + "\" \"" + D + "/\""},
    {"BEL", false, false, "Unbel", " \"" + P + "\" \"" + D + "/\""},
    {"IMP", true, true, "UnImp", "e -a -r -c2 \"" + P + "\" \"" + D + "/\" *"},
    {"IMP", false, false, "UnImp", "x -a -r -c0 -y \"" + P + "\" \"" + D + "/\" *"},
    {"KTY", true, true, "Kty", "e c0 q r \"" + P + "\" \"" + D + "/\""},
    {"KTY", false, false, "Kty", "x c3 r  \"" + P + "\" \"" + D + "/\""},
    {"PQA", true, true, "Paqar", "e  -b\"" + D + "\" \"" + P + "\""},
    {"PQA", false, false, "Paqar", "x -q2 -b\"" + D + "\" \"" + P + "\""},
    {"HKI", true, true, "UnHki", "e -ga1 \"" + P + "\" \"" + D + "/\" *.*"},
    {"HKI", false, false, "UnHki", "x -ga0 \"" + P + "\" \"" + D + "/\" *.*"},
    {"RK", true, true, "", "\"/opt/rk tools/rk\" -e -y -D\"" + D + "\" \"" + P + "\""},
    {"RK", false, false, "", "\"/opt/rk tools/rk\" -x -y -O -D\"" + D + "\" \"" + P + "\""},
    {"YZ2", true, true, "", "/opt/yz/yz2dec -d" + D + " " + P + " -j"},
    {"YZ2A6", false, false, "", "/opt/yz/yz2dec -y -d" + D + " " + P + " -j"},
};

TEST(ExtractCommand, EveryRowByteForByte) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(std::string(row.ext) + (row.ignore ? " ignore" : " keep") +
                 (row.confirm ? " confirm" : " no-confirm"));
    auto command = BuildExtractCommand(Format(row.ext), Options(row.ignore, row.confirm), P, D);
    EXPECT_EQ(command.route,
              std::string(row.prefix).empty() ? ExtractRoute::Tool : ExtractRoute::Library);
    EXPECT_EQ(Prefix(command), row.prefix);
    EXPECT_EQ(command.commandLine, row.command);
  }
}

TEST(ExtractCommand, ZipGoesToSevenZipWithUse7Zip) {
  auto o = Options(true, false);
  o.use7Zip = true;
  auto command = BuildExtractCommand("ZIP", o, P, D);
  EXPECT_EQ(Prefix(command), "SevenZip");
  EXPECT_EQ(command.commandLine, "e -y \"" + P + "\" \"" + D + "/\"");
  o.ignoreFolders = false;
  EXPECT_EQ(BuildExtractCommand("ZIP", o, P, D).commandLine, "x -y \"" + P + "\" \"" + D + "/\"");
}

TEST(ExtractCommand, AceRoutes) {
  struct Case {
    bool useUnace32, confirm, ignore;
    ExtractRoute route;
    std::string command;
  };
  const Case cases[] = {
      {true, true, true, ExtractRoute::Library, "e -y0 \"" + P + "\" \"" + D + "/\""},
      {true, true, false, ExtractRoute::Library, "x -y0 \"" + P + "\" \"" + D + "/\""},
      // UseUNACE32 without confirming goes to the back-end, not to unace32.
      {true, false, false, ExtractRoute::AceBackend, ""},
      {false, true, false, ExtractRoute::AceBackend, ""},
      {false, false, true, ExtractRoute::AceBackend, ""},
  };
  for (const auto& c : cases) {
    auto o = Options(c.ignore, c.confirm);
    o.useUnace32 = c.useUnace32;
    auto command = BuildExtractCommand("ACE", o, P, D);
    EXPECT_EQ(command.route, c.route);
    EXPECT_EQ(command.commandLine, c.command);
    if (c.route == ExtractRoute::Library) {
      EXPECT_EQ(Prefix(command), "Unace");
    }
  }
}

TEST(ExtractCommand, UnknownExtensionsAreUnsupported) {
  for (const char* ext : {"", "EXE", "lzh", "TXT", "BH", "TGZ"}) {
    EXPECT_EQ(BuildExtractCommand(ext, Options(false, false), P, D).route,
              ExtractRoute::Unsupported)
        << ext;
  }
}

TEST(ExtractCommand, SelfExtractingRows) {
  struct Case {
    const char* format;
    bool ignore, confirm;
    ExtractRoute route;
    const char* prefix;
    std::string command;
  };
  const Case cases[] = {
      {"LZH", true, true, ExtractRoute::Library, "Unlha", "e -jf0 \"" + P + "\" \"" + D + "/\""},
      {"LZH", false, false, ExtractRoute::Library, "Unlha",
       "x -y -jf0 \"" + P + "\" \"" + D + "/\""},
      {"ZIP", false, false, ExtractRoute::Library, "UnZip",
       "-x -o -s -V -i -C -qq \"" + P + "\" \"" + D + "/\""},
      {"CAB", true, false, ExtractRoute::Library, "Cab", "-x -j -o \"" + P + "\" \"" + D + "/\""},
      {"GCA", false, true, ExtractRoute::Library, "UnGCA",
       "e -xx1 -yx1 -sx1 \"" + P + "\" \"" + D + "/\""},
      {"RAR", false, false, ExtractRoute::Library, "Unrar",
       "-x -y -o \"" + P + "\" \"" + D + "/\""},
      {"7Z", true, false, ExtractRoute::Library, "SevenZip", "e -y \"" + P + "\" \"" + D + "/\""},
      {"YZ1", false, true, ExtractRoute::Library, "Yz1", "x -x1 -y2 \"" + P + "\" \"" + D + "/\""},
      {"IMP", true, false, ExtractRoute::Library, "UnImp",
       "e -a -r -c0 -y \"" + P + "\" \"" + D + "/\" *"},
      {"ACE", false, true, ExtractRoute::AceBackend, "", ""},
      {"RK", true, false, ExtractRoute::Tool, "",
       "/opt/rk tools/rk -e -y -O -D\"" + D + "\" \"" + P + "\""},
      {"RK", false, true, ExtractRoute::Tool, "",
       "/opt/rk tools/rk -x -y -D\"" + D + "\" \"" + P + "\""},
      {"TAR", false, false, ExtractRoute::Unsupported, "", ""},
      {"ARJ", false, false, ExtractRoute::Unsupported, "", ""},
      {"", false, false, ExtractRoute::Unsupported, "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    auto o = Options(c.ignore, c.confirm);
    o.use7Zip = true;  // a detected ZIP always goes to UnZip
    o.useUnace32 = true;
    auto command = BuildSelfExtractCommand(c.format, o, P, D);
    EXPECT_EQ(command.route, c.route);
    EXPECT_EQ(Prefix(command), c.prefix);
    EXPECT_EQ(command.commandLine, c.command);
  }
}

}  // namespace
