// Whole archives: headers of every level, archives of independent tools (the fixtures and
// lhasa's test data) decoded to their known contents, and archives we write read back by
// our reader and by lhasa and jlha, for every method.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "LzhArchive.h"
#include "LzhCrc.h"
#include "LzhNames.h"
#include "LzhTestData.h"
#include "TempDir.h"
#include "Text.h"

namespace qvr::lzh {
namespace {

namespace fs = std::filesystem;
using qvr::test::ReadFile;
using qvr::test::TempDir;
using qvr::test::WriteFile;

const std::string kData = QVR_LZH_TEST_DATA;

std::string Sha256(const std::string& s) {
  return QCryptographicHash::hash(
             QByteArray::fromRawData(s.data(), static_cast<qsizetype>(s.size())),
             QCryptographicHash::Sha256)
      .toHex()
      .toStdString();
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

struct Extracted {
  std::string data;
  DecodeStatus status;
};

// Every file entry of an archive, by its path (UTF-8, CP932 names converted).
std::map<std::string, Extracted> ReadAll(const std::string& archive, bool* ok) {
  std::map<std::string, Extracted> out;
  MemorySource src(archive);
  ArchiveReader reader(src);
  *ok = reader.Open();
  if (!*ok) return out;
  Entry e;
  ArchiveReader::Next n;
  while ((n = reader.NextEntry(&e)) == ArchiveReader::Next::kEntry) {
    if (e.header.IsDirectory()) continue;
    std::string path = e.header.Path();
    if (GuessEncoding(path) == NameEncoding::kCp932) arc::Cp932ToUtf8(path, &path);
    MemorySink sink;
    DecodeStatus st = reader.Extract(e, sink);
    out[path] = {sink.data, st};
  }
  *ok = n == ArchiveReader::Next::kEnd;
  return out;
}

// lhasa's test data: the files `lhasa x` gives, path without case.
TEST(LzhThirdParty, LhasaTestArchivesDecodeToWhatLhasaExtracts) {
  int rows = 0;
  for (const auto& [archive, path, sha, size] : qvr::lzh::test::ReadExpectedFiles(kData)) {
    SCOPED_TRACE(archive + " " + path);
    bool ok = false;
    auto files = ReadAll(ReadFile(kData + "/" + archive), &ok);
    EXPECT_TRUE(ok);
    bool found = false;
    for (const auto& [p, x] : files) {
      if (Lower(p) != Lower(path)) continue;
      found = true;
      EXPECT_EQ(x.status, DecodeStatus::kOk);
      EXPECT_EQ(x.data.size(), size);
      EXPECT_EQ(Sha256(x.data), sha);
    }
    EXPECT_TRUE(found);
    ++rows;
  }
  EXPECT_GT(rows, 0) << "expected.tsv missing";
}

TEST(LzhThirdParty, TruncatedArchiveIsReportedBroken) {
  bool ok = true;
  auto files = ReadAll(ReadFile(kData + "/regression_truncated.lzh"), &ok);
  bool failed = !ok;
  for (const auto& [p, x] : files) failed = failed || x.status != DecodeStatus::kOk;
  EXPECT_TRUE(failed);
}

// The shared fixtures: every LZH archive (also inside .exe files) gives the manifest's files.
TEST(LzhFixtures, EveryLzhFixtureDecodesToTheManifest) {
  QFile f(QString::fromStdString(std::string(QVR_FIXTURES_DIR) + "/manifest.json"));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QJsonArray manifest = QJsonDocument::fromJson(f.readAll()).array();
  int checked = 0;
  for (const auto& v : manifest) {
    const QJsonObject o = v.toObject();
    if (o["format"].toString() != "lzh") continue;
    const std::string file = o["file"].toString().toStdString();
    SCOPED_TRACE(file);
    bool ok = false;
    auto files = ReadAll(ReadFile(std::string(QVR_FIXTURES_DIR) + "/" + file), &ok);
    EXPECT_TRUE(ok);
    const QJsonArray expected = o["expected"].toArray();
    EXPECT_EQ(files.size(), static_cast<size_t>(expected.size()));
    for (const auto& ev : expected) {
      const QJsonObject x = ev.toObject();
      const std::string path = x["path"].toString().toStdString();
      SCOPED_TRACE(path);
      auto it = files.find(path);
      ASSERT_NE(it, files.end());
      EXPECT_EQ(it->second.status, DecodeStatus::kOk);
      EXPECT_EQ(it->second.data.size(), static_cast<size_t>(x["size"].toInteger()));
      EXPECT_EQ(Sha256(it->second.data), x["sha256"].toString().toStdString());
    }
    ++checked;
  }
  EXPECT_GE(checked, 7);
}

TEST(LzhFixtures, SelfExtractingArchiveStartsAfterTheStub) {
  std::string exe = ReadFile(std::string(QVR_FIXTURES_DIR) + "/lzh_sfx_concat.exe");
  MemorySource src(exe);
  ArchiveReader reader(src);
  ASSERT_TRUE(reader.Open());
  EXPECT_EQ(reader.StartOffset(), 4096u);
  // A stub alone holds no archive.
  std::string stub = exe.substr(0, 4096);
  MemorySource stubSrc(stub);
  ArchiveReader none(stubSrc);
  EXPECT_FALSE(none.Open());
}

// Headers: what a level-2 header we write reads back as.
TEST(LzhHeaders, Level2HeaderRoundTrip) {
  NewHeader nh;
  nh.method = Method::kLh7;
  nh.packedSize = 1234;
  nh.originalSize = 56789;
  nh.crc = 0xBEEF;
  nh.unixTime = 1078664710;
  nh.name = "file.txt";
  nh.directory = "docs/sub";
  nh.hasUnixMode = true;
  nh.unixMode = 0100644;
  std::string bytes = WriteLevel2Header(nh);
  Header h;
  size_t needed = 0;
  ASSERT_EQ(ParseHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &h, &needed),
            ParseStatus::kOk);
  EXPECT_EQ(h.level, 2);
  EXPECT_EQ(h.method, Method::kLh7);
  EXPECT_EQ(h.packedSize, 1234u);
  EXPECT_EQ(h.originalSize, 56789u);
  EXPECT_EQ(h.crc, 0xBEEF);
  EXPECT_EQ(h.unixTime, 1078664710);
  EXPECT_EQ(h.Path(), "docs/sub/file.txt");
  EXPECT_EQ(h.unixMode, 0100644);
  EXPECT_EQ(h.headerSize, bytes.size());
  // The header CRC guards every byte.
  bytes[30] ^= 1;
  EXPECT_EQ(ParseHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &h, &needed),
            ParseStatus::kBad);
}

TEST(LzhHeaders, SizeWithZeroLowByteIsPadded) {
  // Old readers take a header whose first byte is 0 for the end of the archive.
  for (size_t n = 200; n < 260; ++n) {
    NewHeader nh;
    nh.name = std::string(n, 'a');
    std::string bytes = WriteLevel2Header(nh);
    EXPECT_NE(bytes[0], 0) << n;
    Header h;
    size_t needed = 0;
    EXPECT_EQ(
        ParseHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &h, &needed),
        ParseStatus::kOk);
  }
}

TEST(LzhHeaders, LargeSizesTravelInTheExtendedHeader) {
  NewHeader nh;
  nh.name = "big";
  nh.largeSizes = true;
  nh.packedSize = 5ULL << 32;
  nh.originalSize = 6ULL << 32;
  std::string bytes = WriteLevel2Header(nh);
  Header h;
  size_t needed = 0;
  ASSERT_EQ(ParseHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &h, &needed),
            ParseStatus::kOk);
  EXPECT_EQ(h.packedSize, 5ULL << 32);
  EXPECT_EQ(h.originalSize, 6ULL << 32);
}

TEST(LzhNames, Cp932PathsSplitOnlyAtRealSeparators) {
  // 表 is 0x95 0x5C in CP932: its trail byte is no folder separator.
  std::string cp932;
  ASSERT_TRUE(arc::Utf8ToCp932("予定表\\a.txt", &cp932));
  std::string path = NormalizeSeparators(cp932);
  std::string utf8;
  ASSERT_TRUE(arc::Cp932ToUtf8(path, &utf8));
  EXPECT_EQ(utf8, "予定表/a.txt");
  EXPECT_EQ(NormalizeSeparators("a\xFF"
                                "b\\c/d"),
            "a/b/c/d");
}

TEST(LzhNames, EncodingIsCp932WhenEveryCharacterFits) {
  std::string stored;
  EXPECT_EQ(EncodeName("日本語の予定表.txt", &stored), NameEncoding::kCp932);
  EXPECT_EQ(GuessEncoding(stored), NameEncoding::kCp932);
  EXPECT_EQ(EncodeName("emoji 😀.txt", &stored), NameEncoding::kUtf8);
  EXPECT_EQ(stored, "emoji 😀.txt");
  EXPECT_EQ(EncodeName("한국어.txt", &stored), NameEncoding::kUtf8);
}

// --- Archives we write -------------------------------------------------------------------

struct TreeFile {
  std::string path;  // UTF-8
  std::string data;
};

std::vector<TreeFile> Tree() {
  return {
      {"readme.txt", test::TextBytes(16016, 11)},
      {"docs/notes.txt", test::TextBytes(1537, 12)},
      {"日本語の予定表.txt", "予定\r\n"},
      {"empty.dat", ""},
      {"random.bin", test::RandomBytes(65536, 13)},
      {"with blank.txt", "a file name with blanks\n"},
      {"docs/deep/zeros.bin", std::string(100000, '\0')},
  };
}

NewEntry EntryFor(const std::string& utf8Path, uint64_t size) {
  std::string stored;
  EncodeName(utf8Path, &stored);
  NewEntry e;
  size_t slash = stored.rfind('/');
  e.name = slash == std::string::npos ? stored : stored.substr(slash + 1);
  e.directory = slash == std::string::npos ? "" : stored.substr(0, slash);
  e.unixTime = 1078664710;  // 2004-03-07 13:05:10 UTC
  e.sizeHint = size;
  return e;
}

std::string WriteArchive(Method m, bool smallest = false) {
  MemorySink sink;
  ArchiveWriter w(sink);
  NewEntry folder = EntryFor("docs/deep", 0);
  folder.directory = "docs/deep";
  folder.name.clear();
  EXPECT_EQ(w.AddFolder(folder), WriteStatus::kOk);
  for (const auto& f : Tree()) {
    MemorySource src(f.data);
    WriteStatus st = smallest ? w.AddFileSmallest(EntryFor(f.path, f.data.size()), src)
                              : w.AddFile(EntryFor(f.path, f.data.size()), src, m);
    EXPECT_EQ(st, WriteStatus::kOk) << f.path;
  }
  EXPECT_EQ(w.Finish(), WriteStatus::kOk);
  return sink.data;
}

struct MethodCase {
  Method method;
  bool smallest;
};

class Written : public ::testing::TestWithParam<MethodCase> {};

TEST_P(Written, OurReaderGetsEveryFileBack) {
  bool ok = false;
  auto files = ReadAll(WriteArchive(GetParam().method, GetParam().smallest), &ok);
  EXPECT_TRUE(ok);
  for (const auto& f : Tree()) {
    ASSERT_TRUE(files.count(f.path)) << f.path;
    EXPECT_EQ(files[f.path].status, DecodeStatus::kOk);
    EXPECT_TRUE(files[f.path].data == f.data) << f.path;
  }
}

TEST_P(Written, EntriesUseTheMethodUnlessStoringIsSmaller) {
  const std::string archive = WriteArchive(GetParam().method, GetParam().smallest);
  MemorySource src(archive);
  ArchiveReader reader(src);
  ASSERT_TRUE(reader.Open());
  Entry e;
  while (reader.NextEntry(&e) == ArchiveReader::Next::kEntry) {
    if (e.header.IsDirectory()) continue;
    SCOPED_TRACE(e.header.name);
    if (e.header.originalSize == 0 || e.header.name == "random.bin") {
      EXPECT_EQ(e.header.method, Method::kLh0);
    } else if (e.header.originalSize > 1000) {
      if (GetParam().smallest) {
        EXPECT_NE(e.header.method, Method::kLh0);
      } else {
        EXPECT_EQ(e.header.method, GetParam().method);
      }
    }
    EXPECT_LE(e.header.packedSize, e.header.originalSize);
  }
}

// Runs a command line in a folder; the exit code.
int RunIn(const std::string& dir, const std::string& cmd) {
  return std::system(("cd '" + dir + "' && " + cmd + " >/dev/null 2>&1").c_str());
}

// jlha reads and writes names in the platform encoding unless told to use CP932.
const std::string kJlha = "LC_ALL=C.UTF-8 JAVA_TOOL_OPTIONS=-Dlha.encoding=MS932 jlha";

bool HaveTool(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// What extraction by an outside tool left in `dir`, compared with the tree; the names are
// decoded from CP932 by the tools that keep raw bytes.
void ExpectTree(const std::string& dir) {
  for (const auto& f : Tree()) {
    std::string path = dir + "/" + f.path;
    if (!fs::exists(path)) {
      std::string cp932;
      arc::Utf8ToCp932(f.path, &cp932);
      path = dir + "/" + cp932;
    }
    ASSERT_TRUE(fs::exists(path)) << f.path;
    EXPECT_TRUE(ReadFile(path) == f.data) << f.path;
  }
  EXPECT_TRUE(fs::is_directory(dir + "/docs/deep"));
}

TEST_P(Written, LhasaTestsAndExtractsIt) {
  if (!HaveTool("lhasa")) GTEST_SKIP() << "lhasa not installed";
  TempDir tmp;
  WriteFile(tmp.file("a.lzh"), WriteArchive(GetParam().method, GetParam().smallest));
  EXPECT_EQ(RunIn(tmp.path(), "lhasa t a.lzh"), 0);
  fs::create_directory(tmp.file("out"));
  EXPECT_EQ(RunIn(tmp.file("out"), "lhasa xq ../a.lzh"), 0);
  ExpectTree(tmp.file("out"));
}

TEST_P(Written, JlhaTestsAndExtractsIt) {
  if (!HaveTool("jlha")) GTEST_SKIP() << "jlha not installed";
  if (GetParam().method == Method::kLh1)
    GTEST_SKIP() << "jlha 0.1.x decodes -lh1- wrongly (also LHarc's own archives)";
  TempDir tmp;
  WriteFile(tmp.file("a.lzh"), WriteArchive(GetParam().method, GetParam().smallest));
  EXPECT_EQ(RunIn(tmp.path(), kJlha + " t a.lzh"), 0);
  fs::create_directory(tmp.file("out"));
  EXPECT_EQ(RunIn(tmp.file("out"), kJlha + " x ../a.lzh"), 0);
  ExpectTree(tmp.file("out"));
}

INSTANTIATE_TEST_SUITE_P(
    Methods, Written,
    ::testing::Values(MethodCase{Method::kLh0, false}, MethodCase{Method::kLh1, false},
                      MethodCase{Method::kLh5, false}, MethodCase{Method::kLh6, false},
                      MethodCase{Method::kLh7, false}, MethodCase{Method::kLh5, true}),
    [](const auto& info) {
      return info.param.smallest ? std::string("jma") : MethodId(info.param.method).substr(1, 3);
    });

// Archives jlha makes, for each method it writes, decode with ours.
TEST(LzhFromJlha, EveryJlhaMethodDecodes) {
  if (!HaveTool("jlha")) GTEST_SKIP() << "jlha not installed";
  TempDir tmp;
  for (const auto& f : Tree()) WriteFile(tmp.file("src/" + f.path), f.data);
  for (std::string opt : {"a2o5", "a2o6", "a2o7", "a1o5", "a0o5", "a2z"}) {
    SCOPED_TRACE(opt);
    EXPECT_EQ(
        RunIn(tmp.file("src"), kJlha + " " + opt + " ../" + opt +
                                   ".lzh readme.txt docs "
                                   "random.bin empty.dat 'with blank.txt' '日本語の予定表.txt'"),
        0);
    bool ok = false;
    auto files = ReadAll(ReadFile(tmp.file(opt + ".lzh")), &ok);
    EXPECT_TRUE(ok);
    for (const auto& f : Tree()) {
      ASSERT_TRUE(files.count(f.path)) << f.path;
      EXPECT_EQ(files[f.path].status, DecodeStatus::kOk) << f.path;
      EXPECT_TRUE(files[f.path].data == f.data) << f.path;
    }
  }
}

}  // namespace
}  // namespace qvr::lzh
