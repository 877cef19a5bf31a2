// Counting, sizing, inspecting and listing a zip of 100,000 entries through our unzip32,
// against `bsdtar -tf` on the same file. Run on demand: bench_inspect [folder]
#include <archive.h>
#include <archive_entry.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "AppFolder.h"
#include "ArchiverDLL_Inspect.h"
#include "ArchiverDLL_List.h"

namespace {

constexpr int kEntries = 100000;

// 100,000 small stored files below one top folder, so the folder inspection walks them all.
bool MakeZip(const std::string& path) {
  archive* a = archive_write_new();
  archive_write_set_format_zip(a);
  if (archive_write_open_filename(a, path.c_str()) != ARCHIVE_OK) return false;
  archive_entry* e = archive_entry_new();
  const char data[] = "bench data\n";
  for (int i = 0; i < kEntries; ++i) {
    archive_entry_clear(e);
    std::string name = "top/dir" + std::to_string(i / 1000) + "/file" + std::to_string(i) + ".txt";
    archive_entry_set_pathname(e, name.c_str());
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_size(e, sizeof data - 1);
    archive_entry_set_mtime(e, 1078664710, 0);
    archive_write_header(a, e);
    archive_write_data(a, data, sizeof data - 1);
  }
  archive_entry_free(e);
  archive_write_close(a);
  archive_write_free(a);
  return true;
}

// User + system time of this process and its waited-for children: on a shared machine the
// wall clock mostly measures the wait for a core.
double CpuSeconds() {
  double total = 0;
  for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
    rusage usage{};
    getrusage(who, &usage);
    total += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
             double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  }
  return total;
}

struct Cost {
  double wall = 1e9, cpu = 1e9;
};

// The best of three runs.
Cost Measure(const std::function<void()>& work) {
  Cost best;
  for (int run = 0; run < 3; ++run) {
    double cpu = CpuSeconds();
    auto start = std::chrono::steady_clock::now();
    work();
    best.wall = std::min(
        best.wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    best.cpu = std::min(best.cpu, CpuSeconds() - cpu);
  }
  return best;
}

void Report(const char* what, const std::string& result, const Cost& cost, const Cost& base) {
  std::printf("%-13s %-8s wall %.3f s (%.2fx)  cpu %.3f s (%.2fx)\n", what, result.c_str(),
              cost.wall, cost.wall / base.wall, cost.cpu, cost.cpu / base.cpu);
}

long StatusKiB(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::string(key).size());
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  std::string folder = argc > 1 ? argv[1] : std::filesystem::temp_directory_path() / "qvr-bench";
  std::filesystem::create_directories(folder);
  std::string zip = folder + "/entries100k.zip";
  if (!std::filesystem::exists(zip) && !MakeZip(zip)) return 1;
  qvr::SetAppFolder(folder + "/");

  qvr::LibraryStatus status;
  status.UNZIP32 = true;
  qvr::ArchiverDLL_Inspect inspect(status, nullptr);
  qvr::ArchiverDLL_List list(status, inspect, nullptr);

  std::string command = "bsdtar -tf '" + zip + "' > /dev/null";
  Cost bsdtar = Measure([&] {
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "bsdtar failed\n");
  });
  int32_t count = 0;
  uint64_t size = 0;
  bool needsFolder = true;
  Cost counting = Measure([&] { count = inspect.FileCount(zip); });
  Cost sizing = Measure([&] { size = inspect.OriginalSize(zip); });
  Cost inspecting = Measure([&] { needsFolder = inspect.NeedsFolder(zip); });

  // Resets the process's peak resident size, so that VmHWM below is the listing's peak.
  std::ofstream("/proc/self/clear_refs") << "5";
  long before = StatusKiB("VmRSS:");
  qvr::ArchiveListModel model;
  Cost listing = Measure([&] { list.ListByExtension(zip, model); });
  long after = StatusKiB("VmRSS:");
  long peak = StatusKiB("VmHWM:");

  std::printf("zip of %d entries: %s\n", kEntries, zip.c_str());
  Report("bsdtar -tf", "", bsdtar, bsdtar);
  Report("FileCount", std::to_string(count), counting, bsdtar);
  Report("OriginalSize", std::to_string(size), sizing, bsdtar);
  Report("NeedsFolder", needsFolder ? "true" : "false", inspecting, bsdtar);
  Report("listing", std::to_string(model.rowCount()), listing, bsdtar);
  std::printf("listing memory: resident +%ld KiB after, peak +%ld KiB\n", after - before,
              peak - before);
  return 0;
}
