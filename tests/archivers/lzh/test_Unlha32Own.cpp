// unlha32.so with the methods libarchive lacks (lh1, lzs, lz5), which go through our own
// decoder: every lhasa test archive extracts through the Unlha command entry with the
// command lines the program sends, keeping folders and flat.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <algorithm>
#include <filesystem>
#include <map>

#include "ArchiverLoader.h"
#include "LzhTestData.h"
#include "TempDir.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;
const std::string kData = QVR_LZH_TEST_DATA;

ArchiverLib& Unlha() {
  static ArchiverLib lib("unlha32.so", "Unlha");
  return lib;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

std::string Sha256(const std::string& s) {
  return QCryptographicHash::hash(QByteArray(s.data(), static_cast<qsizetype>(s.size())),
                                  QCryptographicHash::Sha256)
      .toHex()
      .toStdString();
}

struct Expected {
  std::string path, sha;
  uint64_t size;
};

std::map<std::string, std::vector<Expected>> ExpectedFiles() {
  std::map<std::string, std::vector<Expected>> m;
  for (const auto& row : qvr::lzh::test::ReadExpectedFiles(kData))
    m[row.archive].push_back({row.path, row.sha256, row.size});
  return m;
}

// Every file below `dir`, by its lower-case relative path.
std::map<std::string, std::string> FilesBelow(const std::string& dir) {
  std::map<std::string, std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    if (e.is_regular_file())
      out[Lower(fs::relative(e.path(), dir).string())] = ReadFile(e.path().string());
  return out;
}

void ExpectExtracted(const std::string& dest, const std::vector<Expected>& files, bool flat) {
  auto got = FilesBelow(dest);
  EXPECT_EQ(got.size(), files.size());
  for (const auto& x : files) {
    std::string path = Lower(flat ? fs::path(x.path).filename().string() : x.path);
    auto it = got.find(path);
    ASSERT_NE(it, got.end()) << path;
    EXPECT_EQ(it->second.size(), x.size) << path;
    EXPECT_EQ(Sha256(it->second), x.sha) << path;
  }
}

TEST(Unlha32Own, EveryLhasaTestArchiveExtractsKeepingFolders) {
  for (const auto& [archive, files] : ExpectedFiles()) {
    SCOPED_TRACE(archive);
    TempDir tmp;
    std::string report;
    int32_t rc = Unlha().Run(
        "x -c1 -m1 -y1 -jf0 \"" + kData + "/" + archive + "\" \"" + tmp.file("out") + "/\"",
        nullptr, &report);
    EXPECT_EQ(rc, 0) << report;
    ExpectExtracted(tmp.file("out"), files, false);
  }
}

TEST(Unlha32Own, EveryLhasaTestArchiveExtractsFlat) {
  for (const auto& [archive, files] : ExpectedFiles()) {
    SCOPED_TRACE(archive);
    TempDir tmp;
    std::string report;
    int32_t rc =
        Unlha().Run("e -c0 -m0 -jf0 \"" + kData + "/" + archive + "\" \"" + tmp.file("out") + "/\"",
                    nullptr, &report);
    EXPECT_EQ(rc, 0) << report;
    ExpectExtracted(tmp.file("out"), files, true);
  }
}

// The viewer's single-entry line, for an -lh1- entry.
TEST(Unlha32Own, ViewerExtractsOneLh1Entry) {
  TempDir tmp;
  std::string report;
  int32_t rc =
      Unlha().Run("e \"" + kData + "/lharc113_lh1.lzh\" \"" + tmp.file("out") + "/\" GPL-2 -y -jf0",
                  nullptr, &report);
  EXPECT_EQ(rc, 0) << report;
  EXPECT_EQ(Sha256(ReadFile(tmp.file("out/GPL-2"))),
            "8177f97513213526df2cf6184d8ff986c675afb514d4e68a404010521b880643");
}

// A self-extracting file whose entry is -lh1-: the header offsets count from the file's
// start, past the stub.
TEST(Unlha32Own, SelfExtractingLh1Extracts) {
  TempDir tmp;
  std::string stub = "MZ" + std::string(4094, '\0');
  WriteFile(tmp.file("sfx.exe"), stub + ReadFile(kData + "/lharc113_lh1.lzh"));
  EXPECT_EQ(Unlha().checkArchive(tmp.file("sfx.exe").c_str(), 0), 1);
  std::string report;
  int32_t rc =
      Unlha().Run("x -c1 -m1 -y1 -jf0 \"" + tmp.file("sfx.exe") + "\" \"" + tmp.file("out") + "/\"",
                  nullptr, &report);
  EXPECT_EQ(rc, 0) << report;
  EXPECT_EQ(Sha256(ReadFile(tmp.file("out/GPL-2"))),
            "8177f97513213526df2cf6184d8ff986c675afb514d4e68a404010521b880643");
}

// Broken -lh1- data: an error code, and no partial file left.
TEST(Unlha32Own, DamagedLh1DataFailsAndLeavesNoFile) {
  TempDir tmp;
  std::string a = ReadFile(kData + "/lharc113_lh1.lzh");
  for (size_t i = 200; i < 260; ++i) a[i] = static_cast<char>(a[i] ^ 0x5A);
  WriteFile(tmp.file("bad.lzh"), a);
  std::string report;
  int32_t rc =
      Unlha().Run("x -c1 -m1 -y1 -jf0 \"" + tmp.file("bad.lzh") + "\" \"" + tmp.file("out") + "/\"",
                  nullptr, &report);
  EXPECT_TRUE(rc == 0x800C || rc == 0x8048) << std::hex << rc << " " << report;
  EXPECT_FALSE(fs::exists(tmp.file("out/GPL-2")));
}

}  // namespace
}  // namespace qvr::test
