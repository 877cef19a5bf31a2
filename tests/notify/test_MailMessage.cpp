// The mail text on its own: encoded words and their folding, the Date header in every
// time zone, the address lists.
#include <gtest/gtest.h>

#include <QByteArray>
#include <cstdlib>

#include "MailMessage.h"

namespace qvr {
namespace {

// The text an encoded header carries, decoded again (UTF-8 "B" words only).
std::string DecodeWords(const std::string& header) {
  std::string text;
  size_t at = 0;
  while ((at = header.find("=?UTF-8?B?", at)) != std::string::npos) {
    size_t end = header.find("?=", at + 10);
    text += QByteArray::fromBase64(QByteArray::fromStdString(header.substr(at + 10, end - at - 10)))
                .toStdString();
    at = end + 2;
  }
  return text;
}

TEST(MailMessageTest, HeaderTextIsEncodedAndFolded) {
  struct {
    std::string text;
    bool plain;  // stays as it is
  } cases[] = {
      {"Completed", true},
      {"", true},
      {"完了通知(QuiverArchiver)", false},
      {"looks =?like?= a word", false},
      {"line\r\nBcc: injected@example.jp", false},
      {std::string(61, 'a'), false},
      {std::string(30, 'x') + "日本語の件名がとても長く続いていく場合にも文字の途中で切らない",
       false},
      {"\xff\xfe not UTF-8", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string header = EncodeHeaderText(c.text);
    if (c.plain) {
      EXPECT_EQ(header, c.text);
      continue;
    }
    EXPECT_EQ(DecodeWords(header), c.text);
    size_t start = 0;
    for (size_t end; (end = header.find("\r\n", start)) != std::string::npos; start = end + 2) {
      EXPECT_LE(end - start + (start == 0 ? 9 : 0), 76u);  // behind "Subject: "
      EXPECT_EQ(header[end + 2], ' ');                     // a folded line goes on
    }
    for (char ch : header) EXPECT_TRUE(ch == '\r' || ch == '\n' || (ch >= 0x20 && ch < 0x7F));
  }
  // A character is never split between two words.
  std::string japanese;
  for (int i = 0; i < 40; ++i) japanese += "あ";
  std::string header = EncodeHeaderText(japanese);
  for (size_t at = 0; (at = header.find("=?UTF-8?B?", at)) != std::string::npos; at += 10) {
    size_t end = header.find("?=", at + 10);
    std::string word =
        QByteArray::fromBase64(QByteArray::fromStdString(header.substr(at + 10, end - at - 10)))
            .toStdString();
    EXPECT_EQ(word.size() % 3, 0u);
  }
}

TEST(MailMessageTest, DateInEveryZoneWithEnglishNames) {
  const char* saved = std::getenv("TZ");
  std::string restore = saved ? saved : "";
  struct {
    const char* zone;
    const char* date;
  } cases[] = {
      {"UTC0", "Fri, 11 Dec 2026 00:07:43 +0000"},
      {"JST-9", "Fri, 11 Dec 2026 09:07:43 +0900"},
      {"NST+3:30", "Thu, 10 Dec 2026 20:37:43 -0330"},
  };
  for (const auto& c : cases) {
    setenv("TZ", c.zone, 1);
    tzset();
    EXPECT_EQ(MailDate(std::time_t(1796947663)), c.date);
  }
  if (saved) {
    setenv("TZ", restore.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

TEST(MailMessageTest, AddressListsAndMessageIds) {
  std::vector<std::string> expected = {"a@example.jp", "\"Yamada, Taro\" <b@example.jp>",
                                       "名前 <c@example.jp>", "<d;e@example.jp>"};
  EXPECT_EQ(SplitMailboxes(" a@example.jp, \"Yamada, Taro\" <b@example.jp>;名前 <c@example.jp>"
                           " ,, <d;e@example.jp> ;"),
            expected);
  EXPECT_EQ(AddressOf("名前 <c@example.jp>"), "c@example.jp");
  EXPECT_EQ(AddressOf("  plain@example.jp "), "plain@example.jp");
  std::string first = NewMessageId("example.jp"), second = NewMessageId("example.jp");
  EXPECT_NE(first, second);
  EXPECT_EQ(first.front(), '<');
  EXPECT_EQ(first.substr(first.size() - 12), "@example.jp>");
}

TEST(MailMessageTest, ComposedMailHasCrLfOnlyAndTheNeededHeaders) {
  MailMessage message{"差出人 <f@example.jp>", "t@example.jp",          "件名",
                      "一行目\n二行目",        std::time_t(1796947663), "<id@example.jp>"};
  std::string mail = ComposeMail(message);
  std::string stripped = mail;
  for (size_t at; (at = stripped.find("\r\n")) != std::string::npos;) stripped.erase(at, 2);
  EXPECT_EQ(stripped.find_first_of("\r\n"), std::string::npos);
  for (const char* header :
       {"\r\nFrom: =?UTF-8?B?", "\r\nTo: t@example.jp\r\n", "\r\nSubject: =?UTF-8?B?",
        "\r\nMessage-ID: <id@example.jp>\r\n", "\r\nMIME-Version: 1.0\r\n",
        "\r\nContent-Type: text/plain; charset=UTF-8\r\n",
        "\r\nContent-Transfer-Encoding: base64\r\n"})
    EXPECT_NE(mail.find(header), std::string::npos) << header;
  EXPECT_EQ(mail.rfind("Date: ", 0), 0u);
  size_t body = mail.find("\r\n\r\n");
  ASSERT_NE(body, std::string::npos);
  EXPECT_EQ(QByteArray::fromBase64(QByteArray::fromStdString(mail.substr(body + 4))).toStdString(),
            "一行目\r\n二行目");
}

}  // namespace
}  // namespace qvr
