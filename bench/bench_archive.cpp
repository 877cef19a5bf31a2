// The archiving run against the usual command-line tools over the same files, side by side
// in one process, median of five runs each:
//   "個別": 1,000 small files, each into its own ZIP, against a shell loop of `zip -q -6`;
//   "一括": one mixed tree into one ZIP against `zip -q -r -6`, into one 7Z against
//   `7zz a -mx=5` (time and size), and into one LZH against jlha's -lh5- archive (size).
// Usage: build/bin/bench_archive [work folder] [small-file count] [tree megabytes] [runs]
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "AppFolder.h"
#include "ArchiveAllInOne.h"
#include "ArchiveEachFile.h"
#include "ArchiverDLLStatus.h"
#include "BenchCorpus.h"
#include "QuietWindow.h"
#include "Settings.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

using qvr::bench::Median;
using qvr::bench::QuietWindow;
using qvr::bench::Seconds;
using qvr::bench::TextContent;

void Fail(const std::string& what) {
  std::fprintf(stderr, "bench_archive: %s\n", what.c_str());
  std::exit(1);
}

// Records of a program's data: repeated structures with small changes.
std::string Records(std::mt19937& random, size_t size) {
  std::string data;
  data.reserve(size);
  uint32_t counter = uint32_t(random());
  while (data.size() < size) {
    uint32_t fields[8] = {counter++, counter * 3, 0, 0xFFFFFFFF, uint32_t(random() % 256), 7, 0, 1};
    data.append(reinterpret_cast<const char*>(fields), sizeof fields);
  }
  data.resize(size);
  return data;
}

std::string Noise(std::mt19937& random, size_t size) {
  std::string data(size, '\0');
  for (char& c : data) c = char(random());
  return data;
}

void Write(const std::string& path, const std::string& data) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << data;
}

std::vector<std::string> MakeSmallFiles(const std::string& folder, int count) {
  std::mt19937 random(5);
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "note%04d.txt", i);
    paths.push_back(folder + "/" + name);
    Write(paths.back(), TextContent(random, 500 + random() % 4000));
  }
  return paths;
}

// About half text, a quarter records, a quarter incompressible, in files of 4 KB to 8 MB
// under a few folders; every file name is unique, as LZH and 7Z store names alone.
std::vector<std::string> MakeTree(const std::string& root, int megabytes) {
  std::mt19937 random(9);
  std::vector<std::string> paths;
  const size_t total = size_t(megabytes) << 20;
  size_t written = 0;
  for (int i = 0; written < total; ++i) {
    size_t size = i % 10 == 0 ? (4u << 20) + random() % (4u << 20) : 4096 + random() % (600u << 10);
    size = std::min(size, total - written);
    int kind = i % 4;
    std::string data = kind <= 1   ? TextContent(random, size)
                       : kind == 2 ? Records(random, size)
                                   : Noise(random, size);
    std::string path = root + "/dir" + std::to_string(i % 7) + "/sub" + std::to_string(i % 3) +
                       "/file" + std::to_string(i) + (kind <= 1 ? ".txt" : ".bin");
    Write(path, data);
    paths.push_back(path);
    written += size;
  }
  return paths;
}

double TimeShell(const std::string& script) {
  auto start = Clock::now();
  if (std::system(script.c_str()) != 0) Fail("failed: " + script);
  return Seconds(Clock::now() - start);
}

// The engine as Start calls it, destination "いつものところ".
double OurRun(const std::vector<std::string>& files, const std::string& out, bool allInOne,
              const std::string& type, const qvr::LibraryStatus& status) {
  fs::remove_all(out);
  fs::create_directories(out);
  QuietWindow window;
  window.list = files;
  qvr::ArchiveRun run{window, status, type};
  auto start = Clock::now();
  int made = allInOne ? qvr::ArchiveAllInOne(run, true, out, "pack")
                      : qvr::ArchiveEachFile(run, true, out);
  double seconds = Seconds(Clock::now() - start);
  if (made != int(files.size()) || window.boxes != 0)
    Fail(type + " run did not archive every file");
  return seconds;
}

uint64_t SizeOf(const std::string& path) {
  return fs::exists(path) ? fs::file_size(path) : 0;
}

void Row(const std::string& what, double ours, double theirs, const std::string& target) {
  std::printf("| %s | %.3f s | %.3f s | %.2fx | %s |\n", what.c_str(), ours, theirs, ours / theirs,
              target.c_str());
}

std::string LoadText() {
  std::ifstream in("/proc/loadavg");
  std::string a, b, c;
  in >> a >> b >> c;
  return a + " " + b + " " + c;
}

}  // namespace

int main(int argc, char** argv) {
  std::string work =
      argc > 1 ? argv[1] : (fs::temp_directory_path() / "qvr_bench_archive").string();
  int count = argc > 2 ? std::atoi(argv[2]) : 1000;
  int megabytes = argc > 3 ? std::atoi(argv[3]) : 200;
  int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 5;
  fs::remove_all(work);
  fs::create_directories(work + "/app");
  qvr::SetAppFolder(work + "/app");
  QuietWindow probe;
  qvr::LibraryStatus status;
  qvr::LoadArchiverDLLStatus(status, probe);
  if (!status.ZIP32J || !status.ZIP32 || !status.SEVENZIP32 || !status.UNLHA32)
    Fail("zip32j.so, zip32.so, 7-zip32.so and unlha32.so must lie beside the program");

  std::printf("preparing %d small files and a %d MB tree in %s\n", count, megabytes, work.c_str());
  std::vector<std::string> small = MakeSmallFiles(work + "/small", count);
  std::vector<std::string> tree = MakeTree(work + "/tree", megabytes);
  std::printf("tree: %zu files; load before: %s\n", tree.size(), LoadText().c_str());

  const std::string out = work + "/out", theirs = work + "/theirs";
  std::vector<double> each, eachZip, zip, zipTool, sevenZ, sevenZTool;
  uint64_t zipSize = 0, zipToolSize = 0, sevenZSize = 0, sevenZToolSize = 0;
  for (int i = 0; i < runs; ++i) {
    fs::remove_all(theirs);
    fs::create_directories(theirs);
    eachZip.push_back(TimeShell("cd '" + work + "/small' && for f in *; do zip -q -6 '" + theirs +
                                "'/\"${f%.*}.zip\" \"$f\" || exit 1; done"));
    each.push_back(OurRun(small, out, false, "ZIP", status));

    fs::remove(work + "/tool.zip");
    zipTool.push_back(TimeShell("cd '" + work + "' && zip -q -r -6 tool.zip tree"));
    zip.push_back(OurRun(tree, out, true, "ZIP", status));
    zipSize = SizeOf(out + "/pack.zip");
    zipToolSize = SizeOf(work + "/tool.zip");

    fs::remove(work + "/tool.7z");
    sevenZTool.push_back(
        TimeShell("cd '" + work + "' && 7zz a -bd -mx=5 tool.7z tree > /dev/null"));
    sevenZ.push_back(OurRun(tree, out, true, "7Z", status));
    sevenZSize = SizeOf(out + "/pack.7z");
    sevenZToolSize = SizeOf(work + "/tool.7z");
  }
  OurRun(tree, out, true, "LZH", status);
  uint64_t lzhSize = SizeOf(out + "/pack.lzh");
  fs::remove(work + "/tool.lzh");
  double jlhaSeconds = TimeShell("cd '" + work + "' && jlha a2o5 tool.lzh tree > /dev/null 2>&1");
  uint64_t jlhaSize = SizeOf(work + "/tool.lzh");

  std::printf("\nload after: %s; %d runs, medians\n\n", LoadText().c_str(), runs);
  std::printf("| run | QuiverArchiver | tool | ratio | target |\n|---|---|---|---|---|\n");
  Row("個別: " + std::to_string(count) + " files to ZIP vs zip -q -6 loop", Median(each),
      Median(eachZip), "<= 0.5x");
  Row("一括: tree to ZIP vs zip -q -r -6", Median(zip), Median(zipTool), "<= 1.10x");
  Row("一括: tree to 7Z vs 7zz a -mx=5", Median(sevenZ), Median(sevenZTool), "<= 1.10x");
  std::printf(
      "\n| archive | ours (bytes) | tool (bytes) | ratio | target |\n|---|---|---|---|---|\n");
  std::printf("| ZIP | %llu | %llu | %.4f | reported |\n", (unsigned long long)zipSize,
              (unsigned long long)zipToolSize, double(zipSize) / double(zipToolSize));
  std::printf("| 7Z | %llu | %llu | %.4f | <= 1.02 |\n", (unsigned long long)sevenZSize,
              (unsigned long long)sevenZToolSize, double(sevenZSize) / double(sevenZToolSize));
  std::printf("| LZH -lh5- vs jlha (%.1f s) | %llu | %llu | %.4f | <= 1.00 |\n", jlhaSeconds,
              (unsigned long long)lzhSize, (unsigned long long)jlhaSize,
              double(lzhSize) / double(jlhaSize));
  fs::remove_all(work);
  return 0;
}
