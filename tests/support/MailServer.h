// Real mail servers on loopback for the notification tests: tests/support/mail_server.py
// (Debian's python3-aiosmtpd for SMTP, a small POP3 server beside it) started on a free
// port of 127.0.0.1, recording every login and every mail it receives (decoded by
// Python's email package) as JSON lines in a folder of the test. Each server stops by
// itself after its lifetime; the destructor ends it at once.
#pragma once

#include <QJsonObject>
#include <string>
#include <vector>

namespace qvr::test {

class MailServer {
 public:
  // protocol "smtp" or "pop3"; options as mail_server.py takes them ("--mechanisms",
  // "LOGIN", "--user", "u", ...). folder: where the server writes what it saw.
  MailServer(const std::string& protocol, const std::string& folder,
             const std::vector<std::string>& options);
  ~MailServer();
  MailServer(const MailServer&) = delete;
  MailServer& operator=(const MailServer&) = delete;

  int port() const { return port_; }
  // "127.0.0.1:port"
  std::string address() const;
  // The events of one kind ("mail", "auth", "pop-login", "pop-command") in their order.
  std::vector<QJsonObject> events(const std::string& kind) const;

 private:
  std::string folder_;
  int pid_ = -1;
  int port_ = 0;
};

// A self-signed certificate for 127.0.0.1 and "localhost" made with openssl:
// folder/cert.pem and folder/key.pem.
void MakeCertificate(const std::string& folder);

// A port of 127.0.0.1 that takes connections (the kernel completes them) and never says a
// word: a server that hangs. Closed by the destructor.
class SilentServer {
 public:
  SilentServer();
  ~SilentServer();
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;
  int port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace qvr::test
