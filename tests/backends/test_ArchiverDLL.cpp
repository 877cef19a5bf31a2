#include "ArchiverDLL.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <set>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <filesystem>
#include <map>

#include "AppFolder.h"
#include "BackendsTest.h"
#include "Version.h"

namespace qvr::test {
namespace {

using Args = std::vector<std::string>;

class ArchiverDLLTest : public BackendsTest {};

TEST_F(ArchiverDLLTest, SearchFoldersComeInTheirOrder) {
  SetSearchExecutableFolder(temp.file("exe"));
  std::vector<std::string> expected{plugin.folder(),
                                    temp.file("exe") + "/",
                                    temp.file("exe") + "/../lib/quiverarchiver/",
                                    currentFolder,
                                    std::string(kPluginInstallDir) + "/",
                                    pathFolder,
                                    "/usr/bin/",
                                    "/bin/"};
  EXPECT_EQ(SearchFolders(), expected);

  // The application folder is searched once when it is the executable's folder.
  SetSearchExecutableFolder(plugin.folder());
  expected.erase(expected.begin() + 1);
  expected[1] = plugin.folder() + "../lib/quiverarchiver/";
  EXPECT_EQ(SearchFolders(), expected);
}

TEST_F(ArchiverDLLTest, FirstFolderHoldingTheFileWins) {
  plugin.Install("unlha32.so");
  std::filesystem::copy_file(plugin.folder() + "unlha32.so", pathFolder + "unlha32.so");
  EXPECT_EQ(SearchPath("unlha32.so"), plugin.folder() + "unlha32.so");
  std::filesystem::remove(plugin.folder() + "unlha32.so");
  EXPECT_EQ(SearchPath("unlha32.so"), pathFolder + "unlha32.so");
  EXPECT_EQ(ArchiverDLL::Of(Lib::Unlha).path(), pathFolder + "unlha32.so");
  EXPECT_EQ(SearchPath("cab32.so"), "");
}

TEST_F(ArchiverDLLTest, ALibraryInTheCurrentFolderIsFound) {
  std::filesystem::copy_file(QVR_FIXTURES_DIR "/manifest.json", currentFolder + "cab32.so");
  EXPECT_EQ(SearchPath("cab32.so"), currentFolder + "cab32.so");
}

TEST_F(ArchiverDLLTest, EveryPrefixReachesItsOwnLibrary) {
  plugin.InstallAll();
  std::set<std::string_view> prefixes, files;
  for (const LibRow& row : kLibRows) {
    if (row.kind != LibKind::Library || row.prefix.empty()) continue;
    ArchiverDLL& lib = ArchiverDLL::Of(row.lib);
    SCOPED_TRACE(lib.prefix());
    ASSERT_TRUE(lib.loaded());
    // One library per prefix and per file.
    EXPECT_TRUE(prefixes.insert(row.prefix).second);
    EXPECT_TRUE(files.insert(row.fileName).second);
    plugin.ClearLog();
    EXPECT_EQ(lib.CheckArchive("/a.arc", 16), 1);
    std::vector<PluginCall> calls = plugin.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].library, lib.fileName());
    EXPECT_EQ(calls[0].entry, std::string(lib.prefix()) + "CheckArchive");
    EXPECT_EQ(calls[0].args, (Args{"/a.arc", "16"}));
  }
}

TEST_F(ArchiverDLLTest, CommandLineArrivesByteForByteWithOwnerAndBufferSize) {
  plugin.Install("unlha32.so");
  const std::string commandLine =
      "x -a1 -c1 -jf0 \"/home/u/書類 2024/$(touch x);.lzh\" \"/tmp/out dir/\" *\t\"a\\b\"";
  plugin.CommandResult("Unlha", "書類", 0x8019, "not an archive");
  int owner = 0;
  std::string output;
  EXPECT_EQ(ArchiverDLL::Of(Lib::Unlha).Command(&owner, commandLine, &output), 0x8019);
  EXPECT_EQ(output, "not an archive");
  std::vector<PluginCall> calls = plugin.Calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].entry, "Unlha");
  EXPECT_EQ(calls[0].args, (Args{PointerText(&owner), commandLine, "1024"}));
}

TEST_F(ArchiverDLLTest, CommandOutputIsCutToTheBuffer) {
  plugin.Install("7-zip32.so");
  plugin.CommandResult("SevenZip", "*", 0, std::string(5000, 'r'));
  std::string output;
  EXPECT_EQ(ArchiverDLL::Of(Lib::SevenZip).Command(nullptr, "x a.7z", &output), 0);
  EXPECT_EQ(output, std::string(1023, 'r'));
  EXPECT_EQ(plugin.Calls()[0].args[0], "0");
}

// The count of entries a command left out comes from PGetSkippedCount after each call; a
// library without that entry, a missing library and a nonsense count all give 0.
TEST_F(ArchiverDLLTest, CommandHandsBackTheLeftOutCount) {
  plugin.Install("tar32.so");
  plugin.InstallWithoutSkipCount("cab32.so");
  plugin.Skipped("*", "left.out", 2).Skipped("*", "negative", -4);
  struct Row {
    Lib lib;
    const char* line;
    int32_t skipped;
  } rows[] = {
      {Lib::Tar, "-x left.out", 2}, {Lib::Tar, "-x whole.tar", 0}, {Lib::Tar, "-x left.out", 2},
      {Lib::Tar, "-x negative", 0}, {Lib::Cab, "-x left.out", 0},  {Lib::Kty, "-x left.out", 0},
  };
  for (const Row& row : rows) {
    int32_t skipped = 99;
    ArchiverDLL::Of(row.lib).Command(nullptr, row.line, nullptr, &skipped);
    EXPECT_EQ(skipped, row.skipped) << ArchiverDLL::Of(row.lib).fileName() << " " << row.line;
  }
  // Asking for the count adds no call to the log, and the other callers need not ask.
  plugin.ClearLog();
  EXPECT_EQ(ArchiverDLL::Of(Lib::Tar).Command(nullptr, "-x left.out"), 0);
  EXPECT_EQ(plugin.Calls().size(), 1u);
}

TEST_F(ArchiverDLLTest, VersionCheckAndCountAnswerFromTheLibrary) {
  plugin.Install("unzip32.so");
  plugin.Version("UnZip", 280, 5).Check("UnZip", "/x.zip", 0).Count("UnZip", "/a.zip", 7);
  ArchiverDLL& lib = ArchiverDLL::Of(Lib::UnZip);
  EXPECT_EQ(lib.GetVersion(), 280);
  EXPECT_EQ(lib.GetSubVersion(), 5);
  EXPECT_EQ(lib.CheckArchive("/a.zip", 0), 1);
  EXPECT_EQ(lib.CheckArchive("/x.zip", 0), 0);
  EXPECT_EQ(lib.GetFileCount("/a.zip"), 7);
  std::vector<PluginCall> calls = plugin.Calls();
  ASSERT_EQ(calls.size(), 5u);
  EXPECT_EQ(calls[0].entry, "UnZipGetVersion");
  EXPECT_EQ(calls[1].entry, "UnZipGetSubVersion");
  EXPECT_EQ(calls[4].entry, "UnZipGetFileCount");
  EXPECT_EQ(calls[4].args, Args{"/a.zip"});
}

TEST_F(ArchiverDLLTest, WalkFillsTheRecordAndReportsSizesBeyond32Bits) {
  plugin.Install("unlha32.so");
  const std::string archive = "/arc/big.lzh";
  plugin.Entry("Unlha", archive,
               {.original = 5000000000ull,
                .compressed = 4500000000ull,
                .ratio = 900,
                .date = 0x3067,
                .time = 0x68A5,
                .name = "dir/大きい.bin",
                .attribute = "-a---",
                .mode = "-lh5-"});
  plugin.Entry("Unlha", archive, {.original = 10, .name = "small.txt"});
  ArchiverDLL& lib = ArchiverDLL::Of(Lib::Unlha);
  int owner = 0;
  HARC handle = lib.OpenArchive(&owner, archive, 0x400000);
  ASSERT_NE(handle, nullptr);
  EntryInfo entry{};
  ASSERT_EQ(lib.FindFirst(handle, "*", &entry), 0);
  EXPECT_STREQ(entry.FileName, "dir/大きい.bin");
  EXPECT_EQ(entry.Ratio, 900);
  EXPECT_EQ(entry.Date, 0x3067);
  EXPECT_EQ(entry.Time, 0x68A5);
  EXPECT_EQ(std::string(entry.Attribute, 5), "-a---");
  EXPECT_EQ(lib.OriginalSize(handle, entry), 5000000000ull);
  EXPECT_EQ(lib.CompressedSize(handle, entry), 4500000000ull);
  ASSERT_EQ(lib.FindNext(handle, &entry), 0);
  EXPECT_STREQ(entry.FileName, "small.txt");
  EXPECT_EQ(lib.OriginalSize(handle, entry), 10u);
  EXPECT_NE(lib.FindNext(handle, &entry), 0);
  EXPECT_EQ(lib.CloseArchive(handle), 0);

  std::vector<PluginCall> calls = plugin.Calls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[0].entry, "UnlhaOpenArchive");
  EXPECT_EQ(calls[0].args, (Args{PointerText(&owner), archive, "4194304", PointerText(handle)}));
  EXPECT_EQ(calls[1].entry, "UnlhaFindFirst");
  EXPECT_EQ(calls[1].args, (Args{PointerText(handle), "*", "entry"}));
  EXPECT_EQ(calls.back().entry, "UnlhaCloseArchive");
}

TEST_F(ArchiverDLLTest, WithoutSizeExTheFieldsAreReadUnsigned) {
  plugin.Install("cab32.so");
  plugin.NoSizeEx("Cab").Entry(
      "Cab", "/a.cab", {.original = 3000000000ull, .compressed = 2200000000ull, .name = "x"});
  ArchiverDLL& lib = ArchiverDLL::Of(Lib::Cab);
  HARC handle = lib.OpenArchive(nullptr, "/a.cab", 0x400000);
  EntryInfo entry{};
  ASSERT_EQ(lib.FindFirst(handle, "*", &entry), 0);
  EXPECT_EQ(lib.OriginalSize(handle, entry), 3000000000ull);
  EXPECT_EQ(lib.CompressedSize(handle, entry), 2200000000ull);
  lib.CloseArchive(handle);
}

TEST_F(ArchiverDLLTest, ImpAndHkiEntrySizesAreUnsigned) {
  plugin.Install("unimp32.so");
  plugin.Install("unhki32.so");
  for (auto [which, archive] : {std::pair{Lib::UnImp, "/a.imp"}, std::pair{Lib::UnHki, "/a.hki"}}) {
    ArchiverDLL& lib = ArchiverDLL::Of(which);
    plugin.Entry(lib.prefix(), archive, {.original = 4000000000ull, .name = "x"});
    HARC handle = lib.OpenArchive(nullptr, archive, 0x200);
    EntryInfo entry{};
    ASSERT_EQ(lib.FindFirst(handle, "*", &entry), 0);
    uint32_t size =
        which == Lib::UnImp ? lib.GetOriginalSize(handle) : lib.GetArcOriginalSize(handle);
    EXPECT_EQ(size, 4000000000u);
    lib.CloseArchive(handle);
  }
  EXPECT_EQ(plugin.Calls("UnImp")[2].entry, "UnImpGetOriginalSize");
  EXPECT_EQ(plugin.Calls("UnHki")[2].entry, "UnHkiGetArcOriginalSize");
}

TEST_F(ArchiverDLLTest, AFailedOpenGivesNoHandleAndTheWalkStops) {
  plugin.Install("unrar32.so");
  plugin.OpenFails("Unrar", "/bad.rar");
  ArchiverDLL& lib = ArchiverDLL::Of(Lib::Unrar);
  HARC handle = lib.OpenArchive(nullptr, "/bad.rar", 0x400000);
  EXPECT_EQ(handle, nullptr);
  EntryInfo entry{};
  EXPECT_NE(lib.FindFirst(handle, "*", &entry), 0);
  EXPECT_NE(lib.CloseArchive(handle), 0);
  // Calls with no handle never reach the library.
  EXPECT_EQ(plugin.Calls().size(), 1u);
}

TEST_F(ArchiverDLLTest, LibraryIsLoadedOnceAndKept) {
  plugin.Install("tar32.so");
  ArchiverDLL& first = ArchiverDLL::Of(Lib::Tar);
  ASSERT_TRUE(first.loaded());
  std::filesystem::remove(plugin.folder() + "tar32.so");
  ArchiverDLL& again = ArchiverDLL::Of(Lib::Tar);
  EXPECT_EQ(&again, &first);
  EXPECT_TRUE(again.loaded());
  EXPECT_EQ(again.CheckArchive("/a.tar", 0), 1);
}

// What every entry answers when the library or the entry is not there.
void ExpectEveryCallFails(ArchiverDLL& lib) {
  std::string output = "stale";
  EXPECT_NE(lib.Command(nullptr, "x a", &output), 0);
  EXPECT_EQ(output, "");
  EXPECT_EQ(lib.GetVersion(), 0);
  EXPECT_EQ(lib.GetSubVersion(), 0);
  EXPECT_EQ(lib.CheckArchive("/a", 0), 0);
  EXPECT_EQ(lib.GetFileCount("/a"), -1);
  EXPECT_EQ(lib.OpenArchive(nullptr, "/a", 0), nullptr);
  EXPECT_EQ(lib.ACEExtract("/a", nullptr), kNoEntryResult);
}

TEST_F(ArchiverDLLTest, AMissingLibraryFailsEveryCall) {
  ArchiverDLL& lib = ArchiverDLL::Of(Lib::Kty);
  EXPECT_FALSE(lib.loaded());
  EXPECT_EQ(lib.path(), "");
  ExpectEveryCallFails(lib);
}

TEST_F(ArchiverDLLTest, FilesThatAreNoLibraryFailEveryCall) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"a text file", "This is not a library.\n"},
      {"an empty file", ""},
      {"a library of another architecture", RecordingPlugin::WrongArchitectureImage()},
      {"a truncated library", RecordingPlugin::WrongArchitectureImage().substr(0, 300)},
  };
  for (const auto& [what, content] : cases) {
    SCOPED_TRACE(what);
    plugin.InstallBadFile("unlha32.so", content);
    ArchiverDLL::ForgetAll();
    ArchiverDLL& lib = ArchiverDLL::Of(Lib::Unlha);
    EXPECT_FALSE(lib.loaded());
    ExpectEveryCallFails(lib);
  }
}

TEST_F(ArchiverDLLTest, MissingEntriesFailWhileThePresentOnesWork) {
  plugin.InstallPartial("unlha32.so");
  ArchiverDLL& lib = ArchiverDLL::Of(Lib::Unlha);
  ASSERT_TRUE(lib.loaded());
  EXPECT_EQ(lib.GetVersion(), 123);
  EXPECT_EQ(lib.GetSubVersion(), 0);
  EXPECT_EQ(lib.CheckArchive("/a.lzh", 0), 1);
  EXPECT_EQ(lib.Command(nullptr, "x /a.lzh", nullptr), kNoEntryResult);
  EXPECT_EQ(lib.GetFileCount("/a.lzh"), -1);
  HARC handle = lib.OpenArchive(nullptr, "/a.lzh", 0x400000);
  ASSERT_NE(handle, nullptr);
  EntryInfo entry{};
  ASSERT_EQ(lib.FindFirst(handle, "*", &entry), 0);
  // 3,000,000,000 bytes: negative if the field were read as signed.
  EXPECT_EQ(lib.OriginalSize(handle, entry), 3000000000ull);
  EXPECT_EQ(lib.CompressedSize(handle, entry), 2500000000ull);
  EXPECT_NE(lib.FindNext(handle, &entry), 0);
  EXPECT_EQ(lib.CloseArchive(handle), 0);
}

// The expected files (path and size) of a fixture, from the shared manifest.
std::map<std::string, uint64_t> ManifestFiles(const std::string& fixture) {
  QFile file(QVR_FIXTURES_DIR "/manifest.json");
  if (!file.open(QIODevice::ReadOnly)) return {};
  std::map<std::string, uint64_t> files;
  for (const QJsonValue& row : QJsonDocument::fromJson(file.readAll()).array()) {
    if (row["file"].toString().toStdString() != fixture) continue;
    for (const QJsonValue& entry : row["expected"].toArray())
      files[entry["path"].toString().toStdString()] = uint64_t(entry["size"].toDouble());
  }
  return files;
}

// Our own libraries, built beside the program, walked through the host: the record layout
// and the 64-bit size entries agree between both sides.
TEST_F(ArchiverDLLTest, OurLibrariesWalkTheFixturesThroughTheHost) {
  SetSearchExecutableFolder(std::string(QVR_BIN_DIR));
  ArchiverDLL::ForgetAll();
  const std::vector<std::pair<Lib, std::string>> cases{
      {Lib::Unlha, "lzh_lh5.lzh"}, {Lib::UnZip, "zip_deflate.zip"}, {Lib::Cab, "cab_mszip.cab"},
      {Lib::Tar, "tar_plain.tar"}, {Lib::SevenZip, "7z_lzma2.7z"},  {Lib::Unrar, "rar5_stored.rar"},
  };
  int walked = 0;
  for (const auto& [which, fixture] : cases) {
    ArchiverDLL& lib = ArchiverDLL::Of(which);
    if (!lib.loaded()) continue;
    SCOPED_TRACE(fixture);
    std::string archive = std::string(QVR_FIXTURES_DIR) + "/" + fixture;
    EXPECT_EQ(lib.CheckArchive(archive, 0), 1);
    HARC handle = lib.OpenArchive(nullptr, archive, 0x400000);
    ASSERT_NE(handle, nullptr);
    std::map<std::string, uint64_t> files;
    int entries = 0;
    EntryInfo entry{};
    for (int more = lib.FindFirst(handle, "*", &entry); more == 0;
         more = lib.FindNext(handle, &entry)) {
      ++entries;
      std::string name = entry.FileName;
      if (!name.empty() && name.back() != '/') files[name] = lib.OriginalSize(handle, entry);
    }
    lib.CloseArchive(handle);
    // The program never unloads a library, and ours keep a locale for the whole process:
    // one more reference keeps them mapped when the fixture forgets the libraries.
    dlopen(lib.path().c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_FALSE(files.empty());
    EXPECT_EQ(files, ManifestFiles(fixture));
    EXPECT_EQ(lib.GetFileCount(archive), entries);
    ++walked;
  }
  if (walked == 0) GTEST_SKIP() << "none of our libraries is built in " << QVR_BIN_DIR;
}

}  // namespace
}  // namespace qvr::test
