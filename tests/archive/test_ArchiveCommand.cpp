// Both command tables byte for byte, with the defaults and with each switch rule's values,
// and the switch table itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "AppFolder.h"
#include "ArchiveCommand.h"
#include "ArchiveSwitches.h"
#include "ExtractTest.h"
#include "Settings.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

class ArchiveCommandTest : public ExtractTest {
 protected:
  void Apply(const Settings& settings) {
    fs::remove(AppFile(kQvrArcIni));
    for (const auto& s : settings) Ini(s[0], s[1], s[2]);
  }
  std::string Each(const std::string& format, const std::string& archive) {
    return BuildEachFileCommand(format, ReadArchiveSwitches(), archive, kSource, status)
        .commandLine;
  }
  std::string All(const std::string& format) {
    return BuildAllInOneCommand(format, ReadArchiveSwitches(), kArchive, AppFolder(), status)
        .commandLine;
  }
  const std::string kSource = "/d/my dir/report.txt";
  const std::string kArchive = "/o/out.x";
};

const char* const kA = "\"/o/out.x\"";
const char* const kS = "\"/d/my dir/report.txt\"";
const char* const kJoined = "\"/d/my dir/\"report.txt";
const char* const kApart = "\"/d/my dir/\" \"report.txt\"";

TEST_F(ArchiveCommandTest, EachFileRowsWithTheDefaults) {
  const std::string a = kA, s = kS, joined = kJoined, apart = kApart;
  struct Row {
    std::string format;
    Lib lib;
    std::vector<Lib> needs;
    std::string line;
  };
  const std::vector<Row> rows = {
      {"lzh", Lib::Unlha, {Lib::Unlha}, "a -je16384 -jm2 " + a + " " + s},
      {"zip", Lib::Zip, {Lib::Zip, Lib::Zip32}, "-r -j -6 " + a + " " + s},
      {"cab", Lib::Cab, {Lib::Cab}, "-a -mz " + a + " " + joined},
      {"7z",
       Lib::SevenZip,
       {Lib::SevenZip},
       "a -t7z " + a + " " + apart + " -mx=5 -ms=on -mf=on -mhc=on -mhcf=on"},
      {"yz1", Lib::Yz1, {Lib::Yz1}, "c -x0 " + a + " " + s},
      {"tar", Lib::Tar, {Lib::Tar}, "-c --use-directory=0 " + a + " " + joined},
      {"gz", Lib::Tar, {Lib::Tar}, "-c --use-directory=0 -z6 " + a + " " + joined},
      {"bz2", Lib::Tar, {Lib::Tar}, "-c --use-directory=0 -B9 " + a + " " + joined},
      {"bza", Lib::Bga, {Lib::Bga}, "a -a -m1 -l9 " + a + " " + joined},
      {"gza", Lib::Bga, {Lib::Bga}, "a -a -m2 -l9 " + a + " " + joined},
      {"pqa", Lib::Paqar, {Lib::Paqar}, "a -q0 -m2 -b\"/d/my dir\" " + a + " " + s},
  };
  for (const Row& r : rows) {
    ArchiveCommand c =
        BuildEachFileCommand(r.format, ReadArchiveSwitches(), kArchive, kSource, status);
    EXPECT_EQ(c.route, ArchiveRoute::Library) << r.format;
    EXPECT_EQ(c.lib, r.lib) << r.format;
    EXPECT_EQ(c.needs, r.needs) << r.format;
    EXPECT_EQ(c.commandLine, r.line) << r.format;
  }
  // The tools: started from their folders; yz2enc writes into the source's folder.
  status.YZ2ENCPath = "/t t/";
  status.RKEXEPath = "/r/";
  ArchiveCommand yz2 =
      BuildEachFileCommand("yz2", ReadArchiveSwitches(), kArchive, kSource, status);
  EXPECT_EQ(yz2.route, ArchiveRoute::Tool);
  EXPECT_EQ(yz2.commandLine, "/t t/yz2enc --buffer-size8 -d\"/d/my dir\" " + s);
  ArchiveCommand rk = BuildEachFileCommand("rk", ReadArchiveSwitches(), kArchive, kSource, status);
  EXPECT_EQ(rk.route, ArchiveRoute::Tool);
  EXPECT_EQ(rk.commandLine, "/r/rk -c -r0 -mn1 -mwn " + a + " " + s);
  EXPECT_EQ(BuildEachFileCommand("rar", ReadArchiveSwitches(), kArchive, kSource, status).route,
            ArchiveRoute::Unsupported);
}

TEST_F(ArchiveCommandTest, AllInOneRowsWithTheDefaults) {
  const std::string a = kA;
  const std::string list = "\"@" + AppFolder() + "addlist.tmp\"";
  struct Row {
    std::string format;
    Lib lib;
    std::string line;
  };
  const std::vector<Row> rows = {
      {"lzh", Lib::Unlha, "a -je16384 -jm2 " + a + " " + list},
      {"zip", Lib::Zip, "-u -S -D -6 " + a + " " + list},
      {"cab", Lib::Cab, "-a -j -mz " + a + " " + list},
      {"7z", Lib::SevenZip, "a -t7z /o/out.x " + list + " -mx=5 -ms=on -mf=on -mhc=on -mhcf=on"},
      {"yz1", Lib::Yz1, "c -x0 " + a + " " + list},
      {"tar", Lib::Tar, "-c --use-directory=0 " + a + " " + list},
      {"gz", Lib::Tar, "-c --use-directory=0 -z6 " + a + " " + list},
      {"bz2", Lib::Tar, "-c --use-directory=0 -B9 " + a + " " + list},
      {"bza", Lib::Bga, "a -a -l9 " + a + " " + list},
      {"gza", Lib::Bga, "a -a -l9 " + a + " " + list},
  };
  for (const Row& r : rows) {
    ArchiveCommand c =
        BuildAllInOneCommand(r.format, ReadArchiveSwitches(), kArchive, AppFolder(), status);
    EXPECT_EQ(c.route, ArchiveRoute::Library) << r.format;
    EXPECT_EQ(c.lib, r.lib) << r.format;
    EXPECT_EQ(c.commandLine, r.line) << r.format;
  }
  // 7Z quotes the archive only when it holds a blank.
  EXPECT_EQ(BuildAllInOneCommand("7z", ReadArchiveSwitches(), "/o/a b.7z", AppFolder(), status)
                .commandLine,
            "a -t7z \"/o/a b.7z\" " + list + " -mx=5 -ms=on -mf=on -mhc=on -mhcf=on");
  status.RKEXEPath = "/r k/";
  ArchiveCommand rk =
      BuildAllInOneCommand("rk", ReadArchiveSwitches(), kArchive, AppFolder(), status);
  EXPECT_EQ(rk.route, ArchiveRoute::Tool);
  EXPECT_EQ(rk.commandLine,
            "\"/r k/rk\" -a -p0 -mn1 -mwn " + a + " \"@" + AppFolder() + "addlist2.tmp\"");
  for (const char* format : {"yz2", "pqa", "rar", ""})
    EXPECT_EQ(
        BuildAllInOneCommand(format, ReadArchiveSwitches(), kArchive, AppFolder(), status).route,
        ArchiveRoute::Unsupported)
        << format;
}

// Use7Zip chooses the 7-zip library for ZIP of "個別" only.
TEST_F(ArchiveCommandTest, Use7ZipAppliesToEachFileOnly) {
  Apply({{"GENERAL_ARC", "Use7Zip", "1"}});
  ArchiveCommand each =
      BuildEachFileCommand("zip", ReadArchiveSwitches(), kArchive, kSource, status);
  EXPECT_EQ(each.lib, Lib::SevenZip);
  EXPECT_EQ(each.commandLine,
            std::string("a -tzip ") + kA + " " + kApart + " -mx=5 -mm=Deflate -mfb=32 -mpass=1");
  EXPECT_EQ(BuildAllInOneCommand("zip", ReadArchiveSwitches(), kArchive, AppFolder(), status).lib,
            Lib::Zip);
  Apply({{"GENERAL_ARC", "Use7Zip", "1"},
         {"ARCHIVE_ZIP", "ArchiveLevel_7z", "9"},
         {"ARCHIVE_ZIP", "ArchiveMethod_7z", "BZip2"},
         {"ARCHIVE_ZIP", "DeflateMem_7z", "64"},
         {"ARCHIVE_ZIP", "DeflatePass_7z", "3"}});
  EXPECT_EQ(Each("zip", kArchive),
            std::string("a -tzip ") + kA + " " + kApart + " -mx=9 -mm=BZip2 -mfb=64 -mpass=3");
  Apply({{"GENERAL_ARC", "Use7Zip", "1"}, {"ARCHIVE_ZIP", "Encrypt", "1"}});
  EXPECT_EQ(Each("zip", kArchive), std::string("a -tzip ") + kA + " " + kApart +
                                       " -mx=5 -mm=Deflate -mfb=32 -mpass=1 -p -mem=AES256");
}

// Each switch rule: the setting's value as stored, and the part of the command line it gives.
TEST_F(ArchiveCommandTest, SwitchRules) {
  const std::string a = kA, s = kS, joined = kJoined, apart = kApart;
  const std::string list = "\"@" + AppFolder() + "addlist.tmp\"";
  struct Row {
    Settings settings;
    std::string format;
    std::string each;  // "" when only the batch line is checked
    std::string all;   // "" when only the per-file line is checked
  };
  const std::vector<Row> rows = {
      {{{"ARCHIVE_LZH", "ArchiveLevel", "lh0"}}, "lzh", "a -je16384 -jm0 " + a + " " + s, ""},
      {{{"ARCHIVE_LZH", "ArchiveLevel", "lh1"}}, "lzh", "a -je16384 -jm1 " + a + " " + s, ""},
      {{{"ARCHIVE_LZH", "ArchiveLevel", "lh6"}}, "lzh", "a -je16384 -jm3 " + a + " " + s, ""},
      {{{"ARCHIVE_LZH", "ArchiveLevel", "lh7"}}, "lzh", "a -je16384 -jm4 " + a + " " + s, ""},
      {{{"ARCHIVE_LZH", "ArchiveLevel", "Auto"}}, "lzh", "a -je16384 -jma " + a + " " + s, ""},
      // Any other text gives no method switch; the blanks around it stay.
      {{{"ARCHIVE_LZH", "ArchiveLevel", "lh4"}},
       "lzh",
       "a -je16384  " + a + " " + s,
       "a -je16384  " + a + " " + list},
      {{{"ARCHIVE_LZH", "HuffmanBufferSize", "8192"}},
       "lzh",
       "a -je8192 -jm2 " + a + " " + s,
       "a -je8192 -jm2 " + a + " " + list},
      {{{"ARCHIVE_ZIP", "ArchiveLevel", "0"}},
       "zip",
       "-r -j -0 " + a + " " + s,
       "-u -S -D -0 " + a + " " + list},
      // A value outside 16 bits falls back to the default.
      {{{"ARCHIVE_ZIP", "ArchiveLevel", "70000"}}, "zip", "-r -j -6 " + a + " " + s, ""},
      // LZX without a level takes 15.
      {{{"ARCHIVE_CAB", "ArchiveType", "LZX"}},
       "cab",
       "-a -ml:15 " + a + " " + joined,
       "-a -j -ml:15 " + a + " " + list},
      {{{"ARCHIVE_CAB", "ArchiveType", "LZX"}, {"ARCHIVE_CAB", "LZXArchiveLevel", "21"}},
       "cab",
       "-a -ml:21 " + a + " " + joined,
       ""},
      {{{"ARCHIVE_CAB", "ArchiveType", "NoCompress"}}, "cab", "-a -ms " + a + " " + joined, ""},
      {{{"ARCHIVE_CAB", "ArchiveType", "Quantum"}}, "cab", "-a  " + a + " " + joined, ""},
      {{{"ARCHIVE_7Z", "ArchiveLevel", "9"}, {"ARCHIVE_7Z", "SolidMode", "0"}},
       "7z",
       "a -t7z " + a + " " + apart + " -mx=9 -ms=off -mf=on -mhc=on -mhcf=on",
       "a -t7z /o/out.x " + list + " -mx=9 -ms=off -mf=on -mhc=on -mhcf=on"},
      // Only the value 1 is "on".
      {{{"ARCHIVE_7Z", "Filter", "0"},
        {"ARCHIVE_7Z", "HeaderComp", "2"},
        {"ARCHIVE_7Z", "CompleteHeaderComp", "0"}},
       "7z",
       "a -t7z " + a + " " + apart + " -mx=5 -ms=on -mf=off -mhc=off -mhcf=off",
       ""},
      // A password: the switch only, the library asks the host for it.
      {{{"ARCHIVE_ZIP", "Encrypt", "1"}},
       "zip",
       "-r -j -6 -e " + a + " " + s,
       "-u -S -D -6 -e " + a + " " + list},
      {{{"ARCHIVE_ZIP", "VolumeSize", "100"}},
       "zip",
       "-r -j -6 -s100m " + a + " " + s,
       "-u -S -D -6 -s100m " + a + " " + list},
      {{{"ARCHIVE_7Z", "VolumeSize", "700"}},
       "7z",
       "a -t7z " + a + " " + apart + " -mx=5 -ms=on -mf=on -mhc=on -mhcf=on -v700m",
       ""},
      {{{"ARCHIVE_7Z", "Encrypt", "1"}},
       "7z",
       "a -t7z " + a + " " + apart + " -mx=5 -ms=on -mf=on -mhc=on -mhcf=on -p -mhe=on",
       "a -t7z /o/out.x " + list + " -mx=5 -ms=on -mf=on -mhc=on -mhcf=on -p -mhe=on"},
      {{{"ARCHIVE_GZ", "ArchiveLevel", "1"}},
       "gz",
       "-c --use-directory=0 -z1 " + a + " " + joined,
       "-c --use-directory=0 -z1 " + a + " " + list},
      {{{"ARCHIVE_BZ2", "ArchiveLevel", "3"}},
       "bz2",
       "-c --use-directory=0 -B3 " + a + " " + joined,
       ""},
      {{{"ARCHIVE_BZA", "ArchiveLevel", "4"}, {"ARCHIVE_GZA", "ArchiveLevel", "5"}},
       "bza",
       "a -a -m1 -l4 " + a + " " + joined,
       "a -a -l4 " + a + " " + list},
      {{{"ARCHIVE_BZA", "ArchiveLevel", "4"}, {"ARCHIVE_GZA", "ArchiveLevel", "5"}},
       "gza",
       "a -a -m2 -l5 " + a + " " + joined,
       "a -a -l5 " + a + " " + list},
      {{{"ARCHIVE_YZ2", "BufferSize", "16"}, {"ARCHIVE_YZ2", "PPM", "1"}},
       "yz2",
       "yz2enc --buffer-size16 --ppm-mode-on -d\"/d/my dir\" " + s,
       ""},
      {{{"ARCHIVE_RK", "ArchiveLevel", "mx3"}, {"ARCHIVE_RK", "WAVArchiveLevel", "mw2"}},
       "rk",
       "rk -c -r0 -mx3 -mw2 " + a + " " + s,
       "rk -a -p0 -mx3 -mw2 " + a + " \"@" + AppFolder() + "addlist2.tmp\""},
      {{{"ARCHIVE_PAQAR", "ArchiveLevel", "7"}},
       "pqa",
       "a -q0 -m7 -b\"/d/my dir\" " + a + " " + s,
       ""},
  };
  status.YZ2ENCPath = status.RKEXEPath = "";
  for (const Row& r : rows) {
    Apply(r.settings);
    if (!r.each.empty()) {
      EXPECT_EQ(Each(r.format, kArchive), r.each) << r.format;
    }
    if (!r.all.empty()) {
      EXPECT_EQ(All(r.format), r.all) << r.format;
    }
  }
}

TEST_F(ArchiveCommandTest, TheSwitchTableHoldsEveryKeyOnceWithItsDefault) {
  std::set<std::string> keys;
  for (const ArchiveSetting& s : kArchiveSettings)
    EXPECT_TRUE(keys.insert(std::string(s.section) + "/" + s.key).second) << s.key;
  // With no file every value is the row's default, as written.
  for (int i = 0; i < int(ArchiveKey::Count); ++i)
    EXPECT_EQ(ReadArchiveSetting(ArchiveKey(i)), kArchiveSettings[i].defaultValue)
        << kArchiveSettings[i].key;
  EXPECT_EQ(ArchiveSettingOf(ArchiveKey::CabLZXArchiveLevel).key, std::string("LZXArchiveLevel"));
}

TEST_F(ArchiveCommandTest, WhichNamesEachFileCommandsCarry) {
  struct Row {
    std::string name;
    bool quotedForms;    // lzh, zip, 7z, yz1, rk, pqa, yz2
    bool unquotedForms;  // cab, tar, gz, bz2, bza, gza: "F/"N
  };
  const std::vector<Row> rows = {
      {"plain.txt", true, true},        {"a b c.txt", true, true},
      {"-dash.txt", true, true},        {"@at.txt", true, true},
      {"a*b?.txt", true, true},         {"日本語 ファイル.txt", true, true},
      {"say \"hi\".txt", false, false}, {"two\nlines", false, false},
      {"cr\rhere", false, false},       {" lead.txt", true, false},
      {"trail.txt ", true, false},      {"two  blanks", true, false},
      {"tab\there", true, false},       {"a -b.txt", true, false},
      {"a @b.txt", true, false},
  };
  for (const Row& r : rows) {
    const std::string source = "/d/" + r.name;
    for (const char* f : {"lzh", "zip", "7z", "yz1", "rk", "pqa", "yz2"})
      EXPECT_EQ(EachFileCommandCarries(f, source), r.quotedForms) << f << " " << r.name;
    for (const char* f : {"cab", "tar", "gz", "bz2", "bza", "gza"})
      EXPECT_EQ(EachFileCommandCarries(f, source), r.unquotedForms) << f << " " << r.name;
  }
}

TEST_F(ArchiveCommandTest, FormatWordAndWhatCreatesAnew) {
  EXPECT_EQ(ArchiveFormatWord(""), "lzh");
  EXPECT_EQ(ArchiveFormatWord("7Z"), "7z");
  EXPECT_EQ(ArchiveFormatWord("BZ2"), "bz2");
  ArchiveSwitches sw;
  for (const char* f : {"tar", "gz", "bz2"}) EXPECT_TRUE(CreatesArchiveAnew(f, sw)) << f;
  for (const char* f : {"lzh", "zip", "7z", "cab"}) EXPECT_FALSE(CreatesArchiveAnew(f, sw)) << f;
  // Volumes are always made anew; 7Z's are found by their first part.
  sw.zipVolumeMB = sw.sevenZVolumeMB = 10;
  for (const char* f : {"zip", "7z"}) EXPECT_TRUE(CreatesArchiveAnew(f, sw)) << f;
  EXPECT_EQ(ReplacedArchive("7z", sw, "/o/a.7z"), "/o/a.7z.001");
  EXPECT_EQ(ReplacedArchive("zip", sw, "/o/a.zip"), "/o/a.zip");
}

TEST_F(ArchiveCommandTest, MissingComponentsByFileName) {
  ArchiveCommand zip =
      BuildEachFileCommand("zip", ReadArchiveSwitches(), kArchive, kSource, status);
  EXPECT_TRUE(MissingComponents(zip, status).empty());
  status.ZIP32 = false;
  EXPECT_EQ(MissingComponents(zip, status), std::vector<std::string>{"zip32.so"});
  status.ZIP32J = false;
  EXPECT_EQ(MissingComponents(zip, status), (std::vector<std::string>{"zip32j.so", "zip32.so"}));
  status.RKEXE = false;
  EXPECT_EQ(
      MissingComponents(
          BuildEachFileCommand("rk", ReadArchiveSwitches(), kArchive, kSource, status), status),
      std::vector<std::string>{"rk"});
}

}  // namespace
}  // namespace qvr::test
