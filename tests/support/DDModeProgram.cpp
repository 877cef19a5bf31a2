#include "DDModeProgram.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

namespace qvr::test {

namespace fs = std::filesystem;

DDModeProgram::DDModeProgram(const TempDir& temp) : temp_(temp), app_(temp.file("app")) {
  fs::create_directories(app_);
  fs::copy_file(std::string(QVR_BIN_DIR) + "/QuiverArchiver", app_ + "/QuiverArchiver");
  for (const char* lib : {"unlha32.so", "unzip32.so", "7-zip32.so", "cab32.so", "tar32.so",
                          "unrar32.so", "unarj32j.so", "zip32j.so", "zip32.so"})
    fs::create_symlink(std::string(QVR_BIN_DIR) + "/" + lib, app_ + "/" + lib);
  fs::create_directories(temp.file("run"));
  fs::permissions(temp.file("run"), fs::perms::owner_all);
}

void DDModeProgram::Ini(const std::string& text) const {
  WriteFile(app_ + "/QvrArc.ini", text);
}

int DDModeProgram::Run(const std::vector<std::string>& files, std::chrono::seconds limit) const {
  std::vector<std::string> args = {app_ + "/QuiverArchiver", "/DDMODE"};
  args.insert(args.end(), files.begin(), files.end());
  pid_t pid = fork();
  if (pid == 0) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_RUNTIME_DIR", temp_.file("run").c_str(), 1);
    setenv("XDG_CONFIG_HOME", temp_.file("config").c_str(), 1);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  auto deadline = std::chrono::steady_clock::now() + limit;
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace qvr::test
