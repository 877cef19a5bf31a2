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
#include "BenchZip.h"

namespace {

using namespace qvr::bench;

void Report(const char* what, const std::string& result, const Cost& cost, const Cost& base) {
  std::printf("%-13s %-8s wall %.3f s (%.2fx)  cpu %.3f s (%.2fx)\n", what, result.c_str(),
              cost.wall, cost.wall / base.wall, cost.cpu, cost.cpu / base.cpu);
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
