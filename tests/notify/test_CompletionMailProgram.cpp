// The mail of a real drag-and-drop run: the built program extracts a fixture (or fails
// to), sends its completion mail to a loopback server with SMTP authentication and the
// password as the options dialog stores it, and ends by itself, also when the server
// never answers.
#include <gtest/gtest.h>

#include <QJsonObject>
#include <filesystem>
#include <regex>

#include "DDModeProgram.h"
#include "MailServer.h"
#include "SendCompletionMail.h"
#include "TempDir.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPassword = "s:ecret \"pass\"";

std::string Text(const QJsonObject& object, const char* key) {
  return object.value(key).toString().toStdString();
}

class CompletionMailProgramTest : public ::testing::Test {
 protected:
  std::string Folder(const std::string& name) {
    fs::create_directories(temp.file(name));
    return temp.file(name);
  }
  // A copy of the fixture in a folder of its own.
  std::string Copy(const std::string& fixture) {
    std::string path = Folder("in") + "/" + fixture;
    fs::copy_file(std::string(QVR_FIXTURES_DIR) + "/" + fixture, path);
    return path;
  }
  // Settings under which the run shows no box, extracts beside the archive and mails.
  void Settings(int port, int timeout) {
    program.Ini(
        "[GENERAL]\r\nEndNotice=1\r\nOpenFolder=0\r\nUseSound=0\r\nPreScan=1\r\nErrorSkip=1\r\n"
        "[DDMODE]\r\nOverWrite=0\r\nExtractMode=1\r\n[EXTRACT_DDMODE]\r\nFileNameFolder=1\r\n"
        "[E-Mail]\r\nUse=1\r\nSMTPServer=127.0.0.1\r\nPort=" +
        std::to_string(port) + "\r\nTimeOut=" + std::to_string(timeout) +
        "\r\nMailTo=owner@example.jp\r\nMailFrom=QuiverArchiver <qvr@example.jp>\r\n"
        "UseSMTPAUTH=1\r\nSMTPAUTH=1\r\nSMTPUserName=qvr\r\nSMTPPassword=" +
        EncodePassword(kPassword) + "\r\n");
  }
  TempDir temp;
  DDModeProgram program{temp};
};

TEST_F(CompletionMailProgramTest, ExtractionRunMailsItsCompletion) {
  MailServer server(
      "smtp", Folder("smtp"),
      {"--mechanisms", "PLAIN", "--user", "qvr", "--password", kPassword, "--lifetime", "120"});
  Settings(server.port(), 20);
  std::string archive = Copy("zip_deflate.zip");
  ASSERT_EQ(program.Run({archive}), 0);
  EXPECT_TRUE(fs::exists(temp.file("in/zip_deflate/readme.txt")));
  auto auths = server.events("auth");
  auto mails = server.events("mail");
  ASSERT_EQ(auths.size(), 1u);
  EXPECT_TRUE(auths[0].value("ok").toBool());
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(Text(mails[0], "mail_from"), "qvr@example.jp");
  QJsonObject decoded = mails[0].value("decoded").toObject();
  EXPECT_EQ(Text(decoded, "subject"), "完了通知(QuiverArchiver)");
  EXPECT_EQ(Text(decoded, "from"), "QuiverArchiver <qvr@example.jp>");
  EXPECT_EQ(Text(decoded, "to"), "owner@example.jp");
  EXPECT_EQ(Text(decoded, "charset"), "utf-8");
  // The counts of the run follow the first line, as its end box shows them.
  std::regex body(
      "解凍が完了しました。\r\n1個のファイルを解凍完了！\r\n\\d{4}/\\d{2}/\\d{2} "
      "\\d{2}:\\d{2}:\\d{2}");
  EXPECT_TRUE(std::regex_match(Text(decoded, "body"), body)) << Text(decoded, "body");
  EXPECT_FALSE(Text(decoded, "message_id").empty());
  EXPECT_GT(decoded.value("date_epoch").toDouble(), 0);
}

// No archive extracted: the mail says that the extraction failed.
TEST_F(CompletionMailProgramTest, FailedRunMailsTheFailure) {
  MailServer server(
      "smtp", Folder("smtp"),
      {"--mechanisms", "PLAIN", "--user", "qvr", "--password", kPassword, "--lifetime", "120"});
  Settings(server.port(), 20);
  // The run fails, and the program says so in its exit status after the mail.
  ASSERT_EQ(program.Run({Copy("not_a_zip.zip")}), 1);
  auto mails = server.events("mail");
  ASSERT_EQ(mails.size(), 1u);
  std::string body = Text(mails[0].value("decoded").toObject(), "body");
  EXPECT_EQ(body.rfind("解凍に失敗しました。\r\n", 0), 0u) << body;
}

// A server that takes the connection and never answers: the run still ends by itself,
// after the settings' time-out.
TEST_F(CompletionMailProgramTest, ProgramEndsAfterAServerThatNeverAnswers) {
  SilentServer silent;
  Settings(silent.port(), 2);
  std::string archive = Copy("zip_deflate.zip");
  auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(program.Run({archive}, std::chrono::seconds(60)), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1900));
  EXPECT_TRUE(fs::exists(temp.file("in/zip_deflate/readme.txt")));
}

}  // namespace
}  // namespace qvr::test
