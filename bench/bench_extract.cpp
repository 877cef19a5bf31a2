// The extraction run against a shell loop of `bsdtar -xf` over the same archives and against
// one 7-Zip process over the whole list, median of five runs each, side by side in one
// process:
//   1,000 small ZIP archives (10 files each), with and without the pre-scan, with the
//   archives worked at once (GENERAL/Threads automatic) and one at a time;
//   one large .tar.gz without the pre-scan (and, for the record, with it).
// Every archive goes into a folder of its own in every run. Usage:
//   build/bin/bench_extract [work folder] [zip count] [tar.gz megabytes]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "AppFolder.h"
#include "ArchiverDLL.h"
#include "ArchiverDLLStatus.h"
#include "BatchRun.h"
#include "BenchArchives.h"
#include "BenchCorpus.h"
#include "MainWindowPort.h"
#include "QuietWindow.h"
#include "Settings.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

using qvr::bench::MakeTarGz;
using qvr::bench::MakeZips;
using qvr::bench::Median;
using qvr::bench::QuietWindow;
using qvr::bench::Seconds;

struct NoSound : qvr::SoundPlayer {
  void Play(const std::string&) override {}
};

void Fail(const std::string& what) {
  std::fprintf(stderr, "bench_extract: %s\n", what.c_str());
  std::exit(1);
}

// The program's run: destination "いつものところ", a folder per archive (or none for the one
// large archive), the pre-scan on or off.
double OurRun(const std::vector<std::string>& archives, const std::string& out, bool preScan,
              bool folderPerArchive, const qvr::LibraryStatus& status, int threads = 0) {
  fs::remove_all(out);
  fs::create_directories(out);
  qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL", "Threads", std::to_string(threads));
  qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL", "AlwaysPath", out);
  qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL", "PreScan", preScan ? "0" : "1");
  qvr::WriteIniString(qvr::kQvrArcIni, "EXTRACT_NORMAL", "FileNameFolder",
                      folderPerArchive ? "1" : "2");
  QuietWindow window;
  window.list = archives;
  qvr::MailNotice mail;
  NoSound sound;
  qvr::BatchRun run{
      qvr::ExtractRun{window, status, qvr::kModeNormal, false}, 2, &mail, &sound, {}, {}};
  auto start = Clock::now();
  qvr::StartExtract(run);
  double seconds = Seconds(Clock::now() - start);
  if (window.boxes != 0) Fail("the run showed a box");
  return seconds;
}

// for f in ...; do mkdir -p out/NAME && bsdtar -xf f -C out/NAME; done
double BsdtarLoop(const std::string& folder, const std::string& pattern, const std::string& out,
                  bool folderPerArchive) {
  fs::remove_all(out);
  fs::create_directories(out);
  std::string target = folderPerArchive ? "\"$o/${n%%.*}\"" : "\"$o\"";
  std::string script = "cd '" + folder + "' && o='" + out + "' && for f in " + pattern +
                       "; do n=${f##*/}; mkdir -p " + target + " && bsdtar -xf \"$f\" -C " +
                       target + " || exit 1; done";
  auto start = Clock::now();
  if (std::system(("bash -c '" +
                   [&] {
                     std::string quoted;
                     for (char c : script)
                       quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
                     return quoted;
                   }() +
                   "'")
                      .c_str()) != 0)
    Fail("bsdtar loop failed");
  return Seconds(Clock::now() - start);
}

// 7zz x -an -ai@list '-oout/*': one process, each archive into a folder of its name.
double SevenZipBatch(const std::vector<std::string>& archives, const std::string& work,
                     const std::string& out) {
  fs::remove_all(out);
  fs::create_directories(out);
  const std::string list = work + "/7zz.lst";
  FILE* f = std::fopen(list.c_str(), "w");
  for (const std::string& a : archives) std::fprintf(f, "%s\n", a.c_str());
  std::fclose(f);
  auto start = Clock::now();
  if (std::system(("7zz x -bd -y -an '-ai@" + list + "' '-o" + out + "/*' > /dev/null").c_str()) !=
      0)
    Fail("7zz failed");
  return Seconds(Clock::now() - start);
}

void Row(const char* what, const std::vector<double>& ours, const std::vector<double>& theirs,
         const char* target) {
  double a = Median(ours), b = Median(theirs);
  std::printf("| %s | %.3f s | %.3f s | %.2fx | %s |\n", what, a, b, a / b, target);
}

}  // namespace

int main(int argc, char** argv) {
  std::string work =
      argc > 1 ? argv[1] : (fs::temp_directory_path() / "qvr_bench_extract").string();
  int zipCount = argc > 2 ? std::atoi(argv[2]) : 1000;
  int megabytes = argc > 3 ? std::atoi(argv[3]) : 200;
  fs::remove_all(work);
  fs::create_directories(work + "/app");
  qvr::SetAppFolder(work + "/app");
  qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL", "EndNotice", "1");
  qvr::WriteIniString(qvr::kQvrArcIni, "GENERAL", "OpenFolder", "0");

  QuietWindow probeWindow;
  qvr::LibraryStatus status;
  qvr::LoadArchiverDLLStatus(status, probeWindow);
  if (!status.UNZIP32 || !status.TAR32) Fail("unzip32.so and tar32.so must lie beside the program");

  std::printf("preparing %d zips and a %d MB tar.gz in %s\n", zipCount, megabytes, work.c_str());
  std::vector<std::string> zips = MakeZips(work + "/zips", zipCount);
  std::string large = MakeTarGz(work + "/large", megabytes);
  std::printf("large.tar.gz: %.1f MB\n", double(fs::file_size(large)) / 1e6);

  const int kRuns = 5;
  std::vector<double> zipPre, zipPreAlone, zipNoPre, zipTar, zip7zz, bigNoPre, bigPre, bigTar;
  for (int i = 0; i < kRuns; ++i) {
    zipTar.push_back(BsdtarLoop(work + "/zips", "*.zip", work + "/out", true));
    zip7zz.push_back(SevenZipBatch(zips, work, work + "/out"));
    zipPre.push_back(OurRun(zips, work + "/out", true, true, status));
    zipPreAlone.push_back(OurRun(zips, work + "/out", true, true, status, 1));
    zipNoPre.push_back(OurRun(zips, work + "/out", false, true, status));
    bigTar.push_back(BsdtarLoop(work + "/large", "*.tar.gz", work + "/out", false));
    bigNoPre.push_back(OurRun({large}, work + "/out", false, false, status));
    bigPre.push_back(OurRun({large}, work + "/out", true, false, status));
  }
  std::printf("\n| run | QuiverArchiver | bsdtar loop | ratio | target |\n|---|---|---|---|---|\n");
  Row((std::to_string(zipCount) + " zips, pre-scan").c_str(), zipPre, zipTar, "<= 0.8x");
  Row((std::to_string(zipCount) + " zips, no pre-scan").c_str(), zipNoPre, zipTar, "<= 0.6x");
  Row((std::to_string(zipCount) + " zips, pre-scan, vs one 7zz x -an -ai@list").c_str(), zipPre,
      zip7zz, "<= 0.6x");
  Row((std::to_string(zipCount) + " zips, pre-scan, one at a time, vs 7zz").c_str(), zipPreAlone,
      zip7zz, "reported");
  Row("large tar.gz, no pre-scan", bigNoPre, bigTar, "<= 1.10x");
  Row("large tar.gz, pre-scan", bigPre, bigTar, "reported");
  fs::remove_all(work);
  return 0;
}
