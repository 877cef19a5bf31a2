// Our 7Z container and its LZMA2 blocks. Every case of the table is written, tested by 7-Zip,
// listed by lsar and extracted by 7-Zip, bsdtar, unar and our own reading side, which must all give
// exactly the names, folders, contents and modification times of the source. The blocks that
// threads compress apart must join into one stream that decodes to the input byte for byte,
// whatever the sizes around the block boundaries.
#include <fcntl.h>
#include <lzma.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <random>

#include "Lzma2Blocks.h"
#include "SevenZipWriter.h"
#include "WriterTestSupport.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

constexpr uint64_t kSmallBlock = 64 * 1024;

std::string RandomBytes(size_t size, uint32_t seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

std::string Text(size_t size) {
  std::string text;
  for (int i = 0; text.size() < size; ++i)
    text +=
        "row " + std::to_string(i) + ": the quick brown fox " + std::to_string(i * 7 % 13) + "\n";
  text.resize(size);
  return text;
}

// Writes the tree under root; files and folders get distinct modification times, folders
// last (writing into a folder changes its time).
void WriteTree(const std::string& root, const Tree& tree) {
  fs::create_directories(root);
  for (const auto& [name, content] : tree) {
    if (name.back() == '/')
      fs::create_directories(root + "/" + name);
    else
      WriteFile(root + "/" + name, content);
  }
  int64_t when = 1500000000;
  for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
    struct timespec times[2] = {{when, 0}, {when, 0}};
    utimensat(AT_FDCWD, (root + "/" + it->first).c_str(), times, 0);
    when += 86400 + 17;
  }
}

// Path -> modification time (seconds) of everything under root; folders end in "/".
std::map<std::string, int64_t> Mtimes(const std::string& root) {
  std::map<std::string, int64_t> times;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    struct stat st {};
    stat(e.path().c_str(), &st);
    std::string rel = fs::relative(e.path(), root).string();
    times[e.is_directory() ? rel + "/" : rel] = st.st_mtime;
  }
  return times;
}

struct SevenZipCase {
  const char* label;
  std::function<Tree()> tree;
  int level = 5;
  bool solid = true;
  bool headerCompression = true;
  uint64_t blockSize = 0;  // 0: the writer's own choice
};

Tree OnlyEmptyFiles() {
  return {{"a", ""}, {"b c.txt", ""}, {"日本語.txt", ""}};
}
Tree OnlyFolders() {
  return {{"x/", ""}, {"x/y/", ""}, {"z z/", ""}, {"空 フォルダ/", ""}};
}
Tree Mixed() {
  return {{"readme.txt", Text(20000)},
          {"zero.dat", ""},
          {"日本語 ファイル.txt", "こんにちは、世界\n"},
          {"sub dir/", ""},
          {"sub dir/note with blanks.md", "# note\n"},
          {"sub dir/nested/", ""},
          {"sub dir/nested/深い 名前.txt", Text(5000)},
          {"emptyfolder/", ""},
          {".hidden", "secret\n"}};
}
// Several blocks in one file, then more files: the joins fall inside and between files.
Tree LargerThanABlock() {
  Tree tree = Mixed();
  tree["big.txt"] = Text(5 * kSmallBlock + 123);
  tree["big.bin"] = RandomBytes(2 * kSmallBlock + 1, 7);
  tree["sub dir/after.txt"] = Text(kSmallBlock - 1);
  return tree;
}
Tree Incompressible() {
  return {{"noise.bin", RandomBytes(3 * kSmallBlock + 5, 11)}, {"tiny.bin", RandomBytes(3, 12)}};
}

class SevenZipPeers : public ::testing::TestWithParam<SevenZipCase> {};

TEST_P(SevenZipPeers, EveryReaderGetsTheTreeBack) {
  const SevenZipCase& c = GetParam();
  TempDir tmp;
  Tree tree = c.tree();
  std::string src = tmp.file("src");
  WriteTree(src, tree);
  std::map<std::string, int64_t> mtimes = Mtimes(src);
  std::string archive = tmp.file("out.7z");
  writers::SevenZipOptions options;
  options.level = c.level;
  options.solid = c.solid;
  options.headerCompression = c.headerCompression;
  options.blockSize = c.blockSize;
  writers::WriteResult r = writers::SevenZipAdd(archive, ItemsOf(src), options);
  ASSERT_TRUE(r.ok()) << r.report;
  ToolRun test = RunTool({"7zz", "t", "-bd", archive});
  EXPECT_EQ(test.exitCode, 0) << test.output;
  std::vector<std::string> names;
  for (const auto& [name, content] : tree) names.push_back(name);
  EXPECT_EQ(ListWith("lsar", archive), names);
  for (std::string tool : {"7zz", "bsdtar", "unar", "ours"}) {
    std::string dest = tmp.file("by-" + tool);
    int exitCode = 0;
    Tree got = tool == "ours" ? ExtractWithOurs(archive, dest)
                              : ExtractWith(tool, archive, dest, &exitCode);
    EXPECT_EQ(exitCode, 0) << tool;
    EXPECT_EQ(got, tree) << tool;
    EXPECT_EQ(Mtimes(dest), mtimes) << tool;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SevenZipPeers,
    ::testing::Values(
        SevenZipCase{"OnlyEmptyFiles", OnlyEmptyFiles}, SevenZipCase{"OnlyFolders", OnlyFolders},
        SevenZipCase{"Mixed", Mixed}, SevenZipCase{"MixedPlainHeader", Mixed, 5, true, false},
        SevenZipCase{"MixedLevel0", Mixed, 0}, SevenZipCase{"MixedLevel9", Mixed, 9},
        SevenZipCase{"LargerThanABlock", LargerThanABlock, 5, true, true, kSmallBlock},
        SevenZipCase{"LargerThanABlockNotSolid", LargerThanABlock, 3, false, true, kSmallBlock},
        SevenZipCase{"LargerThanABlockLevel0", LargerThanABlock, 0, true, true, kSmallBlock},
        SevenZipCase{"Incompressible", Incompressible, 5, true, true, kSmallBlock}),
    [](const auto& info) { return std::string(info.param.label); });

// ---- LZMA2 blocks

// Decodes one folder's packed stream with liblzma, the dictionary taken from its property.
std::string DecodeLzma2(const std::string& packed, uint8_t property) {
  lzma_options_lzma options{};
  options.dict_size = property >= 40 ? UINT32_MAX : (2u | (property & 1u)) << (property / 2 + 11);
  lzma_filter filters[] = {{LZMA_FILTER_LZMA2, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  lzma_stream stream = LZMA_STREAM_INIT;
  EXPECT_EQ(lzma_raw_decoder(&stream, filters), LZMA_OK);
  std::string out;
  stream.next_in = reinterpret_cast<const uint8_t*>(packed.data());
  stream.avail_in = packed.size();
  lzma_ret rc = LZMA_OK;
  while (rc == LZMA_OK) {
    uint8_t buf[65536];
    stream.next_out = buf;
    stream.avail_out = sizeof buf;
    rc = lzma_code(&stream, LZMA_FINISH);
    out.append(reinterpret_cast<char*>(buf), sizeof buf - stream.avail_out);
    if (rc == LZMA_OK && stream.avail_out == sizeof buf) break;  // no progress: truncated
  }
  EXPECT_EQ(rc, LZMA_STREAM_END);
  EXPECT_EQ(stream.avail_in, 0u) << "bytes after the end marker";
  lzma_end(&stream);
  return out;
}

// Input of the given size that mixes text and noise, so blocks hold both kinds of chunk.
std::string MixedInput(size_t size, uint32_t seed) {
  std::string input = Text(size / 2) + RandomBytes(size - size / 2, seed);
  std::rotate(input.begin(), input.begin() + static_cast<long>(size / 3), input.end());
  return input;
}

TEST(Lzma2Blocks, JoinedBlocksDecodeToTheInputAroundEveryBoundary) {
  constexpr uint64_t kBlock = 16 * 1024;
  std::mt19937 random(2024);
  std::vector<size_t> sizes = {1, kBlock - 1, kBlock, kBlock + 1, 2 * kBlock, 3 * kBlock + 7};
  for (int i = 0; i < 12; ++i)
    sizes.push_back((random() % 6 + 1) * kBlock + random() % 5 - 2);  // a few bytes either side
  for (unsigned threads : {1u, 3u}) {
    for (size_t size : sizes) {
      // Two folders, the second half the size, each fed in pieces of random length.
      std::vector<std::string> inputs = {MixedInput(size, static_cast<uint32_t>(size)),
                                         MixedInput(size / 2 + 1, static_cast<uint32_t>(size + 1))};
      std::string packed;
      writers::Lzma2Blocks blocks({5, kBlock, threads, 0}, [&](const uint8_t* data, size_t n) {
        packed.append(reinterpret_cast<const char*>(data), n);
        return true;
      });
      for (const std::string& input : inputs) {
        for (size_t at = 0; at < input.size();) {
          size_t piece = std::min<size_t>(input.size() - at, random() % (2 * kBlock) + 1);
          ASSERT_TRUE(blocks.Append(reinterpret_cast<const uint8_t*>(input.data() + at), piece));
          at += piece;
        }
        ASSERT_TRUE(blocks.EndFolder());
      }
      ASSERT_TRUE(blocks.Finish()) << blocks.error();
      ASSERT_EQ(blocks.folders().size(), 2u);
      size_t at = 0;
      for (size_t f = 0; f < 2; ++f) {
        const writers::PackedFolder& folder = blocks.folders()[f];
        std::string stream = packed.substr(at, folder.packSize);
        at += folder.packSize;
        EXPECT_TRUE(DecodeLzma2(stream, folder.Property()) == inputs[f])
            << "size " << size << ", folder " << f << ", threads " << threads;
      }
      EXPECT_EQ(at, packed.size());
    }
  }
}

// A block continues the folder's dictionary: noise repeated in the next block costs almost
// nothing, as it would in one stream (a dictionary reset at every block packed it twice).
TEST(Lzma2Blocks, ALaterBlockMatchesIntoTheBlockBefore) {
  constexpr uint64_t kBlock = 64 * 1024;
  std::string noise = RandomBytes(kBlock, 7), input = noise + noise + noise;
  std::string packed;
  writers::Lzma2Blocks blocks({5, kBlock, 2, 0}, [&](const uint8_t* data, size_t n) {
    packed.append(reinterpret_cast<const char*>(data), n);
    return true;
  });
  ASSERT_TRUE(blocks.Append(reinterpret_cast<const uint8_t*>(input.data()), input.size()));
  ASSERT_TRUE(blocks.EndFolder());
  ASSERT_TRUE(blocks.Finish()) << blocks.error();
  EXPECT_LT(packed.size(), kBlock + kBlock / 8);
  EXPECT_TRUE(DecodeLzma2(packed, blocks.folders()[0].Property()) == input);
}

// Files whose sizes fall a few bytes either side of the block size and its multiples, in one
// solid archive: 7-Zip and our reader give every byte back.
TEST(SevenZipWriter, FilesAroundBlockBoundariesComeBackWhole) {
  constexpr uint64_t kBlock = 8 * 1024;
  TempDir tmp;
  std::mt19937 random(99);
  Tree tree;
  for (int i = 0; i < 40; ++i) {
    int64_t size =
        static_cast<int64_t>((random() % 4) * kBlock) + static_cast<int>(random() % 9) - 4;
    size = std::max<int64_t>(size, i);  // a few small ones, one empty
    tree["f" + std::to_string(i) + ".dat"] =
        i % 3 ? Text(static_cast<size_t>(size))
              : RandomBytes(static_cast<size_t>(size), static_cast<uint32_t>(i));
  }
  WriteTree(tmp.file("src"), tree);
  writers::SevenZipOptions options;
  options.blockSize = kBlock;
  ASSERT_TRUE(writers::SevenZipAdd(tmp.file("r.7z"), ItemsOf(tmp.file("src")), options).ok());
  int exitCode = -1;
  EXPECT_EQ(ExtractWith("7zz", tmp.file("r.7z"), tmp.file("x7"), &exitCode), tree);
  EXPECT_EQ(exitCode, 0);
  EXPECT_EQ(ExtractWithOurs(tmp.file("r.7z"), tmp.file("xo")), tree);
}

// Deleting every entry leaves an empty archive that readers open, as 7-Zip writes one.
TEST(SevenZipWriter, DeletingEverythingLeavesAnEmptyArchive) {
  TempDir tmp;
  WriteFile(tmp.file("a.txt"), "a");
  ASSERT_TRUE(
      writers::SevenZipAdd(tmp.file("e.7z"), {{tmp.file("a.txt"), "a.txt", false}}, {}).ok());
  ASSERT_TRUE(writers::SevenZipDelete(tmp.file("e.7z"), {"a.txt"}).ok());
  EXPECT_EQ(RunTool({"7zz", "t", "-bd", tmp.file("e.7z")}).exitCode, 0);
  EXPECT_EQ(RunTool({"bsdtar", "-tf", tmp.file("e.7z")}).exitCode, 0);
  EXPECT_EQ(ExtractWithOurs(tmp.file("e.7z"), tmp.file("x")), Tree{});
  // It can be added to again.
  ASSERT_TRUE(
      writers::SevenZipAdd(tmp.file("e.7z"), {{tmp.file("a.txt"), "b.txt", false}}, {}).ok());
  EXPECT_EQ(ExtractWithOurs(tmp.file("e.7z"), tmp.file("y")), (Tree{{"b.txt", "a"}}));
}

// An update decodes the old archive and writes it anew: a symbolic link 7-Zip stored stays a
// link (its target is its data), with the entries around it.
TEST(SevenZipWriter, AnUpdateKeepsSymbolicLinks) {
  TempDir tmp;
  WriteFile(tmp.file("src/target.txt"), "target");
  fs::create_symlink("target.txt", tmp.file("src/link"));
  std::string archive = tmp.file("l.7z");
  ToolRun made = RunTool(
      {"7zz", "a", "-bd", "-snl", archive, tmp.file("src/target.txt"), tmp.file("src/link")});
  ASSERT_EQ(made.exitCode, 0) << made.output;
  WriteFile(tmp.file("new.txt"), "new");
  ASSERT_TRUE(writers::SevenZipAdd(archive, {{tmp.file("new.txt"), "new.txt", false}}, {}).ok());
  for (std::string tool : {"bsdtar", "7zz"}) {
    std::string dest = tmp.file("x-" + tool);
    int exitCode = -1;
    ExtractWith(tool, archive, dest, &exitCode);
    EXPECT_EQ(exitCode, 0) << tool;
    EXPECT_TRUE(fs::is_symlink(dest + "/link")) << tool;
    EXPECT_EQ(fs::read_symlink(dest + "/link"), "target.txt") << tool;
    EXPECT_EQ(ReadFile(dest + "/new.txt"), "new") << tool;
    EXPECT_EQ(ReadFile(dest + "/target.txt"), "target") << tool;
  }
}

}  // namespace
}  // namespace qvr::test
