// unlha32.so's writing side through its command entry, with the command lines the program
// sends for LZH: per-file archiving, batch archiving with a response file, adding into an
// archive's folder from the viewer, deleting an entry. Each result is read by our own
// reader and checked by lhasa; updates copy untouched entries unchanged; a failed change
// leaves the old archive byte for byte and no temporary file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>

#include "ArchiverLoader.h"
#include "LzhArchive.h"
#include "LzhNames.h"
#include "LzhTestData.h"
#include "TempDir.h"
#include "Text.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

ArchiverLib& Unlha() {
  static ArchiverLib lib("unlha32.so", "Unlha");
  return lib;
}

struct Listed {
  std::string method;
  std::string data;
  std::string raw;  // header and compressed data as stored
  bool folder = false;
};

// path (UTF-8) -> entry, read with our codec; empty when the archive does not read.
std::map<std::string, Listed> List(const std::string& archive) {
  std::map<std::string, Listed> out;
  std::string bytes = ReadFile(archive);
  lzh::MemorySource src(bytes);
  lzh::ArchiveReader reader(src);
  if (!reader.Open()) return out;
  lzh::Entry e;
  while (reader.NextEntry(&e) == lzh::ArchiveReader::Next::kEntry) {
    std::string path = e.header.Path(), utf8;
    if (lzh::GuessEncoding(path) == lzh::NameEncoding::kCp932 && arc::Cp932ToUtf8(path, &utf8))
      path = utf8;
    Listed l;
    l.method = e.header.methodId;
    l.folder = e.header.IsDirectory();
    lzh::MemorySink sink;
    EXPECT_EQ(reader.Extract(e, sink), lzh::DecodeStatus::kOk) << path;
    l.data = sink.data;
    l.raw = bytes.substr(e.headerOffset, e.header.headerSize + e.header.packedSize);
    out[path + (l.folder ? "/" : "")] = l;
  }
  return out;
}

bool LhasaTests(const std::string& archive) {
  return std::system(("lhasa t '" + archive + "' >/dev/null 2>&1").c_str()) == 0;
}

void ExpectNoTemporaries(const std::string& dir) {
  for (const auto& e : fs::directory_iterator(dir))
    EXPECT_EQ(e.path().filename().string().find(".qvr"), std::string::npos) << e.path();
}

class WriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    text = lzh::test::TextBytes(40000, 21);
    WriteFile(src("report.txt"), text);
    WriteFile(src("日本語の予定表.txt"), "予定\n");
    WriteFile(src("empty.dat"), "");
    WriteFile(src("with blank.txt"), "blank\n");
    WriteFile(src("random.bin"), lzh::test::RandomBytes(20000, 22));
    WriteFile(src("docs/notes.txt"), lzh::test::TextBytes(3000, 23));
  }
  std::string src(const std::string& name) { return tmp.file("src/" + name); }
  std::string arc(const std::string& name = "out.lzh") { return tmp.file(name); }
  int32_t Run(const std::string& line) {
    int32_t rc = Unlha().Run(line, nullptr, &report);
    return rc;
  }
  TempDir tmp;
  std::string text, report;
};

// Per-file archiving: the -jm switch chooses the method; -je is accepted.
TEST_F(WriteTest, PerFileLineForEveryMethodSwitch) {
  const std::map<std::string, std::string> methods = {{"-jm0", "-lh0-"}, {"-jm1", "-lh1-"},
                                                      {"-jm2", "-lh5-"}, {"-jm3", "-lh6-"},
                                                      {"-jm4", "-lh7-"}, {"", "-lh5-"}};
  for (const auto& [sw, id] : methods) {
    SCOPED_TRACE(sw);
    fs::remove(arc());
    ASSERT_EQ(Run("a -je16384 " + sw + " \"" + arc() + "\" \"" + src("report.txt") + "\""), 0)
        << report;
    auto l = List(arc());
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l["report.txt"].method, id);
    EXPECT_TRUE(l["report.txt"].data == text);
    EXPECT_TRUE(LhasaTests(arc()));
    // Our own reading side (libarchive, or our decoder for -lh1-) gets it back too.
    fs::remove_all(tmp.file("x"));
    ASSERT_EQ(Run("x -c1 -m1 -y1 -jf0 \"" + arc() + "\" \"" + tmp.file("x") + "/\""), 0) << report;
    EXPECT_TRUE(ReadFile(tmp.file("x/report.txt")) == text);
  }
  fs::remove(arc());
  ASSERT_EQ(Run("a -je4096 -jma \"" + arc() + "\" \"" + src("report.txt") + "\""), 0) << report;
  EXPECT_NE(List(arc())["report.txt"].method, "-lh0-");
  ExpectNoTemporaries(tmp.path());
}

// Batch archiving: the names come from a response file of quoted full paths (CR LF).
TEST_F(WriteTest, BatchLineWithResponseFile) {
  WriteFile(tmp.file("addlist.tmp"), "\"" + src("report.txt") + "\"\r\n\"" +
                                         src("日本語の予定表.txt") + "\"\r\n\"" +
                                         src("with blank.txt") + "\"\r\n\"" + src("empty.dat") +
                                         "\"\r\n\"" + src("random.bin") + "\"\r\n");
  ASSERT_EQ(Run("a -je16384 -jm2 \"" + arc() + "\" \"@" + tmp.file("addlist.tmp") + "\""), 0)
      << report;
  auto l = List(arc());
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(l["日本語の予定表.txt"].data, "予定\n");
  EXPECT_EQ(l["random.bin"].method, "-lh0-");  // does not shrink: stored
  EXPECT_EQ(l["empty.dat"].method, "-lh0-");
  EXPECT_TRUE(LhasaTests(arc()));
  // The name is stored in CP932, as Japanese LZH tools read it.
  std::string bytes = ReadFile(arc()), cp932;
  arc::Utf8ToCp932("日本語の予定表.txt", &cp932);
  EXPECT_NE(bytes.find(cp932), std::string::npos);
}

// The viewer's add into the root and into a folder (-x, base folder, bare names).
TEST_F(WriteTest, ViewerAddsIntoRootAndFolder) {
  ASSERT_EQ(Run("a -je16384 -jm2 \"" + arc() + "\" \"" + src("report.txt") + "\""), 0);
  WriteFile(tmp.file("addlist2.tmp"), "\"with blank.txt\"\r\n\"docs\"\r\n");
  ASSERT_EQ(Run("a -x \"" + arc() + "\" \"" + tmp.file("src") + "/\" \"@" +
                tmp.file("addlist2.tmp") + "\""),
            0)
      << report;
  auto l = List(arc());
  EXPECT_TRUE(l.count("report.txt"));
  EXPECT_TRUE(l.count("with blank.txt"));
  EXPECT_TRUE(l.count("docs/"));
  EXPECT_TRUE(l.count("docs/notes.txt"));

  WriteFile(tmp.file("addlist2.tmp"), "\"日本語の予定表.txt\"\r\n");
  ASSERT_EQ(Run("a -x \"" + arc() + "\"  -jb\"a/b\" \"" + tmp.file("src") + "/\" \"@" +
                tmp.file("addlist2.tmp") + "\""),
            0)
      << report;
  l = List(arc());
  EXPECT_TRUE(l.count("a/"));
  EXPECT_TRUE(l.count("a/b/"));
  EXPECT_EQ(l["a/b/日本語の予定表.txt"].data, "予定\n");
  EXPECT_TRUE(LhasaTests(arc()));
  fs::create_directory(tmp.file("x"));
  EXPECT_EQ(std::system(("cd '" + tmp.file("x") + "' && lhasa xq ../out.lzh").c_str()), 0);
  EXPECT_TRUE(fs::exists(tmp.file("x/docs/notes.txt")));
  // lhasa keeps the stored CP932 bytes; the folders it made from our entries are enterable.
  std::string cp932;
  arc::Utf8ToCp932("日本語の予定表.txt", &cp932);
  EXPECT_EQ(ReadFile(tmp.file("x/a/b/" + cp932)), "予定\n");
}

// Two files of one name from different folders in one batch would lose one: the command
// fails naming both and writes nothing; the same file listed twice is one entry.
TEST_F(WriteTest, SameNameTwiceInOneBatchFailsNamingBoth) {
  WriteFile(src("other/report.txt"), "the other one\n");
  WriteFile(tmp.file("addlist.tmp"),
            "\"" + src("report.txt") + "\"\r\n\"" + src("other/report.txt") + "\"\r\n");
  EXPECT_EQ(Run("a -je16384 -jm2 \"" + arc() + "\" \"@" + tmp.file("addlist.tmp") + "\""),
            ERROR_COMMAND_NAME);
  EXPECT_NE(report.find(src("report.txt")), std::string::npos) << report;
  EXPECT_NE(report.find(src("other/report.txt")), std::string::npos) << report;
  EXPECT_FALSE(fs::exists(arc()));
  WriteFile(tmp.file("addlist.tmp"),
            "\"" + src("report.txt") + "\"\r\n\"" + src("report.txt") + "\"\r\n");
  ASSERT_EQ(Run("a -je16384 -jm2 \"" + arc() + "\" \"@" + tmp.file("addlist.tmp") + "\""), 0)
      << report;
  EXPECT_EQ(List(arc()).size(), 1u);
}

// Adding a file again replaces its entry; the other entries are copied unchanged.
// A file whose name holds "*" or "?" is added as that file, bare or quoted; a bare pattern
// that names no file still adds what it matches.
TEST_F(WriteTest, AFileNamedLikeAPatternIsThatFile) {
  WriteFile(src("a*b.txt"), "star\n");
  WriteFile(src("aXb.txt"), "x\n");
  WriteFile(src("?.txt"), "question\n");
  struct Row {
    std::string names;
    std::vector<std::string> stored;
  };
  const Row rows[] = {
      {"a*b.txt", {"a*b.txt"}},
      {"\"a*b.txt\" \"?.txt\"", {"?.txt", "a*b.txt"}},
      {"a?b.txt", {"a*b.txt", "aXb.txt"}},  // no such file: a pattern
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.names);
    fs::remove(arc());
    ASSERT_EQ(Run("a -x \"" + arc() + "\" \"" + tmp.file("src/") + "\" " + r.names), 0) << report;
    std::vector<std::string> stored;
    for (const auto& [path, entry] : List(arc())) stored.push_back(path);
    EXPECT_EQ(stored, r.stored);
  }
}

TEST_F(WriteTest, UpdateReplacesSamePathAndCopiesTheRest) {
  ASSERT_EQ(Run("a -jm2 \"" + arc() + "\" \"" + src("report.txt") + "\""), 0);
  ASSERT_EQ(Run("a -jm1 \"" + arc() + "\" \"" + src("random.bin") + "\""), 0);
  auto before = List(arc());
  WriteFile(src("report.txt"), "changed\n");
  ASSERT_EQ(Run("a -jm2 \"" + arc() + "\" \"" + src("report.txt") + "\""), 0) << report;
  auto after = List(arc());
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after["report.txt"].data, "changed\n");
  EXPECT_EQ(after["random.bin"].raw, before["random.bin"].raw);
}

// Deleting: the viewer's lines, with and without -jyd.
TEST_F(WriteTest, DeleteLinesRemoveTheEntryOnly) {
  WriteFile(tmp.file("addlist2.tmp"), "\"report.txt\"\r\n\"docs\"\r\n\"random.bin\"\r\n");
  ASSERT_EQ(Run("a -x \"" + arc() + "\" \"" + tmp.file("src") + "/\" \"@" +
                tmp.file("addlist2.tmp") + "\""),
            0);
  auto before = List(arc());
  ASSERT_EQ(Run("d -jyd \"" + arc() + "\" \"report.txt\""), 0) << report;
  ASSERT_EQ(Run("d \"" + arc() + "\" \"docs/notes.txt\""), 0) << report;
  auto after = List(arc());
  EXPECT_FALSE(after.count("report.txt"));
  EXPECT_FALSE(after.count("docs/notes.txt"));
  EXPECT_TRUE(after.count("docs/"));
  // A folder row as the viewer shows it.
  ASSERT_EQ(Run("d \"" + arc() + "\" \"docs/\""), 0) << report;
  EXPECT_FALSE(List(arc()).count("docs/"));
  after = List(arc());
  EXPECT_EQ(after["random.bin"].raw, before["random.bin"].raw);
  EXPECT_TRUE(LhasaTests(arc()));
  // A name that matches nothing changes nothing.
  std::string bytes = ReadFile(arc());
  EXPECT_EQ(Run("d \"" + arc() + "\" \"missing.txt\""), 0x8031);
  EXPECT_EQ(ReadFile(arc()), bytes);
  // Deleting the last entry removes the archive, as LHA does.
  ASSERT_EQ(Run("d \"" + arc() + "\" \"random.bin\""), 0) << report;
  EXPECT_FALSE(fs::exists(arc()));
  ExpectNoTemporaries(tmp.path());
}

// Failures leave the old archive byte for byte and no temporary file.
TEST_F(WriteTest, FailedChangesLeaveTheOldArchive) {
  ASSERT_EQ(Run("a -jm2 \"" + arc() + "\" \"" + src("report.txt") + "\""), 0);
  const std::string bytes = ReadFile(arc());
  // A source that does not exist.
  EXPECT_NE(Run("a -jm2 \"" + arc() + "\" \"" + src("missing.txt") + "\""), 0);
  EXPECT_EQ(ReadFile(arc()), bytes);
  // A source that cannot be read.
  WriteFile(src("locked.txt"), "x");
  fs::permissions(src("locked.txt"), fs::perms::none);
  if (::access(src("locked.txt").c_str(), R_OK) != 0) {
    EXPECT_NE(Run("a -jm2 \"" + arc() + "\" \"" + src("locked.txt") + "\""), 0);
    EXPECT_EQ(ReadFile(arc()), bytes);
  }
  // A damaged archive is not updated.
  std::string broken = bytes.substr(0, bytes.size() / 2);
  WriteFile(arc("broken.lzh"), broken);
  EXPECT_NE(Run("a -jm2 \"" + arc("broken.lzh") + "\" \"" + src("empty.dat") + "\""), 0);
  EXPECT_EQ(ReadFile(arc("broken.lzh")), broken);
  // Not an archive at all.
  WriteFile(arc("text.lzh"), "just text");
  EXPECT_EQ(Run("a -jm2 \"" + arc("text.lzh") + "\" \"" + src("empty.dat") + "\""), 0x8019);
  EXPECT_EQ(ReadFile(arc("text.lzh")), "just text");
  // A folder that does not exist.
  EXPECT_NE(Run("a \"" + tmp.file("nowhere/a.lzh") + "\" \"" + src("empty.dat") + "\""), 0);
  ExpectNoTemporaries(tmp.path());
}

}  // namespace
}  // namespace qvr::test
