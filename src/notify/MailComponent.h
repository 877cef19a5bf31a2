// The program's mail component, standing where the design has its mail automation object:
// the same two calls with the same arguments, on libcurl. SMTP with AUTH LOGIN, PLAIN or
// CRAM-MD5, STARTTLS whenever the server offers it, TLS from the start on port 465; POP3
// for the login of POP before SMTP. Each call is one bounded exchange: the time-out covers
// connecting, TLS and every reply. Safe to call from any thread.
#pragma once

#include <string>
#include <vector>

namespace qvr {

// The packed server argument "host:port:time-out", read from the right so that the host
// may be an IPv6 address ("::1:25:120", "[::1]:25:120"). "host:port" and "host" are read
// too; a bare IPv6 address without port and time-out must be written in brackets.
struct MailServerAddress {
  std::string host;        // without brackets
  bool ipv6 = false;       // the host is an IPv6 address
  int port = 0;            // 0: not given
  int timeoutSeconds = 0;  // 0: not given
};
// False when the text names no usable host or its numbers are not numbers.
bool ParseMailServer(const std::string& packed, MailServerAddress& address);

class MailComponent {
 public:
  struct Options {
    // Used when the server argument names no time-out (RcvMail's never does).
    int defaultTimeoutSeconds = 120;
    // The port on which the server speaks TLS from the first byte ("smtps", "pop3s" on 995).
    int implicitTlsPort = 465;
    // When set, the only certificates trusted (the tests' own authority); the system's
    // store otherwise. Verification of the server's certificate and name is always on.
    std::string caFile;
  };

  MailComponent() = default;
  explicit MailComponent(Options options) : options_(std::move(options)) {}

  // Whether the component can send at all: libcurl offers SMTP.
  static bool Available();

  // Sends one text mail. server: "host:port:time-out"; to: one or more addresses ("," or
  // ";" between them); from: the sender, or sender TAB "user:password" TAB method for SMTP
  // authentication (method "LOGIN", "PLAIN", "CRAM-MD5", or empty for the best the server
  // offers; the user ends at the first ":", the password may hold anything). files: must be
  // empty (no attachments). "" when the server took the mail, otherwise the error text.
  std::string sendmail(const std::string& server, const std::string& to, const std::string& from,
                       const std::string& subject, const std::string& body,
                       const std::string& files);

  // Logs in to the POP3 server ("host", "host:port", port 995 with TLS from the start) and
  // sends the command (only "STAT", which reads nothing). The first element is "" after a
  // successful login and command, otherwise the error text; the server's answer follows.
  // folder: where retrieved mail would be kept (nothing is retrieved).
  std::vector<std::string> RcvMail(const std::string& server, const std::string& user,
                                   const std::string& password, const std::string& command,
                                   const std::string& folder);

 private:
  Options options_;
};

}  // namespace qvr
