// The mail component against real servers on loopback: the three AUTH methods, refused
// logins, STARTTLS and TLS from the start with a certificate the test trusts, a server
// that never answers, the POP3 login, and the mail as Python's email package reads it.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <chrono>
#include <filesystem>

#include "MailComponent.h"
#include "MailServer.h"
#include "TempDir.h"

using qvr::MailComponent;
using qvr::MailServerAddress;
using qvr::ParseMailServer;
using qvr::test::MailServer;
using qvr::test::SilentServer;
using qvr::test::TempDir;

namespace {

constexpr const char* kUser = "qvr-user";
// A password holding what the packed from argument must carry whole.
constexpr const char* kPassword = "pa:ss\tw ord:日本";
constexpr const char* kFrom = "sender@example.jp";
constexpr const char* kTo = "owner@example.jp";

std::string Text(const QJsonObject& object, const char* key) {
  return object.value(key).toString().toStdString();
}

QJsonObject Decoded(const QJsonObject& mail) {
  return mail.value("decoded").toObject();
}

std::string AuthFrom(const std::string& method, const std::string& password = kPassword) {
  return std::string(kFrom) + "\t" + kUser + ":" + password + "\t" + method;
}

std::vector<std::string> SmtpOptions(const std::string& mechanisms) {
  return {"--mechanisms", mechanisms, "--user", kUser, "--password", kPassword, "--lifetime", "60"};
}

class MailComponentTest : public ::testing::Test {
 protected:
  std::string Folder(const std::string& name) {
    std::string folder = temp.file(name);
    std::filesystem::create_directories(folder);
    return folder;
  }
  TempDir temp;
};

// Each method the settings can choose is the one used, also when the server offers all
// three, with a password holding ":", TAB, blanks and Japanese.
TEST_F(MailComponentTest, EachAuthMethodIsUsedAsChosenAndTheMailArrives) {
  MailServer server("smtp", Folder("smtp"), SmtpOptions("LOGIN,PLAIN,CRAM-MD5"));
  for (const char* method : {"LOGIN", "PLAIN", "CRAM-MD5"}) {
    SCOPED_TRACE(method);
    std::string error = MailComponent().sendmail(server.address() + ":10", kTo, AuthFrom(method),
                                                 std::string("件名 ") + method, "本文", "");
    EXPECT_EQ(error, "");
  }
  auto auths = server.events("auth");
  auto mails = server.events("mail");
  ASSERT_EQ(auths.size(), 3u);
  ASSERT_EQ(mails.size(), 3u);
  const char* methods[] = {"LOGIN", "PLAIN", "CRAM-MD5"};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(Text(auths[i], "mechanism"), methods[i]);
    EXPECT_EQ(Text(auths[i], "login"), kUser);
    EXPECT_TRUE(auths[i].value("ok").toBool());
    EXPECT_TRUE(mails[i].value("authenticated").toBool());
    EXPECT_EQ(Text(Decoded(mails[i]), "subject"), std::string("件名 ") + methods[i]);
  }
  EXPECT_EQ(Text(auths[0], "password"), kPassword);  // LOGIN and PLAIN show it to the server
  EXPECT_EQ(Text(auths[1], "password"), kPassword);
}

struct RefusedCase {
  const char* name;
  const char* offered;   // what the server offers
  const char* method;    // what the from argument asks for
  const char* password;  // what the client sends
  const char* reason;    // part of the error text
};

// A wrong password, and a method the server does not offer (never a fall-back to
// another one): an error text, no mail.
TEST_F(MailComponentTest, RefusedLoginsGiveAnErrorTextAndSendNothing) {
  const RefusedCase cases[] = {
      {"wrong password, LOGIN", "LOGIN,PLAIN,CRAM-MD5", "LOGIN", "wrong", "ログインできません"},
      {"wrong password, PLAIN", "PLAIN", "PLAIN", "wrong", "ログインできません"},
      {"wrong password, CRAM-MD5", "CRAM-MD5", "CRAM-MD5", "wrong", "ログインできません"},
      {"CRAM-MD5 not offered", "LOGIN,PLAIN", "CRAM-MD5", kPassword, "ログインできません"},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.name);
    MailServer server("smtp", Folder(c.name), SmtpOptions(c.offered));
    std::string error = MailComponent().sendmail(server.address() + ":10", kTo,
                                                 AuthFrom(c.method, c.password), "s", "b", "");
    EXPECT_NE(error.find("メール送信エラー: "), std::string::npos) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_TRUE(server.events("mail").empty());
  }
}

// Without authentication, to several recipients: the mail as a mail client reads it.
TEST_F(MailComponentTest, TheMailReadsAsMailClientsExpect) {
  MailServer server("smtp", Folder("smtp"), {"--lifetime", "60"});
  std::string subject = "完了通知(QuiverArchiver) " + std::string(40, 'a') + " とても長い件名" +
                        "、もう少し続きます。=?not-a-word?=";
  std::string body = "解凍が完了しました。\r\n.\r\n..two dots\nlone line feed\rlone return\r\n末尾";
  std::string error = MailComponent().sendmail(
      server.address() + ":10", "owner@example.jp, 受取人 <second@example.jp>; third@example.jp",
      "差出人 <sender@example.jp>", subject, body, "");
  ASSERT_EQ(error, "");
  auto mails = server.events("mail");
  ASSERT_EQ(mails.size(), 1u);
  const QJsonObject& mail = mails[0];
  EXPECT_EQ(Text(mail, "mail_from"), "sender@example.jp");
  QJsonArray rcpt = mail.value("rcpt").toArray();
  ASSERT_EQ(rcpt.size(), 3);
  EXPECT_EQ(rcpt[0].toString().toStdString(), "owner@example.jp");
  EXPECT_EQ(rcpt[1].toString().toStdString(), "second@example.jp");
  EXPECT_EQ(rcpt[2].toString().toStdString(), "third@example.jp");
  QJsonObject decoded = Decoded(mail);
  EXPECT_EQ(Text(decoded, "subject"), subject);
  EXPECT_EQ(Text(decoded, "from"), "差出人 <sender@example.jp>");
  EXPECT_EQ(Text(decoded, "to"), "owner@example.jp, 受取人 <second@example.jp>, third@example.jp");
  EXPECT_EQ(Text(decoded, "body"),
            "解凍が完了しました。\r\n.\r\n..two dots\r\nlone line feed\r\nlone return\r\n末尾");
  EXPECT_EQ(Text(decoded, "content_type"), "text/plain");
  EXPECT_EQ(Text(decoded, "charset"), "utf-8");
  EXPECT_EQ(Text(decoded, "transfer_encoding"), "base64");
  EXPECT_EQ(Text(decoded, "mime_version"), "1.0");
  EXPECT_TRUE(decoded.value("defects").toArray().isEmpty());
  EXPECT_EQ(decoded.value("bare_line_ends").toInt(), 0);  // CR LF only
  EXPECT_LE(decoded.value("longest_line").toInt(), 78);
  EXPECT_TRUE(decoded.value("header_ascii").toBool());
  // The Date header is a real date with a zone, near now; the Message-ID a unique id.
  double sent = decoded.value("date_epoch").toDouble();
  double now = double(std::time(nullptr));
  EXPECT_GT(sent, now - 120);
  EXPECT_LE(sent, now + 1);
  std::string id = Text(decoded, "message_id");
  EXPECT_EQ(id.front(), '<');
  EXPECT_EQ(id.back(), '>');
  EXPECT_NE(id.find("@example.jp>"), std::string::npos) << id;
}

// STARTTLS whenever the server offers it (this server insists), and TLS from the first
// byte on the implicit-TLS port (465 in use; here the server's port), each against a
// certificate the test trusts; with the system's trust the same servers fail with a TLS
// error text before any password is sent.
TEST_F(MailComponentTest, TlsIsUsedAndTheCertificateIsVerified) {
  std::string certs = Folder("certs");
  qvr::test::MakeCertificate(certs);
  for (const char* mode : {"--starttls", "--implicit-tls"}) {
    SCOPED_TRACE(mode);
    std::vector<std::string> options = SmtpOptions("PLAIN");
    options.insert(options.end(), {mode, certs + "/cert.pem", certs + "/key.pem"});
    MailServer server("smtp", Folder(mode), options);
    MailComponent::Options trusting, system;
    trusting.caFile = certs + "/cert.pem";
    if (std::string(mode) == "--implicit-tls")
      trusting.implicitTlsPort = system.implicitTlsPort = server.port();
    std::string at = server.address() + ":10";
    EXPECT_EQ(MailComponent(trusting).sendmail(at, kTo, AuthFrom("PLAIN"), "s", "b", ""), "");
    std::string error = MailComponent(system).sendmail(at, kTo, AuthFrom("PLAIN"), "s", "b", "");
    EXPECT_NE(error.find("TLS"), std::string::npos) << error;
    auto mails = server.events("mail");
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_TRUE(mails[0].value("tls").toBool());
    EXPECT_EQ(server.events("auth").size(), 1u);
  }
}

// A server that takes the connection and never answers: the time-out of the server
// argument (or the default when it names none) ends the exchange with an error text.
TEST_F(MailComponentTest, ServerThatNeverAnswersEndsAtTheTimeOut) {
  SilentServer silent;
  std::string host = "127.0.0.1:" + std::to_string(silent.port());
  MailComponent::Options shortDefault;
  shortDefault.defaultTimeoutSeconds = 2;
  struct {
    std::string server;
    MailComponent::Options options;
  } cases[] = {{host + ":2", {}}, {host, shortDefault}, {host + ":0", shortDefault}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.server);
    auto start = std::chrono::steady_clock::now();
    std::string error = MailComponent(c.options).sendmail(c.server, kTo, kFrom, "s", "b", "");
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_NE(error.find("時間内に応答しませんでした"), std::string::npos) << error;
    EXPECT_GE(took, std::chrono::milliseconds(1900));
    EXPECT_LT(took, std::chrono::seconds(30));
  }
}

// A recipient the server refuses: nothing is sent, and the text says the server refused.
TEST_F(MailComponentTest, RefusedRecipientGivesAnErrorText) {
  MailServer server("smtp", Folder("smtp"), {"--lifetime", "60"});
  std::string error = MailComponent().sendmail(
      server.address() + ":10", "owner@example.jp, unknown@example.jp", kFrom, "s", "b", "");
  EXPECT_NE(error.find("サーバーが受け付けませんでした"), std::string::npos) << error;
  EXPECT_NE(error.find("550"), std::string::npos) << error;
  EXPECT_TRUE(server.events("mail").empty());
}

TEST_F(MailComponentTest, ServerDownGivesAnErrorText) {
  int port = 0;
  {
    SilentServer closedAgain;
    port = closedAgain.port();
  }
  std::string error = MailComponent().sendmail("127.0.0.1:" + std::to_string(port) + ":5", kTo,
                                               kFrom, "s", "b", "");
  EXPECT_NE(error.find("サーバーに接続できません"), std::string::npos) << error;
}

// Arguments that cannot make a correct mail are refused before anything is sent.
TEST_F(MailComponentTest, BadArgumentsAreRefusedWithoutSending) {
  MailServer server("smtp", Folder("smtp"), {"--lifetime", "60"});
  std::string at = server.address() + ":10";
  struct {
    const char* name;
    std::string server, to, from, files, reason;
  } cases[] = {
      {"no host", ":25:120", kTo, kFrom, "", "サーバーの指定"},
      {"host with a path", "evil.example/x:25:120", kTo, kFrom, "", "サーバーの指定"},
      {"port not a number", "127.0.0.1:smtp:120", kTo, kFrom, "", "サーバーの指定"},
      {"port too large", "127.0.0.1:70000:120", kTo, kFrom, "", "サーバーの指定"},
      {"no recipient", at, " , ", kFrom, "", "宛先"},
      {"header in the recipient", at, "a@example.jp\r\nBcc: b@example.jp", kFrom, "", "宛先"},
      {"no sender", at, kTo, "", "", "差出人"},
      {"header in the sender", at, kTo, "a@example.jp\nBcc: b@example.jp", "", "差出人"},
      {"attachment", at, kTo, kFrom, "/etc/hostname", "添付"},
      {"method with options", at, kTo, std::string(kFrom) + "\tu:p\tPLAIN;X=1", "", "認証方式"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error = MailComponent().sendmail(c.server, c.to, c.from, "s", "b", c.files);
    EXPECT_EQ(error.rfind("メール送信エラー: ", 0), 0u) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
  EXPECT_TRUE(server.events("mail").empty());
}

// The packed server argument read from the right: IPv6 hosts, missing parts.
TEST(ParseMailServerTest, ReadsFromTheRight) {
  struct {
    const char* packed;
    bool ok;
    const char* host;
    bool ipv6;
    int port, timeout;
  } cases[] = {
      {"mail.example.jp:25:120", true, "mail.example.jp", false, 25, 120},
      {"mail.example.jp:587", true, "mail.example.jp", false, 587, 0},
      {"mail.example.jp", true, "mail.example.jp", false, 0, 0},
      {"mail.example.jp::", true, "mail.example.jp", false, 0, 0},
      {"::1:25:120", true, "::1", true, 25, 120},
      {"[::1]:25:120", true, "::1", true, 25, 120},
      {"[::1]:465", true, "::1", true, 465, 0},
      {"[::1]", true, "::1", true, 0, 0},
      {"::1", true, "::1", true, 0, 0},
      {"fe80::1:2:3:25:120", true, "fe80::1:2:3", true, 25, 120},
      {"2001:db8::25:25:30", true, "2001:db8::25", true, 25, 30},
      {"127.0.0.1:2525:2", true, "127.0.0.1", false, 2525, 2},
      {" 127.0.0.1:25:120 ", true, "127.0.0.1", false, 25, 120},
      {"日本.example:25:120", true, "日本.example", false, 25, 120},
      {"", false, "", false, 0, 0},
      {":25:120", false, "", false, 0, 0},
      {"host:x:120", false, "", false, 0, 0},
      {"host:25:-5", false, "", false, 0, 0},
      {"host:65536:1", false, "", false, 0, 0},
      {"mail.example.jp:587:25:120", false, "", false, 0, 0},
      {"[::1", false, "", false, 0, 0},
      {"[mail.example.jp]:25", false, "", false, 0, 0},
      {"user@host:25:120", false, "", false, 0, 0},
      {"host name:25:120", false, "", false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.packed);
    MailServerAddress address;
    ASSERT_EQ(ParseMailServer(c.packed, address), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(address.host, c.host);
    EXPECT_EQ(address.ipv6, c.ipv6);
    EXPECT_EQ(address.port, c.port);
    EXPECT_EQ(address.timeoutSeconds, c.timeout);
  }
}

// POP before SMTP: the login the POP3 server sees, with the password whole.
TEST_F(MailComponentTest, RcvMailLogsInToPop3) {
  MailServer pop("pop3", Folder("pop"),
                 {"--user", "pop-user", "--password", "p:o p\tw", "--lifetime", "60"});
  MailComponent component;
  auto good = component.RcvMail(pop.address(), "pop-user", "p:o p\tw", "STAT", temp.path());
  ASSERT_FALSE(good.empty());
  EXPECT_EQ(good[0], "");
  auto bad = component.RcvMail(pop.address(), "pop-user", "wrong", "STAT", temp.path());
  ASSERT_FALSE(bad.empty());
  EXPECT_EQ(bad[0].rfind("POP3ログインエラー: ", 0), 0u) << bad[0];
  auto logins = pop.events("pop-login");
  ASSERT_EQ(logins.size(), 2u);
  EXPECT_EQ(Text(logins[0], "login"), "pop-user");
  EXPECT_EQ(Text(logins[0], "password"), "p:o p\tw");
  EXPECT_TRUE(logins[0].value("ok").toBool());
  EXPECT_FALSE(logins[1].value("ok").toBool());
  std::vector<std::string> commands;
  for (const QJsonObject& e : pop.events("pop-command")) commands.push_back(Text(e, "command"));
  EXPECT_NE(std::find(commands.begin(), commands.end(), "STAT"), commands.end());
  // Only STAT is served: it retrieves nothing into the folder.
  auto other = component.RcvMail(pop.address(), "pop-user", "p:o p\tw", "RETR 1", temp.path());
  EXPECT_NE(other[0].find("RETR 1"), std::string::npos);
}

TEST(MailComponentAvailability, LibcurlOffersSmtp) {
  EXPECT_TRUE(MailComponent::Available());
}

}  // namespace
