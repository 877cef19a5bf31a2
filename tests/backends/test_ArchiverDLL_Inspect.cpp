// The format operations against the recording plugin standing in for every library: which
// library is asked, with which mode, in which order, and what its answers turn into.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "ArchiverCatalogue.h"
#include "ArchiverDLL_Inspect.h"
#include "BackendsTest.h"
#include "Settings.h"

namespace qvr::test {
namespace {

using Strings = std::vector<std::string>;

constexpr uint64_t kGiB = 1024ull * 1024 * 1024;

class InspectTest : public BackendsTest {
 public:
  InspectTest() {
    plugin.InstallAll();
    InstallTool("yz2dec");
    InstallTool("rk");
    SetAllFlags(true);
    status.YZ2DECPath = status.RKEXEPath = plugin.folder();
  }

  void SetAllFlags(bool on) {
    for (const LibRow& row : kLibRows) status.*row.flag = on;
  }
  // A file of that name in the temporary folder (the libraries are scripted; the tools and
  // the RK test want the file to exist).
  std::string Archive(const std::string& name) {
    std::string path = temp.file(name);
    WriteFile(path, "archive");
    return path;
  }
  // The plugin's answers back to their defaults (script lines: the last one wins).
  void ResetScript() {
    plugin.Version("*", 100).Check("*", "*", 1);
    plugin.Line("*", "open", "*", {"1"}).Line("*", "sizeex", "*", {"1"});
  }
  void SetVersion(const std::string& prefix, int version) { plugin.Version(prefix, version); }
  void SetGeneral(const std::string& key, const std::string& value) {
    WriteIniString(kQvrArcIni, "GENERAL", key, value);
  }
  // Only the named libraries accept the file (the plugin accepts everything by default).
  void OnlyAccept(const std::string& path, const Strings& prefixes, int answer = 1) {
    plugin.Check("*", "*", 0);
    for (const auto& prefix : prefixes) plugin.Check(prefix, path, answer);
  }
  // Every CheckArchive call as "Prefix mode".
  Strings CheckCalls() const {
    Strings calls;
    for (const PluginCall& call : plugin.Calls()) {
      const std::string suffix = "CheckArchive";
      if (call.entry.size() > suffix.size() &&
          call.entry.compare(call.entry.size() - suffix.size(), suffix.size(), suffix) == 0) {
        calls.push_back(call.entry.substr(0, call.entry.size() - suffix.size()) + " " +
                        call.args.at(1));
      }
    }
    return calls;
  }
  // The entry names called, in order.
  Strings EntryNames() const {
    Strings names;
    for (const PluginCall& call : plugin.Calls()) names.push_back(call.entry);
    return names;
  }
  bool Called(const std::string& entry) const {
    for (const PluginCall& call : plugin.Calls()) {
      if (call.entry == entry) return true;
    }
    return false;
  }
  // The mode of the first OpenArchive call ("" when none).
  std::string OpenMode() const {
    for (const PluginCall& call : plugin.Calls()) {
      if (call.entry.find("OpenArchive") != std::string::npos) return call.args.at(2);
    }
    return "";
  }
  void InstallRKWhoseTestAnswers(bool ok) {
    ToolPrints("rk", "check", ok ? "Integrity check OK.\n" : "broken\n");
  }

  LibraryStatus status;
  ArchiverDLL_Inspect inspect{status, nullptr};
};

// ---- Extension check ----

struct CheckCase {
  std::string name;
  std::function<void(InspectTest&, const std::string&)> setUp;
  int16_t expected;
  Strings checks;  // the CheckArchive calls made, "Prefix mode"
};

TEST_F(InspectTest, ExtensionCheckGivesEachCode) {
  using T = InspectTest;
  auto accept = [](std::string prefix, int answer = 1) {
    return [=](T& t, const std::string& path) { t.OnlyAccept(path, {prefix}, answer); };
  };
  auto flagOff = [](bool LibraryStatus::*flag) {
    return [=](T& t, const std::string&) { t.status.*flag = false; };
  };
  auto both = [](auto first, auto second) {
    return [=](T& t, const std::string& path) {
      first(t, path);
      second(t, path);
    };
  };
  auto version = [](std::string prefix, int v) {
    return [=](T& t, const std::string&) { t.SetVersion(prefix, v); };
  };
  auto general = [](std::string key, std::string value) {
    return [=](T& t, const std::string&) { t.SetGeneral(key, value); };
  };
  auto nothing = [](T&, const std::string&) {};
  const std::vector<CheckCase> cases{
      {"a.lzh", accept("Unlha"), kCheckOk, {"Unlha 0"}},
      {"a.LZH", accept("Unlha"), kCheckOk, {"Unlha 0"}},
      {"a.lzh", accept("Unlha", 0), kCheckRejected, {"Unlha 0"}},
      {"a.lzh", accept("Unlha", 2), kCheckRejected, {"Unlha 0"}},
      {"a.lzh", flagOff(&LibraryStatus::UNLHA32), kCheckNoLibrary, {}},
      {"a.cab", accept("Cab"), kCheckOk, {"Cab 0"}},
      {"a.gca", accept("UnGCA"), kCheckOk, {"UnGCA 16"}},
      {"a.rar", accept("Unrar"), kCheckOk, {"Unrar 0"}},
      {"a.7z", accept("SevenZip"), kCheckOk, {"SevenZip 0"}},
      {"a.7z", flagOff(&LibraryStatus::SEVENZIP32), kCheckNoLibrary, {}},
      {"a.arj", accept("Unarj"), kCheckOk, {"Unarj 0"}},
      {"a.tar", accept("Tar"), kCheckOk, {"Tar 0"}},
      {"a.tar.gz", accept("Tar"), kCheckOk, {"Tar 0"}},
      {"a.Z", accept("Tar"), kCheckOk, {"Tar 0"}},
      {"a.bz2", accept("Tar", 0), kCheckRejected, {"Tar 0"}},
      // The tar family under the names users give it.
      {"a.tgz", accept("Tar"), kCheckOk, {"Tar 0"}},
      {"a.TBZ", accept("Tar"), kCheckOk, {"Tar 0"}},
      {"a.tbz2", accept("Tar"), kCheckOk, {"Tar 0"}},
      {"a.txz", accept("Tar"), kCheckOk, {"Tar 0"}},
      {"a.tar.xz", accept("Tar"), kCheckOk, {"Tar 0"}},
      {"a.tar.zst", accept("Tar"), kCheckOk, {"Tar 0"}},
      {"a.tzst", accept("Tar", 0), kCheckRejected, {"Tar 0"}},
      {"a.tar.lz4", accept("Tar"), kCheckOk, {"Tar 0"}},
      {"a.tar.lzma", accept("Tar"), kCheckOk, {"Tar 0"}},
      {"a.xz", flagOff(&LibraryStatus::TAR32), kCheckNoLibrary, {}},
      {"a.zst", accept("Tar"), kCheckOk, {"Tar 0"}},
      {"a.lzma", accept("Tar"), kCheckOk, {"Tar 0"}},
      {"a.lz4", accept("Tar"), kCheckOk, {"Tar 0"}},
      {"a.bza", accept("Bga"), kCheckOk, {"Bga 1"}},
      {"a.gza", accept("Bga"), kCheckOk, {"Bga 1"}},
      {"a.bel", accept("Unbel"), kCheckOk, {"Unbel 0"}},
      {"a.imp", accept("UnImp"), kCheckOk, {"UnImp 0"}},
      {"a.kty", accept("Kty"), kCheckOk, {"Kty 0"}},
      {"a.pqa", accept("Paqar"), kCheckOk, {"Paqar 0"}},
      {"a.pqa", flagOff(&LibraryStatus::PAQAR32), kCheckNoLibrary, {}},
      // ZIP through UnZip32: present, version 0.90 or later, then its check.
      {"a.zip", both(accept("UnZip"), version("UnZip", 90)), kCheckOk, {"UnZip 0"}},
      {"a.zip", both(accept("UnZip", 0), version("UnZip", 90)), kCheckRejected, {"UnZip 0"}},
      {"a.zip", both(accept("UnZip"), version("UnZip", 89)), kCheckUnZipTooOld, {}},
      {"a.zip", flagOff(&LibraryStatus::UNZIP32), kCheckNoLibrary, {}},
      // With Use7Zip on, 7-zip32 alone decides, whatever UnZip32 is.
      {"a.zip",
       both(both(accept("SevenZip"), general("Use7Zip", "1")), flagOff(&LibraryStatus::UNZIP32)),
       kCheckOk,
       {"SevenZip 0"}},
      {"a.zip",
       both(both(accept("SevenZip"), general("Use7Zip", "1")), version("UnZip", 10)),
       kCheckOk,
       {"SevenZip 0"}},
      {"a.zip",
       both(general("Use7Zip", "1"), flagOff(&LibraryStatus::SEVENZIP32)),
       kCheckNoLibrary,
       {}},
      // YZ1 answers 2 for an archive protected by a password.
      {"a.yz1", accept("Yz1"), kCheckOk, {"Yz1 16"}},
      {"a.yz1", accept("Yz1", 2), kCheckYz1Password, {"Yz1 16"}},
      {"a.yz1", accept("Yz1", 0), kCheckRejected, {"Yz1 16"}},
      {"a.yz1", flagOff(&LibraryStatus::YZ1), kCheckNoLibrary, {}},
      // YZ2 needs UseYZ2DEC and yz2dec; the file is not checked.
      {"a.yz2", general("UseYZ2DEC", "1"), kCheckOk, {}},
      {"a.yz2a6", general("UseYZ2DEC", "1"), kCheckOk, {}},
      {"a.yz2", nothing, kCheckNoLibrary, {}},
      {"a.yz2",
       both(general("UseYZ2DEC", "1"), flagOff(&LibraryStatus::YZ2DEC)),
       kCheckNoLibrary,
       {}},
      // ACE needs both ACE libraries; a damaged file still gives 0.
      {"a.ace", accept("Unace", 0), kCheckOk, {}},
      {"a.ace", flagOff(&LibraryStatus::UNACEV2), kCheckNoLibrary, {}},
      {"a.ace", flagOff(&LibraryStatus::UNACE32), kCheckNoLibrary, {}},
      {"a.rk", nothing, kCheckOk, {}},
      {"a.rk", flagOff(&LibraryStatus::RKEXE), kCheckNoLibrary, {}},
      {"a.hki", accept("UnHki", 0), kCheckOk, {}},
      {"a.hki", flagOff(&LibraryStatus::UNHKI32), kCheckNoLibrary, {}},
      // exe: the detection by content decides.
      {"a.exe",
       accept("Cab"),
       kCheckOk,
       {"Unlha 0", "UnZip 0", "Cab 0", "UnGCA 8", "Unrar 0", "SevenZip 0", "Yz1 16", "Unarj 0",
        "Tar 0", "Bga 1", "UnImp 0", "Unace 0", "Paqar 0", "UnHki 0"}},
      {"a.exe",
       accept("Unbel"),
       kCheckExeUnknown,
       {"Unlha 0", "UnZip 0", "Cab 0", "UnGCA 8", "Unrar 0", "SevenZip 0", "Yz1 16", "Unarj 0",
        "Tar 0", "Bga 1", "UnImp 0", "Unace 0", "Paqar 0", "UnHki 0"}},
      // Unknown extensions, and none at all.
      {"a.txt", nothing, kCheckUnknownExtension, {}},
      {"a.bh", nothing, kCheckUnknownExtension, {}},
      {"a.lha", nothing, kCheckUnknownExtension, {}},
      {"zip", nothing, kCheckUnknownExtension, {}},
      {"noextension", nothing, kCheckUnknownExtension, {}},
      {"a." + std::string(300, 'z'), nothing, kCheckUnknownExtension, {}},
      {"a.zip.", nothing, kCheckUnknownExtension, {}},
  };
  for (const CheckCase& c : cases) {
    std::filesystem::remove(AppFile(kQvrArcIni));
    ResetScript();
    SetAllFlags(true);
    InstallRKWhoseTestAnswers(false);
    std::string path = Archive(c.name);
    c.setUp(*this, path);
    plugin.ClearLog();
    EXPECT_EQ(inspect.CheckArchive(path), c.expected) << c.name;
    EXPECT_EQ(CheckCalls(), c.checks) << c.name;
    for (const PluginCall& call : plugin.Calls()) {
      if (call.entry.find("CheckArchive") != std::string::npos) {
        EXPECT_EQ(call.args.at(0), path) << c.name;
      }
    }
  }
}

TEST_F(InspectTest, NoOperationTouchesALibraryWhoseFlagIsNotSet) {
  SetAllFlags(false);
  SetGeneral("UseYZ2DEC", "1");
  for (std::string name :
       {"a.lzh", "a.zip", "a.cab", "a.gca", "a.rar", "a.7z",  "a.yz1", "a.yz2", "a.arj", "a.tar",
        "a.gz",  "a.bza", "a.bel", "a.imp", "a.kty", "a.ace", "a.rk",  "a.pqa", "a.hki", "a.exe"}) {
    for (std::string use7Zip : {"0", "1"}) {
      SetGeneral("Use7Zip", use7Zip);
      std::string path = Archive(name);
      int16_t check = inspect.CheckArchive(path);
      EXPECT_TRUE(check == kCheckNoLibrary || check == kCheckExeUnknown) << name;
      EXPECT_EQ(inspect.DetectFormat(path), "");
      EXPECT_EQ(inspect.FileCount(path), 0) << name;
      EXPECT_EQ(inspect.OriginalSize(path), 0u) << name;
      EXPECT_FALSE(inspect.NeedsFolder(path)) << name;
    }
  }
  EXPECT_TRUE(plugin.Calls().empty());
  EXPECT_EQ(ReadFile(App("rk.args")), "");
  EXPECT_EQ(ReadFile(App("yz2dec.args")), "");
}

// ---- Detection by content ----

TEST_F(InspectTest, DetectionAsksInTheFixedOrderAndTheLastAcceptingLibraryWins) {
  struct Case {
    Strings accepting;
    std::string expected;
  };
  const std::vector<Case> cases{
      {{}, ""},
      {{"Unlha"}, "LZH"},
      {{"Unlha", "Cab"}, "CAB"},
      {{"Cab", "Unlha"}, "CAB"},
      {{"UnZip"}, "ZIP"},
      {{"UnZip", "SevenZip"}, "7Z"},
      {{"UnGCA"}, "GCA"},
      {{"Unrar", "Yz1"}, "YZ1"},
      {{"Unarj"}, "ARJ"},
      {{"Tar", "Bga"}, "BGA"},
      {{"UnImp"}, "IMP"},
      {{"Unace"}, "ACE"},
      {{"Paqar", "Unlha"}, "PQA"},
      {{"Paqar", "UnHki"}, "HKI"},
      // BEL and KTY are never detected by content.
      {{"Unbel"}, ""},
      {{"Kty"}, ""},
      {{"Unlha", "Kty"}, "LZH"},
  };
  std::string path = Archive("setup.exe");
  InstallRKWhoseTestAnswers(false);
  for (const Case& c : cases) {
    OnlyAccept(path, c.accepting);
    EXPECT_EQ(inspect.DetectFormat(path), c.expected) << testing::PrintToString(c.accepting);
  }
  plugin.ClearLog();
  inspect.DetectFormat(path);
  EXPECT_EQ(CheckCalls(),
            (Strings{"Unlha 0", "UnZip 0", "Cab 0", "UnGCA 8", "Unrar 0", "SevenZip 0", "Yz1 16",
                     "Unarj 0", "Tar 0", "Bga 1", "UnImp 0", "Unace 0", "Paqar 0", "UnHki 0"}));
}

TEST_F(InspectTest, DetectionTakesYz1PasswordAnswerAndRk) {
  std::string path = Archive("setup.exe");
  InstallRKWhoseTestAnswers(false);
  OnlyAccept(path, {"Yz1"}, 2);
  EXPECT_EQ(inspect.DetectFormat(path), "YZ1");
  // rk's own test comes between ACE and PQA.
  InstallRKWhoseTestAnswers(true);
  OnlyAccept(path, {"Unace"});
  EXPECT_EQ(inspect.DetectFormat(path), "RK");
  EXPECT_EQ(ToolArgs("rk"), (Strings{"-i", path}));
  OnlyAccept(path, {"Paqar"});
  EXPECT_EQ(inspect.DetectFormat(path), "PQA");
  status.RKEXE = false;
  OnlyAccept(path, {"Unace"});
  EXPECT_EQ(inspect.DetectFormat(path), "ACE");
}

TEST_F(InspectTest, DetectionOfZipDependsOnUse7ZipAndTheUnZipVersion) {
  std::string path = Archive("setup.exe");
  InstallRKWhoseTestAnswers(false);
  OnlyAccept(path, {"UnZip"});
  plugin.Version("UnZip", 90);
  EXPECT_EQ(inspect.DetectFormat(path), "ZIP");
  plugin.Version("UnZip", 89);
  plugin.ClearLog();
  EXPECT_EQ(inspect.DetectFormat(path), "");
  EXPECT_FALSE(Called("UnZipCheckArchive"));
  plugin.Version("UnZip", 100);
  SetGeneral("Use7Zip", "1");
  plugin.ClearLog();
  EXPECT_EQ(inspect.DetectFormat(path), "");
  EXPECT_FALSE(Called("UnZipCheckArchive"));
  OnlyAccept(path, {"UnZip", "SevenZip"});
  EXPECT_EQ(inspect.DetectFormat(path), "7Z");
  EXPECT_EQ(inspect.archiveType(), "SevenZip");
}

TEST_F(InspectTest, AceIsDetectedOnlyWithBothAceLibraries) {
  std::string path = Archive("setup.exe");
  InstallRKWhoseTestAnswers(false);
  OnlyAccept(path, {"Unace"});
  status.UNACEV2 = false;
  plugin.ClearLog();
  EXPECT_EQ(inspect.DetectFormat(path), "");
  EXPECT_FALSE(Called("UnaceCheckArchive"));
  status.UNACEV2 = true;
  status.UNACE32 = false;
  EXPECT_EQ(inspect.DetectFormat(path), "");
  status.UNACE32 = true;
  EXPECT_EQ(inspect.DetectFormat(path), "ACE");
}

// ---- Family names and the archive type ----

TEST(FamilyNameTest, MapsFormatsToTheirFamilies) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"7Z", "SevenZip"}, {"7z", "SevenZip"}, {"YZ2", "YZ2"}, {"yz2a6", "YZ2"}, {"PQA", "Paqar"},
      {"LZH", "LZH"},     {"zip", "ZIP"},     {"CAB", "CAB"}, {"GCA", "GCA"},   {"RAR", "RAR"},
      {"YZ1", "YZ1"},     {"ARJ", "ARJ"},     {"TAR", "TAR"}, {"BGA", "BGA"},   {"BEL", "BEL"},
      {"IMP", "IMP"},     {"KTY", "KTY"},     {"ACE", "ACE"}, {"RK", "RK"},     {"bh", "BH"},
      {"HKI", "HKI"},     {"GZ", ""},         {"BZA", ""},    {"", ""},         {"EXE", ""},
      {"SevenZip", ""},
  };
  for (const auto& [format, family] : cases) EXPECT_EQ(FamilyName(format), family) << format;
}

TEST_F(InspectTest, CountAndSizeSetTheArchiveType) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"a.lzh", "LZH"},   {"a.7z", "SevenZip"}, {"a.gz", ""},  {"a.bza", ""},
      {"a.pqa", "Paqar"}, {"a.yz2a6", "YZ2"},   {"a.txt", ""}, {"a.ZIP", "ZIP"},
  };
  for (const auto& [name, type] : cases) {
    std::string path = Archive(name);
    inspect.FileCount(path);
    EXPECT_EQ(inspect.archiveType(), type) << name;
    inspect.OriginalSize(path);
    EXPECT_EQ(inspect.archiveType(), type) << name;
  }
  // An exe: the family of the detected format for the count, the identifier for the size.
  std::string exe = Archive("setup.exe");
  InstallRKWhoseTestAnswers(false);
  OnlyAccept(exe, {"SevenZip"});
  inspect.FileCount(exe);
  EXPECT_EQ(inspect.archiveType(), "SevenZip");
  inspect.OriginalSize(exe);
  EXPECT_EQ(inspect.archiveType(), "7Z");
  OnlyAccept(exe, {});
  inspect.DetectFormat(exe);
  EXPECT_EQ(inspect.archiveType(), "");
}

// ---- Entry count ----

TEST_F(InspectTest, EntryCountChecksFirstAndAsksTheLibrary) {
  std::string path = Archive("a.lzh");
  plugin.Count("Unlha", path, 7);
  EXPECT_EQ(inspect.FileCount(path), 7);
  plugin.Check("Unlha", path, 0);
  plugin.ClearLog();
  EXPECT_EQ(inspect.FileCount(path), 0);
  EXPECT_EQ(EntryNames(), Strings{"UnlhaCheckArchive"});
  plugin.Check("Unlha", path, 1);
  plugin.Count("Unlha", path, -1);
  EXPECT_EQ(inspect.FileCount(path), -1);
  plugin.Count("Unlha", path, -5);  // a nonsense answer is as unknown as -1
  EXPECT_EQ(inspect.FileCount(path), -1);

  std::string gca = Archive("a.gca");
  plugin.Count("UnGCA", gca, 3);
  plugin.ClearLog();
  EXPECT_EQ(inspect.FileCount(gca), 3);
  EXPECT_EQ(CheckCalls(), Strings{"UnGCA 16"});

  std::string yz1 = Archive("a.yz1");
  plugin.Check("Yz1", yz1, 2);  // protected: not counted
  EXPECT_EQ(inspect.FileCount(yz1), 0);
}

TEST_F(InspectTest, EntryCountOfZipFollowsTheUnZipVersion) {
  std::string path = Archive("a.zip");
  plugin.Count("UnZip", path, 4).Check("UnZip", path, 0);
  plugin.Version("UnZip", 91);  // after 0.90: no check
  plugin.ClearLog();
  EXPECT_EQ(inspect.FileCount(path), 4);
  EXPECT_EQ(EntryNames(), (Strings{"UnZipGetVersion", "UnZipGetFileCount"}));
  plugin.Version("UnZip", 90);  // 0.90 and older: only an accepted file
  EXPECT_EQ(inspect.FileCount(path), 0);
  plugin.Check("UnZip", path, 1);
  EXPECT_EQ(inspect.FileCount(path), 4);
  plugin.Version("UnZip", 50);
  EXPECT_EQ(inspect.FileCount(path), 4);

  SetGeneral("Use7Zip", "1");
  plugin.Count("SevenZip", path, 9);
  plugin.ClearLog();
  EXPECT_EQ(inspect.FileCount(path), 9);
  EXPECT_EQ(EntryNames(), (Strings{"SevenZipCheckArchive", "SevenZipGetFileCount"}));
}

TEST_F(InspectTest, EntryCountOfTheUncheckedFormats) {
  SetGeneral("UseYZ2DEC", "1");
  std::string yz2 = Archive("a.yz2");
  plugin.ClearLog();
  EXPECT_EQ(inspect.FileCount(yz2), 0);
  EXPECT_EQ(ReadFile(App("yz2dec.args")), "");

  for (std::string name : {"a.hki", "a.ace"}) {
    std::string path = Archive(name);
    std::string prefix = name == "a.hki" ? "UnHki" : "Unace";
    plugin.Check(prefix, path, 0).Count(prefix, path, 5);
    plugin.ClearLog();
    EXPECT_EQ(inspect.FileCount(path), 5) << name;
    EXPECT_EQ(EntryNames(), Strings{prefix + "GetFileCount"});
  }
  status.UNACEV2 = false;
  EXPECT_EQ(inspect.FileCount(temp.file("a.ace")), 0);

  std::string rk = Archive("a.rk");
  ToolPrints("rk", "list",
             "rk\n2\n3\n4\n5\n6\n----\n" + std::string("1        ") + std::string(20, ' ') +
                 "one\n" + "2" + std::string(28, ' ') + "two\n" +
                 "  -------                    -------\nFinished. 2 files\n");
  EXPECT_EQ(inspect.FileCount(rk), 2);
  EXPECT_EQ(ToolArgs("rk"), (Strings{"-va", rk}));
}

TEST_F(InspectTest, EntryCountOfAnExeAsksTheDetectedLibraryWithoutAFurtherCheck) {
  std::string path = Archive("setup.exe");
  InstallRKWhoseTestAnswers(false);
  struct Case {
    std::string accepting, countPrefix;
  };
  for (const Case& c : std::vector<Case>{{"Cab", "Cab"},
                                         {"UnZip", "UnZip"},
                                         {"SevenZip", "SevenZip"},
                                         {"Paqar", "Paqar"},
                                         {"UnHki", "UnHki"}}) {
    OnlyAccept(path, {c.accepting});
    plugin.Count(c.countPrefix, path, 11);
    plugin.ClearLog();
    EXPECT_EQ(inspect.FileCount(path), 11) << c.accepting;
    EXPECT_EQ(CheckCalls().size(), 14u);  // the detection's own checks only
    EXPECT_TRUE(Called(c.countPrefix + "GetFileCount"));
  }
  OnlyAccept(path, {});
  EXPECT_EQ(inspect.FileCount(path), 0);
}

// ---- Total original size ----

TEST_F(InspectTest, TotalSizeWalksEveryEntryWith64BitSizes) {
  std::string path = Archive("a.lzh");
  plugin.Entry("Unlha", path, {.original = 3 * kGiB, .name = "big1"})
      .Entry("Unlha", path, {.original = 3 * kGiB, .name = "big2"})
      .Entry("Unlha", path, {.original = 10, .name = "small"});
  EXPECT_EQ(inspect.OriginalSize(path), 6 * kGiB + 10);
  // Without the 64-bit entries a 32-bit size of 3 GiB is still 3 GiB, never negative.
  plugin.NoSizeEx("Unlha");
  EXPECT_EQ(inspect.OriginalSize(path), 6 * kGiB + 10);
  plugin.Check("Unlha", path, 0);
  plugin.ClearLog();
  EXPECT_EQ(inspect.OriginalSize(path), 0u);
  EXPECT_FALSE(Called("UnlhaOpenArchive"));
  plugin.Check("Unlha", path, 1).OpenFails("Unlha", path);
  EXPECT_EQ(inspect.OriginalSize(path), 0u);
}

TEST_F(InspectTest, TotalSizeOfZipChecksOnlyFromVersion90) {
  std::string path = Archive("a.zip");
  plugin.Entry("UnZip", path, {.original = 5, .name = "x"}).Check("UnZip", path, 0);
  plugin.Version("UnZip", 89);
  plugin.ClearLog();
  EXPECT_EQ(inspect.OriginalSize(path), 5u);
  EXPECT_FALSE(Called("UnZipCheckArchive"));
  plugin.Version("UnZip", 90);
  EXPECT_EQ(inspect.OriginalSize(path), 0u);
  plugin.Check("UnZip", path, 1);
  EXPECT_EQ(inspect.OriginalSize(path), 5u);
  SetGeneral("Use7Zip", "1");
  plugin.Entry("SevenZip", path, {.original = 8, .name = "y"});
  EXPECT_EQ(inspect.OriginalSize(path), 8u);
}

TEST_F(InspectTest, TotalSizeOfImpAndHkiComesFromTheirOwnSizeEntries) {
  for (std::string name : {"a.imp", "a.hki"}) {
    std::string path = Archive(name);
    std::string prefix = name == "a.imp" ? "UnImp" : "UnHki";
    std::string sizeEntry = name == "a.imp" ? "UnImpGetOriginalSize" : "UnHkiGetArcOriginalSize";
    plugin.Entry(prefix, path, {.original = 7, .name = "x"})
        .Entry(prefix, path, {.original = 3000000000, .name = "y"});
    plugin.ClearLog();
    EXPECT_EQ(inspect.OriginalSize(path), 3000000007u) << name;
    int sizeCalls = 0;
    for (const PluginCall& call : plugin.Calls()) {
      if (call.entry == sizeEntry) ++sizeCalls;
      EXPECT_EQ(call.entry.find("GetOriginalSizeEx"), std::string::npos);
    }
    EXPECT_EQ(sizeCalls, 2) << name;
  }
}

TEST_F(InspectTest, TotalSizeOfAnExeWalksTheDetectedLibrary) {
  std::string path = Archive("setup.exe");
  InstallRKWhoseTestAnswers(false);
  OnlyAccept(path, {"Cab"});
  plugin.Entry("Cab", path, {.original = 3 * kGiB, .name = "a"});
  EXPECT_EQ(inspect.OriginalSize(path), 3 * kGiB);
  OnlyAccept(path, {"Paqar"});  // PQA cannot be walked
  plugin.ClearLog();
  EXPECT_EQ(inspect.OriginalSize(path), 0u);
  EXPECT_FALSE(Called("PaqarOpenArchive"));
  OnlyAccept(path, {});
  EXPECT_EQ(inspect.OriginalSize(path), 0u);
}

TEST_F(InspectTest, TotalSizeOfTheToolFormats) {
  std::string yz2 = Archive("a.yz2");
  ToolPrints("yz2dec", "list",
             "1\n2\n3\n4\n5\n6\n7\n"
             "1 2006/01/02 12:34:56 1,234 a\n"
             "1 2006/01/02 12:34:56 5,000,000,000 b\n--- Normal end ---\n");
  EXPECT_EQ(inspect.OriginalSize(yz2), 5000001234u);
  status.YZ2DEC = false;
  EXPECT_EQ(inspect.OriginalSize(yz2), 0u);

  std::string rk = Archive("a.rk");
  ToolPrints("rk", "list",
             "rk\n2\n3\n4\n5\n6\n----\n" + std::string("10") + std::string(27, ' ') + "one\n" +
                 "4294967296" + std::string(19, ' ') + "two\n" +
                 "  -------                    -------\nFinished. 2 files\n");
  EXPECT_EQ(inspect.OriginalSize(rk), 4294967306u);
}

// ---- Folder inspection ----

TEST_F(InspectTest, FolderInspectionTable) {
  struct Case {
    Strings names;
    bool expected;
  };
  const std::vector<Case> cases{
      {{"a/x", "a/y"}, false},
      {{"a/x", "b/y"}, true},
      {{"x"}, false},
      {{"x", "y"}, true},
      {{"a/x", "y"}, true},
      {{"y", "a/x"}, true},
      {{}, false},
      {{"a/", "a/x", "a/b/c"}, false},
      {{"a/b/x", "a/c/y"}, false},
      {{"a/x", "ab/y"}, true},
  };
  int n = 0;
  std::string path;
  for (const Case& c : cases) {
    path = Archive("case" + std::to_string(++n) + ".lzh");
    for (const auto& name : c.names) plugin.Entry("Unlha", path, {.name = name});
    EXPECT_EQ(inspect.NeedsFolder(path), c.expected) << testing::PrintToString(c.names);
  }
  plugin.OpenFails("Unlha", path);
  EXPECT_FALSE(inspect.NeedsFolder(path));
}

TEST_F(InspectTest, FolderInspectionStopsAtTheDecidingEntry) {
  std::string path = Archive("a.lzh");
  for (std::string name : {"x", "y", "z", "w"}) plugin.Entry("Unlha", path, {.name = name});
  plugin.ClearLog();
  EXPECT_TRUE(inspect.NeedsFolder(path));
  EXPECT_EQ(EntryNames(),
            (Strings{"UnlhaOpenArchive", "UnlhaFindFirst", "UnlhaFindNext", "UnlhaCloseArchive"}));
}

TEST_F(InspectTest, FolderInspectionIsFalseForFormatsItCannotJudge) {
  SetGeneral("UseYZ2DEC", "1");
  for (std::string name : {"a.yz2", "a.yz2a6", "a.bel", "a.rk", "a.pqa", "a.txt", "noext"}) {
    std::string path = Archive(name);
    plugin.Entry("*", path, {.name = "x"}).Entry("*", path, {.name = "y"});
    plugin.ClearLog();
    EXPECT_FALSE(inspect.NeedsFolder(path)) << name;
    EXPECT_TRUE(plugin.Calls().empty()) << name;
  }
  EXPECT_EQ(ReadFile(App("rk.args")), "");
}

TEST_F(InspectTest, FolderInspectionOfZipAndExe) {
  std::string zip = Archive("a.zip");
  plugin.Entry("UnZip", zip, {.name = "x"}).Entry("UnZip", zip, {.name = "y"});
  plugin.Entry("SevenZip", zip, {.name = "d/x"});
  EXPECT_TRUE(inspect.NeedsFolder(zip));
  SetGeneral("Use7Zip", "1");
  EXPECT_FALSE(inspect.NeedsFolder(zip));
  // A detected ZIP is read by UnZip32 even with Use7Zip on.
  std::string exe = Archive("setup.exe");
  InstallRKWhoseTestAnswers(false);
  OnlyAccept(exe, {"UnZip"});
  SetGeneral("Use7Zip", "0");
  plugin.Entry("UnZip", exe, {.name = "x"}).Entry("UnZip", exe, {.name = "y"});
  EXPECT_TRUE(inspect.NeedsFolder(exe));
  OnlyAccept(exe, {"Paqar"});
  EXPECT_FALSE(inspect.NeedsFolder(exe));
}

// ---- Open modes ----

TEST_F(InspectTest, EachWalkOpensWithItsFormatsMode) {
  struct Case {
    std::string name, prefix, sizeMode, inspectMode;
  };
  const std::vector<Case> cases{
      {"a.lzh", "Unlha", "4194304", "4194304"},
      {"a.zip", "UnZip", "4194304", "4194304"},
      {"a.cab", "Cab", "4194304", "4194304"},
      {"a.gca", "UnGCA", "4194304", "4194304"},
      {"a.rar", "Unrar", "4194304", "4194304"},
      {"a.7z", "SevenZip", "4194304", "4194304"},
      {"a.yz1", "Yz1", "4194304", "4194304"},
      {"a.arj", "Unarj", "4194304", "4194304"},
      {"a.tar", "Tar", "4194304", "4194304"},
      {"a.bz2", "Tar", "4194304", "4194304"},
      {"a.bza", "Bga", "512", "512"},
      {"a.imp", "UnImp", "512", "512"},
      {"a.kty", "Kty", "0", "0"},
      {"a.ace", "Unace", "0", "0"},
      {"a.hki", "UnHki", "0", "512"},
      {"a.bel", "Unbel", "512", ""},
  };
  plugin.Version("UnZip", 100);
  for (const Case& c : cases) {
    std::string path = Archive(c.name);
    plugin.ClearLog();
    inspect.OriginalSize(path);
    EXPECT_EQ(OpenMode(), c.sizeMode) << c.name;
    for (const PluginCall& call : plugin.Calls()) {
      if (call.entry.find("OpenArchive") != std::string::npos) {
        EXPECT_EQ(call.entry, c.prefix + "OpenArchive");
        EXPECT_EQ(call.args.at(1), path);
      }
    }
    plugin.ClearLog();
    inspect.NeedsFolder(path);
    EXPECT_EQ(OpenMode(), c.inspectMode) << c.name;
  }
}

TEST_F(InspectTest, TheOwnerWindowReachesOpenArchive) {
  int window = 0;
  ArchiverDLL_Inspect owned(status, &window);
  std::string path = Archive("a.lzh");
  plugin.Entry("Unlha", path, {.name = "x"});
  plugin.ClearLog();
  owned.OriginalSize(path);
  owned.NeedsFolder(path);
  int opens = 0;
  for (const PluginCall& call : plugin.Calls("Unlha")) {
    if (call.entry != "UnlhaOpenArchive") continue;
    ++opens;
    EXPECT_EQ(call.args.at(0), PointerText(&window));
  }
  EXPECT_EQ(opens, 2);
}

// ---- Bad input ----

TEST_F(InspectTest, EntriesWithEmptyOrOverlongNames) {
  std::string path = Archive("a.lzh");
  // An empty name counts as a root entry like any name without "/".
  plugin.Entry("Unlha", path, {.original = 1, .name = ""})
      .Entry("Unlha", path, {.original = 2, .name = ""});
  EXPECT_TRUE(inspect.NeedsFolder(path));
  EXPECT_EQ(inspect.OriginalSize(path), 3u);
  path = Archive("long.lzh");
  std::string longName = "d/" + std::string(598, 'n');
  plugin.Entry("Unlha", path, {.original = 1, .name = longName})
      .Entry("Unlha", path, {.original = 1, .name = "d/" + std::string(700, 'm')});
  EXPECT_FALSE(inspect.NeedsFolder(path));
  EXPECT_EQ(inspect.OriginalSize(path), 2u);
}

TEST(EntryNameTest, IsCutAtTheFirstNulAndNeverReadsPastTheField) {
  EntryInfo entry{};
  EXPECT_EQ(EntryName(entry), "");
  std::memcpy(entry.FileName, "ab\0cd", 5);
  EXPECT_EQ(EntryName(entry), "ab");
  std::memset(entry.FileName, 'x', sizeof entry.FileName);
  std::memset(entry.Reserved, 'y', sizeof entry.Reserved);
  EXPECT_EQ(EntryName(entry), std::string(513, 'x'));
}

class EndlessPluginTest : public InspectTest {
 protected:
  EndlessPluginTest() {
    std::filesystem::copy_file(QVR_ENDLESS_PLUGIN, App("unlha32.so"),
                               std::filesystem::copy_options::overwrite_existing);
    ArchiverDLL::ForgetAll();
  }
};

TEST_F(EndlessPluginTest, AWalkThatNeverEndsGivesUpAfterTenMillionEntries) {
  std::string path = Archive("a.lzh");
  // Each entry is 1 byte long and fills the whole name field "d/aaa..." without a NUL.
  EXPECT_EQ(inspect.OriginalSize(path), kMaxWalkEntries);
  EXPECT_FALSE(inspect.NeedsFolder(path));
  EXPECT_EQ(inspect.FileCount(path), -1);  // the library answers -5
  EXPECT_EQ(inspect.CheckArchive(path), kCheckOk);
}

}  // namespace
}  // namespace qvr::test
