// The archiver host's costs:
//  1. LoadArchiverDLLStatus with no DllStatus.ini and a PATH of 30 folders (target < 20 ms);
//  2. 10,000 CheckArchive calls on a small LZH archive through the host, against the same
//     calls made directly on the plugin's entry (target: no more than 1.1x).
//   build/bin/bench_backends [runs]
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "AppFolder.h"
#include "ArchiverDLL.h"
#include "ArchiverDLLStatus.h"
#include "MainWindowPort.h"
#include "QuietWindow.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

using qvr::bench::QuietWindow;

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void BenchStatus(const std::string& root, int runs) {
  std::string path;
  for (int i = 0; i < 30; ++i) {
    std::string folder = root + "/path" + std::to_string(i);
    fs::create_directories(folder);
    // Each folder holds some programs, none of them a component.
    for (int f = 0; f < 20; ++f) std::ofstream(folder + "/prog" + std::to_string(f)) << "x";
    path += (i ? ":" : "") + folder;
  }
  setenv("PATH", path.c_str(), 1);
  qvr::SetAppFolder(root + "/app");
  fs::create_directories(root + "/app");
  QuietWindow window;
  std::vector<double> times;
  for (int run = 0; run < runs; ++run) {
    fs::remove(root + "/app/DllStatus.ini");
    qvr::LibraryStatus status;
    auto start = Clock::now();
    qvr::LoadArchiverDLLStatus(status, window);
    times.push_back(Milliseconds(Clock::now() - start));
  }
  std::printf(
      "LoadArchiverDLLStatus, no cache, PATH of 30 folders: median %.2f ms, max %.2f ms"
      " over %d runs (target < 20 ms)\n",
      Median(times), *std::max_element(times.begin(), times.end()), runs);
}

void BenchCheck(const std::string& root, int runs) {
  std::string app = root + "/app/";
  fs::copy_file(QVR_BENCH_PLUGIN, app + "unlha32.so", fs::copy_options::overwrite_existing);
  std::string archive = std::string(QVR_FIXTURES_DIR) + "/lzh_lh5.lzh";
  qvr::SetSearchExecutableFolder(app);
  qvr::ArchiverDLL::ForgetAll();

  void* handle = dlopen((app + "unlha32.so").c_str(), RTLD_NOW | RTLD_LOCAL);
  auto direct = reinterpret_cast<qvr::CheckArchiveEntry*>(dlsym(handle, "UnlhaCheckArchive"));
  if (!direct || !qvr::ArchiverDLL::Of(qvr::Lib::Unlha).loaded()) {
    std::printf("bench plugin not loadable\n");
    return;
  }
  // Blocks of the two loops alternate, so a burst of load on the machine hits both alike.
  constexpr int kCalls = 10000, kBlock = 500;
  std::vector<double> hostTimes, directTimes;
  int accepted = 0;
  for (int run = 0; run < runs; ++run) {
    Clock::duration host{}, plain{};
    for (int done = 0; done < kCalls; done += kBlock) {
      auto start = Clock::now();
      for (int i = 0; i < kBlock; ++i) accepted += direct(archive.c_str(), 0);
      plain += Clock::now() - start;
      start = Clock::now();
      // As the engines call it: the library looked up at each call.
      for (int i = 0; i < kBlock; ++i)
        accepted += qvr::ArchiverDLL::Of(qvr::Lib::Unlha).CheckArchive(archive, 0);
      host += Clock::now() - start;
    }
    hostTimes.push_back(Milliseconds(host));
    directTimes.push_back(Milliseconds(plain));
  }
  double host = Median(hostTimes), plain = Median(directTimes);
  double hostBest = *std::min_element(hostTimes.begin(), hostTimes.end());
  double plainBest = *std::min_element(directTimes.begin(), directTimes.end());
  std::printf(
      "10,000 UnlhaCheckArchive on %s: host %.2f ms, direct %.2f ms (medians of %d runs),"
      " ratio %.3f; best runs %.2f / %.2f ms, ratio %.3f (target <= 1.1); %d accepted\n",
      fs::path(archive).filename().c_str(), host, plain, runs, host / plain, hostBest, plainBest,
      hostBest / plainBest, accepted);
  dlclose(handle);
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  std::string root = fs::temp_directory_path() / ("qvr_bench_backends." + std::to_string(getpid()));
  fs::create_directories(root);
  BenchStatus(root, runs);
  BenchCheck(root, runs);
  fs::remove_all(root);
  return 0;
}
