// What the listing benchmarks share: the zip of 100,000 small entries, the CPU clock of
// this process and its children, the best of three runs, and the resident-size readings.
#pragma once

#include <archive.h>
#include <archive_entry.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

namespace qvr::bench {

inline constexpr int kEntries = 100000;

// 100,000 small stored files below one top folder, so the folder inspection walks them all.
inline bool MakeZip(const std::string& path) {
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
inline double CpuSeconds() {
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
inline Cost Measure(const std::function<void()>& work) {
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

inline long StatusKiB(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::string(key).size());
  }
  return -1;
}

}  // namespace qvr::bench
