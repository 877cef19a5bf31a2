#include <gtest/gtest.h>

#include <filesystem>

#include "ArchiverDLL.h"
#include "ExtractArchives.h"
#include "ExtractTest.h"
#include "PathHelpers.h"
#include "Settings.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

std::string Q(const std::string& text) {
  return "\"" + text + "\"";
}

class ExtractArchivesTest : public ExtractTest {
 protected:
  void Apply(const Settings& settings) {
    for (const auto& s : settings) Ini(s[0], s[1], s[2]);
  }
  // Back to no settings and an empty call log, for the next row of a table.
  void Reset() {
    fs::remove(plugin.folder() + kQvrArcIni);
    plugin.ClearLog();
    window = FakeMainWindow();
  }
};

// Which settings each start-up mode reads for the folder per archive, flat extraction and
// overwrite confirmation, seen in the LZH command line.
TEST_F(ExtractArchivesTest, OptionSourcesOfNormalAndDragAndDropStarts) {
  const std::string P = Archive("a.lzh");
  struct Row {
    const char* mode;
    Settings settings;
    std::string command;
  };
  const std::string tail = "-jf0 " + Q(P) + " " + Q(out + "/");
  const std::string inFolder = "-jf0 " + Q(P) + " " + Q(out + "/a/");
  const Row rows[] = {
      // Nothing set: automatic folder mode (one root entry: no folder), folders kept.
      {kModeNormal, {}, "x -c1 -m1 -y1 " + tail},
      {kModeNormal,
       {{"EXTRACT_NORMAL", "FileNameFolder", "2"}, {"GENERAL", "Directory", "1"}},
       "e -c1 -m1 -y1 " + tail},
      // Flat extraction needs a folder choice other than automatic.
      {kModeNormal, {{"GENERAL", "Directory", "1"}}, "x -c1 -m1 -y1 " + tail},
      {kModeNormal,
       {{"EXTRACT_NORMAL", "FileNameFolder", "1"}, {"GENERAL", "Directory", "1"}},
       "e -c1 -m1 -y1 " + inFolder},
      {kModeNormal,
       {{"EXTRACT_NORMAL", "FileNameFolder", "2"}, {"EXTRACT_NORMAL", "OverWrite", "1"}},
       "x -c0 -m0 " + tail},
      {kModeNormal,
       {{"EXTRACT_NORMAL", "FileNameFolder", "2"},
        {"DDMODE", "OverWrite", "1"},
        {"EXTRACT_DDMODE", "FileNameFolder", "1"}},
       "x -c1 -m1 -y1 " + tail},
      // Drag and drop never extracts flat and reads its own sections.
      {kModeDDMode,
       {{"EXTRACT_DDMODE", "FileNameFolder", "2"},
        {"EXTRACT_NORMAL", "FileNameFolder", "2"},
        {"GENERAL", "Directory", "1"}},
       "x -c1 -m1 -y1 " + tail},
      {kModeDDMode,
       {{"EXTRACT_DDMODE", "FileNameFolder", "1"}, {"GENERAL", "Directory", "1"}},
       "x -c1 -m1 -y1 " + inFolder},
      {kModeDDMode,
       {{"EXTRACT_DDMODE", "FileNameFolder", "2"}, {"DDMODE", "OverWrite", "1"}},
       "x -c0 -m0 " + tail},
      {kModeDDMode,
       {{"EXTRACT_DDMODE", "FileNameFolder", "2"},
        {"EXTRACT_NORMAL", "OverWrite", "1"},
        {"EXTRACT_NORMAL", "FileNameFolder", "1"}},
       "x -c1 -m1 -y1 " + tail},
  };
  for (const Row& row : rows) {
    Reset();
    Apply(row.settings);
    List({P});
    EXPECT_EQ(Extract(true, row.mode), 1);
    EXPECT_EQ(Commands("Unlha"), std::vector<std::string>{row.command})
        << row.mode << " row " << (&row - rows);
  }
}

// Each extension reaches its library file with its command line (folders kept, no
// confirmation), whatever the case of the extension.
TEST_F(ExtractArchivesTest, EveryExtensionReachesItsLibrary) {
  Ini("EXTRACT_NORMAL", "FileNameFolder", "2");
  struct Row {
    const char* name;
    const char* library;
    const char* prefix;
    std::string options;  // before the paths
    std::string after;    // after the paths
  };
  const Row rows[] = {
      {"a.lzh", "unlha32.so", "Unlha", "x -c1 -m1 -y1 -jf0 ", ""},
      {"a.ZIP", "unzip32.so", "UnZip", "-x -o -s -V -i -C -qq ", ""},
      {"a.cab", "cab32.so", "Cab", "-x -o ", ""},
      {"a.gca", "ungca32.so", "UnGCA", "e -xx1 -yx0 -sx1 ", ""},
      {"a.rar", "unrar32.so", "Unrar", "-x -y -o ", ""},
      {"a.7z", "7-zip32.so", "SevenZip", "x -y ", ""},
      {"a.yz1", "yz1.so", "Yz1", "x -x1 -y1 ", ""},
      {"a.arj", "unarj32j.so", "Unarj", "x -y- ", ""},
      {"a.tar", "tar32.so", "Tar", "-x --use-directory=1 ", ""},
      {"a.tar.gz", "tar32.so", "Tar", "-x --use-directory=1 ", ""},
      {"a.Z", "tar32.so", "Tar", "-x --use-directory=1 ", ""},
      {"a.bz2", "tar32.so", "Tar", "-x --use-directory=1 ", ""},
      {"a.TGZ", "tar32.so", "Tar", "-x --use-directory=1 ", ""},
      {"a.tbz2", "tar32.so", "Tar", "-x --use-directory=1 ", ""},
      {"a.tar.zst", "tar32.so", "Tar", "-x --use-directory=1 ", ""},
      {"a.tar.lzma", "tar32.so", "Tar", "-x --use-directory=1 ", ""},
      {"a.lz4", "tar32.so", "Tar", "-x --use-directory=1 ", ""},
      {"a.bza", "bga32.so", "Bga", "x -a -o ", ""},
      {"a.gza", "bga32.so", "Bga", "x -a -o ", ""},
      {"a.bel", "unbel32.so", "Unbel", " ", ""},
      {"a.imp", "unimp32.so", "UnImp", "x -a -r -c0 -y ", " *"},
      {"a.kty", "kty32.so", "Kty", "x c3 r  ", ""},
      {"a.hki", "unhki32.so", "UnHki", "x -ga0 ", " *.*"},
  };
  for (const Row& row : rows) {
    plugin.ClearLog();
    std::string P = Archive(row.name);
    List({P});
    EXPECT_EQ(Extract(), 1) << row.name;
    EXPECT_EQ(CommandLibraries(), std::vector<std::string>{row.library}) << row.name;
    EXPECT_EQ(Commands(row.prefix),
              std::vector<std::string>{row.options + Q(P) + " " + Q(out + "/") + row.after})
        << row.name;
  }
  // PQA names the output folder first, without the trailing separator.
  plugin.ClearLog();
  std::string P = Archive("a.pqa");
  List({P});
  Extract();
  EXPECT_EQ(Commands("Paqar"), std::vector<std::string>{"x -q2 -b" + Q(out) + " " + Q(P)});
}

TEST_F(ExtractArchivesTest, SevenZipAndAceRoutesFollowTheirSwitches) {
  Ini("EXTRACT_NORMAL", "FileNameFolder", "2");
  const std::string zip = Archive("z.zip");
  const std::string ace = Archive("c.ace");
  struct Row {
    Settings settings;
    std::string path;
    const char* library;
    const char* entry;
    std::string command;  // "" for ACEExtract
  };
  const Row rows[] = {
      {{{"GENERAL", "Use7Zip", "1"}},
       zip,
       "7-zip32.so",
       "SevenZip",
       "x -y " + Q(zip) + " " + Q(out + "/")},
      {{{"GENERAL", "Use7ZIP", "1"}, {"GENERAL", "Directory", "1"}},
       zip,
       "7-zip32.so",
       "SevenZip",
       "e -y " + Q(zip) + " " + Q(out + "/")},
      {{{"GENERAL", "Use7Zip", "0"}},
       zip,
       "unzip32.so",
       "UnZip",
       "-x -o -s -V -i -C -qq " + Q(zip) + " " + Q(out + "/")},
      {{}, ace, "unacev2.so", "ACEExtract", ""},
      // unace32 only when asked for and confirming overwrites.
      {{{"GENERAL", "UseUNACE32", "1"}}, ace, "unacev2.so", "ACEExtract", ""},
      {{{"GENERAL", "UseUNACE32", "1"}, {"EXTRACT_NORMAL", "OverWrite", "1"}},
       ace,
       "unace32.so",
       "Unace",
       "x -y0 " + Q(ace) + " " + Q(out + "/")},
      {{{"EXTRACT_NORMAL", "OverWrite", "1"}}, ace, "unacev2.so", "ACEExtract", ""},
  };
  for (const Row& row : rows) {
    Ini("GENERAL", "Use7Zip", "0");
    Ini("GENERAL", "Directory", "0");
    Ini("GENERAL", "UseUNACE32", "0");
    Ini("EXTRACT_NORMAL", "OverWrite", "0");
    Apply(row.settings);
    plugin.ClearLog();
    List({row.path});
    EXPECT_EQ(Extract(), 1);
    EXPECT_EQ(CommandLibraries(), std::vector<std::string>{row.library}) << (&row - rows);
    if (!row.command.empty()) {
      EXPECT_EQ(Commands(row.entry), std::vector<std::string>{row.command}) << (&row - rows);
    } else {
      auto calls = plugin.Calls();
      ASSERT_FALSE(calls.empty());
      EXPECT_EQ(calls.back().entry, "ACEExtract");
      EXPECT_EQ(calls.back().args.at(0), row.path);
    }
  }
}

TEST_F(ExtractArchivesTest, AceResultDecidesSuccess) {
  Ini("EXTRACT_NORMAL", "FileNameFolder", "2");
  Ini("EXTRACT_NORMAL", "DeleteArchive", "1");
  std::string bad = Archive("bad.ace");
  std::string good = Archive("good.ace");
  plugin.AceResult(bad, 0x8019);
  List({bad, good});
  EXPECT_EQ(Extract(), 1);
  EXPECT_TRUE(fs::exists(bad));
  EXPECT_FALSE(fs::exists(good));
}

// A self-extracting file goes where the detection by content sends it.
TEST_F(ExtractArchivesTest, SelfExtractingFilesFollowTheDetectedFormat) {
  Ini("EXTRACT_NORMAL", "FileNameFolder", "2");
  const std::string P = Archive("setup.exe");
  const std::string tail = Q(P) + " " + Q(out + "/");
  struct Row {
    const char* accepting;  // the one prefix whose check accepts the file; "" none
    const char* library;    // "" nothing runs
    const char* entry;
    std::string command;
  };
  const Row rows[] = {
      {"Unlha", "unlha32.so", "Unlha", "x -y -jf0 " + tail},
      {"UnZip", "unzip32.so", "UnZip", "-x -o -s -V -i -C -qq " + tail},
      {"Cab", "cab32.so", "Cab", "-x -o " + tail},
      {"Unrar", "unrar32.so", "Unrar", "-x -y -o " + tail},
      {"SevenZip", "7-zip32.so", "SevenZip", "x -y " + tail},
      {"UnImp", "unimp32.so", "UnImp", "x -a -r -c0 -y " + tail + " *"},
      {"Unace", "unacev2.so", "ACEExtract", ""},
      {"Tar", "", "", ""},  // detected, but no self-extracting row serves it
      {"", "", "", ""},
  };
  for (const Row& row : rows) {
    Reset();
    Ini("EXTRACT_NORMAL", "FileNameFolder", "2");
    plugin.Check("*", P, 0);
    if (*row.accepting) plugin.Check(row.accepting, P, 1);
    List({P});
    int successes = Extract();
    EXPECT_EQ(successes, *row.library ? 1 : 0) << row.accepting;
    EXPECT_TRUE(window.messages.empty()) << row.accepting;
    if (!*row.library) {
      EXPECT_TRUE(CommandLibraries().empty()) << row.accepting;
      continue;
    }
    EXPECT_EQ(CommandLibraries(), std::vector<std::string>{row.library}) << row.accepting;
    if (!row.command.empty()) {
      EXPECT_EQ(Commands(row.entry), std::vector<std::string>{row.command}) << row.accepting;
    }
  }
}

class ExtractToolsTest : public ExtractArchivesTest {
 protected:
  ExtractToolsTest() {
    // A blank in the tools' folder: the command lines must keep the program in one piece.
    tools = temp.file("my tools") + "/";
    fs::create_directories(tools);
    status.RKEXEPath = tools;
    status.YZ2DECPath = tools;
  }
};

TEST_F(ExtractToolsTest, RkAndYz2RunThroughTheirTools) {
  InstallTool("rk");
  InstallTool("yz2dec");
  Ini("EXTRACT_NORMAL", "FileNameFolder", "2");
  struct Row {
    const char* name;
    Settings settings;
    const char* tool;
    std::vector<std::string> args;  // {P} and {D} filled in below
  };
  const Row rows[] = {
      {"a.rk", {}, "rk", {"-x", "-y", "-O", "-D{D}", "{P}"}},
      {"a.rk",
       {{"GENERAL", "Directory", "1"}, {"EXTRACT_NORMAL", "OverWrite", "1"}},
       "rk",
       {"-e", "-y", "-D{D}", "{P}"}},
      {"a.yz2", {}, "yz2dec", {"-y", "-d{D}", "{P}", "-j"}},
      // The ignore-folders option does not reach yz2dec.
      {"a.yz2a6",
       {{"GENERAL", "Directory", "1"}, {"EXTRACT_NORMAL", "OverWrite", "1"}},
       "yz2dec",
       {"-d{D}", "{P}", "-j"}},
  };
  for (const Row& row : rows) {
    Ini("GENERAL", "Directory", "0");
    Ini("EXTRACT_NORMAL", "OverWrite", "0");
    Apply(row.settings);
    fs::remove(tools + row.tool + ".log");
    std::string P = Archive(row.name);
    List({P});
    EXPECT_EQ(Extract(), 1) << row.name;
    std::vector<std::string> expected;
    for (std::string arg : row.args) {
      if (arg.find("{D}") != std::string::npos) arg.replace(arg.find("{D}"), 3, out);
      if (arg == "{P}") arg = P;
      expected.push_back(arg);
    }
    EXPECT_EQ(ToolRuns(row.tool), std::vector<std::vector<std::string>>{expected}) << row.name;
  }
}

TEST_F(ExtractToolsTest, SelfExtractingRkRunsTheToolByItsFolder) {
  InstallTool("rk");
  Ini("EXTRACT_NORMAL", "FileNameFolder", "2");
  std::string P = Archive("rkself.exe");
  plugin.Check("*", P, 0);  // only rk's integrity check recognises it
  List({P});
  EXPECT_EQ(Extract(), 1);
  EXPECT_EQ(ToolRuns("rk"),
            (std::vector<std::vector<std::string>>{{"-x", "-y", "-O", "-D" + out, P}}));
}

TEST_F(ExtractToolsTest, ToolsThatAreMissingOrSwitchedOffExtractNothing) {
  Ini("EXTRACT_NORMAL", "FileNameFolder", "2");
  Ini("EXTRACT_NORMAL", "DeleteArchive", "1");
  InstallTool("yz2dec");
  std::string rk = Archive("a.rk");
  std::string yz2 = Archive("a.yz2");
  // rk's flag is set but the program is gone: it could not run, so nothing is deleted.
  List({rk});
  EXPECT_EQ(Extract(), 0);
  EXPECT_TRUE(fs::exists(rk));
  // yz2dec is there, but the main window's UseYZ2DEC copy is off.
  useYZ2DEC = false;
  List({yz2});
  EXPECT_EQ(Extract(), 0);
  EXPECT_TRUE(ToolRuns("yz2dec").empty());
  EXPECT_TRUE(fs::exists(yz2));
  useYZ2DEC = true;
  status.YZ2DEC = false;
  List({yz2});
  EXPECT_EQ(Extract(), 0);
  EXPECT_TRUE(ToolRuns("yz2dec").empty());
  status.YZ2DEC = true;
  List({yz2});
  EXPECT_EQ(Extract(), 1);
  EXPECT_FALSE(fs::exists(yz2));
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(ExtractArchivesTest, LibraryWithoutItsFlagIsNeverCalled) {
  Ini("EXTRACT_NORMAL", "FileNameFolder", "2");
  Ini("EXTRACT_NORMAL", "DeleteArchive", "1");
  status.UNLHA32 = false;
  status.UNACEV2 = false;
  std::string lzh = Archive("a.lzh");
  std::string ace = Archive("a.ace");
  std::string zip = Archive("a.zip");
  List({lzh, ace, zip});
  EXPECT_EQ(Extract(), 1);
  EXPECT_EQ(CommandLibraries(), std::vector<std::string>{"unzip32.so"});
  EXPECT_TRUE(fs::exists(lzh));
  EXPECT_TRUE(fs::exists(ace));
  EXPECT_FALSE(fs::exists(zip));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_TRUE(window.list.empty());
}

TEST_F(ExtractArchivesTest, FolderPerArchiveIsNamedUpToTheFirstDot) {
  Ini("EXTRACT_NORMAL", "FileNameFolder", "1");
  struct Row {
    const char* name;
    const char* folder;
  } rows[] = {
      {"backup.2004.lzh", "backup"},
      {"data.tar.gz", "data"},
      {".hidden.v2.zip", ".hidden"},
      {"名前 付き.7z", "名前 付き"},
  };
  for (const Row& row : rows) {
    plugin.ClearLog();
    std::string P = Archive(row.name);
    List({P});
    EXPECT_EQ(Extract(), 1);
    std::string folder = out + "/" + row.folder;
    EXPECT_TRUE(fs::is_directory(folder)) << row.name;
    auto calls = plugin.Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_NE(calls.back().args.at(1).find(Q(P) + " " + Q(folder + "/")), std::string::npos)
        << calls.back().args.at(1);
  }
  EXPECT_EQ(ArchiveFolderName("/x/README"), "README");
  EXPECT_EQ(ArchiveFolderName("/x/.profile"), ".profile");
}

TEST_F(ExtractArchivesTest, AutomaticModeMakesAFolderOnlyForSeveralRoots) {
  struct Row {
    const char* name;
    std::vector<std::string> entries;
    bool folder;
  } rows[] = {
      {"one_top.lzh", {"a/x", "a/y"}, false}, {"single_file.lzh", {"x"}, false},
      {"two_tops.lzh", {"a/x", "b/y"}, true}, {"two_files.lzh", {"x", "y"}, true},
      {"mixed.lzh", {"a/x", "y"}, true},
  };
  for (const Row& row : rows) {
    std::string P = Archive(row.name);
    for (const std::string& entry : row.entries)
      plugin.Entry("Unlha", P, {.original = 1, .name = entry});
    List({P});
    EXPECT_EQ(Extract(), 1);
    std::string folder = out + "/" + StripExtension(row.name);
    EXPECT_EQ(fs::is_directory(folder), row.folder) << row.name;
    EXPECT_EQ(Commands("Unlha").back().find(Q(folder + "/")) != std::string::npos, row.folder)
        << row.name;
  }
  // "Never" wins over several roots.
  Ini("EXTRACT_NORMAL", "FileNameFolder", "2");
  std::string P = Archive("never.lzh");
  plugin.Entry("Unlha", P, {.name = "x"}).Entry("Unlha", P, {.name = "y"});
  List({P});
  Extract();
  EXPECT_FALSE(fs::exists(out + "/never"));
}

TEST_F(ExtractArchivesTest, OwnFolderDestinationUsesEachArchivesFolder) {
  Ini("EXTRACT_NORMAL", "FileNameFolder", "1");
  std::string a = Archive("one/a.lzh");
  std::string b = Archive("two/b.lzh");
  List({a, b});
  EXPECT_EQ(Extract(false), 2);
  EXPECT_EQ(Commands("Unlha"),
            (std::vector<std::string>{"x -c1 -m1 -y1 -jf0 " + Q(a) + " " + Q(in + "/one/a/"),
                                      "x -c1 -m1 -y1 -jf0 " + Q(b) + " " + Q(in + "/two/b/")}));
}

TEST_F(ExtractArchivesTest, MissingAndUnknownFilesWithAndWithoutSkipping) {
  Ini("EXTRACT_NORMAL", "FileNameFolder", "1");
  std::string gone = in + "/gone.lzh";  // listed, then deleted before the run
  std::string text = Archive("notes.txt");
  std::string bare = Archive("README");
  std::string good = Archive("good.lzh");
  for (bool skip : {false, true}) {
    Ini("GENERAL", "ErrorSkip", skip ? "1" : "0");
    window = FakeMainWindow();
    plugin.ClearLog();
    List({gone, text, bare, good});
    EXPECT_EQ(Extract(), 1);
    EXPECT_EQ(CommandLibraries(), std::vector<std::string>{"unlha32.so"});
    std::vector<std::string> expected;
    if (!skip)
      expected = {"存在しないファイルです。場所を確認してください。",
                  "対応していない形式のファイルです", "対応していない形式のファイルです"};
    EXPECT_EQ(MessageTexts(), expected) << skip;
    for (const MessageRecord& m : window.messages) EXPECT_EQ(m.icon, MsgIcon::Critical);
    // No folder is made for what is not extracted; the count tells the extracted from the
    // failed.
    EXPECT_FALSE(fs::exists(out + "/gone"));
    EXPECT_FALSE(fs::exists(out + "/notes"));
    EXPECT_EQ(window.panels[1], "1個のファイルを解凍完了！（3個失敗）");
    EXPECT_TRUE(window.list.empty());
  }
}

TEST_F(ExtractArchivesTest, OnlyArchivesThatExtractedAreDeleted) {
  Ini("EXTRACT_NORMAL", "FileNameFolder", "2");
  std::string good = Archive("good.lzh");
  std::string broken = Archive("broken.zip");
  std::string unknown = Archive("notes.txt");
  std::string skipped = Archive("skipped.cab");
  std::string leftOut = Archive("left out.tar");
  plugin.CommandResult("UnZip", "broken.zip", 0x800C, "CRC error");
  // The user's "No" to an overwrite question skips entries; the call still succeeds and the
  // archive may go: the user chose it.
  plugin.CommandResult("Cab", "skipped.cab", 0, "2 entries extracted");
  // An entry left out for safety: the call succeeds, but the archive is not all out.
  plugin.CommandResult("Tar", "left out.tar", 0,
                       "1 entries extracted, 1 skipped. skipped link (link pointing outside "
                       "the destination); ");
  plugin.Skipped("Tar", "left out.tar", 1);
  Ini("GENERAL", "ErrorSkip", "1");

  struct Row {
    const char* mode;
    Settings settings;
    bool deletes;
  } rows[] = {
      {kModeNormal, {}, false},
      {kModeNormal, {{"EXTRACT_DDMODE", "DeleteArchive", "1"}}, false},
      {kModeNormal, {{"EXTRACT_NORMAL", "DeleteArchive", "1"}}, true},
      {kModeDDMode, {{"EXTRACT_NORMAL", "DeleteArchive", "1"}}, false},
      {kModeDDMode, {{"EXTRACT_DDMODE", "DeleteArchive", "1"}}, true},
  };
  for (const Row& row : rows) {
    Ini("EXTRACT_NORMAL", "DeleteArchive", "0");
    Ini("EXTRACT_DDMODE", "DeleteArchive", "0");
    Ini("EXTRACT_DDMODE", "FileNameFolder", "2");
    Apply(row.settings);
    for (const std::string& path : {good, broken, unknown, skipped, leftOut})
      WriteFile(path, "data");
    List({good, broken, unknown, skipped, leftOut});
    EXPECT_EQ(Extract(true, row.mode), 3);
    EXPECT_EQ(fs::exists(good), !row.deletes) << (&row - rows);
    EXPECT_EQ(fs::exists(skipped), !row.deletes) << (&row - rows);
    EXPECT_TRUE(fs::exists(broken));
    EXPECT_TRUE(fs::exists(unknown));
    EXPECT_TRUE(fs::exists(leftOut));
  }
}

// Whether an archive that extracted with result 0 is whole comes from the library's count of
// the entries it left out, not from the words of its report; a library of another maker,
// which has no such count, left nothing out.
TEST_F(ExtractArchivesTest, LeftOutEntriesAreTheLibrarysCount) {
  plugin.InstallWithoutSkipCount("cab32.so");
  ArchiverDLL::ForgetAll();
  const std::string words = "1 entries extracted, 1 skipped. skipped dev (device or fifo); ";
  struct Row {
    const char* name;
    int skipped;
    const char* report;
    bool whole;
  } rows[] = {
      {"counted.tar", 2, "", false},
      {"worded.tar", 0, words.c_str(), true},
      {"both.tar", 1, words.c_str(), false},
      {"plain.tar", 0, "3 entries extracted", true},
      // Another maker's library: what a script says it would count is never asked.
      {"foreign.cab", 3, words.c_str(), true},
      {"quiet.cab", 0, "", true},
  };
  Ini("EXTRACT_NORMAL", "FileNameFolder", "2");
  Ini("EXTRACT_NORMAL", "DeleteArchive", "1");
  std::vector<std::string> paths;
  for (const Row& row : rows) {
    paths.push_back(Archive(row.name));
    std::string scope = fs::path(row.name).extension() == ".cab" ? "Cab" : "Tar";
    plugin.CommandResult(scope, row.name, 0, row.report).Skipped(scope, row.name, row.skipped);
  }
  List(paths);
  EXPECT_EQ(Extract(), 6);
  for (size_t i = 0; i < paths.size(); ++i)
    EXPECT_EQ(fs::exists(paths[i]), !rows[i].whole) << rows[i].name;
  EXPECT_EQ(CommandLibraries(), (std::vector<std::string>{"tar32.so", "tar32.so", "tar32.so",
                                                          "tar32.so", "cab32.so", "cab32.so"}));
}

TEST_F(ExtractArchivesTest, PanelsTimerAndCounts) {
  Ini("EXTRACT_NORMAL", "FileNameFolder", "2");
  std::string a = Archive("a.lzh"), b = Archive("b.zip"), c = Archive("c.cab");
  plugin.CommandResult("UnZip", "b.zip", 0x8019);
  List({a, b, c});
  EXPECT_EQ(Extract(), 2);
  std::vector<std::pair<int, std::string>> expected = {
      {2, "00:00:00"},
      {1, "1個目(全体:3個)のファイルを解凍中"},
      {1, "2個目(全体:3個)のファイルを解凍中"},
      {1, "3個目(全体:3個)のファイルを解凍中"},
      {2, "00:00:00"},
      {1, "2個のファイルを解凍完了！（1個失敗）"},  // the outcome, not the list
  };
  EXPECT_EQ(window.panelHistory, expected);
  EXPECT_EQ(window.timerStarts, 1);
  EXPECT_FALSE(window.timerRunning);
  EXPECT_TRUE(window.list.empty());
  EXPECT_TRUE(window.messages.empty());
}

TEST_F(ExtractArchivesTest, EmptyListSaysSoAndRunsNothing) {
  EXPECT_EQ(Extract(), 0);
  EXPECT_EQ(window.panels[1], "ファイルがありません。");
  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "ファイルがありません。");
  EXPECT_EQ(window.messages[0].icon, MsgIcon::Information);
  EXPECT_EQ(window.timerStarts, 0);
}

// A window that takes a drop (or a second start's hand-off) while the loop runs, and owns
// the libraries' dialogs.
class BusyWindow : public FakeMainWindow {
 public:
  void pumpEvents() override {
    FakeMainWindow::pumpEvents();
    if (pumps == 2) listAdd(late);
  }
  void* ownerWindow() const override { return reinterpret_cast<void*>(uintptr_t(0x5a5a0)); }
  std::string late;
};

TEST_F(ExtractArchivesTest, FilesAddedDuringTheRunStayForTheNextRun) {
  Ini("EXTRACT_NORMAL", "FileNameFolder", "2");
  BusyWindow busy;
  busy.late = Archive("late.zip");
  std::string a = Archive("a.lzh"), b = Archive("b.lzh");
  busy.list = {a, b};
  ExtractRun run{busy, status, kModeNormal, true};
  EXPECT_EQ(ExtractArchives(run, true, out), 2);
  EXPECT_EQ(busy.list, std::vector<std::string>{busy.late});
  EXPECT_EQ(busy.panels[1], "2個のファイルを解凍完了！");
  EXPECT_EQ(CommandLibraries(), (std::vector<std::string>{"unlha32.so", "unlha32.so"}));
  // The libraries' own dialogs are owned by the main window.
  for (const PluginCall& call : plugin.Calls()) {
    if (call.entry == "Unlha") {
      EXPECT_EQ(call.args.at(0), PointerText(busy.ownerWindow()));
    }
  }
}

}  // namespace
}  // namespace qvr::test
