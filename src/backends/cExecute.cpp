#include "cExecute.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QThread>
#include <cerrno>
#include <chrono>
#include <thread>

#include "ArchiverDLL.h"
#include "Settings.h"

extern char** environ;

namespace qvr {
namespace {

constexpr int kPollMilliseconds = 100;

std::string Unquote(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    return text.substr(1, text.size() - 2);
  return text;
}

bool IsExecutableFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// A child that nobody waits for is reaped in the background, so it never lingers as a zombie.
void ReapLater(pid_t pid) {
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

// Starts argv[0] (a path, or a name looked up on PATH when searchPath) with the arguments;
// stdout goes to outputPath when given. The process id, or -1.
pid_t Spawn(const std::vector<std::string>& argv, bool searchPath,
            const std::string& outputPath = "") {
  if (argv.empty() || argv[0].empty()) return -1;
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!outputPath.empty()) {
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  // The child starts with default signal handling and an empty mask, whatever ours are.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGCHLD);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  pid_t pid = -1;
  int error = searchPath ? posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ)
                         : posix_spawn(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  return error == 0 ? pid : -1;
}

void PumpEventsOnGuiThread() {
  QCoreApplication* app = QCoreApplication::instance();
  if (app && QThread::currentThread() == app->thread()) QCoreApplication::processEvents();
}

// Blocks up to the poll interval, returning early when the child ends.
void WaitInterval(int pidfd) {
  if (pidfd >= 0) {
    pollfd entry{pidfd, POLLIN, 0};
    poll(&entry, 1, kPollMilliseconds);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMilliseconds));
  }
}

struct ProgramSplit {
  std::string program;  // as written, quotes removed
  std::string parameters;
};

// Each blank from the left; the text before it is the program when FindFile finds it.
ProgramSplit SplitProgram(const std::string& commandLine) {
  if (!commandLine.empty() && commandLine.front() != ' ') {
    std::string folder;
    for (size_t blank = commandLine.find(' '); blank != std::string::npos;
         blank = commandLine.find(' ', blank + 1)) {
      std::string prefix = Unquote(commandLine.substr(0, blank));
      if (cExecute::FindFile(prefix, folder)) return {prefix, commandLine.substr(blank + 1)};
    }
  }
  return {Unquote(commandLine), ""};
}

}  // namespace

std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> args;
  std::string current;
  bool inArgument = false, quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      inArgument = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inArgument) args.push_back(current);
      current.clear();
      inArgument = false;
    } else {
      current += c;
      inArgument = true;
    }
  }
  if (inArgument) args.push_back(current);
  return args;
}

bool cExecute::FindFile(const std::string& name, std::string& folder) {
  std::string path = SearchPath(name);
  if (path.empty()) return false;
  folder = path.substr(0, path.size() - name.size());
  return true;
}

bool cExecute::ShellX(const std::string& commandLine, int16_t /*showMode*/, void* /*ownerWindow*/,
                      bool wait) {
  ProgramSplit split = SplitProgram(commandLine);
  std::string found = SearchPath(split.program);
  pid_t pid = -1;
  if (!found.empty() && IsExecutableFile(found)) {
    std::vector<std::string> argv{found};
    for (std::string& arg : SplitArguments(split.parameters)) argv.push_back(std::move(arg));
    pid = Spawn(argv, false);
  } else if (!found.empty() && Exists(found)) {
    // A document or folder: its associated program opens it.
    pid = Spawn({"xdg-open", found}, true);
  }
  if (pid < 0) pid = Spawn(SplitArguments(commandLine), true);
  if (pid < 0) return false;
  if (wait) {
    WaitFor(pid);
  } else {
    ReapLater(pid);
  }
  return true;
}

int cExecute::WaitFor(int pid) {
  int pidfd = int(syscall(SYS_pidfd_open, pid, 0));
  int exitCode = -1;
  while (true) {
    int status = 0;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) {
      exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      break;
    }
    if (done < 0 && errno != EINTR) break;
    PumpEventsOnGuiThread();
    if (stop_) {
      ReapLater(pid);
      break;
    }
    WaitInterval(pidfd);
  }
  if (pidfd >= 0) close(pidfd);
  return exitCode;
}

std::string RunCaptured(const std::string& programPath, const std::string& arguments,
                        const std::string& outputFileName, void* ownerWindow) {
  return RunCaptured(programPath, SplitArguments(arguments), outputFileName, ownerWindow);
}

std::string RunCaptured(const std::string& programPath, const std::vector<std::string>& arguments,
                        const std::string& outputFileName, void* /*ownerWindow*/) {
  std::string outputPath = AppFile(outputFileName);
  // A stale file from an earlier run must not pass for this run's output.
  unlink(outputPath.c_str());
  std::vector<std::string> argv{programPath};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  pid_t pid = Spawn(argv, false, outputPath);
  if (pid < 0) {
    // The child may have created the file before its start failed.
    unlink(outputPath.c_str());
    return "";
  }
  cExecute runner;
  runner.WaitFor(pid);
  return Exists(outputPath) ? outputPath : "";
}

int RunAndWait(const std::vector<std::string>& argv) {
  pid_t pid = Spawn(argv, true, "/dev/null");
  if (pid < 0) return -1;
  cExecute runner;
  return runner.WaitFor(pid);
}

}  // namespace qvr
