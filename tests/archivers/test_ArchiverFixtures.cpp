// Every archive of the shared fixtures through the real plugins, with the command lines
// the program sends: the files, sizes and hashes of the manifest, the safety of hostile
// archives, clean failures of broken ones, and the entry counts.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "ArchiverLoader.h"
#include "FixtureManifest.h"
#include "TempDir.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

const std::vector<Fixture>& Manifest() {
  static std::vector<Fixture> m = LoadManifest();
  return m;
}

std::vector<std::string> Names() {
  std::vector<std::string> n;
  for (const auto& f : Manifest()) n.push_back(f.file);
  return n;
}

const Fixture& Find(const std::string& file) {
  for (const auto& f : Manifest()) {
    if (f.file == file) return f;
  }
  throw std::runtime_error("no fixture " + file);
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

// No temporary file of ours may be left anywhere below the folder.
void ExpectNoTemporaries(const std::string& root) {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(root, ec);
       !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    EXPECT_EQ(it->path().filename().string().find(".qvr"), std::string::npos) << it->path();
  }
}

class FixtureTest : public ::testing::TestWithParam<std::string> {
 protected:
  const Fixture& fixture() { return Find(GetParam()); }
};

// Extracts into <temp>/l1/l2/dest, so that anything climbing out shows in the parents.
void ExpectManifestExtraction(const Fixture& f, bool use7Zip) {
  Route route = RouteFor(f, use7Zip);
  ArchiverLib& lib = Library(route.file, route.prefix);
  TempDir tmp;
  std::string dest = tmp.file("l1/l2/dest");
  std::string report;
  int32_t rc = lib.Run(ExtractLine(f, FixturePath(f.file), dest, use7Zip), nullptr, &report);
  SCOPED_TRACE(route.prefix + ": " + report);

  // Nothing beside the destination in its parents.
  Tree outer = ReadTree(tmp.path());
  for (const auto& [path, got] : outer.files) EXPECT_EQ(path.rfind("l1/l2/dest/", 0), 0u) << path;
  for (const std::string& d : outer.dirs) {
    EXPECT_TRUE(d == "l1" || d == "l1/l2" || d.rfind("l1/l2/dest", 0) == 0) << d;
  }
  EXPECT_TRUE(outer.links.empty() || outer.links[0].rfind("l1/l2/dest/", 0) == 0);
  ExpectNoTemporaries(tmp.path());
  Tree tree = ReadTree(dest);

  if (f.expectError) {
    EXPECT_NE(rc, 0);
    for (const auto& [path, got] : tree.files) {  // only whole files may stay
      auto it = std::find_if(f.partial.begin(), f.partial.end(),
                             [&](const ExpectedFile& e) { return e.path == path; });
      ASSERT_NE(it, f.partial.end()) << "partial file left: " << path;
      EXPECT_EQ(got.sha256, it->sha256) << path;
    }
    return;
  }
  if (!f.password.empty()) {
    // Without an owner window no password can be asked: the call fails cleanly.
    EXPECT_EQ(rc, 0x800A);
    for (const auto& [path, got] : tree.files)
      ADD_FAILURE() << "written without password: " << path;
    return;
  }
  EXPECT_EQ(rc, 0);
  for (const ExpectedFile& e : f.expected) {
    auto it = tree.files.find(e.path);
    ASSERT_NE(it, tree.files.end()) << "missing " << e.path;
    EXPECT_EQ(it->second.size, e.size) << e.path;
    EXPECT_EQ(it->second.sha256, e.sha256) << e.path;
  }
  for (const auto& [path, got] : tree.files) {
    bool known = std::any_of(f.expected.begin(), f.expected.end(),
                             [&](const ExpectedFile& e) { return e.path == path; });
    EXPECT_TRUE(known || Contains(f.allowedExtra, path)) << "unexpected file " << path;
  }
  for (const std::string& d : f.expectedDirs)
    EXPECT_TRUE(Contains(tree.dirs, d)) << "missing folder " << d;
  for (const std::string& d : tree.dirs) {
    bool extraParent = std::any_of(f.allowedExtra.begin(), f.allowedExtra.end(),
                                   [&](const std::string& a) { return a.rfind(d + "/", 0) == 0; });
    EXPECT_TRUE(Contains(f.expectedDirs, d) || extraParent) << "unexpected folder " << d;
  }
  for (const std::string& l : tree.links) {
    EXPECT_TRUE(Contains(f.symlinks, l)) << "unexpected link " << l;
    fs::path target = fs::weakly_canonical(fs::path(dest) / l);
    EXPECT_EQ(target.string().rfind(fs::weakly_canonical(dest).string(), 0), 0u) << l;
  }
  for (const std::string& m : f.mustNotExist) {
    fs::path p = m[0] == '/' ? fs::path(m) : fs::path(dest) / m;
    EXPECT_FALSE(fs::exists(fs::symlink_status(p))) << "must not exist: " << p;
  }
}

TEST_P(FixtureTest, ExtractsToTheManifestFiles) {
  const Fixture& f = fixture();
  if (RouteFor(f).file.empty()) GTEST_SKIP() << "no library of ours reads " << f.format;
  ExpectManifestExtraction(f, false);
  // The program sends ZIP archives to 7-zip32 when the user asks for it.
  if (f.format == "zip" && !f.exe) ExpectManifestExtraction(f, true);
}

TEST_P(FixtureTest, CountsAndListsTheManifestEntries) {
  const Fixture& f = fixture();
  Route route = RouteFor(f);
  if (route.file.empty()) GTEST_SKIP() << "no library of ours reads " << f.format;
  ArchiverLib& lib = Library(route.file, route.prefix);
  std::string path = FixturePath(f.file);
  if (f.expectError) {
    EXPECT_EQ(lib.getFileCount(path.c_str()), -1);
    return;
  }
  if (f.headerEncrypted) {
    // Without an owner window no password can be asked, and the names need one.
    EXPECT_EQ(lib.getFileCount(path.c_str()), -1);
    EXPECT_EQ(lib.openArchive(nullptr, path.c_str(), 0x400000), nullptr);
    return;
  }
  int expected = f.entryCount;
  EXPECT_EQ(lib.getFileCount(path.c_str()), expected);
  void* h = lib.openArchive(nullptr, path.c_str(), 0x400000);
  ASSERT_NE(h, nullptr);
  EntryInfo info;
  int walked = 0;
  for (int r = lib.findFirst(h, "*", &info); r == 0; r = lib.findNext(h, &info)) {
    ++walked;
    EXPECT_EQ(info.FileName[sizeof info.FileName - 1], '\0');
    int64_t size = -1;
    EXPECT_EQ(lib.originalSizeEx(h, &size), 1);
    EXPECT_EQ(static_cast<uint32_t>(size), info.OriginalSize);
    if (std::string(info.FileName).back() != '/' && info.Attribute[4] != 'd') {
      auto it = std::find_if(f.expected.begin(), f.expected.end(),
                             [&](const ExpectedFile& e) { return e.path == info.FileName; });
      if (it != f.expected.end() && !SizeUnrecorded(f)) {
        EXPECT_EQ(size, it->size) << info.FileName;
      }
    }
  }
  EXPECT_EQ(walked, expected);
  EXPECT_EQ(lib.closeArchive(h), 0);
}

TEST_P(FixtureTest, CheckArchiveAnswersOnlyForItsOwnLibrary) {
  const Fixture& f = fixture();
  Route route = RouteFor(f);
  static const std::vector<Route> all = {{"unzip32.so", "UnZip"}, {"7-zip32.so", "SevenZip"},
                                         {"unlha32.so", "Unlha"}, {"cab32.so", "Cab"},
                                         {"unrar32.so", "Unrar"}, {"tar32.so", "Tar"},
                                         {"unarj32j.so", "Unarj"}};
  std::string path = FixturePath(f.file);
  for (const Route& r : all) {
    int32_t answer = Library(r.file, r.prefix).checkArchive(path.c_str(), 0);
    bool own = r.file == route.file || (f.format == "zip" && r.prefix == "SevenZip");
    bool readable = !f.expectError || f.file == "truncated.zip";
    if (f.file == "truncated.zip" && r.prefix == "SevenZip") own = true;
    EXPECT_EQ(answer, own && readable && f.format != "none" ? 1 : 0) << r.prefix;
  }
}

INSTANTIATE_TEST_SUITE_P(Manifest, FixtureTest, ::testing::ValuesIn(Names()),
                         [](const ::testing::TestParamInfo<std::string>& i) {
                           std::string n = i.param;
                           for (char& c : n) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return n;
                         });

}  // namespace
}  // namespace qvr::test
