// 100,000 reads of one key of a 300-line QvrArc.ini while another process keeps changing
// the file, so that every read has to see a fresh value.
//   build/bin/bench_profile [reads]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "ProfileFile.h"

namespace {

std::string IniText(int value) {
  std::string text;
  for (int section = 0; section < 15; ++section) {
    text += "[SECTION_" + std::to_string(section) + "]\r\n";
    for (int key = 0; key < 19; ++key) {
      text +=
          "Key" + std::to_string(key) + "=value " + std::to_string(section * 100 + key) + "\r\n";
    }
  }
  text += "[GENERAL]\r\nAlwaysPath=/home/user/extract/" + std::to_string(value % 10) + "\r\n";
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  int reads = argc > 1 ? std::atoi(argv[1]) : 100000;
  std::string dir = std::filesystem::temp_directory_path() / "qvr_bench_profile";
  std::filesystem::create_directories(dir);
  std::string ini = dir + "/QvrArc.ini";
  std::ofstream(ini, std::ios::binary) << IniText(0);

  // The other process rewrites the file in place as fast as it can (same size, new times).
  pid_t writer = fork();
  if (writer == 0) {
    for (int i = 1;; ++i) {
      std::ofstream(ini, std::ios::binary | std::ios::in | std::ios::out) << IniText(i);
    }
  }
  auto start = std::chrono::steady_clock::now();
  size_t total = 0;
  for (int i = 0; i < reads; ++i) {
    total += qvr::profile::ReadString(ini, "general", "alwayspath").value_or("").size();
  }
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  kill(writer, SIGKILL);
  waitpid(writer, nullptr, 0);
  std::filesystem::remove_all(dir);
  std::printf("%d GetIniString reads of a 300-line file under concurrent change: %.3f s (%zu)\n",
              reads, seconds, total);
  return 0;
}
