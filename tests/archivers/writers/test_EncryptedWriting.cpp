// Encrypted archives from our writing libraries: ZIP with AES-256 (zip32j "-e", 7-zip32
// "-tzip -p"), 7Z with 7zAES and encrypted names ("-mhe=on"), the password given on the line
// or answered by the host's callback. 7-Zip extracts each byte for byte with the password and
// refuses a wrong one; bsdtar reads the ZIPs; our own readers read them all back.
#include <filesystem>

#include "WriterTestSupport.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPassword = "パス word 1";
// Names with the size and a hash of the content: a difference is shown in a line or two.
std::map<std::string, std::string> Digest(const Tree& tree) {
  std::map<std::string, std::string> digest;
  for (const auto& [name, content] : tree)
    digest[name] =
        std::to_string(content.size()) + ":" + std::to_string(std::hash<std::string>{}(content));
  return digest;
}

constexpr const char* kLinePassword = "Line-Pass_1";  // a switch holds no blank

struct EncryptedCase {
  const char* label;
  const char* library;
  const char* prefix;
  const char* archive;
  const char* switches;  // before the archive; the sources follow as base folder and "*"
  bool hostAnswers;      // the password comes from the host's callback, else from the line
  bool namesHidden;      // a listing without the password shows no names
};

class EncryptedWriting : public ::testing::TestWithParam<EncryptedCase> {};

TEST_P(EncryptedWriting, SevenZipAndOurReadersNeedThePassword) {
  const EncryptedCase& c = GetParam();
  TempDir tmp;
  Tree tree = MakeSampleTree(tmp.file("src"));
  WriteFile(tmp.file("src/sub/tiny.txt"), "0123456789");  // under 20 bytes: no CRC stored
  tree["sub/tiny.txt"] = "0123456789";
  const std::string archive = tmp.file(c.archive);
  std::string line =
      std::string(c.switches) + " \"" + archive + "\" \"" + tmp.file("src") + "/\" *";
  const std::string password = c.hostAnswers ? kPassword : kLinePassword;
  Call call = CallLibrary(c.library, c.prefix, line,
                          c.hostAnswers ? std::optional<std::string>(password) : std::nullopt);
  ASSERT_EQ(call.code, 0) << line << "\n" << call.report;

  const Tree expected = FilesOnly(tree);
  ToolRun right =
      RunTool({"7zz", "x", "-y", "-bd", "-p" + password, "-o" + tmp.file("by-7zz"), archive});
  EXPECT_EQ(right.exitCode, 0) << right.output;
  EXPECT_EQ(Digest(FilesOnly(ReadTree(tmp.file("by-7zz")))), Digest(expected));
  ToolRun wrong =
      RunTool({"7zz", "x", "-y", "-bd", "-pwrong", "-o" + tmp.file("by-wrong"), archive});
  EXPECT_NE(wrong.exitCode, 0);
  if (fs::exists(tmp.file("by-wrong"))) {
    for (const auto& [name, content] : ReadTree(tmp.file("by-wrong"), false)) {
      if (!content.empty()) {
        EXPECT_NE(content, expected.count(name) ? expected.at(name) : "") << name;
      }
    }
  }
  ToolRun list = RunTool({"7zz", "l", "-slt", "-ba", "-pwrong", archive});
  EXPECT_EQ(list.output.find("readme.txt") == std::string::npos, c.namesHidden) << list.output;
  if (std::string(c.archive).ends_with(".zip")) {
    fs::create_directories(tmp.file("by-bsdtar"));
    ToolRun bsdtar = RunTool(
        {"bsdtar", "-xf", archive, "--passphrase", password.c_str(), "-C", tmp.file("by-bsdtar")});
    EXPECT_EQ(bsdtar.exitCode, 0) << bsdtar.output;
    EXPECT_EQ(Digest(FilesOnly(ReadTree(tmp.file("by-bsdtar")))), Digest(expected));
  }
  EXPECT_EQ(Digest(FilesOnly(ExtractWithOurs(archive, tmp.file("by-ours"), password))),
            Digest(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Writers, EncryptedWriting,
    ::testing::Values(
        EncryptedCase{"ZipHostAnswers", "zip32j.so", "Zip", "a.zip", "-r -S -e -6", true, false},
        EncryptedCase{"ZipStored", "zip32j.so", "Zip", "a.zip", "-r -S -e -0", true, false},
        EncryptedCase{"SevenZipZip", "7-zip32.so", "SevenZip", "a.zip",
                      "a -tzip -r -p -mem=AES256 -mx=5", true, false},
        EncryptedCase{"SevenZipNamesHidden", "7-zip32.so", "SevenZip", "a.7z",
                      "a -t7z -r -p -mhe=on -mx=5", true, true},
        EncryptedCase{"SevenZipGivenOnTheLine", "7-zip32.so", "SevenZip", "a.7z",
                      "a -t7z -r -pLine-Pass_1 -mhe=on -mx=1", false, true},
        EncryptedCase{"SevenZipStored", "7-zip32.so", "SevenZip", "a.7z",
                      "a -t7z -r -p -mhe=on -mx=0", true, true},
        EncryptedCase{"SevenZipFolderPerFileNamesShown", "7-zip32.so", "SevenZip", "a.7z",
                      "a -t7z -r -p -ms=off -mhe=off", true, false}),
    [](const auto& info) { return std::string(info.param.label); });

// Without a password nothing is written; a ZIP encryption our writer does not make is refused.
TEST(EncryptedWriting, NoPasswordNoArchive) {
  TempDir tmp;
  MakeSampleTree(tmp.file("src"));
  const std::string src = " \"" + tmp.file("src") + "/\" *";
  struct Row {
    const char* library;
    const char* prefix;
    const char* line;
    const char* archive;
    int32_t code;
  } rows[] = {
      {"zip32j.so", "Zip", "-r -e", "out.zip", ERROR_PASSWORD_FILE},
      {"7-zip32.so", "SevenZip", "a -t7z -r -p -mhe=on", "out.7z", ERROR_PASSWORD_FILE},
      {"7-zip32.so", "SevenZip", "a -tzip -r -p -mem=ZipCrypto", "out.zip", ERROR_COMMAND_NAME},
  };
  for (const Row& row : rows) {
    const std::string archive = tmp.file(row.archive);
    Call call = CallLibrary(row.library, row.prefix,
                            std::string(row.line) + " \"" + archive + "\"" + src, std::string());
    EXPECT_EQ(call.code, row.code) << row.line << ": " << call.report;
    EXPECT_FALSE(fs::exists(archive)) << row.line;
    EXPECT_EQ(OtherFiles(tmp.path(), {}), std::vector<std::string>{}) << row.line;
  }
}

}  // namespace
}  // namespace qvr::test
