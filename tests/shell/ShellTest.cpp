#include "ShellTest.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "AppFolder.h"
#include "DesktopEntry.h"

namespace qvr::test {
namespace {

const char* const kVariables[] = {"HOME",
                                  "XDG_DATA_HOME",
                                  "XDG_CONFIG_HOME",
                                  "XDG_DATA_DIRS",
                                  "XDG_CONFIG_DIRS",
                                  "XDG_CURRENT_DESKTOP",
                                  "KDE_FULL_SESSION",
                                  "KDE_SESSION_VERSION"};

std::string ShellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

}  // namespace

void ShellTest::SetUp() {
  for (const char* name : kVariables) {
    const char* value = std::getenv(name);
    savedEnv_[name] = value ? std::string(1, '=') + value : "";
  }
  setenv("HOME", home().c_str(), 1);
  setenv("XDG_DATA_HOME", dataHome().c_str(), 1);
  setenv("XDG_CONFIG_HOME", configHome().c_str(), 1);
  setenv("XDG_DATA_DIRS", (dir.file("system") + ":/usr/share").c_str(), 1);
  setenv("XDG_CONFIG_DIRS", dir.file("etc").c_str(), 1);
  // xdg-mime asks gio, which reads the shared MIME database with the user's packages.
  setenv("XDG_CURRENT_DESKTOP", "GNOME", 1);
  unsetenv("KDE_FULL_SESSION");
  unsetenv("KDE_SESSION_VERSION");
  WriteFile(configHome() + "/user-dirs.dirs",
            "XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"\nXDG_DOCUMENTS_DIR=\"$HOME/ドキュメント\"\n");
  std::filesystem::create_directories(desktop());
  std::filesystem::create_directories(dir.file("app"));
  SetAppFolder(dir.file("app"));
  UseProgram(dir.file("bin/QuiverArchiver"));
}

void ShellTest::TearDown() {
  SetShellProgram("");
  for (const auto& [name, value] : savedEnv_) {
    if (value.empty()) {
      unsetenv(name.c_str());
    } else {
      setenv(name.c_str(), value.c_str() + 1, 1);
    }
  }
}

void ShellTest::UseProgram(const std::string& path) {
  std::string folder = std::filesystem::path(path).parent_path().string();
  WriteFile(path, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " +
                      ShellQuote(folder + "/args") + "\n");
  chmod(path.c_str(), 0755);
  program = path;
  SetShellProgram(path);
}

std::string ShellTest::Run(const std::vector<std::string>& argv, int* exitCode) {
  std::string command;
  for (const std::string& arg : argv) command += ShellQuote(arg) + ' ';
  command += "2>&1";
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "";
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  int status = pclose(pipe);
  if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

std::string ShellTest::Validate(const std::string& desktopFile) {
  int code = 0;
  std::string report = Run({"desktop-file-validate", desktopFile}, &code);
  return code == 0 && report.empty() ? "" : "exit " + std::to_string(code) + ": " + report;
}

std::map<std::string, std::string> ShellTest::Snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec)) {
    if (!entry.is_regular_file()) continue;
    struct stat st;
    stat(entry.path().c_str(), &st);
    files[entry.path().string()] = std::to_string(st.st_ino) + ":" +
                                   std::to_string(st.st_mtim.tv_sec) + "." +
                                   std::to_string(st.st_mtim.tv_nsec) + ":" +
                                   std::to_string(st.st_mode) + ":" + ReadFile(entry.path());
  }
  return files;
}

}  // namespace qvr::test
