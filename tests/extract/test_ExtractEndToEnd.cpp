// The extraction run over the shared fixtures with our real archiver libraries: each
// archive extracts to exactly its manifest, a folder per archive is made only for archives
// with several roots, only archives that extracted are deleted, and bad input neither stops
// the run nor writes outside the destination.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "AppFolder.h"
#include "ArchiverDLLStatus.h"
#include "ArchiverDLL_Inspect.h"
#include "BatchRun.h"
#include "DDModeProgram.h"
#include "ExtractArchives.h"
#include "ExtractCommand.h"
#include "FakeMainWindow.h"
#include "FileList.h"
#include "FixtureManifest.h"
#include "PathHelpers.h"
#include "PreScan.h"
#include "RawNameZip.h"
#include "RunPasswords.h"
#include "RunProgress.h"
#include "RunReport.h"
#include "Settings.h"
#include "TempDir.h"
#include "TestArchives.h"
#include "qvr/VolumeNames.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

struct NoSound : SoundPlayer {
  void Play(const std::string&) override {}
};

// True when the archive's contents lie in more than one root (file or folder).
bool SeveralRoots(const Fixture& f) {
  std::set<std::string> roots;
  for (const ExpectedFile& e : f.expected) roots.insert(e.path.substr(0, e.path.find('/')));
  for (const std::string& d : f.expectedDirs) roots.insert(d.substr(0, d.find('/')));
  return roots.size() > 1;
}

// A library of ours reads it and the program's run sends it there: the format table knows
// its extension and, for a self-extracting file, the extraction has a row for its format
// (there is none for ARJ).
bool Served(const Fixture& f) {
  if (RouteFor(f).file.empty() || FormatOfExtension(f.file).empty()) return false;
  std::string format = f.format;
  for (char& c : format) c = char(std::toupper(static_cast<unsigned char>(c)));
  return !f.exe ||
         BuildSelfExtractCommand(format, {}, f.file, "").route != ExtractRoute::Unsupported;
}

bool ExtractsCleanly(const Fixture& f) {
  return Served(f) && !f.expectError && f.password.empty() && !f.hostile;
}

// The files below root are exactly the manifest's.
void ExpectManifest(const Fixture& f, const std::string& root) {
  Tree tree = ReadTree(root);
  std::map<std::string, ExpectedFile> expected;
  for (const ExpectedFile& e : f.expected) expected[e.path] = e;
  ASSERT_EQ(tree.files.size(), expected.size()) << f.file << " in " << root;
  for (const auto& [path, got] : tree.files) {
    auto it = expected.find(path);
    ASSERT_NE(it, expected.end()) << f.file << ": unexpected " << path;
    EXPECT_EQ(got.size, it->second.size) << f.file << ": " << path;
    EXPECT_EQ(got.sha256, it->second.sha256) << f.file << ": " << path;
  }
}

class ExtractEndToEndTest : public ::testing::Test {
 protected:
  ExtractEndToEndTest() {
    fs::create_directories(temp.file("app"));
    // The libraries beside the test stay loaded from one test to the next, as in the program.
    SetAppFolder(temp.file("app"));
    LoadArchiverDLLStatus(status, window);
    // Settings under which a clean run shows no box.
    Ini("GENERAL", "EndNotice", "1");
    Ini("GENERAL", "OpenFolder", "0");
    Ini("GENERAL", "UseSound", "0");
    Ini("DDMODE", "OverWrite", "0");
    Ini("EXTRACT_DDMODE", "FileNameFolder", "0");
    manifest = LoadManifest();
  }
  ~ExtractEndToEndTest() override { SetFreeSpaceProbe(nullptr); }

  void Ini(const std::string& section, const std::string& key, const std::string& value) {
    WriteIniString(kQvrArcIni, section, key, value);
  }
  RunEnd Start(const std::string& mode = kModeDDMode) {
    BatchRun run{ExtractRun{window, status, mode, false}, 0, &mail, &sound, {}, {}};
    return StartExtract(run);
  }
  // A writable copy of the fixture (every volume of a set) in a folder of its own.
  std::string Copy(const Fixture& f, const std::string& folder) {
    fs::create_directories(folder);
    for (const std::string& v : f.volumes) fs::copy_file(FixturePath(v), folder + "/" + v);
    std::string path = folder + "/" + f.file;
    if (!fs::exists(path)) fs::copy_file(FixturePath(f.file), path);
    return path;
  }
  // Where the manifest's files land below the output folder.
  static std::string RootOf(const Fixture& f, const std::string& outputFolder) {
    return SeveralRoots(f) ? outputFolder + "/" + ArchiveFolderName(f.file) : outputFolder;
  }

  TempDir temp;
  LibraryStatus status;
  FakeMainWindow window;
  MailNotice mail;
  NoSound sound;
  std::vector<Fixture> manifest;
};

// Drag and drop with ExtractMode 1: every archive into its own folder, in one run; the
// successful ones are deleted, the others stay.
TEST_F(ExtractEndToEndTest, OwnFolderRunOverEveryFixtureDeletesOnlyTheSuccessfulOnes) {
  Ini("DDMODE", "ExtractMode", "1");
  Ini("EXTRACT_DDMODE", "DeleteArchive", "1");
  std::vector<std::string> folders;
  for (size_t i = 0; i < manifest.size(); ++i) {
    folders.push_back(temp.file("in/" + std::to_string(i)));
    window.listAdd(Copy(manifest[i], folders.back()));
  }
  EXPECT_EQ(Start(), RunEnd::EndProgram);
  EXPECT_TRUE(window.list.empty());

  for (size_t i = 0; i < manifest.size(); ++i) {
    const Fixture& f = manifest[i];
    std::string archive = folders[i] + "/" + f.file;
    SCOPED_TRACE(f.file);
    if (ExtractsCleanly(f)) {
      EXPECT_FALSE(fs::exists(archive));
      ExpectManifest(f, RootOf(f, folders[i]));
      if (SeveralRoots(f)) {
        // Nothing but the archive's own folder beside it: every volume went with the set.
        EXPECT_EQ(std::distance(fs::directory_iterator(folders[i]), fs::directory_iterator()), 1);
      }
    } else if (f.hostile) {
      for (const std::string& m : f.mustNotExist) {
        fs::path p = m[0] == '/' ? fs::path(m) : fs::path(RootOf(f, folders[i])) / m;
        EXPECT_FALSE(fs::exists(fs::symlink_status(p))) << p;
      }
    } else {
      // Broken, encrypted without an owner window to ask, or no library of ours.
      EXPECT_TRUE(fs::exists(archive));
      for (const auto& [path, got] : ReadTree(folders[i]).files) {
        bool partial = std::any_of(f.partial.begin(), f.partial.end(), [&](const ExpectedFile& e) {
          return path.size() >= e.path.size() &&
                 path.compare(path.size() - e.path.size(), e.path.size(), e.path) == 0;
        });
        EXPECT_TRUE(path == f.file || partial) << path;
      }
    }
  }
  // Nothing was written beside the per-archive folders.
  for (const auto& entry : fs::directory_iterator(temp.file("in")))
    EXPECT_TRUE(entry.is_directory()) << entry.path();
}

// Drag and drop with ExtractMode 2: the chosen folder, one archive per run; archives are
// read in place and kept.
TEST_F(ExtractEndToEndTest, TargetFolderRunsExtractEachFixtureToItsManifest) {
  Ini("DDMODE", "ExtractMode", "2");
  int runs = 0;
  for (size_t i = 0; i < manifest.size(); ++i) {
    const Fixture& f = manifest[i];
    if (!ExtractsCleanly(f)) continue;
    SCOPED_TRACE(f.file);
    std::string target = temp.file("out/" + std::to_string(i));
    Ini("DDMODE", "TargetPath", target);
    window = FakeMainWindow();
    window.listAdd(FixturePath(f.file));
    EXPECT_EQ(Start(), RunEnd::EndProgram);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(window.panels[1], "1個のファイルを解凍完了！");
    ExpectManifest(f, RootOf(f, target));
    EXPECT_EQ(fs::is_directory(target + "/" + ArchiveFolderName(f.file)), SeveralRoots(f));
    ++runs;
  }
  EXPECT_GT(runs, 25);
  EXPECT_FALSE(fs::exists(temp.file("app/Log.txt")) &&
               ReadFile(temp.file("app/Log.txt")).find("!") != std::string::npos);
}

const Fixture& Named(const std::vector<Fixture>& manifest, const std::string& file) {
  for (const Fixture& f : manifest)
    if (f.file == file) return f;
  throw std::runtime_error("no fixture " + file);
}

// Bad input with the pre-scan off and silent skipping: the loop goes on, and only the one
// archive that extracted is deleted.
TEST_F(ExtractEndToEndTest, BadInputNeverStopsTheLoopNorLosesAnArchive) {
  Ini("GENERAL", "PreScan", "1");
  Ini("GENERAL", "ErrorSkip", "1");
  Ini("DDMODE", "ExtractMode", "2");
  Ini("DDMODE", "TargetPath", temp.file("out"));
  Ini("EXTRACT_DDMODE", "DeleteArchive", "1");
  Ini("EXTRACT_DDMODE", "FileNameFolder", "1");
  std::string in = temp.file("in");
  fs::create_directories(in);
  std::vector<std::string> bad = {in + "/empty.zip", in + "/cut.lzh", in + "/sevenzip.zip",
                                  in + "/zip_named.lzh", in + "/text.tar.gz"};
  WriteFile(bad[0], "");
  std::string lzh = ReadFile(FixturePath("lzh_lh5.lzh"));
  WriteFile(bad[1], lzh.substr(0, lzh.size() / 2));
  fs::copy_file(FixturePath("7z_lzma2.7z"), bad[2]);
  fs::copy_file(FixturePath("zip_deflate.zip"), bad[3]);
  WriteFile(bad[4], "just text\n");
  std::string good = Copy(Named(manifest, "two_root_files.zip"), in);
  for (const std::string& path : bad) window.listAdd(path);
  window.listAdd(good);

  EXPECT_EQ(Start(), RunEnd::EndProgram);
  for (const std::string& path : bad) EXPECT_TRUE(fs::exists(path)) << path;
  EXPECT_FALSE(fs::exists(good));
  ExpectManifest(Named(manifest, "two_root_files.zip"), temp.file("out/two_root_files"));
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(window.panels[1],
            "1個のファイルを解凍完了！（5個失敗） 1個の書庫をごみ箱へ移動しました");
  // The folders made for the archives that failed and gave nothing went again; the cut
  // archive's whole first files stay.
  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(temp.file("out")))
    left.insert(entry.path().filename().string());
  EXPECT_EQ(left, (std::set<std::string>{"two_root_files", "cut"}));
  EXPECT_FALSE(ReadTree(temp.file("out/cut")).files.empty());
}

// An archive whose library left entries out for safety (here a link pointing out of the
// destination) returns 0, yet not all of it lies in the destination: it is kept.
TEST_F(ExtractEndToEndTest, ArchiveWithEntriesLeftOutIsNotDeleted) {
  Ini("DDMODE", "ExtractMode", "2");
  Ini("DDMODE", "TargetPath", temp.file("out"));
  Ini("EXTRACT_DDMODE", "DeleteArchive", "1");
  Ini("EXTRACT_DDMODE", "FileNameFolder", "1");
  std::string hostile = Copy(Named(manifest, "evil_symlink.tar"), temp.file("in"));
  std::string good = Copy(Named(manifest, "zip_deflate.zip"), temp.file("in"));
  window.listAdd(hostile);
  window.listAdd(good);
  EXPECT_EQ(Start(), RunEnd::EndProgram);
  EXPECT_TRUE(fs::exists(hostile));
  EXPECT_FALSE(fs::exists(good));
  EXPECT_TRUE(fs::exists(temp.file("out/evil_symlink/ok.txt")));
  EXPECT_FALSE(fs::is_symlink(fs::symlink_status(temp.file("out/evil_symlink/link"))));
}

// A destination that is a file: every extraction fails, the run goes through the whole
// list, and nothing is deleted.
TEST_F(ExtractEndToEndTest, DestinationThatIsAFileExtractsAndDeletesNothing) {
  std::string target = temp.file("a file");
  WriteFile(target, "not a folder");
  Ini("DDMODE", "ExtractMode", "2");
  Ini("DDMODE", "TargetPath", target);
  Ini("EXTRACT_DDMODE", "DeleteArchive", "1");
  std::string a = Copy(Named(manifest, "zip_deflate.zip"), temp.file("in"));
  std::string b = Copy(Named(manifest, "tar_plain.tar"), temp.file("in"));
  window.listAdd(a);
  window.listAdd(b);
  EXPECT_EQ(Start(), RunEnd::EndProgram);
  EXPECT_TRUE(fs::exists(a));
  EXPECT_TRUE(fs::exists(b));
  EXPECT_EQ(ReadFile(target), "not a folder");
  EXPECT_EQ(window.panels[1], "0個のファイルを解凍完了！（2個失敗）");
}

// ---- Encrypted archives made by outside tools -------------------------------------------

// Runs a shell command line in the folder; its exit status.
int Shell(const std::string& folder, const std::string& line) {
  return std::system(("cd '" + folder + "' && " + line + " >/dev/null 2>&1").c_str());
}

class ExtractPasswordsTest : public ExtractEndToEndTest {
 protected:
  ExtractPasswordsTest() {
    WriteFile(temp.file("src/a.txt"), "first file\n");
    WriteFile(temp.file("src/sub/b.bin"), std::string(70000, '\x5a') + "end");
    WriteFile(temp.file("src/日本語.txt"), "名前\n");
    fs::create_directories(temp.file("in"));
    Ini("DDMODE", "ExtractMode", "2");
    Ini("DDMODE", "TargetPath", temp.file("out"));
    Ini("EXTRACT_DDMODE", "FileNameFolder", "1");
  }
  // The archive made in "in" by the tool's command line (run in "src", "{A}" the archive).
  std::string Make(const std::string& name, std::string line) {
    std::string archive = temp.file("in/" + name);
    line.replace(line.find("{A}"), 3, "'" + archive + "'");
    EXPECT_EQ(Shell(temp.file("src"), line), 0) << line;
    window.listAdd(archive);
    return archive;
  }
  // What 7-Zip extracts of the archive with the password.
  Tree Reference(const std::string& archive, const std::string& password) {
    std::string dest = temp.file("ref/" + FileNameOf(archive));
    EXPECT_EQ(Shell(temp.path(), "7zz x -y -p" + password + " -o'" + dest + "' '" + archive + "'"),
              0);
    return ReadTree(dest);
  }
  void ExpectLike7Zip(const std::string& archive, const std::string& password) {
    Tree got = ReadTree(temp.file("out/" + ArchiveFolderName(archive)));
    Tree want = Reference(archive, password);
    ASSERT_EQ(got.files.size(), want.files.size()) << archive;
    for (const auto& [path, file] : want.files) {
      ASSERT_TRUE(got.files.count(path)) << archive << ": " << path;
      EXPECT_EQ(got.files[path].sha256, file.sha256) << archive << ": " << path;
    }
  }
  // The password went nowhere on disk.
  void ExpectNoPasswordOnDisk(const std::string& password) {
    for (const char* file : {"QvrArc.ini", "Log.txt", "DllStatus.ini", "addlist.tmp"}) {
      std::string path = temp.file(std::string("app/") + file);
      if (fs::exists(path)) {
        EXPECT_EQ(ReadFile(path).find(password), std::string::npos) << file;
      }
    }
  }
};

// Five archives of every encryption sharing one password: one question for the whole run,
// and every archive extracts byte for byte as 7-Zip extracts it.
TEST_F(ExtractPasswordsTest, ABatchSharingOnePasswordIsAskedOnce) {
  std::vector<std::pair<std::string, std::string>> made = {
      {"zipcrypto.zip", "zip -q -r -P secret {A} ."},
      {"zipcrypto2.zip", "zip -q -r -P secret {A} a.txt sub"},
      {"aes.zip", "7zz a -tzip -mem=AES256 -psecret {A} ."},
      {"data.7z", "7zz a -psecret {A} ."},
      {"names.7z", "7zz a -psecret -mhe=on {A} ."},
  };
  std::vector<std::string> archives;
  for (const auto& [name, line] : made) archives.push_back(Make(name, line));
  window.passwordAnswers = {std::string("secret")};
  EXPECT_EQ(Start(), RunEnd::EndProgram);
  ASSERT_EQ(window.passwordPrompts.size(), 1u);
  // The question names the archive it is for (the one with encrypted names is asked first,
  // by the pre-scan that sums its sizes).
  EXPECT_EQ(window.passwordPrompts[0], PasswordPrompt(archives[4], false));
  for (const std::string& archive : archives) ExpectLike7Zip(archive, "secret");
  EXPECT_EQ(window.panels[1], "5個のファイルを解凍完了！");
  ExpectNoPasswordOnDisk("secret");
}

// An archive of another password is asked again after the run's password failed on it; a
// wrong answer is asked again saying so, Cancel skips the archive and leaves no folder of
// it, and the run goes on; a right second answer extracts.
TEST_F(ExtractPasswordsTest, AnotherPasswordIsAskedWrongOnesAgainAndCancelSkips) {
  std::string first = Make("first.zip", "zip -q -r -P secret {A} .");
  std::string other = Make("other.zip", "7zz a -tzip -mem=AES256 -pelsewhere {A} .");
  std::string right = Make("right.zip", "7zz a -tzip -mem=AES256 -pthird {A} .");
  std::string last = Make("last.7z", "7zz a -psecret {A} .");
  fs::create_directories(temp.file("out/keep"));
  Ini("GENERAL", "Threads", "1");  // the scripted answers follow the list's order
  window.passwordAnswers = {std::string("secret"), std::string("wrong"), std::nullopt,
                            std::string("nope"), std::string("third")};
  EXPECT_EQ(Start(), RunEnd::EndProgram);
  EXPECT_EQ(window.passwordPrompts,
            (std::vector<std::string>{PasswordPrompt(first, false), PasswordPrompt(other, false),
                                      PasswordPrompt(other, true), PasswordPrompt(right, false),
                                      PasswordPrompt(right, true)}));
  EXPECT_EQ(window.passwordPrompts[2].find("パスワードが違います。"), 0u);
  ExpectLike7Zip(first, "secret");
  ExpectLike7Zip(right, "third");
  ExpectLike7Zip(last, "secret");                    // the run's passwords, tried without asking
  EXPECT_FALSE(fs::exists(temp.file("out/other")));  // cancelled: no empty folder left
  EXPECT_TRUE(fs::is_directory(temp.file("out/keep")));
  EXPECT_TRUE(fs::exists(other));
  EXPECT_EQ(window.panels[1], "3個のファイルを解凍完了！（1個失敗）");
  for (const char* password : {"secret", "third", "wrong", "nope"})
    ExpectNoPasswordOnDisk(password);
}

// The extraction options' code page reaches every extraction: a Russian archive without the
// UTF-8 flag extracts under its names; a UTF-8 archive beside it is not touched by it.
using ExtractNamesTest = ExtractPasswordsTest;
TEST_F(ExtractNamesTest, TheOptionsCodePageNamesTheFiles) {
  Ini("EXTRACT_NORMAL", "NameCodePage", "CP866");
  const std::string russian = temp.file("in/russian.zip");
  ASSERT_TRUE(MakeRawNameZip(russian, "cp866",
                             {{"Папка/Отчёт за год.txt", "отчёт\n"}, {"Ёлка.txt", "ёлка\n"}}));
  window.listAdd(russian);
  std::string utf8 = Make("utf8.zip", "zip -q -r {A} .");
  EXPECT_EQ(Start(), RunEnd::EndProgram);
  EXPECT_EQ(ReadFile(temp.file("out/russian/Папка/Отчёт за год.txt")), "отчёт\n");
  EXPECT_EQ(ReadFile(temp.file("out/russian/Ёлка.txt")), "ёлка\n");
  EXPECT_EQ(ReadFile(temp.file("out/utf8/日本語.txt")), "名前\n");
  EXPECT_EQ(window.panels[1], "2個のファイルを解凍完了！");
}

// Volume sets made by the usual tools: 7-Zip's volumes, Info-ZIP's split archive, a plain
// split of a tar.gz and the ARJ volumes fixture, all parts dropped together in any order.
class VolumeSetTest : public ExtractPasswordsTest {
 protected:
  VolumeSetTest() {
    std::string big;
    uint32_t x = 7;
    for (int i = 0; i < 2600000; ++i) big += char((x = x * 1103515245 + 12345) >> 24);
    WriteFile(temp.file("src/big.bin"), big);
    Ini("EXTRACT_DDMODE", "DeleteArchive", "1");
    window.list.clear();
    EXPECT_EQ(Shell(temp.file("src"), "7zz a -bd -v1m -mx=0 ../in/seven.7z . > /dev/null"), 0);
    EXPECT_EQ(Shell(temp.file("src"), "zip -q -r -0 -s 1m ../in/split.zip ."), 0);
    EXPECT_EQ(Shell(temp.file("src"),
                    "tar czf ../plain.tar.gz . && split -b 1000000 -d -a 3 "
                    "--numeric-suffixes=1 ../plain.tar.gz ../in/plain.tar.gz."),
              0);
    // A split of a ZIP with nothing but the part's number in its name.
    EXPECT_EQ(Shell(temp.file("src"),
                    "zip -q -r -0 ../whole.zip . && split -b 1000000 -d -a 3 "
                    "--numeric-suffixes=1 ../whole.zip ../in/bare."),
              0);
    for (const char* part : {"arj_volumes.arj", "arj_volumes.a01", "arj_volumes.a02",
                             "arj_volumes.a03", "arj_volumes.a04", "arj_volumes.a05"})
      fs::copy_file(std::string(QVR_TEST_DATA_DIR) + "/" + part,
                    temp.file(std::string("in/") + part));
  }
  // Every file of "in", the newest name first (the order a file manager may hand them over).
  std::vector<std::string> Dropped() {
    std::vector<std::string> paths;
    for (const auto& e : fs::directory_iterator(temp.file("in")))
      paths.push_back(e.path().string());
    std::sort(paths.rbegin(), paths.rend());
    return paths;
  }
  const std::vector<std::string> kHeads = {"arj_volumes.arj", "bare.001", "plain.tar.gz.001",
                                           "seven.7z.001", "split.zip"};
  std::vector<std::string> ListedNames() {
    std::vector<std::string> names;
    for (const std::string& entry : window.list) names.push_back(FileNameOf(entry));
    std::sort(names.begin(), names.end());
    return names;
  }
  void ExpectLikeTheSource(const std::string& folder) {
    Tree got = ReadTree(folder);
    Tree want = ReadTree(temp.file("src"));
    ASSERT_EQ(got.files.size(), want.files.size()) << folder;
    for (const auto& [path, file] : want.files)
      EXPECT_EQ(got.files[path].sha256, file.sha256) << folder << ": " << path;
  }
};

TEST_F(VolumeSetTest, EachSetIsOneEntryExtractedOnceAndDeletedWhole) {
  // The Trash of a home of the test's own (an existing one: else the file system's).
  fs::create_directories(temp.file("home"));
  setenv("HOME", temp.file("home").c_str(), 1);
  unsetenv("XDG_DATA_HOME");
  std::map<std::string, std::string> sources;
  for (const auto& e : fs::directory_iterator(temp.file("in")))
    sources[e.path().filename().string()] = ReadFile(e.path().string());
  AddDroppedFiles(window, Dropped());
  EXPECT_EQ(ListedNames(), kHeads);
  EXPECT_EQ(VolumeParts(temp.file("in/seven.7z.001")).size(), 3u);
  EXPECT_EQ(Start(), RunEnd::EndProgram);
  EXPECT_EQ(window.panels[1], "5個のファイルを解凍完了！ 5個の書庫をごみ箱へ移動しました");
  ExpectLikeTheSource(temp.file("out/bare"));
  ExpectLikeTheSource(temp.file("out/seven"));
  ExpectLikeTheSource(temp.file("out/split"));
  ExpectLikeTheSource(temp.file("out/plain"));
  EXPECT_TRUE(fs::is_directory(temp.file("out/arj_volumes")));
  // Every part of every set went to the Trash after its clean extraction, each with the
  // record of where it came from, byte for byte.
  EXPECT_TRUE(fs::is_empty(temp.file("in")));
  const std::string trash = temp.file("home/.local/share/Trash/");
  size_t parts = 0;
  for (const auto& e : fs::directory_iterator(trash + "files")) {
    const std::string name = e.path().filename().string();
    ++parts;
    EXPECT_EQ(ReadFile(e.path().string()), sources.at(name)) << name;
    const std::string info = ReadFile(trash + "info/" + name + ".trashinfo");
    EXPECT_NE(info.find("Path=" + temp.file("in/" + name)), std::string::npos) << info;
    EXPECT_NE(info.find("DeletionDate="), std::string::npos) << info;
  }
  EXPECT_EQ(parts, sources.size());
}

// A part missing or cut short: the pre-scan names it in Log.txt and the report, nothing of
// that set is extracted or deleted, the other sets go on.
TEST_F(VolumeSetTest, AMissingOrShortPartIsNamedBeforeAnythingIsExtracted) {
  fs::remove(temp.file("in/seven.7z.003"));  // the last part: only the 7Z's length tells
  fs::remove(temp.file("in/plain.tar.gz.002"));
  fs::resize_file(temp.file("in/split.z01"), 1000);
  const std::vector<std::string> kept = {"seven.7z.001",     "seven.7z.002", "plain.tar.gz.001",
                                         "plain.tar.gz.003", "split.z01",    "split.z02",
                                         "split.zip"};
  AddDroppedFiles(window, Dropped());
  EXPECT_EQ(ListedNames(), kHeads);
  EXPECT_EQ(Start(), RunEnd::EndProgram);
  // Log.txt: the pre-scan's lines, and the report's rows with the reasons.
  const std::string log = ReadFile(temp.file("app/Log.txt"));
  for (const std::string& line : std::vector<std::string>{
           "seven.7z.003 is not Exist!!", "plain.tar.gz.002 is not Exist!!",
           "split.z01 is too short!!", "seven.7z.001\t失敗\t「seven.7z.003」がありません",
           "plain.tar.gz.001\t失敗\t「plain.tar.gz.002」がありません",
           "split.zip\t失敗\t「split.z01」が途中で切れています"})
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
  for (const char* folder : {"out/seven", "out/plain", "out/split"})
    EXPECT_FALSE(fs::exists(temp.file(folder))) << folder;
  for (const std::string& part : kept) EXPECT_TRUE(fs::exists(temp.file("in/" + part))) << part;
  EXPECT_TRUE(fs::is_directory(temp.file("out/arj_volumes")));  // the whole set went on
}

// A folder the run made for an archive that failed goes again; one that was there before
// stays, even empty.
TEST_F(ExtractPasswordsTest, AFailedArchiveLeavesNoFolderOfItsOwn) {
  std::string locked = Make("locked.7z", "7zz a -psecret -mhe=on {A} .");
  WriteFile(temp.file("in/broken.zip"), ReadFile(FixturePath("zip_deflate.zip")).substr(0, 60));
  window.listAdd(temp.file("in/broken.zip"));
  fs::create_directories(temp.file("out/locked"));
  Ini("GENERAL", "PreScan", "1");
  EXPECT_EQ(Start(), RunEnd::EndProgram);  // no answer: the question is cancelled
  EXPECT_EQ(window.passwordPrompts.size(), 1u);
  EXPECT_FALSE(fs::exists(temp.file("out/broken")));
  EXPECT_TRUE(fs::is_directory(temp.file("out/locked")));  // it was there before
  EXPECT_EQ(window.panels[1], "0個のファイルを解凍完了！（2個失敗）");
}

// A full file system: the pre-scan stops the run before anything is written.
// Reads the shown progress on a thread of its own, as the window's timer does, and can
// stop the run when a reading meets a condition.
class ProgressWatch {
 public:
  explicit ProgressWatch(FakeMainWindow& window) {
    window.onShowProgress = [this](RunProgress* progress) {
      if (progress) {
        Stop();
        watched_ = progress;
        going_ = true;
        thread_ = std::thread([this, progress] { Watch(*progress); });
      } else if (watched_) {
        Stop();
        readings.push_back(watched_->Read());  // what the bar shows as the run ends
      }
    };
  }
  ~ProgressWatch() { Stop(); }
  std::function<bool(const RunProgress::View&)> cancelWhen;
  std::vector<RunProgress::View> readings;

 private:
  void Watch(RunProgress& progress) {
    while (going_) {
      RunProgress::View view = progress.Read();
      if (readings.empty() || view.permille != readings.back().permille ||
          view.entry != readings.back().entry)
        readings.push_back(view);
      if (cancelWhen && cancelWhen(view)) progress.Cancel();
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  }
  void Stop() {
    going_ = false;
    if (thread_.joinable()) thread_.join();
  }
  std::atomic<bool> going_{false};
  RunProgress* watched_ = nullptr;
  std::thread thread_;
};

class ExtractProgressTest : public ExtractEndToEndTest {
 protected:
  ExtractProgressTest() {
    fs::create_directories(temp.file("src"));
    fs::create_directories(temp.file("in"));
    Ini("DDMODE", "ExtractMode", "2");
    Ini("DDMODE", "TargetPath", temp.file("out"));
    Ini("EXTRACT_DDMODE", "FileNameFolder", "1");
    // The bar's readings are those of one archive after the other.
    Ini("GENERAL", "Threads", "1");
  }
  // A ZIP in "in" made by Python's zipfile: a small file, then `mib` MiB of zeros streamed
  // as "big.bin" (Deflate), written without a file of that size on disk.
  std::string BigZip(const std::string& name, int mib) {
    std::string archive = temp.file("in/" + name);
    std::string script =
        "import zipfile,sys\n"
        "with zipfile.ZipFile(sys.argv[1],'w',zipfile.ZIP_DEFLATED,compresslevel=1) as z:\n"
        "  z.writestr('a.txt','first\\n')\n"
        "  with z.open('big.bin','w',force_zip64=True) as f:\n"
        "    chunk=bytes(1<<20)\n"
        "    for _ in range(int(sys.argv[2])): f.write(chunk)\n";
    WriteFile(temp.file("make.py"), script);
    EXPECT_EQ(Shell(temp.path(), "python3 make.py '" + archive + "' " + std::to_string(mib)), 0);
    return archive;
  }
  std::string SmallZip(const std::string& name) {
    WriteFile(temp.file("src/" + name + ".txt"), "content of " + name + "\n");
    std::string archive = temp.file("in/" + name + ".zip");
    EXPECT_EQ(Shell(temp.file("src"), "zip -q '" + archive + "' '" + name + ".txt'"), 0);
    return archive;
  }
  RunStatus StartWithStatus() {
    BatchRun run{ExtractRun{window, status, kModeDDMode, false}, 0, &mail, &sound, {}, {}};
    RunStatus outcome = RunStatus::AllDone;
    StartExtract(run, &outcome);
    return outcome;
  }
  // Every name below the folder (files, folders, leftovers of an unfinished write).
  std::set<std::string> NamesBelow(const std::string& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; ++it)
      names.insert(fs::relative(it->path(), folder).string());
    return names;
  }
};

// Over a batch of three formats the bar only goes forward, names the big entry while it is
// in hand, and reaches its end once: as the last archive finishes.
TEST_F(ExtractProgressTest, TheBarOnlyGoesForwardAndReachesTheEndOnce) {
  std::string zip = BigZip("big.zip", 48);
  window.listAdd(zip);
  WriteFile(temp.file("src/noise.bin"), std::string(3 << 20, 'x'));
  std::string tgz = temp.file("in/t.tar.gz");
  ASSERT_EQ(Shell(temp.file("src"), "tar czf '" + tgz + "' noise.bin"), 0);
  window.listAdd(tgz);
  window.listAdd(SmallZip("last"));
  ProgressWatch watch(window);
  EXPECT_EQ(StartWithStatus(), RunStatus::AllDone);

  ASSERT_GE(watch.readings.size(), 3u);
  int ends = 0;
  bool sawBig = false;
  for (size_t i = 0; i < watch.readings.size(); ++i) {
    const RunProgress::View& v = watch.readings[i];
    if (i > 0) {
      EXPECT_GE(v.permille, watch.readings[i - 1].permille) << i;
    }
    if (v.permille == 1000 && (i == 0 || watch.readings[i - 1].permille < 1000)) ++ends;
    if (v.permille == 1000) {
      EXPECT_EQ(FileNameOf(v.item), "last.zip");
    }
    sawBig = sawBig || (v.entry == "big.bin" && v.permille > 0 && v.permille < 1000);
  }
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(watch.readings.back().permille, 1000);
  EXPECT_TRUE(sawBig);
  EXPECT_EQ(fs::file_size(temp.file("out/big/big.bin")), uint64_t(48) << 20);
}

// A stop inside a large entry: the entry being written is gone (no partial file, no
// leftover), the entry before it stays, nothing after it is touched, the list keeps the
// archive in hand and the one after it, and the run reports itself stopped.
TEST_F(ExtractProgressTest, ACancelInsideALargeEntryKeepsWhatWasDoneAndTheRestOfTheList) {
  std::string first = SmallZip("first");
  std::string big = BigZip("big.zip", 512);
  std::string last = SmallZip("last");
  for (const std::string& path : {first, big, last}) window.listAdd(path);
  ProgressWatch watch(window);
  watch.cancelWhen = [](const RunProgress::View& v) { return v.entry == "big.bin"; };
  EXPECT_EQ(StartWithStatus(), RunStatus::Stopped);

  EXPECT_EQ(ReadFile(temp.file("out/first/first.txt")), "content of first\n");
  EXPECT_EQ(NamesBelow(temp.file("out/big")), std::set<std::string>{"a.txt"});
  EXPECT_FALSE(fs::exists(temp.file("out/last")));
  EXPECT_EQ(window.list, (std::vector<std::string>{big, last}));
  EXPECT_EQ(window.panels[1], "中止しました。（1個のファイルを解凍済み）");
  EXPECT_TRUE(fs::exists(big));
  EXPECT_LT(watch.readings.back().permille, 1000);
}

// Several archives at once: the small ones finish beside the big one and leave the list; the
// stop ends the big one inside its entry, and it stays in the list.
TEST_F(ExtractProgressTest, ACancelWithArchivesAtOnceKeepsOnlyWhatDidNotFinish) {
  Ini("GENERAL", "Threads", "2");
  std::string big = BigZip("big.zip", 512);
  std::vector<std::string> small = {SmallZip("s1"), SmallZip("s2"), SmallZip("s3")};
  window.listAdd(big);
  for (const std::string& path : small) window.listAdd(path);
  ProgressWatch watch(window);
  const std::string lastSmall = temp.file("out/s3/s3.txt");
  watch.cancelWhen = [&](const RunProgress::View& v) {
    return FileNameOf(v.item) == "big.zip" && v.entry == "big.bin" && fs::exists(lastSmall);
  };
  EXPECT_EQ(StartWithStatus(), RunStatus::Stopped);
  EXPECT_EQ(NamesBelow(temp.file("out/big")), std::set<std::string>{"a.txt"});
  EXPECT_EQ(ReadFile(lastSmall), "content of s3\n");
  EXPECT_EQ(window.list, std::vector<std::string>{big});
  EXPECT_EQ(window.panels[1], "中止しました。（3個のファイルを解凍済み）");
  EXPECT_LT(watch.readings.back().permille, 1000);
}

// A stop before anything finished gives no notice at all: no end box, the list untouched.
TEST_F(ExtractProgressTest, ACancelBeforeAnyArchiveFinishedGivesNoNotice) {
  Ini("GENERAL", "EndNotice", "0");
  std::string big = BigZip("big.zip", 512);
  window.listAdd(big);
  ProgressWatch watch(window);
  watch.cancelWhen = [](const RunProgress::View& v) { return v.entry == "big.bin"; };
  EXPECT_EQ(StartWithStatus(), RunStatus::Stopped);
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(window.list, std::vector<std::string>{big});
  EXPECT_EQ(NamesBelow(temp.file("out/big")), std::set<std::string>{"a.txt"});
}

// Each archive's row says what became of it: the end box offers the report, the report
// names the broken entry, the missing password and the link left out, and Log.txt has the
// same lines.
TEST_F(ExtractProgressTest, TheReportNamesWhatBecameOfEachArchive) {
  Ini("GENERAL", "EndNotice", "0");
  std::string good = SmallZip("good");
  // A byte of the stored data flipped (no extra fields: the data follows the name): the
  // CRC of that entry fails.
  WriteFile(temp.file("src/broken.txt"), std::string(4000, 'b'));
  std::string broken = temp.file("in/broken.zip");
  ASSERT_EQ(Shell(temp.file("src"), "zip -q -0 -X '" + broken + "' broken.txt"), 0);
  {
    std::string bytes = ReadFile(broken);
    bytes[30 + std::string("broken.txt").size() + 100] ^= 0x01;
    WriteFile(broken, bytes);
  }
  std::string locked = temp.file("in/password_zipcrypto.zip");
  fs::copy_file(FixturePath("password_zipcrypto.zip"), locked);
  std::string links = temp.file("in/evil_symlink.tar");
  fs::copy_file(FixturePath("evil_symlink.tar"), links);
  for (const std::string& path : {good, broken, locked, links}) window.listAdd(path);
  window.messageAnswers = {MsgResult::Details};
  std::vector<ReportRow> rows;
  std::string text;
  window.onShowReport = [&](const RunReport& report) {
    rows = report.rows();
    text = report.Text();
  };
  EXPECT_EQ(StartWithStatus(), RunStatus::SomeFailed);

  ASSERT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].buttons, MsgButtons::OkDetails);
  EXPECT_EQ(window.messages[0].text, "2個のファイルを解凍完了！（2個失敗）");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].outcome, ArchiveOutcome::Done);
  EXPECT_EQ(rows[0].written, 1);
  EXPECT_EQ(rows[1].outcome, ArchiveOutcome::Failed);
  EXPECT_EQ(rows[1].reason, "データが壊れています（「broken.txt」）");
  EXPECT_EQ(rows[2].outcome, ArchiveOutcome::Failed);
  EXPECT_EQ(rows[2].reason, "パスワードがないか、違います（「docs/notes.txt」）");
  EXPECT_EQ(rows[3].outcome, ArchiveOutcome::Done);
  ASSERT_FALSE(rows[3].skipped.empty());
  EXPECT_EQ(rows[3].skipped[0].first, "link");
  EXPECT_EQ(ReasonOfSkip(rows[3].skipped[0].second), "展開先の外を指すリンク");
  std::string log = ReadFile(temp.file("app/Log.txt"));
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    EXPECT_NE(log.find(text.substr(start, end - start) + "\r\n"), std::string::npos)
        << text.substr(start, end - start);
}

// The test run reads every entry of every archive and writes nothing: one flipped byte in
// a 200-entry ZIP is found and its entry named, the sound archives pass, a file that is no
// archive is named as such, and the list stays as it was.
TEST_F(ExtractProgressTest, TheTestRunNamesTheBrokenEntryAndWritesNothing) {
  std::string zip = temp.file("in/many.zip");
  WriteFile(temp.file("flip.py"),
            "import zipfile,sys\n"
            "with zipfile.ZipFile(sys.argv[1],'w',zipfile.ZIP_STORED) as z:\n"
            "  for i in range(200): z.writestr('f%03d.txt' % i, ('entry %d ' % i) * 50)\n"
            "info = zipfile.ZipFile(sys.argv[1]).getinfo('f137.txt')\n"
            "data = bytearray(open(sys.argv[1],'rb').read())\n"
            "data[info.header_offset + 30 + len('f137.txt') + 100] ^= 1\n"
            "open(sys.argv[1],'wb').write(data)\n");
  ASSERT_EQ(Shell(temp.path(), "python3 flip.py '" + zip + "'"), 0);
  WriteFile(temp.file("src/x.txt"), std::string(100000, 'x'));
  std::string seven = temp.file("in/good.7z");
  ASSERT_EQ(Shell(temp.file("src"), "7zz a -bd -y '" + seven + "' x.txt > /dev/null"), 0);
  std::string tgz = temp.file("in/good.tar.gz");
  ASSERT_EQ(Shell(temp.file("src"), "tar czf '" + tgz + "' x.txt"), 0);
  std::string notArchive = temp.file("in/notes.txt");
  WriteFile(notArchive, "plain text\n");
  const std::vector<std::string> list = {zip, seven, tgz, notArchive};
  for (const std::string& path : list) window.listAdd(path);
  std::vector<ReportRow> rows;
  window.onShowReport = [&](const RunReport& report) { rows = report.rows(); };
  const std::set<std::string> before = NamesBelow(temp.path());

  EXPECT_EQ(TestArchives(ExtractRun{window, status, kModeNormal, false}, list), 2);
  EXPECT_EQ(window.list, list);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].outcome, ArchiveOutcome::Failed);
  EXPECT_EQ(rows[0].reason, "データが壊れています（「f137.txt」）");
  EXPECT_EQ(rows[0].written, 199);  // every other entry was read and passed
  EXPECT_EQ(rows[1].outcome, ArchiveOutcome::Done);
  EXPECT_EQ(rows[2].outcome, ArchiveOutcome::Done);
  EXPECT_EQ(rows[3].reason, "検査できない形式です");
  EXPECT_EQ(window.panels[1], "4個の書庫を検査しました（2個異常）");
  // Nothing new but the log's lines.
  std::set<std::string> after = NamesBelow(temp.path());
  after.erase("app/Log.txt");
  EXPECT_EQ(after, before);
  EXPECT_NE(ReadFile(temp.file("app/Log.txt")).find("検査の結果"), std::string::npos);
}

TEST_F(ExtractEndToEndTest, FullFileSystemStopsBeforeExtracting) {
  Ini("DDMODE", "ExtractMode", "2");
  Ini("DDMODE", "TargetPath", temp.file("out"));
  Ini("EXTRACT_DDMODE", "DeleteArchive", "1");
  SetFreeSpaceProbe([](const std::string&) { return uint64_t(4096); });
  std::string a = Copy(Named(manifest, "zip_deflate.zip"), temp.file("in"));
  window.listAdd(a);
  EXPECT_EQ(Start(), RunEnd::EndProgram);
  EXPECT_TRUE(fs::exists(a));
  EXPECT_FALSE(fs::exists(temp.file("out")));
  EXPECT_NE(ReadFile(temp.file("app/Log.txt")).find("Disk Size Error\r\n"), std::string::npos);
  ASSERT_GE(window.messages.size(), 1u);
  EXPECT_EQ(window.messages[0].text, "書庫または環境に問題があるため、解凍を中止します。");
}

// A window whose user deletes an archive while the run is under way.
class DeletingWindow : public FakeMainWindow {
 public:
  void pumpEvents() override {
    FakeMainWindow::pumpEvents();
    if (pumps == 1) fs::remove(victim);
  }
  std::string victim;
};

TEST_F(ExtractEndToEndTest, ArchiveDeletedAfterThePreScanIsReportedAndTheRunGoesOn) {
  Ini("DDMODE", "ExtractMode", "2");
  Ini("DDMODE", "TargetPath", temp.file("out"));
  Ini("EXTRACT_DDMODE", "FileNameFolder", "1");
  DeletingWindow deleting;
  std::string a = Copy(Named(manifest, "zip_stored.zip"), temp.file("in"));
  std::string b = Copy(Named(manifest, "cab_mszip.cab"), temp.file("in"));
  std::string c = Copy(Named(manifest, "rar5_stored.rar"), temp.file("in"));
  deleting.victim = b;
  deleting.list = {a, b, c};
  BatchRun run{ExtractRun{deleting, status, kModeDDMode, false}, 0, &mail, &sound, {}, {}};
  EXPECT_EQ(StartExtract(run), RunEnd::EndProgram);
  ASSERT_EQ(deleting.messages.size(), 1u);
  EXPECT_EQ(deleting.messages[0].text, "存在しないファイルです。場所を確認してください。");
  ExpectManifest(Named(manifest, "zip_stored.zip"), temp.file("out/zip_stored"));
  ExpectManifest(Named(manifest, "rar5_stored.rar"), temp.file("out/rar5_stored"));
  EXPECT_FALSE(fs::exists(temp.file("out/cab_mszip")));
}

// The built program started by drag and drop, with settings under which a clean run shows
// no box: it extracts every archive and ends by itself.
class DDModeProgramTest : public ::testing::Test {
 protected:
  DDModeProgramTest() { manifest = LoadManifest(); }

  void Ini(const std::string& text) { program.Ini(text); }
  int RunProgram(const std::vector<std::string>& files) { return program.Run(files); }

  static std::string CleanSettings() {
    return "[GENERAL]\r\nEndNotice=1\r\nOpenFolder=0\r\nUseSound=0\r\n"
           "[DDMODE]\r\nOverWrite=0\r\n";
  }

  TempDir temp;
  DDModeProgram program{temp};
  std::string app = program.folder();
  std::vector<Fixture> manifest;
};

// ExtractMode 1 without the pre-scan and with silent skipping: each archive beside itself,
// a folder only for several roots, every extracted archive deleted, broken ones kept.
TEST_F(DDModeProgramTest, OwnFolderExtractsEveryArchiveDeletesOnlyTheGoodOnesAndEnds) {
  Ini(CleanSettings() + "[GENERAL]\r\nPreScan=1\r\nErrorSkip=1\r\n" +
      "[DDMODE]\r\nExtractMode=1\r\n[EXTRACT_DDMODE]\r\nFileNameFolder=0\r\nDeleteArchive=1\r\n");
  std::vector<std::string> files;
  std::vector<const Fixture*> used;
  auto add = [&](const Fixture& f) {
    std::string folder = temp.file("in/" + std::to_string(used.size()));
    fs::create_directories(folder);
    files.push_back(folder + "/" + f.file);
    for (const std::string& v : f.volumes)
      if (v != f.file) fs::copy_file(FixturePath(v), folder + "/" + v);
    fs::copy_file(FixturePath(f.file), files.back());
    used.push_back(&f);
  };
  for (const Fixture& f : manifest)
    if (ExtractsCleanly(f)) add(f);
  ASSERT_GT(used.size(), 25u);
  size_t good = used.size();
  add(Named(manifest, "truncated.zip"));
  add(Named(manifest, "not_a_zip.zip"));
  ASSERT_EQ(RunProgram(files), 1);  // some archives failed: a script can tell
  for (size_t i = 0; i < used.size(); ++i) {
    const Fixture& f = *used[i];
    SCOPED_TRACE(f.file);
    EXPECT_EQ(fs::exists(files[i]), i >= good);
    if (i >= good) continue;
    std::string folder = temp.file("in/" + std::to_string(i));
    ExpectManifest(f, SeveralRoots(f) ? folder + "/" + ArchiveFolderName(f.file) : folder);
  }
}

// ExtractMode 2: every archive into the one target folder (archives whose contents would
// meet there are left out), the archives kept.
TEST_F(DDModeProgramTest, TargetFolderExtractsEveryArchiveThereAndEnds) {
  std::string target = temp.file("out");
  Ini(CleanSettings() + "[DDMODE]\r\nExtractMode=2\r\nTargetPath=" + target +
      "\r\n[EXTRACT_DDMODE]\r\nFileNameFolder=0\r\nDeleteArchive=0\r\n");
  std::set<std::string> roots;
  std::vector<std::string> files;
  std::vector<const Fixture*> used;
  for (const Fixture& f : manifest) {
    if (!ExtractsCleanly(f)) continue;
    std::set<std::string> mine;
    if (SeveralRoots(f)) {
      mine.insert(ArchiveFolderName(f.file));
    } else {
      for (const ExpectedFile& e : f.expected) mine.insert(e.path.substr(0, e.path.find('/')));
      for (const std::string& d : f.expectedDirs) mine.insert(d.substr(0, d.find('/')));
    }
    if (std::any_of(mine.begin(), mine.end(), [&](const std::string& r) { return roots.count(r); }))
      continue;
    roots.insert(mine.begin(), mine.end());
    files.push_back(FixturePath(f.file));
    used.push_back(&f);
  }
  ASSERT_GT(used.size(), 5u);
  ASSERT_EQ(RunProgram(files), 0);
  // The pre-scan ran and found nothing to report.
  std::string log = ReadFile(app + "/Log.txt");
  EXPECT_EQ(log.rfind("...Extract Start on ", 0), 0u) << log;
  EXPECT_EQ(log.find('!'), std::string::npos) << log;
  for (const Fixture* f : used) {
    SCOPED_TRACE(f->file);
    EXPECT_EQ(fs::is_directory(target + "/" + ArchiveFolderName(f->file)), SeveralRoots(*f));
    EXPECT_TRUE(fs::exists(FixturePath(f->file)));
  }
  // Each archive's files, and nothing else, are in the target.
  size_t expectedFiles = 0;
  for (const Fixture* f : used) {
    expectedFiles += f->expected.size();
    std::string root = SeveralRoots(*f) ? target + "/" + ArchiveFolderName(f->file) : target;
    Tree tree = ReadTree(root);
    for (const ExpectedFile& e : f->expected) {
      auto got = tree.files.find(e.path);
      ASSERT_NE(got, tree.files.end()) << f->file << ": " << e.path;
      EXPECT_EQ(got->second.sha256, e.sha256) << f->file << ": " << e.path;
    }
  }
  EXPECT_EQ(ReadTree(target).files.size(), expectedFiles);
}

// One batch worked one archive at a time and several at once: every fixture (broken,
// hostile and encrypted ones among them, volume sets whole), two archives that write the same
// files into one folder, archives of the same name in two folders; the pre-scan on, the
// folder made only for several roots, the archives that extracted deleted.
class ParallelRunTest : public ExtractEndToEndTest {
 protected:
  ParallelRunTest() {
    // One top folder of the same names with other contents: both archives extract into the
    // destination itself. The first one's big file keeps it in hand while the second would
    // start and end.
    fs::create_directories(temp.file("src/a/shared"));
    fs::create_directories(temp.file("src/b/shared"));
    WriteFile(temp.file("src/a/shared/same.txt"), "first\n");
    WriteFile(temp.file("src/b/shared/same.txt"), "second\n");
    WriteFile(temp.file("src/a/shared/big.bin"), std::string(32 << 20, 'a'));
    WriteFile(temp.file("src/b/shared/big.bin"), std::string(1 << 10, 'b'));
    for (const char* side : {"a", "b"})
      EXPECT_EQ(Shell(temp.file(std::string("src/") + side),
                      std::string("zip -q -1 -r ../same_") + side + ".zip shared"),
                0);
    Ini("DDMODE", "ExtractMode", "2");
    Ini("EXTRACT_DDMODE", "FileNameFolder", "0");
    Ini("EXTRACT_DDMODE", "DeleteArchive", "1");
  }

  // What a run left: the tree it wrote, the archives left beside their folders and in the
  // list, the panel, the report as Log.txt holds it, the questions.
  struct Outcome {
    std::vector<std::string> tree, left, list, log;
    std::string panel;
    size_t questions = 0;
    bool operator==(const Outcome&) const = default;
  };

  Outcome Run(int threads) {
    const std::string root = temp.file("run" + std::to_string(threads));
    for (const char* folder : {"in/one", "in/two", "out"})
      fs::create_directories(root + "/" + folder);
    FakeMainWindow run;
    for (const Fixture& f : manifest) run.listAdd(Copy(f, root + "/in/one"));
    for (const char* side : {"a", "b"}) {
      const std::string name = std::string("same_") + side + ".zip";
      fs::copy_file(temp.file("src/" + name), root + "/in/one/" + name);
      run.listAdd(root + "/in/one/" + name);
    }
    run.listAdd(Copy(Named(manifest, "zip_deflate.zip"), root + "/in/two"));
    run.passwordAnswers = {std::string("secret")};
    Ini("DDMODE", "TargetPath", root + "/out");
    Ini("GENERAL", "Threads", std::to_string(threads));
    fs::remove(temp.file("app/Log.txt"));
    BatchRun batch{ExtractRun{run, status, kModeDDMode, false}, 0, &mail, &sound, {}, {}};
    EXPECT_EQ(StartExtract(batch), RunEnd::EndProgram);

    auto local = [&](std::string text) {
      for (size_t at; (at = text.find(root)) != std::string::npos;)
        text.replace(at, root.size(), "<run>");
      return text;
    };
    Outcome o;
    Tree tree = ReadTree(root + "/out");
    for (const auto& [path, file] : tree.files) o.tree.push_back(path + " " + file.sha256);
    for (const std::string& d : tree.dirs) o.tree.push_back("dir " + d);
    for (const std::string& l : tree.links) o.tree.push_back("link " + l);
    for (const auto& entry : fs::recursive_directory_iterator(root + "/in"))
      o.left.push_back(local(entry.path().string()));
    std::sort(o.left.begin(), o.left.end());
    for (const std::string& path : run.list) o.list.push_back(local(path));
    std::istringstream log(ReadFile(temp.file("app/Log.txt")));
    // The lines without the times they were written at.
    for (std::string line; std::getline(log, line);)
      o.log.push_back(
          local(std::regex_replace(line, std::regex(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d)"), "")));
    o.panel = run.panels[1];
    o.questions = run.passwordPrompts.size();
    return o;
  }
};

TEST_F(ParallelRunTest, SeveralArchivesAtOnceEndAsOneAtATime) {
  const Outcome alone = Run(1);
  // The later archive's files replace the earlier one's, as in the list's order.
  EXPECT_EQ(ReadFile(temp.file("run1/out/shared/same.txt")), "second\n");
  EXPECT_EQ(alone.questions, 1u);  // both encrypted fixtures share the one password
  ASSERT_FALSE(alone.log.empty());
  for (int threads : {2, 8}) {
    SCOPED_TRACE(threads);
    const Outcome parallel = Run(threads);
    EXPECT_EQ(parallel.tree, alone.tree);
    EXPECT_EQ(parallel.left, alone.left);
    EXPECT_EQ(parallel.list, alone.list);
    EXPECT_EQ(parallel.log, alone.log);
    EXPECT_EQ(parallel.panel, alone.panel);
    EXPECT_EQ(parallel.questions, alone.questions);
    EXPECT_EQ(ReadFile(temp.file("run" + std::to_string(threads) + "/out/shared/same.txt")),
              "second\n");
  }
}

}  // namespace
}  // namespace qvr::test
