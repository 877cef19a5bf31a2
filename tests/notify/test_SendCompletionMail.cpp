// The completion mail: the arguments read from section E-Mail, the silent cases, the send
// through real loopback servers (POP before SMTP, SMTP authentication with the stored
// passwords), errors in status panel 1, and the stored password form through QvrArc.ini.
#include <gtest/gtest.h>

#include <QJsonObject>
#include <filesystem>
#include <random>
#include <thread>

#include "AppFolder.h"
#include "DateTimeText.h"
#include "FakeMainWindow.h"
#include "MailServer.h"
#include "SendCompletionMail.h"
#include "Settings.h"
#include "TempDir.h"

namespace qvr::test {
namespace {

namespace fs = std::filesystem;

std::string Text(const QJsonObject& object, const char* key) {
  return object.value(key).toString().toStdString();
}

class CompletionMailTest : public ::testing::Test {
 protected:
  CompletionMailTest() { SetAppFolder(temp.path()); }

  // QvrArc.ini holding only the given E-Mail lines.
  void Settings(const std::string& lines) {
    WriteFile(temp.file("QvrArc.ini"), "[E-Mail]\r\n" + lines);
  }
  std::string Folder(const std::string& name) {
    fs::create_directories(temp.file(name));
    return temp.file(name);
  }
  TempDir temp;
  FakeMainWindow window;
};

// Runs the work on a thread of its own, as Form1 does, after noting what the servers had
// seen before it.
struct ThreadedWindow : FakeMainWindow {
  void runResponsive(const std::function<void()>& work) override {
    ++responsiveCalls;
    if (before) before();
    std::thread worker(work);
    worker.join();
  }
  std::function<void()> before;
};

constexpr const char* kBase =
    "SMTPServer=mail.example.jp\r\nMailTo=to@example.jp\r\n"
    "MailFrom=from@example.jp\r\n";

// The edge cases of the packed arguments, the subject and the body.
TEST_F(CompletionMailTest, ArgumentsFromTheSettings) {
  const std::time_t now = 1796947663;
  struct {
    const char* name;
    std::string lines, mode, outcome;
    std::string server, from, subject, body;
    int timeout = 120;  // what bounds the POP login
  } cases[] = {
      {"port 0, no time-out", std::string(kBase) + "Port=0\r\n", "Extract", "SUCCESS",
       "mail.example.jp:25:120", "from@example.jp", "完了通知(QuiverArchiver)",
       "解凍が完了しました。\r\n"},
      {"port and time-out", std::string(kBase) + "Port=587\r\nTimeOut=30\r\nSubject=終わり\r\n",
       "Archive", "SUCCESS", "mail.example.jp:587:30", "from@example.jp", "終わり",
       "圧縮が完了しました。\r\n", 30},
      {"CRAM-MD5",
       std::string(kBase) + "UseSMTPAUTH=1\r\nSMTPAUTH=2\r\nSMTPUserName=u\r\n" +
           "SMTPPassword=dcb\r\n",
       "Extract", "SUCCESS", "mail.example.jp:25:120", "from@example.jp\tu:abc\tCRAM-MD5",
       "完了通知(QuiverArchiver)", "解凍が完了しました。\r\n"},
      {"LOGIN", std::string(kBase) + "UseSMTPAUTH=1\r\nSMTPAUTH=0\r\nSMTPUserName=u\r\n", "Extract",
       "SUCCESS", "mail.example.jp:25:120", "from@example.jp\tu:\tLOGIN",
       "完了通知(QuiverArchiver)", "解凍が完了しました。\r\n"},
      {"PLAIN", std::string(kBase) + "UseSMTPAUTH=1\r\nSMTPAUTH=1\r\nSMTPUserName=u\r\n", "Extract",
       "SUCCESS", "mail.example.jp:25:120", "from@example.jp\tu:\tPLAIN",
       "完了通知(QuiverArchiver)", "解凍が完了しました。\r\n"},
      {"unknown method", std::string(kBase) + "UseSMTPAUTH=1\r\nSMTPAUTH=3\r\nSMTPUserName=u\r\n",
       "Extract", "SUCCESS", "mail.example.jp:25:120", "from@example.jp\tu:\t",
       "完了通知(QuiverArchiver)", "解凍が完了しました。\r\n"},
      {"UseSMTPAUTH 2 is none",
       std::string(kBase) + "UseSMTPAUTH=2\r\nSMTPAUTH=2\r\nSMTPUserName=u\r\n", "Extract",
       "SUCCESS", "mail.example.jp:25:120", "from@example.jp", "完了通知(QuiverArchiver)",
       "解凍が完了しました。\r\n"},
      {"another mode word", kBase, "Whatever", "SUCCESS", "mail.example.jp:25:120",
       "from@example.jp", "完了通知(QuiverArchiver)", "圧縮が完了しました。\r\n"},
      {"failed extraction", kBase, "Extract", "FAIL", "mail.example.jp:25:120", "from@example.jp",
       "完了通知(QuiverArchiver)", "解凍に失敗しました。\r\n"},
      {"failed archiving", kBase, "Archive", "FAIL", "mail.example.jp:25:120", "from@example.jp",
       "完了通知(QuiverArchiver)", "圧縮に失敗しました。\r\n"},
      {"port above 32767", std::string(kBase) + "Port=50000\r\n", "Extract", "SUCCESS",
       "mail.example.jp:50000:120", "from@example.jp", "完了通知(QuiverArchiver)",
       "解凍が完了しました。\r\n"},
      {"port out of range", std::string(kBase) + "Port=70000\r\nTimeOut=-3\r\n", "Extract",
       "SUCCESS", "mail.example.jp:70000:-3", "from@example.jp", "完了通知(QuiverArchiver)",
       "解凍が完了しました。\r\n"},
      {"IPv6 server", "SMTPServer=::1\r\nMailTo=t@x\r\nMailFrom=f@x\r\nPort=2525\r\n", "Extract",
       "SUCCESS", "::1:2525:120", "f@x", "完了通知(QuiverArchiver)", "解凍が完了しました。\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Settings(c.lines);
    CompletionMail mail = PrepareCompletionMail(c.mode, c.outcome, now);
    EXPECT_TRUE(mail.send);
    EXPECT_EQ(mail.refusal, "");
    EXPECT_EQ(mail.server, c.server);
    EXPECT_EQ(mail.from, c.from);
    EXPECT_EQ(mail.subject, c.subject);
    EXPECT_EQ(mail.body, c.body + DateTimeText(now));
    EXPECT_EQ(mail.timeoutSeconds, c.timeout);
  }
}

// Nothing is sent and nothing shown without server, recipient or sender, or with POP
// before SMTP on and its data incomplete; only the value 1 switches POP before SMTP on.
TEST_F(CompletionMailTest, SilentCases) {
  const std::string pop = "POPServer=pop.example.jp\r\nPOPUserName=p\r\nPOPPassword=dcb\r\n";
  struct {
    const char* name;
    std::string lines;
    bool send;
  } cases[] = {
      {"complete", kBase, true},
      {"no server", "MailTo=to@example.jp\r\nMailFrom=from@example.jp\r\n", false},
      {"no recipient", "SMTPServer=s\r\nMailFrom=from@example.jp\r\n", false},
      {"no sender", "SMTPServer=s\r\nMailTo=to@example.jp\r\n", false},
      {"POP complete", std::string(kBase) + "UsePOPBSMTP=1\r\n" + pop, true},
      {"POP without server",
       std::string(kBase) + "UsePOPBSMTP=1\r\nPOPUserName=p\r\nPOPPassword=dcb\r\n", false},
      {"POP without user",
       std::string(kBase) + "UsePOPBSMTP=1\r\nPOPServer=s\r\nPOPPassword=dcb\r\n", false},
      {"POP without password",
       std::string(kBase) + "UsePOPBSMTP=1\r\nPOPServer=s\r\nPOPUserName=p\r\n", false},
      {"POP 2 is off", std::string(kBase) + "UsePOPBSMTP=2\r\n", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Settings(c.lines);
    CompletionMail mail = PrepareCompletionMail("Extract", "SUCCESS", 0);
    EXPECT_EQ(mail.send, c.send);
    if (c.send) continue;
    SendCompletionMail(window, "Extract", "SUCCESS");
    EXPECT_EQ(window.responsiveCalls, 0);
    EXPECT_TRUE(window.panelHistory.empty());
  }
  Settings(std::string(kBase) + "UsePOPBSMTP=1\r\n" + pop);
  CompletionMail mail = PrepareCompletionMail("Extract", "SUCCESS", 0);
  EXPECT_TRUE(mail.popBeforeSmtp);
  EXPECT_EQ(mail.popServer, "pop.example.jp");
  EXPECT_EQ(mail.popUser, "p");
  EXPECT_EQ(mail.popPassword, "abc");
}

// POP before SMTP and CRAM-MD5 with the passwords as the options dialog stores them: the
// POP3 server sees its login first, then the mail arrives; nothing is shown; the whole
// exchange ran inside runResponsive, on another thread.
TEST_F(CompletionMailTest, SendsThroughPopBeforeSmtpWithStoredPasswords) {
  const std::string smtpPassword = "\"s:m t p\"";  // the design's shift alone would not survive
  const std::string popPassword = "p:o~p";
  MailServer pop("pop3", Folder("pop"),
                 {"--user", "pop-user", "--password", popPassword, "--lifetime", "60"});
  MailServer smtp("smtp", Folder("smtp"),
                  {"--mechanisms", "CRAM-MD5", "--user", "smtp-user", "--password", smtpPassword,
                   "--lifetime", "60"});
  WriteIniString(kQvrArcIni, "E-Mail", "SMTPServer", "127.0.0.1");
  WriteIniString(kQvrArcIni, "E-Mail", "Port", std::to_string(smtp.port()));
  WriteIniString(kQvrArcIni, "E-Mail", "TimeOut", "10");
  WriteIniString(kQvrArcIni, "E-Mail", "MailTo", "owner@example.jp");
  WriteIniString(kQvrArcIni, "E-Mail", "MailFrom", "qvr@example.jp");
  WriteIniString(kQvrArcIni, "E-Mail", "UseSMTPAUTH", "1");
  WriteIniString(kQvrArcIni, "E-Mail", "SMTPAUTH", "2");
  WriteIniString(kQvrArcIni, "E-Mail", "SMTPUserName", "smtp-user");
  WriteIniString(kQvrArcIni, "E-Mail", "SMTPPassword", EncodePassword(smtpPassword));
  WriteIniString(kQvrArcIni, "E-Mail", "UsePOPBSMTP", "1");
  WriteIniString(kQvrArcIni, "E-Mail", "POPServer", pop.address());
  WriteIniString(kQvrArcIni, "E-Mail", "POPUserName", "pop-user");
  WriteIniString(kQvrArcIni, "E-Mail", "POPPassword", EncodePassword(popPassword));

  ThreadedWindow threaded;
  size_t seenBefore = 99;
  threaded.before = [&] {
    seenBefore = pop.events("pop-login").size() + smtp.events("mail").size();
  };
  SendCompletionMail(threaded, "Archive", "SUCCESS");
  EXPECT_EQ(threaded.responsiveCalls, 1);
  EXPECT_EQ(seenBefore, 0u);
  EXPECT_TRUE(threaded.panelHistory.empty()) << threaded.panelHistory[0].second;
  auto logins = pop.events("pop-login");
  auto auths = smtp.events("auth");
  auto mails = smtp.events("mail");
  ASSERT_EQ(logins.size(), 1u);
  ASSERT_EQ(auths.size(), 1u);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(Text(logins[0], "password"), popPassword);
  EXPECT_TRUE(logins[0].value("ok").toBool());
  EXPECT_EQ(Text(auths[0], "mechanism"), "CRAM-MD5");
  EXPECT_TRUE(auths[0].value("ok").toBool());
  EXPECT_LT(logins[0].value("at").toDouble(), auths[0].value("at").toDouble());
  QJsonObject decoded = mails[0].value("decoded").toObject();
  EXPECT_EQ(Text(decoded, "subject"), "完了通知(QuiverArchiver)");
  EXPECT_EQ(Text(decoded, "body").rfind("圧縮が完了しました。\r\n", 0), 0u);
}

// What cannot be sent shows its error text in panel 1, and the call returns: a refused
// login, a server that never answers (bounded by the settings' time-out), a user name
// with ":" (refused before anything is sent).
TEST_F(CompletionMailTest, FailuresShowTheErrorTextInPanel1) {
  MailServer smtp(
      "smtp", Folder("smtp"),
      {"--mechanisms", "LOGIN", "--user", "u", "--password", "right", "--lifetime", "60"});
  SilentServer silent;
  std::string common = "SMTPServer=127.0.0.1\r\nMailTo=to@example.jp\r\nMailFrom=f@example.jp\r\n";
  struct {
    const char* name;
    std::string lines, text;
  } cases[] = {
      {"refused login",
       common + "Port=" + std::to_string(smtp.port()) + "\r\nUseSMTPAUTH=1\r\nSMTPUserName=u\r\n" +
           "SMTPPassword=" + EncodePassword("wrong") + "\r\n",
       "ログインできませんでした"},
      {"never answers", common + "Port=" + std::to_string(silent.port()) + "\r\nTimeOut=2\r\n",
       "時間内に応答しませんでした"},
      {"user with a colon",
       common + "Port=" + std::to_string(smtp.port()) +
           "\r\nUseSMTPAUTH=1\r\nSMTPUserName=u:x\r\n" + "SMTPPassword=" + EncodePassword("right") +
           "\r\n",
       "SMTP認証のユーザー名に「:」は使えません。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    window.panelHistory.clear();
    Settings(c.lines);
    SendCompletionMail(window, "Extract", "SUCCESS");
    ASSERT_EQ(window.panelHistory.size(), 1u);
    EXPECT_EQ(window.panelHistory[0].first, 1);
    EXPECT_EQ(window.panels[1].rfind("メール送信エラー: ", 0), 0u) << window.panels[1];
    EXPECT_NE(window.panels[1].find(c.text), std::string::npos) << window.panels[1];
  }
  EXPECT_EQ(window.responsiveCalls, 2);  // the refused user name never reached the network
  EXPECT_EQ(smtp.events("auth").size(), 1u);
  EXPECT_TRUE(smtp.events("mail").empty());
}

// The design's stored form, kept wherever QvrArc.ini carries it.
TEST(PasswordForm, TheDesignsShiftWhereTheFileCarriesIt) {
  struct {
    const char* text;
    const char* stored;
  } cases[] = {
      {"", ""},
      {"abc", "dcb"},
      {"Pass word", "espx!ttbQ"},
      {"日本語パス", "ズヒ誟札旦"},
      {"p:w", "x;q"},
      {"\"q\"", "#r#"},
      {"ab ", "!cb"},
      {"{[]}", "~^\\|"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(EncodePassword(c.text), c.stored);
    EXPECT_EQ(DecodePassword(c.stored), c.text);  // values stored by the design read back
  }
}

// The texts whose shifted form QvrArc.ini would change (a blank at an end, enclosing
// quotes, control characters, line breaks) or that have no shifted form are stored in the
// other form; all of them, and many random texts, come back exactly through the file.
TEST(PasswordForm, EveryTextRoundTripsThroughTheSettingsFile) {
  TempDir temp;
  SetAppFolder(temp.path());
  std::vector<std::string> texts = {
      "\x1f"
      "ab",     // shifted: a trailing blank
      "!abc!",  // shifted: enclosed in double quotes
      "&ab&",   // shifted: enclosed in single quotes
      "x~y",    // shifted: DEL
      "a\tb",   // shifted: a line feed
      "a\x0c"
      "b",  // shifted: a carriage return
      "line\r\nbreak",
      " lead",
      "trail ",
      "\ttab",
      "\"quoted\"",
      "'single'",
      "\xed\x9f\xbf",      // U+D7FF: the next character is a surrogate
      "\xf4\x8f\xbf\xbf",  // U+10FFFF: no next character
      "\xff\xfe broken UTF-8",
      std::string("nul\0inside", 10),
      "\xee\x80\x80"
      "marker",
  };
  std::mt19937 random(20261210);
  const std::vector<std::string> pieces = {"a",
                                           "Z",
                                           "0",
                                           " ",
                                           "\t",
                                           "\r",
                                           "\n",
                                           "\x01",
                                           "\x1f",
                                           "!",
                                           "\"",
                                           "'",
                                           ":",
                                           ";",
                                           "=",
                                           "[",
                                           "]",
                                           "~",
                                           "\x7f",
                                           "\\",
                                           "日",
                                           "本",
                                           "\xef\xbf\xbf",
                                           "\xf0\x9f\x98\x80",
                                           "\xed\x9f\xbf",
                                           "\xee\x80\x80",
                                           "\xf4\x8f\xbf\xbf",
                                           "\xc2\xa0"};
  for (int n = 0; n < 2000; ++n) {
    std::string text;
    int length = int(random() % 12);
    for (int i = 0; i < length; ++i) text += pieces[random() % pieces.size()];
    texts.push_back(text);
  }
  // One file holding every stored value, each under a key of its own.
  std::vector<profile::Write> writes;
  for (size_t i = 0; i < texts.size(); ++i)
    writes.push_back({"E-Mail", "Password" + std::to_string(i), EncodePassword(texts[i])});
  WriteIniStrings(kQvrArcIni, writes, false);
  for (size_t i = 0; i < texts.size(); ++i) {
    SCOPED_TRACE(::testing::PrintToString(texts[i]));
    std::string read = CutAtNull(GetIniString(kQvrArcIni, "E-Mail", writes[i].key));
    ASSERT_EQ(read, writes[i].value);
    ASSERT_EQ(DecodePassword(read), texts[i]);
  }
}

}  // namespace
}  // namespace qvr::test
