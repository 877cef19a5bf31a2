// LZH encoder benchmark: our -lh5- archive of a corpus folder against jlha's -lh5- archive of
// the same files (size) and against gzip -6 over the same bytes (time), median of 5 runs.
//   bench/make_lzh_corpus.sh /tmp/lzh_corpus
//   build/bin/bench_lzh /tmp/lzh_corpus [method: lh5|lh6|lh7|lh1]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "LzhArchive.h"
#include "LzhFiles.h"

namespace fs = std::filesystem;
using namespace qvr::lzh;

namespace {

double Seconds(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double TimeCommand(const std::string& cmd) {
  auto t0 = std::chrono::steady_clock::now();
  if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", cmd.c_str());
  return Seconds(t0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_lzh CORPUS [lh5|lh6|lh7|lh1]\n");
    return 2;
  }
  const std::string corpus = fs::absolute(argv[1]).string();
  const Method method = MethodFromId("-" + std::string(argc > 2 ? argv[2] : "lh5") + "-");
  std::vector<std::string> files;
  uint64_t bytes = 0;
  for (const auto& e : fs::recursive_directory_iterator(corpus))
    if (e.is_regular_file()) {
      files.push_back(fs::relative(e.path(), corpus).string());
      bytes += e.file_size();
    }
  std::sort(files.begin(), files.end());
  const std::string work = fs::temp_directory_path() / "bench_lzh";
  fs::create_directories(work);
  std::printf("corpus: %zu files, %llu bytes\n", files.size(),
              static_cast<unsigned long long>(bytes));

  std::vector<double> ours, gzip;
  uint64_t ourSize = 0;
  for (int run = 0; run < 5; ++run) {
    auto t0 = std::chrono::steady_clock::now();
    // The plugin's own file adapters, so that the figures are what unlha32 does.
    int fd = ::open((work + "/ours.lzh").c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    qvr::arc::FileArchiveSink sink(fd);
    ArchiveWriter w(sink);
    for (const auto& f : files) {
      qvr::arc::FileSource src(corpus + "/" + f);
      NewEntry e;
      auto slash = f.rfind('/');
      e.name = slash == std::string::npos ? f : f.substr(slash + 1);
      e.directory = slash == std::string::npos ? "" : f.substr(0, slash);
      if (w.AddFile(e, src, method) != WriteStatus::kOk)
        std::fprintf(stderr, "failed: %s\n", f.c_str());
    }
    w.Finish();
    ::close(fd);
    ours.push_back(Seconds(t0));
    ourSize = sink.Tell();
    gzip.push_back(
        TimeCommand("tar cf - -C '" + corpus + "' . | gzip -6 > '" + work + "/c.tar.gz'"));
  }
  const uint64_t gzipSize = fs::file_size(work + "/c.tar.gz");

  // jlha's archive of the same files (its own method option: o5, o6, o7).
  std::string opt = method == Method::kLh6 ? "a2o6" : method == Method::kLh7 ? "a2o7" : "a2o5";
  fs::remove(work + "/jlha.lzh");
  double jlhaTime = TimeCommand("cd '" + corpus + "' && jlha " + opt + " '" + work +
                                "/jlha.lzh' . > /dev/null 2>&1");
  const uint64_t jlhaSize = fs::exists(work + "/jlha.lzh") ? fs::file_size(work + "/jlha.lzh") : 0;

  std::printf("%-22s %14s %10s\n", "", "bytes", "seconds");
  std::printf("%-22s %14llu %10.2f (median of 5)\n", ("ours " + MethodId(method)).c_str(),
              static_cast<unsigned long long>(ourSize), Median(ours));
  std::printf("%-22s %14llu %10.2f (one run)\n", ("jlha " + opt).c_str(),
              static_cast<unsigned long long>(jlhaSize), jlhaTime);
  std::printf("%-22s %14llu %10.2f (median of 5)\n", "tar | gzip -6",
              static_cast<unsigned long long>(gzipSize), Median(gzip));
  if (jlhaSize)
    std::printf("size ours / jlha:   %.4f (target <= 1.03)\n", double(ourSize) / jlhaSize);
  std::printf("time ours / gzip -6: %.3f (target <= 2)\n", Median(ours) / Median(gzip));
  fs::remove_all(work);
  return 0;
}
