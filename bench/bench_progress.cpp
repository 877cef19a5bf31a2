// What the run's progress costs and how fast a stop takes effect, through the program's
// library host and our libraries:
//   overhead: 300 small ZIPs and one ~90 MB .tar.gz, each extracted with the progress told
//   (a RunProgress read ten times a second, as the window does) and without, side by side in
//   turns, median of five (target: at most 2%);
//   stop: a 1 GiB entry of zeros (stored and Deflate), stopped in its middle, the time from
//   the stop to the call's return, median of five (target: at most 0.5 s), and no part of
//   the entry left behind.
// Usage: build/bin/bench_progress [work folder]
#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ArchiverDLL.h"
#include "ArchiverDLL_Inspect.h"
#include "BenchArchives.h"
#include "BenchCorpus.h"
#include "ExtractCommand.h"
#include "PathHelpers.h"
#include "RunProgress.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using qvr::bench::Median;
using qvr::bench::Seconds;

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "bench_progress: %s\n", what.c_str());
  std::exit(1);
}

// A ZIP of one entry of `bytes` zeros, streamed.
std::string MakeZeroZip(const std::string& folder, int64_t bytes, bool stored) {
  fs::create_directories(folder);
  std::string path = folder + (stored ? "/stored.zip" : "/deflate.zip");
  archive* a = archive_write_new();
  archive_write_set_format_zip(a);
  archive_write_set_options(a, stored ? "zip:compression=store" : "zip:compression=deflate");
  if (archive_write_open_filename(a, path.c_str()) != ARCHIVE_OK) qvr::bench::ArchiveFailed(a);
  archive_entry* e = archive_entry_new();
  archive_entry_set_pathname(e, "zeros.bin");
  archive_entry_set_size(e, bytes);
  archive_entry_set_filetype(e, AE_IFREG);
  archive_entry_set_perm(e, 0644);
  archive_write_header(a, e);
  std::string chunk(1 << 20, '\0');
  for (int64_t done = 0; done < bytes; done += int64_t(chunk.size()))
    archive_write_data(a, chunk.data(), chunk.size());
  archive_entry_free(e);
  archive_write_close(a);
  archive_write_free(a);
  return path;
}

// One extraction through the host; with progress, a reader polls it as the window's timer.
int32_t Extract(const std::string& archive, const std::string& out, qvr::RunProgress* progress) {
  qvr::ExtractCommand command =
      qvr::BuildExtractCommand(qvr::FormatOfExtension(archive), {}, archive, out);
  if (progress) progress->StartItem(archive, qvr::FileLen(archive));
  int32_t r = qvr::ArchiverDLL::Of(command.lib)
                  .Command(nullptr, command.commandLine, nullptr, nullptr, nullptr, progress);
  if (progress) progress->FinishItem();
  return r;
}

double Batch(const std::vector<std::string>& archives, const std::string& out, bool told) {
  fs::remove_all(out);
  qvr::RunProgress progress;
  progress.Begin(qvr::FileLens(archives));
  std::atomic<bool> going{told};
  std::thread window([&] {
    while (going) {
      progress.Read();
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
  auto start = Clock::now();
  for (size_t i = 0; i < archives.size(); ++i) {
    std::string folder = out + "/" + std::to_string(i);
    if (Extract(archives[i], folder, told ? &progress : nullptr) != 0) Fail("extraction failed");
  }
  double seconds = Seconds(Clock::now() - start);
  going = false;
  window.join();
  return seconds;
}

void OverheadRow(const char* name, const std::vector<std::string>& archives,
                 const std::string& out) {
  std::vector<double> with, without;
  // In turns, each side first every other round.
  for (int i = 0; i < 5; ++i) {
    if (i % 2) with.push_back(Batch(archives, out, true));
    without.push_back(Batch(archives, out, false));
    if (i % 2 == 0) with.push_back(Batch(archives, out, true));
  }
  double a = Median(with), b = Median(without);
  std::printf("| %s | %.3f s | %.3f s | %+.1f%% | <= 2%% |\n", name, a, b, (a / b - 1) * 100);
}

// Stops the extraction once a tenth of the entry is read; the seconds from the stop to the
// call's return.
double StopInside(const std::string& archive, const std::string& out) {
  fs::remove_all(out);
  qvr::RunProgress progress;
  progress.Begin({qvr::FileLen(archive)});
  int32_t result = 0;
  std::atomic<bool> returned{false};
  Clock::time_point end;
  std::thread worker([&] {
    result = Extract(archive, out, &progress);
    end = Clock::now();
    returned = true;
  });
  while (!returned && (progress.Read().entry != "zeros.bin" || progress.Read().permille < 100))
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  auto stop = Clock::now();
  progress.Cancel();
  worker.join();
  if (result != qvr::ERROR_USER_CANCEL) Fail("the stop did not stop the call");
  for (const auto& entry : fs::recursive_directory_iterator(out))
    if (entry.is_regular_file()) Fail("left behind: " + entry.path().string());
  return Seconds(end - stop);
}

void StopRow(const char* name, const std::string& archive, const std::string& out) {
  std::vector<double> latencies;
  for (int i = 0; i < 5; ++i) latencies.push_back(StopInside(archive, out));
  std::printf("| %s | %.3f s (max %.3f s) | <= 0.5 s |\n", name, Median(latencies),
              *std::max_element(latencies.begin(), latencies.end()));
}

}  // namespace

int main(int argc, char** argv) {
  std::string work =
      argc > 1 ? argv[1] : (fs::temp_directory_path() / "qvr_bench_progress").string();
  fs::remove_all(work);
  std::printf("preparing in %s\n", work.c_str());
  std::vector<std::string> zips = qvr::bench::MakeZips(work + "/zips", 300);
  std::string large = qvr::bench::MakeTarGz(work + "/large", 144);
  std::printf("large.tar.gz: %.1f MB\n\n", double(fs::file_size(large)) / 1e6);

  std::printf("| run | with progress | without | overhead | target |\n|---|---|---|---|---|\n");
  OverheadRow("300 small ZIPs", zips, work + "/out");
  OverheadRow("one .tar.gz", {large}, work + "/out");

  std::printf(
      "\n| stop inside a 1 GiB entry | stop to return (median of 5) | target |\n"
      "|---|---|---|\n");
  StopRow("stored", MakeZeroZip(work + "/zero", int64_t(1) << 30, true), work + "/out");
  StopRow("Deflate", MakeZeroZip(work + "/zero", int64_t(1) << 30, false), work + "/out");
  fs::remove_all(work);
  return 0;
}
