#include "SendCompletionMail.h"

#include <QByteArray>
#include <charconv>
#include <exception>

#include "AppFolder.h"
#include "DateTimeText.h"
#include "MailKeyring.h"
#include "MainWindowPort.h"
#include "Settings.h"
#include "Translate.h"

namespace qvr {
namespace {

constexpr const char* kSection = "E-Mail";

int IniInt(const char* key) {
  return GetIniInt(kQvrArcIni, kSection, key);
}

std::string IniText(const char* key) {
  return CutAtNull(GetIniString(kQvrArcIni, kSection, key));
}

// The SMTP port; 0 or missing means 25. Read as a wide number: the design's 16-bit read
// would make every port above 32767 into 0, and so into 25.
int PortSetting() {
  std::string text = IniText("Port");
  int port = 0;
  if (std::from_chars(text.data(), text.data() + text.size(), port).ec != std::errc()) port = 0;
  return port == 0 ? 25 : port;
}

std::string AuthMethod(int index) {
  switch (index) {
    case 0:
      return "LOGIN";
    case 1:
      return "PLAIN";
    case 2:
      return "CRAM-MD5";
    default:
      return "";
  }
}

std::string BodyText(const std::string& mode, const std::string& outcome,
                     const std::string& summary, std::time_t now) {
  std::string work =
      mode == "Extract" ? Tr("SendCompletionMail", "解凍") : Tr("SendCompletionMail", "圧縮");
  // A run without a single success must not report a completion.
  std::string result = outcome == "FAIL" ? Tr("SendCompletionMail", "に失敗しました。")
                                         : Tr("SendCompletionMail", "が完了しました。");
  // The run's counts, as its end shows them (how many failed, when any did).
  std::string counts = summary.empty() ? "" : summary + "\r\n";
  return work + result + "\r\n" + counts + DateTimeText(now);
}

// The folder without its trailing "/", as the POP call takes it.
std::string ProgramFolder() {
  std::string folder = AppFolder();
  if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

// --- Password form -------------------------------------------------------------------

// The stored values that are not the design's shifted text begin with U+E000: the design's
// rule would write it only for a text that ends in U+DFFF, which no valid text holds.
const std::string kOtherForm = "\xEE\x80\x80";

bool IsScalar(char32_t c) {
  return c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

// The code points of valid UTF-8 (shortest forms, no surrogates); false for anything else.
bool DecodeUtf8(const std::string& text, std::u32string& chars) {
  chars.clear();
  for (size_t i = 0; i < text.size();) {
    auto byte = static_cast<unsigned char>(text[i]);
    int length = byte < 0x80           ? 1
                 : (byte >> 5) == 0x6  ? 2
                 : (byte >> 4) == 0xE  ? 3
                 : (byte >> 3) == 0x1E ? 4
                                       : 0;
    if (length == 0 || i + size_t(length) > text.size()) return false;
    char32_t c = length == 1 ? byte : byte & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      auto next = static_cast<unsigned char>(text[i + size_t(k)]);
      if ((next & 0xC0) != 0x80) return false;
      c = (c << 6) | (next & 0x3F);
    }
    static const char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[length] || !IsScalar(c)) return false;
    chars.push_back(c);
    i += size_t(length);
  }
  return true;
}

void AppendUtf8(std::string& text, char32_t c) {
  if (c < 0x80) {
    text += char(c);
  } else if (c < 0x800) {
    text += char(0xC0 | (c >> 6));
    text += char(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    text += char(0xE0 | (c >> 12));
    text += char(0x80 | ((c >> 6) & 0x3F));
    text += char(0x80 | (c & 0x3F));
  } else {
    text += char(0xF0 | (c >> 18));
    text += char(0x80 | ((c >> 12) & 0x3F));
    text += char(0x80 | ((c >> 6) & 0x3F));
    text += char(0x80 | (c & 0x3F));
  }
}

// Whether QvrArc.ini gives the value back as it was written: no control characters (line
// breaks would end it, NUL cuts it, others do not belong in a text file), no blank at
// either end (trimmed) and not enclosed in quotes (removed).
bool SurvivesSettingsFile(const std::string& value) {
  for (char c : value) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return false;
  }
  if (value.empty()) return true;
  if (value.front() == ' ' || value.back() == ' ') return false;
  bool quoted = value.size() >= 2 && value.front() == value.back() &&
                (value.front() == '"' || value.front() == '\'');
  return !quoted;
}

constexpr auto kBase64Form = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;

}  // namespace

CompletionMail PrepareCompletionMail(const std::string& mode, const std::string& outcome,
                                     std::time_t now, const std::string& summary) {
  CompletionMail mail;
  mail.popBeforeSmtp = IniInt("UsePOPBSMTP") == 1;
  if (mail.popBeforeSmtp) {
    mail.popServer = IniText("POPServer");
    mail.popUser = IniText("POPUserName");
    mail.popPassword = LoadMailPassword("POPPassword", IniText("POPPassword"));
    if (mail.popServer.empty() || mail.popUser.empty() || mail.popPassword.empty()) return mail;
  }
  std::string smtpServer = IniText("SMTPServer");
  int port = PortSetting();
  int timeout = IniInt("TimeOut");
  if (timeout == 0) timeout = 120;
  // A negative time-out reaches the component, which refuses it; the POP login before it
  // still ends within the default.
  mail.timeoutSeconds = timeout > 0 ? timeout : 120;
  mail.server = smtpServer + ":" + std::to_string(port) + ":" + std::to_string(timeout);
  mail.to = IniText("MailTo");
  std::string mailFrom = IniText("MailFrom");
  mail.from = mailFrom;
  std::string user;
  if (IniInt("UseSMTPAUTH") == 1) {
    user = IniText("SMTPUserName");
    std::string password = LoadMailPassword("SMTPPassword", IniText("SMTPPassword"));
    mail.from = mailFrom + "\t" + user + ":" + password + "\t" + AuthMethod(IniInt("SMTPAUTH"));
  }
  mail.subject = IniText("Subject");
  if (mail.subject.empty())
    mail.subject = Tr("SendCompletionMail", "完了通知(") + kProgramTitle + ")";
  mail.body = BodyText(mode, outcome, summary, now);
  mail.send = !mail.to.empty() && !mailFrom.empty() && !smtpServer.empty();
  // The user ends at the first ":" of "user:password": a user name holding one would reach
  // the server cut in two.
  if (mail.send && user.find(':') != std::string::npos)
    mail.refusal =
        Tr("SendCompletionMail", "メール送信エラー: SMTP認証のユーザー名に「:」は使えません。");
  return mail;
}

void SendCompletionMail(MainWindowPort& window, const std::string& mode, const std::string& outcome,
                        const MailComponent::Options& options, const std::string& summary) {
  CompletionMail mail = PrepareCompletionMail(mode, outcome, std::time(nullptr), summary);
  if (!mail.send) return;
  if (!mail.refusal.empty()) {
    window.setPanelText(1, mail.refusal);
    return;
  }
  MailComponent::Options componentOptions = options;
  componentOptions.defaultTimeoutSeconds = mail.timeoutSeconds;  // bounds the POP login too
  std::string folder = ProgramFolder();
  // Off the window's thread: the exchange may wait for the whole time-out.
  std::string error = RunResponsive(window, [&]() -> std::string {
    try {
      MailComponent component(componentOptions);
      if (mail.popBeforeSmtp)
        component.RcvMail(mail.popServer, mail.popUser, mail.popPassword, "STAT", folder);
      return component.sendmail(mail.server, mail.to, mail.from, mail.subject, mail.body, "");
    } catch (const std::exception& failure) {
      return Tr("SendCompletionMail", "メール送信エラー: ") + failure.what();
    }
  });
  if (!error.empty()) window.setPanelText(1, error);
}

std::string EncodePassword(const std::string& text) {
  std::u32string chars;
  if (DecodeUtf8(text, chars)) {
    std::string shifted;
    bool carried = true;
    for (auto c = chars.rbegin(); c != chars.rend() && carried; ++c) {
      carried = IsScalar(*c + 1);
      if (carried) AppendUtf8(shifted, *c + 1);
    }
    if (carried && SurvivesSettingsFile(shifted)) return shifted;
  }
  QByteArray bytes(text.data(), qsizetype(text.size()));
  return kOtherForm + bytes.toBase64(kBase64Form).toStdString();
}

std::string DecodePassword(const std::string& stored) {
  if (stored.compare(0, kOtherForm.size(), kOtherForm) == 0) {
    QByteArray encoded = QByteArray::fromStdString(stored.substr(kOtherForm.size()));
    auto decoded = QByteArray::fromBase64Encoding(
        encoded, kBase64Form | QByteArray::AbortOnBase64DecodingErrors);
    if (decoded) return decoded.decoded.toStdString();
  }
  std::u32string chars;
  std::string text;
  if (DecodeUtf8(stored, chars)) {
    for (auto c = chars.rbegin(); c != chars.rend(); ++c)
      AppendUtf8(text, *c > 0 && IsScalar(*c - 1) ? *c - 1 : *c);
    return text;
  }
  // Not UTF-8 (a value edited by hand): the shift applied to each byte.
  text.assign(stored.rbegin(), stored.rend());
  for (char& c : text) c = char(static_cast<unsigned char>(c) - 1);
  return text;
}

}  // namespace qvr
