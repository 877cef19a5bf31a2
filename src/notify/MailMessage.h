// The text of one mail as the mail component hands it to the server: headers that every
// mail client reads (Date, Message-ID, MIME), Japanese text carried intact (RFC 2047
// encoded words in headers, a UTF-8 body in Base64), CR LF line ends throughout.
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

struct MailMessage {
  std::string from;     // as typed: "a@example.jp" or "名前 <a@example.jp>"
  std::string to;       // one or more addresses, separated by "," or ";"
  std::string subject;  // UTF-8
  std::string body;     // UTF-8; any line ends
  std::time_t date = 0;
  std::string messageId;  // "<...@...>"
};

// The whole message: headers, an empty line, the body; every line ends in CR LF.
std::string ComposeMail(const MailMessage& message);

// A header value as RFC 2047 encoded words ("=?UTF-8?B?...?="), folded so that no line is
// longer than 76 characters; ASCII text without "=?" that fits stays as it is.
std::string EncodeHeaderText(const std::string& text);

// The date as RFC 5322 writes it, in local time with its offset:
// "Thu, 10 Dec 2026 19:25:07 +0900" (English names, whatever the locale).
std::string MailDate(std::time_t when);

// A new unique "<random.time@domain>".
std::string NewMessageId(const std::string& domain);

// The text without the blanks (space, TAB) at its ends.
std::string TrimSpaceAndTab(std::string_view text);

// The bare address of "名前 <a@b>" or "a@b" ("a@b"), blanks trimmed.
std::string AddressOf(const std::string& mailbox);

// The mailboxes of a list separated by "," or ";" (not inside quotes or angle brackets),
// trimmed, empty ones left out.
std::vector<std::string> SplitMailboxes(const std::string& list);

}  // namespace qvr
