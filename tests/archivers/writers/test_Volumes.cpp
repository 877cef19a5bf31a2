// Volumes from our writing libraries: 7-zip32's "-v" (x.7z.001 ...) and zip32j's "-s" or
// 7-zip32's "-tzip -v" (a split x.z01 ... x.zip). Every part but the last has one size;
// 7-Zip and our own readers extract the tree from the set; a later, shorter set leaves no
// part of the earlier one behind.
#include <filesystem>

#include "WriterTestSupport.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

struct VolumeCase {
  const char* label;
  const char* library;
  const char* prefix;
  const char* archive;
  const char* switches;
  std::vector<std::string> parts;  // in reading order; the first opens the set
  const char* reader;              // our library that reads it back, and its command
  const char* readerPrefix;
  const char* readCommand;
  std::optional<std::string> password;
};

class Volumes : public ::testing::TestWithParam<VolumeCase> {};

std::string Noise(size_t size) {
  std::string bytes(size, '\0');
  uint32_t x = 99;
  for (char& c : bytes) c = char((x = x * 1103515245 + 12345) >> 24);
  return bytes;
}

TEST_P(Volumes, PartsOfOneSizeThatPeersAndOurReadersJoin) {
  const VolumeCase& c = GetParam();
  TempDir tmp;
  Tree tree = MakeSampleTree(tmp.file("src"));
  WriteFile(tmp.file("src/big/noise.bin"), Noise(2500000));
  tree["big/"] = "";
  tree["big/noise.bin"] = Noise(2500000);
  const std::string src = " \"" + tmp.file("src") + "/\" *";
  const std::string line = std::string(c.switches) + " \"" + tmp.file(c.archive) + "\"" + src;
  Call call = CallLibrary(c.library, c.prefix, line, c.password);
  ASSERT_EQ(call.code, 0) << line << "\n" << call.report;
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(tmp.path()))
    if (e.is_regular_file()) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  std::vector<std::string> want = c.parts;
  std::sort(want.begin(), want.end());
  EXPECT_EQ(names, want);
  for (size_t i = 0; i + 1 < c.parts.size(); ++i)
    EXPECT_EQ(fs::file_size(tmp.file(c.parts[i])), fs::file_size(tmp.file(c.parts[0])));
  EXPECT_LE(fs::file_size(tmp.file(c.parts[0])), 1u << 20);

  std::vector<std::string> argv = {"7zz", "x", "-y", "-bd", "-o" + tmp.file("by-7zz")};
  if (c.password) argv.push_back("-p" + *c.password);
  argv.push_back(tmp.file(c.parts[0]));
  ToolRun seven = RunTool(argv);
  EXPECT_EQ(seven.exitCode, 0) << seven.output;
  EXPECT_EQ(FilesOnly(ReadTree(tmp.file("by-7zz"))), FilesOnly(tree));
  fs::create_directories(tmp.file("by-ours"));
  Call ours = CallLibrary(c.reader, c.readerPrefix,
                          std::string(c.readCommand) + " \"" + tmp.file(c.parts[0]) + "\" \"" +
                              tmp.file("by-ours") + "/\"",
                          c.password);
  EXPECT_EQ(ours.code, 0) << ours.report;
  EXPECT_EQ(FilesOnly(ReadTree(tmp.file("by-ours"))), FilesOnly(tree));

  // The same archive again from less: one part, and nothing of the earlier set stays.
  fs::remove_all(tmp.file("src/big"));
  call = CallLibrary(c.library, c.prefix, line, c.password);
  ASSERT_EQ(call.code, 0) << call.report;
  for (size_t i = 1; i < c.parts.size(); ++i) {
    const bool last = c.parts[i] == c.archive;
    EXPECT_EQ(fs::exists(tmp.file(c.parts[i])), last) << c.parts[i];
  }
}

INSTANTIATE_TEST_SUITE_P(Writers, Volumes,
                         ::testing::Values(VolumeCase{"SevenZip",
                                                      "7-zip32.so",
                                                      "SevenZip",
                                                      "v.7z",
                                                      "a -t7z -r -v1m -mx=0",
                                                      {"v.7z.001", "v.7z.002", "v.7z.003"},
                                                      "7-zip32.so",
                                                      "SevenZip",
                                                      "x -y",
                                                      std::nullopt},
                                           VolumeCase{"SevenZipEncrypted",
                                                      "7-zip32.so",
                                                      "SevenZip",
                                                      "v.7z",
                                                      "a -t7z -r -v1m -mx=1 -p -mhe=off",
                                                      {"v.7z.001", "v.7z.002", "v.7z.003"},
                                                      "7-zip32.so",
                                                      "SevenZip",
                                                      "x -y",
                                                      std::string("secret")},
                                           VolumeCase{"Zip",
                                                      "zip32j.so",
                                                      "Zip",
                                                      "v.zip",
                                                      "-r -S -0 -s1m",
                                                      {"v.z01", "v.z02", "v.zip"},
                                                      "unzip32.so",
                                                      "UnZip",
                                                      "-x -o",
                                                      std::nullopt},
                                           VolumeCase{"SevenZipWritesZip",
                                                      "7-zip32.so",
                                                      "SevenZip",
                                                      "v.zip",
                                                      "a -tzip -r -mx=0 -v1m",
                                                      {"v.z01", "v.z02", "v.zip"},
                                                      "unzip32.so",
                                                      "UnZip",
                                                      "-x -o",
                                                      std::nullopt}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace qvr::test
