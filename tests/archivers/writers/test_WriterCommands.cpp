// Every archiving, adding and deleting command line the program sends to our ZIP, 7Z, CAB and
// TAR libraries, run through the libraries' command entries (the real plugins, loaded as the
// program loads them) on a small tree; each result is extracted by independent peers and by
// our own reading side and must hold exactly the expected names, folders and contents.
#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>

#include "WriterTestSupport.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

std::string Replace(std::string text, const std::map<std::string, std::string>& values) {
  for (const auto& [key, value] : values) {
    for (size_t at = text.find(key); at != std::string::npos;
         at = text.find(key, at + value.size()))
      text.replace(at, key.size(), value);
  }
  return text;
}

// The small tree every row works on, in <tmp>/src, and its list files in <tmp>/app.
struct Scene {
  TempDir tmp;
  Tree tree;
  std::string src, app;
  std::map<std::string, std::string> values;

  Scene() {
    src = tmp.file("src");
    app = tmp.file("app") + "/";
    tree = MakeSampleTree(src);
    fs::create_directories(tmp.file("out"));
    fs::create_directories(app);
    WriteFile(tmp.file("other/extra file.bin"), std::string(3000, '\x7f'));
    // addlist.tmp: full paths, quoted, CR LF; from two folders.
    std::string list;
    for (const char* name : {"readme.txt", "日本語 ファイル.txt", "empty.dat", "bin.dat"})
      list += "\"" + src + "/" + name + "\"\r\n";
    list += "\"" + tmp.file("other/extra file.bin") + "\"\r\n";
    WriteFile(app + "addlist.tmp", list);
    // addlist2.tmp: the bare names of the last line's folder (what the tree dialog writes).
    WriteFile(app + "addlist2.tmp", "\"extra file.bin\"\r\n");
    // The staging folder of a staged add into "a/b".
    WriteFile(app + "ArcFiles/a/b/readme.txt", tree["readme.txt"]);
    WriteFile(app + "ArcFiles/a/b/extra file.bin", std::string(3000, '\x7f'));
    std::string source = src + "/日本語 ファイル.txt";
    values = {{"{S}", source},
              {"{F}", src},
              {"{N}", "日本語 ファイル.txt"},
              {"{P}", app},
              {"{B}", tmp.file("other")}};
  }

  Tree BatchFiles() const {
    Tree files;
    for (const char* name : {"readme.txt", "日本語 ファイル.txt", "empty.dat", "bin.dat"})
      files[name] = tree.at(name);
    files["extra file.bin"] = std::string(3000, '\x7f');
    return files;
  }
};

struct CommandCase {
  const char* label;
  const char* library;
  const char* prefix;
  const char* archive;  // file name in <tmp>/out
  const char* before;   // a command run first to make the archive ("" for none)
  const char* command;  // {A} archive, {S} source, {F} its folder, {N} its name, {P}, {B}
  std::vector<std::string> peers;
  std::function<Tree(const Scene&)> expected;  // files and, where stored, folders
  bool folders;  // whether the archive stores folder entries (compare them too)
};

class Commands : public ::testing::TestWithParam<CommandCase> {};

TEST_P(Commands, MakeWhatPeersAndOurReaderExtract) {
  const CommandCase& c = GetParam();
  Scene scene;
  std::string archive = scene.tmp.file(std::string("out/") + c.archive);
  scene.values["{A}"] = archive;
  if (*c.before) {
    Call before = CallLibrary(c.library, c.prefix, Replace(c.before, scene.values));
    ASSERT_EQ(before.code, 0) << before.report;
  }
  std::string line = Replace(c.command, scene.values);
  Call call = CallLibrary(c.library, c.prefix, line);
  ASSERT_EQ(call.code, 0) << line << "\n" << call.report;
  EXPECT_FALSE(call.report.empty());
  Tree expected = c.expected(scene);
  auto view = [&](const Tree& t) { return c.folders ? t : FilesOnly(t); };
  for (const auto& tool : c.peers) {
    int exitCode = -1;
    Tree got = ExtractWith(tool, archive, scene.tmp.file("x-" + tool), &exitCode);
    EXPECT_EQ(exitCode, 0) << tool;
    EXPECT_EQ(view(got), view(expected)) << tool << " on " << line;
  }
  EXPECT_EQ(view(ExtractWithOurs(archive, scene.tmp.file("x-ours"))), view(expected)) << line;
}

Tree OneSource(const Scene& s) {
  return {{"日本語 ファイル.txt", s.tree.at("日本語 ファイル.txt")}};
}
Tree Batch(const Scene& s) {
  return s.BatchFiles();
}
Tree OneAdded(const Scene& s) {
  Tree t = OneSource(s);
  t["extra file.bin"] = std::string(3000, '\x7f');
  return t;
}
// Extraction makes the folders a/ and a/b/ whether or not the archive stores them.
Tree Staged(const Scene& s) {
  Tree t = OneSource(s);
  t["a/"] = "";
  t["a/b/"] = "";
  t["a/b/readme.txt"] = s.tree.at("readme.txt");
  t["a/b/extra file.bin"] = std::string(3000, '\x7f');
  return t;
}
Tree BatchWithoutBin(const Scene& s) {
  Tree t = Batch(s);
  t.erase("bin.dat");
  return t;
}

const std::vector<std::string> kZipPeers = {"unzip", "7zz", "bsdtar"};
const std::vector<std::string> k7zPeers = {"7zz", "bsdtar", "unar"};
const std::vector<std::string> kCabPeers = {"cabextract", "7zz", "bsdtar"};
const std::vector<std::string> kTarPeers = {"bsdtar", "tar"};

// The per-file 7Z line the program builds from the default settings.
#define SEVENZ_SWITCHES " -mx=5 -ms=on -mf=on -mhc=on -mhcf=on"

INSTANTIATE_TEST_SUITE_P(
    PerFile, Commands,
    ::testing::Values(
        CommandCase{"ZipLevel6", "zip32j.so", "Zip", "日本語 ファイル.zip", "",
                    "-r -j -6 \"{A}\" \"{S}\"", kZipPeers, OneSource, true},
        CommandCase{"ZipLevel0", "zip32j.so", "Zip", "s.zip", "", "-r -j -0 \"{A}\" \"{S}\"",
                    kZipPeers, OneSource, true},
        CommandCase{"ZipLevel9", "zip32j.so", "Zip", "s.zip", "", "-r -j -9 \"{A}\" \"{S}\"",
                    kZipPeers, OneSource, true},
        CommandCase{"SevenZipZipDeflate", "7-zip32.so", "SevenZip", "d.zip", "",
                    "a -tzip \"{A}\" \"{F}/\" \"{N}\" -mx=5 -mm=Deflate -mfb=32 -mpass=1",
                    kZipPeers, OneSource, true},
        CommandCase{"SevenZipZipCopy", "7-zip32.so", "SevenZip", "c.zip", "",
                    "a -tzip \"{A}\" \"{F}/\" \"{N}\" -mx=9 -mm=Copy -mfb=64 -mpass=3", kZipPeers,
                    OneSource, true},
        CommandCase{"SevenZipZipDeflate64", "7-zip32.so", "SevenZip", "d64.zip", "",
                    "a -tzip \"{A}\" \"{F}/\" \"{N}\" -mx=5 -mm=Deflate64 -mfb=32 -mpass=1",
                    kZipPeers, OneSource, true},
        CommandCase{"SevenZipZipBZip2", "7-zip32.so", "SevenZip", "b.zip", "",
                    "a -tzip \"{A}\" \"{F}/\" \"{N}\" -mx=5 -mm=BZip2 -mfb=32 -mpass=1", kZipPeers,
                    OneSource, true},
        CommandCase{"SevenZipZipEmptyValues", "7-zip32.so", "SevenZip", "e.zip", "",
                    "a -tzip \"{A}\" \"{F}/\" \"{N}\" -mx=0 -mm=Deflate -mfb= -mpass=", kZipPeers,
                    OneSource, true},
        CommandCase{"CabMszip", "cab32.so", "Cab", "m.cab", "", "-a -mz \"{A}\" \"{F}/\"{N}",
                    kCabPeers, OneSource, false},
        CommandCase{"CabLzx", "cab32.so", "Cab", "l.cab", "", "-a -ml:21 \"{A}\" \"{F}/\"{N}",
                    kCabPeers, OneSource, false},
        CommandCase{"CabStored", "cab32.so", "Cab", "s.cab", "", "-a -ms \"{A}\" \"{F}/\"{N}",
                    kCabPeers, OneSource, false},
        CommandCase{"CabNoMethod", "cab32.so", "Cab", "n.cab", "", "-a  \"{A}\" \"{F}/\"{N}",
                    kCabPeers, OneSource, false},
        CommandCase{"SevenZipDefaults", "7-zip32.so", "SevenZip", "日本語 ファイル.7z", "",
                    "a -t7z \"{A}\" \"{F}/\" \"{N}\"" SEVENZ_SWITCHES, k7zPeers, OneSource, true},
        CommandCase{"SevenZipAllOff", "7-zip32.so", "SevenZip", "o.7z", "",
                    "a -t7z \"{A}\" \"{F}/\" \"{N}\" -mx=0 -ms=off -mf=off -mhc=off -mhcf=off",
                    k7zPeers, OneSource, true},
        CommandCase{"SevenZipLevel9", "7-zip32.so", "SevenZip", "n.7z", "",
                    "a -t7z \"{A}\" \"{F}/\" \"{N}\" -mx=9 -ms=on -mf=off -mhc=on -mhcf=off",
                    k7zPeers, OneSource, true},
        CommandCase{"Tar", "tar32.so", "Tar", "日本語 ファイル.tar", "",
                    "-c --use-directory=0 \"{A}\" \"{F}/\"{N}", kTarPeers, OneSource, true},
        CommandCase{"Gz",
                    "tar32.so",
                    "Tar",
                    "s.gz",
                    "",
                    "-c --use-directory=0 -z6 \"{A}\" \"{F}/\"{N}",
                    {"7zz"},
                    OneSource,
                    true},
        CommandCase{"Bz2",
                    "tar32.so",
                    "Tar",
                    "日本語 ファイル.bz2",
                    "",
                    "-c --use-directory=0 -B9 \"{A}\" \"{F}/\"{N}",
                    {"7zz"},
                    [](const Scene& s) {
                      return Tree{{"日本語 ファイル", s.tree.at("日本語 ファイル.txt")}};
                    },
                    true}),
    [](const auto& info) { return std::string(info.param.label); });

INSTANTIATE_TEST_SUITE_P(
    Batch, Commands,
    ::testing::Values(
        CommandCase{"Zip", "zip32j.so", "Zip", "all.zip", "",
                    "-u -S -D -6 \"{A}\" \"@{P}addlist.tmp\"", kZipPeers, Batch, true},
        CommandCase{"Cab", "cab32.so", "Cab", "all.cab", "",
                    "-a -j -mz \"{A}\" \"@{P}addlist.tmp\"", kCabPeers, Batch, false},
        CommandCase{"SevenZipUnquoted", "7-zip32.so", "SevenZip", "all.7z", "",
                    "a -t7z {A} \"@{P}addlist.tmp\"" SEVENZ_SWITCHES, k7zPeers, Batch, true},
        CommandCase{"SevenZipQuoted", "7-zip32.so", "SevenZip", "all of it.7z", "",
                    "a -t7z \"{A}\" \"@{P}addlist.tmp\"" SEVENZ_SWITCHES, k7zPeers, Batch, true},
        CommandCase{"Tar", "tar32.so", "Tar", "all.tar", "",
                    "-c --use-directory=0 \"{A}\" \"@{P}addlist.tmp\"", kTarPeers, Batch, true},
        CommandCase{"GzOfSeveral", "tar32.so", "Tar", "all.gz", "",
                    "-c --use-directory=0 -z6 \"{A}\" \"@{P}addlist.tmp\"", kTarPeers, Batch, true},
        CommandCase{"Bz2OfSeveral", "tar32.so", "Tar", "all.bz2", "",
                    "-c --use-directory=0 -B9 \"{A}\" \"@{P}addlist.tmp\"", kTarPeers, Batch,
                    true}),
    [](const auto& info) { return std::string(info.param.label); });

// Adding dropped files into an archive the viewer shows: at its root and, staged, into a/b.
INSTANTIATE_TEST_SUITE_P(
    TreeAdd, Commands,
    ::testing::Values(
        CommandCase{"ZipRoot", "zip32j.so", "Zip", "v.zip", "-r -j -6 \"{A}\" \"{S}\"",
                    "-u -S -D \"{A}\" \"{B}/\" \"@{P}addlist2.tmp\"", kZipPeers, OneAdded, true},
        CommandCase{"ZipStaged", "zip32j.so", "Zip", "v.zip", "-r -j -6 \"{A}\" \"{S}\"",
                    "-u -S -D -r \"{A}\" \"{P}ArcFiles/\" *.*", kZipPeers, Staged, true},
        CommandCase{"SevenZipZipRoot", "7-zip32.so", "SevenZip", "v.zip",
                    "a -tzip \"{A}\" \"{F}/\" \"{N}\" -mx=5 -mm=Deflate -mfb=32 -mpass=1",
                    "a -tzip \"{A}\" \"{B}/\" \"@{P}addlist2.tmp\"", kZipPeers, OneAdded, true},
        CommandCase{"SevenZipZipStaged", "7-zip32.so", "SevenZip", "v.zip",
                    "a -tzip \"{A}\" \"{F}/\" \"{N}\" -mx=5 -mm=Deflate -mfb=32 -mpass=1",
                    "a -tzip -r \"{A}\" \"{P}ArcFiles/\" *.* -ms=off", kZipPeers, Staged, true},
        CommandCase{"SevenZipRoot", "7-zip32.so", "SevenZip", "v.7z",
                    "a -t7z \"{A}\" \"{F}/\" \"{N}\"" SEVENZ_SWITCHES,
                    "a -t7z \"{A}\" \"{B}/\" \"@{P}addlist2.tmp\" -ms=off", k7zPeers, OneAdded,
                    true},
        CommandCase{"SevenZipStaged", "7-zip32.so", "SevenZip", "v.7z",
                    "a -t7z \"{A}\" \"{F}/\" \"{N}\"" SEVENZ_SWITCHES,
                    "a -t7z -r \"{A}\" \"{P}ArcFiles/\" *.* -ms=off", k7zPeers, Staged, true}),
    [](const auto& info) { return std::string(info.param.label); });

// The viewer's delete lines.
INSTANTIATE_TEST_SUITE_P(
    Delete, Commands,
    ::testing::Values(CommandCase{"Zip", "zip32j.so", "Zip", "del.zip",
                                  "-u -S -D -6 \"{A}\" \"@{P}addlist.tmp\"",
                                  "-d \"{A}\" \"bin.dat\"", kZipPeers, BatchWithoutBin, true},
                      CommandCase{"SevenZipZip", "7-zip32.so", "SevenZip", "del.zip",
                                  "a -tzip \"{A}\" \"@{P}addlist.tmp\"", "d \"{A}\" \"bin.dat\"",
                                  kZipPeers, BatchWithoutBin, true},
                      CommandCase{"SevenZip7z", "7-zip32.so", "SevenZip", "del.7z",
                                  "a -t7z \"{A}\" \"@{P}addlist.tmp\"" SEVENZ_SWITCHES,
                                  "d \"{A}\" \"bin.dat\"", k7zPeers, BatchWithoutBin, true}),
    [](const auto& info) { return std::string(info.param.label); });

// Updating through the command entry: the same file added twice, -u with an older and a
// newer file, and the 7-Zip route replacing an entry.
TEST(WriterCommands, AddingTwiceAndUpdatingOnlyNewerFiles) {
  Scene scene;
  std::string archive = scene.tmp.file("out/u.zip");
  std::string a = scene.tmp.file("u/a.txt"), b = scene.tmp.file("u/b.txt");
  WriteFile(a, "a1");
  WriteFile(b, "b1");
  auto setTime = [](const std::string& path, time_t when) {
    struct timespec times[2] = {{when, 0}, {when, 0}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
  };
  setTime(a, 1600000000);
  setTime(b, 1600000000);
  std::string add = "-u -S -D -6 \"" + archive + "\" \"" + scene.tmp.file("u") + "/\" a.txt b.txt";
  ASSERT_EQ(CallLibrary("zip32j.so", "Zip", add).code, 0);
  ASSERT_EQ(CallLibrary("zip32j.so", "Zip", add).code, 0);  // twice: still one entry each
  EXPECT_EQ(ListWith("unzip", archive), (std::vector<std::string>{"a.txt", "b.txt"}));
  WriteFile(a, "a2");
  setTime(a, 1500000000);  // older than the entry: kept
  WriteFile(b, "b2");
  setTime(b, 1700000000);  // newer: replaced
  ASSERT_EQ(CallLibrary("zip32j.so", "Zip", add).code, 0);
  ExpectPeersExtract(archive, {"unzip", "7zz"}, {{"a.txt", "a1"}, {"b.txt", "b2"}},
                     scene.tmp.file("x"));
  // Without -u the older file replaces its entry too.
  ASSERT_EQ(CallLibrary("zip32j.so", "Zip",
                        "-S -D \"" + archive + "\" \"" + scene.tmp.file("u") + "/\" a.txt")
                .code,
            0);
  ExpectPeersExtract(archive, {"unzip", "7zz"}, {{"a.txt", "a2"}, {"b.txt", "b2"}},
                     scene.tmp.file("y"));
}

TEST(WriterCommands, HiddenFilesNeedTheHiddenSwitch) {
  Scene scene;
  std::string without = scene.tmp.file("out/without.zip"), with = scene.tmp.file("out/with.zip");
  ASSERT_EQ(CallLibrary("zip32j.so", "Zip", "-r \"" + without + "\" \"" + scene.src + "/\" *").code,
            0);
  ASSERT_EQ(CallLibrary("zip32j.so", "Zip", "-r -S \"" + with + "\" \"" + scene.src + "/\" *").code,
            0);
  auto names = ListWith("unzip", without);
  EXPECT_EQ(std::count(names.begin(), names.end(), ".hidden"), 0);
  names = ListWith("unzip", with);
  EXPECT_EQ(std::count(names.begin(), names.end(), ".hidden"), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), "emptyfolder/"),
            1);  // folder entries without -D
}

// Bad input: a clear code and a report, and the archive that was there stays byte for byte.
struct BadCase {
  const char* label;
  const char* library;
  const char* prefix;
  const char* archive;  // in <tmp>/out, made first from the batch list when `existing`
  bool existing;
  std::function<std::string(Scene&, const std::string& archive)> command;
  int32_t code;
};

class BadInput : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadInput, FailsClearlyAndLosesNothing) {
  const BadCase& c = GetParam();
  Scene scene;
  std::string archive = scene.tmp.file(std::string("out/") + c.archive);
  std::string ext = archive.substr(archive.rfind('.') + 1);
  if (c.existing) {
    std::string make =
        ext == "zip"  ? "-u -S -D -6 \"" + archive + "\" \"@" + scene.app + "addlist.tmp\""
        : ext == "7z" ? "a -t7z \"" + archive + "\" \"@" + scene.app + "addlist.tmp\""
        : ext == "cab"
            ? "-a -j -mz \"" + archive + "\" \"@" + scene.app + "addlist.tmp\""
            : "-c --use-directory=0 \"" + archive + "\" \"@" + scene.app + "addlist.tmp\"";
    const char* library = ext == "zip"   ? "zip32j.so"
                          : ext == "7z"  ? "7-zip32.so"
                          : ext == "cab" ? "cab32.so"
                                         : "tar32.so";
    const char* prefix = ext == "zip"   ? "Zip"
                         : ext == "7z"  ? "SevenZip"
                         : ext == "cab" ? "Cab"
                                        : "Tar";
    ASSERT_EQ(CallLibrary(library, prefix, make).code, 0);
  }
  std::string line = c.command(scene, archive);  // may damage the archive first
  std::string before = ReadFile(archive);
  bool existed = fs::exists(archive);
  Call call = CallLibrary(c.library, c.prefix, line);
  EXPECT_EQ(call.code, c.code) << line << "\n" << call.report;
  EXPECT_FALSE(call.report.empty());
  EXPECT_EQ(fs::exists(archive), existed);
  EXPECT_EQ(ReadFile(archive), before);
  EXPECT_EQ(OtherFiles(scene.tmp.file("out"), {c.archive}), std::vector<std::string>{});
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Each, BadInput,
    ::testing::Values(
        BadCase{"ZipMissingSource", "zip32j.so", "Zip", "m.zip", true,
                [](Scene& s, const std::string& a) {
                  return "-u -S -D " + Quoted(a) + " " + Quoted(s.src + "/gone.txt");
                },
                0x8031},
        BadCase{"SevenZipMissingSource", "7-zip32.so", "SevenZip", "m.7z", true,
                [](Scene& s, const std::string& a) {
                  return "a -t7z " + Quoted(a) + " " + Quoted(s.src + "/") + " gone.txt";
                },
                0x8031},
        BadCase{"CabMissingSource", "cab32.so", "Cab", "m.cab", true,
                [](Scene& s, const std::string& a) {
                  return "-a -mz " + Quoted(a) + " \"" + s.src + "/\"gone.txt";
                },
                0x8031},
        BadCase{"TarMissingSource", "tar32.so", "Tar", "m.tar", true,
                [](Scene& s, const std::string& a) {
                  return "-c --use-directory=0 " + Quoted(a) + " \"" + s.src + "/\"gone.txt";
                },
                0x8031},
        BadCase{"VanishedSourceInTheList", "zip32j.so", "Zip", "v.zip", true,
                [](Scene& s, const std::string& a) {
                  WriteFile(s.app + "bad.tmp",
                            "\"" + s.src + "/readme.txt\"\r\n\"" + s.src + "/vanished.txt\"\r\n");
                  return "-u -S -D " + Quoted(a) + " " + Quoted("@" + s.app + "bad.tmp");
                },
                0x8031},
        // /proc/self/mem opens but cannot be read from its start (root reads everything else).
        BadCase{"UnreadableSourceZip", "zip32j.so", "Zip", "r.zip", true,
                [](Scene&, const std::string& a) {
                  return "-u -S -D " + Quoted(a) + " " + Quoted("/proc/self/mem");
                },
                0x801A},
        BadCase{"UnreadableSource7z", "7-zip32.so", "SevenZip", "r.7z", true,
                [](Scene&, const std::string& a) {
                  return "a -t7z " + Quoted(a) + " \"/proc/self/\" mem";
                },
                0x801A},
        BadCase{"UnreadableSourceTarGz", "tar32.so", "Tar", "r.tgz", false,
                [](Scene&, const std::string& a) {
                  return "-c --use-directory=0 -z6 " + Quoted(a) + " \"/proc/self/\"mem";
                },
                0x801A},
        BadCase{"ResponseFileWithMegabyteLine", "zip32j.so", "Zip", "l.zip", true,
                [](Scene& s, const std::string& a) {
                  WriteFile(s.app + "long.tmp",
                            "\"" + s.src + "/" + std::string(1 << 20, 'x') + "\"\r\n");
                  return "-u -S -D " + Quoted(a) + " " + Quoted("@" + s.app + "long.tmp");
                },
                0x8031},
        BadCase{"ResponseFileWithInvalidUtf8", "7-zip32.so", "SevenZip", "i.7z", true,
                [](Scene& s, const std::string& a) {
                  WriteFile(s.app + "bad8.tmp", "\"" + s.src + "/\xff\xfe\x80name.txt\"\r\n");
                  return "a -t7z " + Quoted(a) + " " + Quoted("@" + s.app + "bad8.tmp");
                },
                0x8031},
        BadCase{"MissingResponseFile", "tar32.so", "Tar", "n.tar", true,
                [](Scene& s, const std::string& a) {
                  return "-c --use-directory=0 " + Quoted(a) + " " +
                         Quoted("@" + s.app + "none.tmp");
                },
                0x802A},
        BadCase{"ArchiveInAMissingFolder", "zip32j.so", "Zip", "f.zip", false,
                [](Scene& s, const std::string&) {
                  return "-r -j -6 " + Quoted(s.tmp.file("out/no/such/f.zip")) + " " +
                         Quoted(s.src + "/readme.txt");
                },
                0x8013},
        BadCase{"ArchiveUnderAFile", "7-zip32.so", "SevenZip", "g.7z", false,
                [](Scene& s, const std::string&) {
                  return "a -t7z " + Quoted(s.src + "/readme.txt/g.7z") + " " +
                         Quoted(s.src + "/") + " bin.dat";
                },
                0x8013},
        BadCase{"CorruptZip", "zip32j.so", "Zip", "c.zip", false,
                [](Scene& s, const std::string& a) {
                  WriteFile(a, "PK\x05\x06 this is no archive");
                  return "-u -S -D " + Quoted(a) + " " + Quoted(s.src + "/readme.txt");
                },
                0x8019},
        BadCase{"Truncated7z", "7-zip32.so", "SevenZip", "c.7z", true,
                [](Scene& s, const std::string& a) {
                  std::string bytes = ReadFile(a);
                  WriteFile(a, bytes.substr(0, bytes.size() / 2));
                  return "a -t7z " + Quoted(a) + " " + Quoted(s.src + "/") + " readme.txt";
                },
                0x8017},
        BadCase{"TruncatedZip", "7-zip32.so", "SevenZip", "t.zip", true,
                [](Scene& s, const std::string& a) {
                  std::string bytes = ReadFile(a);
                  WriteFile(a, bytes.substr(0, bytes.size() - 40));
                  return "a -tzip " + Quoted(a) + " " + Quoted(s.src + "/") + " readme.txt";
                },
                0x8019},
        BadCase{"CorruptCab", "cab32.so", "Cab", "c.cab", false,
                [](Scene& s, const std::string& a) {
                  WriteFile(a, "MSCF and then nothing");
                  return "-a -mz " + Quoted(a) + " \"" + s.src + "/\"readme.txt";
                },
                0x8019},
        BadCase{"DeleteFromACorruptZip", "zip32j.so", "Zip", "d.zip", false,
                [](Scene&, const std::string& a) {
                  WriteFile(a, "not a zip");
                  return "-d " + Quoted(a) + " " + Quoted("readme.txt");
                },
                0x8019},
        BadCase{"DeleteWhatIsNotThere", "7-zip32.so", "SevenZip", "e.7z", true,
                [](Scene&, const std::string& a) {
                  return "d " + Quoted(a) + " " + Quoted("nothing.txt");
                },
                0x8031},
        BadCase{"SwitchThatWouldChangeTheArchive", "zip32j.so", "Zip", "s.zip", true,
                [](Scene& s, const std::string& a) {
                  return "-m " + Quoted(a) + " " + Quoted(s.src + "/readme.txt");
                },
                0x801C},
        BadCase{"MethodNotServed", "7-zip32.so", "SevenZip", "p.zip", false,
                [](Scene& s, const std::string& a) {
                  return "a -tzip " + Quoted(a) + " " + Quoted(s.src + "/") +
                         " readme.txt -mm=PPMd";
                },
                0x8009}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace qvr::test
