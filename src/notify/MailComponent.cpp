#include "MailComponent.h"

#include <arpa/inet.h>
#include <curl/curl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <mutex>
#include <string_view>

#include "MailMessage.h"
#include "Translate.h"

namespace qvr {
namespace {

constexpr int kSmtpPort = 25;
constexpr int kPop3Port = 110;
constexpr int kPop3TlsPort = 995;
constexpr int kLongestTimeout = 24 * 60 * 60;
constexpr int kDefaultTimeout = 120;

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// An empty field is "not given" (0); digits up to the limit; false otherwise.
bool ReadNumber(std::string_view field, int limit, int& value) {
  std::string text = TrimSpaceAndTab(field);
  value = 0;
  if (text.empty()) return true;
  if (!AllDigits(text) || text.size() > 9) return false;
  value = std::stoi(text);
  return value <= limit;
}

bool Ipv6Text(const std::string& host) {
  in6_addr address;
  return inet_pton(AF_INET6, host.c_str(), &address) == 1;
}

// A host name may hold any letters (international names too) but nothing that would
// change the meaning of the address it goes into.
bool HostText(std::string_view host) {
  if (host.empty()) return false;
  for (char c : host) {
    auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || std::strchr("/\\?#@[]:%\"'<>`{}|^", c)) return false;
  }
  return true;
}

// The argument's time-out, else the component's; never unbounded.
int TimeoutOf(const MailServerAddress& address, const MailComponent::Options& options) {
  int timeout = address.timeoutSeconds ? address.timeoutSeconds : options.defaultTimeoutSeconds;
  return timeout > 0 ? timeout : kDefaultTimeout;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

// The name this machine greets the server with (EHLO) and signs its Message-IDs with.
std::string LocalName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0 || !HostText(name)) return "localhost";
  return name;
}

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// What a failed exchange means to the user. A refusal by the server (a reply of 400 or
// more) ends libcurl's transfer with a send error too.
std::string Reason(CURLcode code, long response) {
  if (response >= 400 && code != CURLE_LOGIN_DENIED)
    return Tr("MailComponent", "サーバーが受け付けませんでした。");
  switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
      return Tr("MailComponent", "サーバーが時間内に応答しませんでした。");
    case CURLE_LOGIN_DENIED:
      return Tr("MailComponent",
                "ログインできませんでした（ユーザー名、パスワードまたは認証方式）。");
    case CURLE_COULDNT_RESOLVE_HOST:
      return Tr("MailComponent", "サーバーが見つかりません。");
    case CURLE_COULDNT_CONNECT:
      return Tr("MailComponent", "サーバーに接続できません。");
    case CURLE_USE_SSL_FAILED:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
      return Tr("MailComponent", "TLS（暗号化）の接続に失敗しました。");
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
      return Tr("MailComponent", "サーバーとの通信が途切れました。");
    default:
      return Tr("MailComponent", "サーバーが受け付けませんでした。");
  }
}

// One libcurl exchange with the settings every call shares.
class Exchange {
 public:
  Exchange() : curl_(curl_easy_init()), url_(curl_url()) {}
  ~Exchange() {
    if (curl_) curl_easy_cleanup(curl_);
    if (url_) curl_url_cleanup(url_);
    if (recipients_) curl_slist_free_all(recipients_);
  }
  Exchange(const Exchange&) = delete;
  Exchange& operator=(const Exchange&) = delete;

  // Whether libcurl gave its handles (it fails only without memory).
  bool ready() const { return curl_ && url_; }

  // False when the address does not make a valid URL.
  bool Open(const std::string& scheme, const MailServerAddress& address, int port,
            const std::string& path, int timeoutSeconds, bool startTls,
            const MailComponent::Options& options) {
    std::string host = address.ipv6 ? "[" + address.host + "]" : address.host;
    if (curl_url_set(url_, CURLUPART_SCHEME, scheme.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url_, CURLUPART_HOST, host.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url_, CURLUPART_PORT, std::to_string(port).c_str(), 0) != CURLUE_OK ||
        curl_url_set(url_, CURLUPART_PATH, path.c_str(), CURLU_URLENCODE) != CURLUE_OK)
      return false;
    curl_easy_setopt(curl_, CURLOPT_CURLU, url_);
    curl_easy_setopt(curl_, CURLOPT_PROTOCOLS_STR, scheme.c_str());
    curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, error_);
    curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
    // The whole exchange, not only the connection: a server that stops answering halfway
    // ends at the same time as one that never answers.
    curl_easy_setopt(curl_, CURLOPT_TIMEOUT, long(timeoutSeconds));
    curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT, long(timeoutSeconds));
    if (startTls) curl_easy_setopt(curl_, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
    if (!options.caFile.empty()) {
      curl_easy_setopt(curl_, CURLOPT_CAINFO, options.caFile.c_str());
      curl_easy_setopt(curl_, CURLOPT_CAPATH, nullptr);
    }
    return true;
  }

  CURL* curl() { return curl_; }
  void AddRecipient(const std::string& address) {
    recipients_ = curl_slist_append(recipients_, address.c_str());
  }
  curl_slist* recipients() { return recipients_; }

  // "" when the exchange succeeded, otherwise the error text with the given beginning.
  std::string Perform(const std::string& failure) {
    error_[0] = '\0';
    CURLcode code = curl_easy_perform(curl_);
    if (code == CURLE_OK) return "";
    long response = 0;
    curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &response);
    // Then libcurl's own words and the server's code.
    std::string detail = error_[0] ? error_ : curl_easy_strerror(code);
    if (response >= 400) detail += ", " + std::to_string(response);
    return failure + Reason(code, response) + "(" + detail + ")";
  }

 private:
  CURL* curl_;
  CURLU* url_;
  curl_slist* recipients_ = nullptr;
  char error_[CURL_ERROR_SIZE] = {};
};

struct Upload {
  std::string text;
  size_t sent = 0;
};

size_t ReadUpload(char* buffer, size_t size, size_t count, void* user) {
  auto* upload = static_cast<Upload*>(user);
  size_t n = std::min(size * count, upload->text.size() - upload->sent);
  std::memcpy(buffer, upload->text.data() + upload->sent, n);
  upload->sent += n;
  return n;
}

// The from argument: sender, or sender TAB "user:password" TAB method. Read from both
// ends, so a password may hold ":" and even TAB.
struct Sender {
  std::string address, user, password, method;
};

Sender ReadSender(const std::string& from) {
  Sender sender;
  size_t first = from.find('\t');
  sender.address = TrimSpaceAndTab(from.substr(0, first));
  if (first == std::string::npos) return sender;
  size_t last = from.rfind('\t');
  std::string credentials;
  if (last == first) {
    credentials = from.substr(first + 1);
  } else {
    credentials = from.substr(first + 1, last - first - 1);
    sender.method = TrimSpaceAndTab(from.substr(last + 1));
  }
  size_t colon = credentials.find(':');
  sender.user = credentials.substr(0, colon);
  if (colon != std::string::npos) sender.password = credentials.substr(colon + 1);
  return sender;
}

bool MethodText(const std::string& method) {
  return std::all_of(method.begin(), method.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
  });
}

// The domain of an address when it is a plain host name, else this machine's name.
std::string MessageIdDomain(const std::string& address) {
  size_t at = address.rfind('@');
  std::string domain = at == std::string::npos ? "" : address.substr(at + 1);
  return HostText(domain) ? domain : LocalName();
}

std::string SendFailure() {
  return Tr("MailComponent", "メール送信エラー: ");
}
std::string PopFailure() {
  return Tr("MailComponent", "POP3ログインエラー: ");
}
std::string NotReady() {
  return Tr("MailComponent", "通信を始められませんでした。");
}

}  // namespace

bool ParseMailServer(const std::string& packed, MailServerAddress& address) {
  address = MailServerAddress{};
  std::string text = TrimSpaceAndTab(packed);
  std::string host, port, timeout;
  if (!text.empty() && text.front() == '[') {
    size_t close = text.find(']');
    if (close == std::string::npos) return false;
    host = text.substr(1, close - 1);
    std::string rest = text.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return false;
      rest.erase(0, 1);
      size_t colon = rest.find(':');
      port = rest.substr(0, colon);
      if (colon != std::string::npos) timeout = rest.substr(colon + 1);
    }
    if (!Ipv6Text(host) || host.find(':') == std::string::npos) return false;
  } else {
    size_t colons = std::count(text.begin(), text.end(), ':');
    if (colons == 0) {
      host = text;
    } else if (colons == 1) {
      size_t colon = text.find(':');
      host = text.substr(0, colon);
      port = text.substr(colon + 1);
    } else {
      size_t second = text.rfind(':');
      size_t first = text.rfind(':', second - 1);
      host = text.substr(0, first);
      port = text.substr(first + 1, second - first - 1);
      timeout = text.substr(second + 1);
      // Not two numbers at the end: a bare IPv6 address.
      if (host.empty() || !AllDigits(TrimSpaceAndTab(port)) ||
          !AllDigits(TrimSpaceAndTab(timeout))) {
        host = text;
        port.clear();
        timeout.clear();
      }
    }
    host = TrimSpaceAndTab(host);
    if (host.find(':') != std::string::npos && !Ipv6Text(host)) return false;
  }
  address.host = TrimSpaceAndTab(host);
  address.ipv6 = address.host.find(':') != std::string::npos;
  if (!address.ipv6 && !HostText(address.host)) return false;
  return ReadNumber(port, 65535, address.port) &&
         ReadNumber(timeout, kLongestTimeout, address.timeoutSeconds);
}

bool MailComponent::Available() {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  if (!info || !info->protocols) return false;
  for (const char* const* protocol = info->protocols; *protocol; ++protocol)
    if (std::string_view(*protocol) == "smtp") return true;
  return false;
}

std::string MailComponent::sendmail(const std::string& server, const std::string& to,
                                    const std::string& from, const std::string& subject,
                                    const std::string& body, const std::string& files) {
  MailServerAddress address;
  if (!ParseMailServer(server, address))
    return SendFailure() + Tr("MailComponent", "サーバーの指定が正しくありません（") + server +
           Tr("MailComponent", "）。");
  Sender sender = ReadSender(from);
  std::vector<std::string> mailboxes = SplitMailboxes(to);
  if (AddressOf(sender.address).empty() || HasLineBreak(from))
    return SendFailure() + Tr("MailComponent", "差出人のアドレスが正しくありません。");
  if (mailboxes.empty() || HasLineBreak(to))
    return SendFailure() + Tr("MailComponent", "宛先のアドレスが正しくありません。");
  if (!TrimSpaceAndTab(files).empty())
    return SendFailure() + Tr("MailComponent", "添付ファイルは送れません。");
  if (!MethodText(sender.method))
    return SendFailure() + Tr("MailComponent", "認証方式が正しくありません（") + sender.method +
           Tr("MailComponent", "）。");

  GlobalInit();
  int port = address.port ? address.port : kSmtpPort;
  int timeout = TimeoutOf(address, options_);
  bool implicitTls = port == options_.implicitTlsPort;
  Exchange exchange;
  if (!exchange.ready()) return SendFailure() + NotReady();
  // The URL's path is the name the client greets with (EHLO).
  if (!exchange.Open(implicitTls ? "smtps" : "smtp", address, port, "/" + LocalName(), timeout,
                     !implicitTls, options_))
    return SendFailure() + Tr("MailComponent", "サーバーの指定が正しくありません（") + server +
           Tr("MailComponent", "）。");

  MailMessage message;
  message.from = sender.address;
  message.to = to;
  message.subject = subject;
  message.body = body;
  message.date = std::time(nullptr);
  message.messageId = NewMessageId(MessageIdDomain(AddressOf(sender.address)));
  Upload upload{ComposeMail(message)};

  CURL* curl = exchange.curl();
  std::string mailFrom = "<" + AddressOf(sender.address) + ">";
  curl_easy_setopt(curl, CURLOPT_MAIL_FROM, mailFrom.c_str());
  for (const std::string& mailbox : mailboxes)
    exchange.AddRecipient("<" + AddressOf(mailbox) + ">");
  curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, exchange.recipients());
  curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadUpload);
  curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
  std::string loginOptions = "AUTH=" + sender.method;
  if (!sender.user.empty()) {
    curl_easy_setopt(curl, CURLOPT_USERNAME, sender.user.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, sender.password.c_str());
    // The chosen method only: never a weaker one the server might also offer.
    if (!sender.method.empty()) curl_easy_setopt(curl, CURLOPT_LOGIN_OPTIONS, loginOptions.c_str());
  }
  return exchange.Perform(SendFailure());
}

std::vector<std::string> MailComponent::RcvMail(const std::string& server, const std::string& user,
                                                const std::string& password,
                                                const std::string& command,
                                                const std::string& /*folder*/) {
  MailServerAddress address;
  if (!ParseMailServer(server, address))
    return {PopFailure() + Tr("MailComponent", "サーバーの指定が正しくありません（") + server +
            Tr("MailComponent", "）。")};
  if (TrimSpaceAndTab(command) != "STAT")
    return {PopFailure() + Tr("MailComponent", "コマンド「") + command +
            Tr("MailComponent", "」には対応していません。")};
  if (user.empty()) return {PopFailure() + Tr("MailComponent", "ユーザー名がありません。")};

  GlobalInit();
  int port = address.port ? address.port : kPop3Port;
  int timeout = TimeoutOf(address, options_);
  bool implicitTls = port == kPop3TlsPort;
  Exchange exchange;
  if (!exchange.ready()) return {PopFailure() + NotReady()};
  if (!exchange.Open(implicitTls ? "pop3s" : "pop3", address, port, "/", timeout, !implicitTls,
                     options_))
    return {PopFailure() + Tr("MailComponent", "サーバーの指定が正しくありません（") + server +
            Tr("MailComponent", "）。")};
  CURL* curl = exchange.curl();
  curl_easy_setopt(curl, CURLOPT_USERNAME, user.c_str());
  curl_easy_setopt(curl, CURLOPT_PASSWORD, password.c_str());
  // A one-line command: the login and the answer "+OK" are all there is.
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "STAT");
  curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  return {exchange.Perform(PopFailure())};
}

}  // namespace qvr
