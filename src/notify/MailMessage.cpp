#include "MailMessage.h"

#include <QByteArray>
#include <cstdio>
#include <random>

namespace qvr {
namespace {

// Bytes of text per encoded word: 39 bytes give 52 Base64 characters, so the word fits
// behind "Subject: " and every folded line stays within 76 characters.
constexpr size_t kWordBytes = 39;
constexpr size_t kBodyLine = 76;

bool PlainAscii(const std::string& text) {
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte > 0x7E) return false;
  }
  return true;
}

std::string Base64(std::string_view bytes) {
  return QByteArray(bytes.data(), qsizetype(bytes.size())).toBase64().toStdString();
}

// A cut at or before limit that does not split a UTF-8 character.
size_t CharacterCut(const std::string& text, size_t from, size_t limit) {
  size_t cut = std::min(text.size(), from + limit);
  if (cut == text.size()) return cut;
  size_t back = cut;
  while (back > from && (static_cast<unsigned char>(text[back]) & 0xC0) == 0x80) --back;
  return back > from ? back : cut;  // a broken sequence longer than a word is cut anyway
}

// "名前 <a@b>": the display name encoded when it is not plain ASCII. An address that is
// not ASCII itself cannot be encoded and stays as it is.
std::string MailboxHeader(const std::string& mailbox) {
  size_t open = mailbox.rfind('<');
  if (open == std::string::npos || PlainAscii(mailbox)) return mailbox;
  std::string name = TrimSpaceAndTab(mailbox.substr(0, open));
  std::string address = mailbox.substr(open);
  if (name.empty()) return address;
  return EncodeHeaderText(name) + " " + address;
}

std::string MailboxListHeader(const std::string& list) {
  std::string header;
  for (const std::string& mailbox : SplitMailboxes(list)) {
    if (!header.empty()) header += ",\r\n ";
    header += MailboxHeader(mailbox);
  }
  return header;
}

// The body in canonical form (every line end CR LF), then Base64 in lines of 76.
std::string BodyBase64(const std::string& body) {
  std::string canonical;
  for (size_t i = 0; i < body.size(); ++i) {
    if (body[i] == '\r') {
      canonical += "\r\n";
      if (i + 1 < body.size() && body[i + 1] == '\n') ++i;
    } else if (body[i] == '\n') {
      canonical += "\r\n";
    } else {
      canonical += body[i];
    }
  }
  std::string encoded = Base64(canonical);
  std::string lines;
  for (size_t i = 0; i < encoded.size(); i += kBodyLine)
    lines += encoded.substr(i, kBodyLine) + "\r\n";
  return lines;
}

}  // namespace

std::string TrimSpaceAndTab(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return std::string(text);
}

std::string EncodeHeaderText(const std::string& text) {
  if (PlainAscii(text) && text.find("=?") == std::string::npos && text.size() <= 60) return text;
  std::string encoded;
  for (size_t from = 0; from < text.size();) {
    size_t cut = CharacterCut(text, from, kWordBytes);
    if (!encoded.empty()) encoded += "\r\n ";
    encoded += "=?UTF-8?B?" + Base64(std::string_view(text).substr(from, cut - from)) + "?=";
    from = cut;
  }
  return encoded;
}

std::string MailDate(std::time_t when) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::tm local{};
  localtime_r(&when, &local);
  long offset = local.tm_gmtoff / 60;
  char sign = offset < 0 ? '-' : '+';
  if (offset < 0) offset = -offset;
  char text[64];
  std::snprintf(text, sizeof text, "%s, %d %s %04d %02d:%02d:%02d %c%02ld%02ld",
                kDays[local.tm_wday], local.tm_mday, kMonths[local.tm_mon], local.tm_year + 1900,
                local.tm_hour, local.tm_min, local.tm_sec, sign, offset / 60, offset % 60);
  return text;
}

std::string NewMessageId(const std::string& domain) {
  std::random_device random;
  std::uniform_int_distribution<unsigned long long> any;
  char text[96];
  std::snprintf(text, sizeof text, "%016llx.%lld", any(random),
                static_cast<long long>(std::time(nullptr)));
  return "<" + std::string(text) + "@" + domain + ">";
}

std::string AddressOf(const std::string& mailbox) {
  size_t open = mailbox.rfind('<');
  size_t close = mailbox.rfind('>');
  if (open != std::string::npos && close != std::string::npos && close > open)
    return TrimSpaceAndTab(mailbox.substr(open + 1, close - open - 1));
  return TrimSpaceAndTab(mailbox);
}

std::vector<std::string> SplitMailboxes(const std::string& list) {
  std::vector<std::string> mailboxes;
  std::string current;
  bool quoted = false, angled = false;
  auto flush = [&] {
    std::string mailbox = TrimSpaceAndTab(current);
    if (!mailbox.empty()) mailboxes.push_back(mailbox);
    current.clear();
  };
  for (char c : list) {
    if (c == '"' && !angled) quoted = !quoted;
    if (!quoted) {
      if (c == '<') angled = true;
      if (c == '>') angled = false;
    }
    if ((c == ',' || c == ';') && !quoted && !angled) {
      flush();
    } else {
      current += c;
    }
  }
  flush();
  return mailboxes;
}

std::string ComposeMail(const MailMessage& message) {
  std::string mail;
  auto header = [&](const char* name, const std::string& value) {
    mail += std::string(name) + ": " + value + "\r\n";
  };
  header("Date", MailDate(message.date));
  header("From", MailboxListHeader(message.from));
  header("To", MailboxListHeader(message.to));
  header("Subject", EncodeHeaderText(message.subject));
  header("Message-ID", message.messageId);
  header("MIME-Version", "1.0");
  header("Content-Type", "text/plain; charset=UTF-8");
  header("Content-Transfer-Encoding", "base64");
  header("X-Mailer", "QuiverArchiver");
  mail += "\r\n";
  mail += BodyBase64(message.body);
  return mail;
}

}  // namespace qvr
