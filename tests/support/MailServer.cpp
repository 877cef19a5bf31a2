#include "MailServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonDocument>
#include <chrono>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace qvr::test {
namespace {

constexpr const char* kPython = "/usr/bin/python3";  // Debian's, with python3-aiosmtpd

// Starts the program with its stdout on a pipe (and its stderr on /dev/null when quiet).
int Spawn(std::vector<std::string> args, int* stdoutPipe, bool quiet = false) {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  if (quiet) posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    throw std::runtime_error("cannot start " + args[0]);
  }
  *stdoutPipe = fds[0];
  return pid;
}

// The "PORT n" line, waited for at most ten seconds.
int ReadPort(int fd) {
  std::string line;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (line.find('\n') == std::string::npos) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{fd, POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, int(left.count())) <= 0) return 0;
    char buffer[64];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return 0;
    line.append(buffer, size_t(n));
  }
  if (line.rfind("PORT ", 0) != 0) return 0;
  return std::stoi(line.substr(5));
}

}  // namespace

MailServer::MailServer(const std::string& protocol, const std::string& folder,
                       const std::vector<std::string>& options)
    : folder_(folder) {
  std::vector<std::string> args = {kPython, QVR_MAIL_SERVER_SCRIPT, protocol, folder};
  args.insert(args.end(), options.begin(), options.end());
  int out = -1;
  pid_ = Spawn(args, &out);
  port_ = ReadPort(out);
  close(out);
  if (port_ == 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    throw std::runtime_error("the mail server did not start");
  }
}

MailServer::~MailServer() {
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

std::string MailServer::address() const {
  return "127.0.0.1:" + std::to_string(port_);
}

std::vector<QJsonObject> MailServer::events(const std::string& kind) const {
  std::vector<QJsonObject> found;
  std::ifstream in(folder_ + "/events.jsonl");
  for (std::string line; std::getline(in, line);) {
    QJsonObject event = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
    if (event.value("event").toString().toStdString() == kind) found.push_back(event);
  }
  return found;
}

void MakeCertificate(const std::string& folder) {
  std::vector<std::string> args = {"/usr/bin/openssl",
                                   "req",
                                   "-x509",
                                   "-newkey",
                                   "ec",
                                   "-pkeyopt",
                                   "ec_paramgen_curve:prime256v1",
                                   "-nodes",
                                   "-days",
                                   "1",
                                   "-subj",
                                   "/CN=localhost",
                                   "-addext",
                                   "subjectAltName=IP:127.0.0.1,DNS:localhost",
                                   "-keyout",
                                   folder + "/key.pem",
                                   "-out",
                                   folder + "/cert.pem"};
  int out = -1;
  pid_t pid = Spawn(args, &out, true);
  close(out);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw std::runtime_error("openssl could not make a certificate");
}

SilentServer::SilentServer() {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
      listen(fd_, 8) != 0 || getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw std::runtime_error("cannot listen on 127.0.0.1");
  port_ = ntohs(address.sin_port);
}

SilentServer::~SilentServer() {
  if (fd_ >= 0) close(fd_);
}

}  // namespace qvr::test
