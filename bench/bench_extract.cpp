// The extraction run against a shell loop of `bsdtar -xf` over the same archives, median of
// five runs each, side by side in one process:
//   1,000 small ZIP archives (10 files each), with and without the pre-scan;
//   one large .tar.gz without the pre-scan (and, for the record, with it).
// Every archive goes into a folder of its own in both runs. Usage:
//   build/bin/bench_extract [work folder] [zip count] [tar.gz megabytes]
#include <archive.h>
#include <archive_entry.h>

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
#include "BenchCorpus.h"
#include "MainWindowPort.h"
#include "QuietWindow.h"
#include "Settings.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

using qvr::bench::Median;
using qvr::bench::QuietWindow;
using qvr::bench::Seconds;
using qvr::bench::TextContent;

struct NoSound : qvr::SoundPlayer {
  void Play(const std::string&) override {}
};

void Fail(const std::string& what) {
  std::fprintf(stderr, "bench_extract: %s\n", what.c_str());
  std::exit(1);
}

struct Member {
  std::string name;
  std::string data;
};

void WriteArchive(const std::string& path, bool zip, const std::vector<Member>& members) {
  archive* a = archive_write_new();
  if (zip) {
    archive_write_set_format_zip(a);
  } else {
    archive_write_set_format_pax_restricted(a);
    archive_write_add_filter_gzip(a);
  }
  if (archive_write_open_filename(a, path.c_str()) != ARCHIVE_OK) Fail(archive_error_string(a));
  for (const Member& m : members) {
    archive_entry* e = archive_entry_new();
    archive_entry_set_pathname(e, m.name.c_str());
    archive_entry_set_size(e, la_int64_t(m.data.size()));
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_entry_set_mtime(e, 1078664710, 0);
    archive_write_header(a, e);
    archive_write_data(a, m.data.data(), m.data.size());
    archive_entry_free(e);
  }
  archive_write_close(a);
  archive_write_free(a);
}

std::vector<std::string> MakeZips(const std::string& folder, int count) {
  fs::create_directories(folder);
  std::mt19937 random(7);
  std::vector<std::string> paths;
  for (int i = 0; i < count; ++i) {
    std::vector<Member> members;
    for (int j = 0; j < 10; ++j)
      members.push_back(
          {"file" + std::to_string(j) + ".txt", TextContent(random, 500 + random() % 4000)});
    char name[32];
    std::snprintf(name, sizeof name, "a%04d.zip", i);
    paths.push_back(folder + "/" + name);
    WriteArchive(paths.back(), true, members);
  }
  return paths;
}

std::string MakeTarGz(const std::string& folder, int megabytes) {
  fs::create_directories(folder);
  std::mt19937 random(11);
  std::vector<Member> members;
  // Half text, half incompressible bytes, in files of 8 MiB.
  for (int i = 0; i * 8 < megabytes; ++i) {
    std::string data;
    if (i % 2 == 0) {
      data = TextContent(random, 8u << 20);
    } else {
      data.resize(8u << 20);
      for (char& c : data) c = char(random());
    }
    members.push_back({"big/part" + std::to_string(i) + ".bin", std::move(data)});
    if (members.size() == 4) break;  // keep memory small: the rest repeats below
  }
  std::string path = folder + "/large.tar.gz";
  archive* a = archive_write_new();
  archive_write_set_format_pax_restricted(a);
  archive_write_add_filter_gzip(a);
  if (archive_write_open_filename(a, path.c_str()) != ARCHIVE_OK) Fail(archive_error_string(a));
  for (int i = 0; i * 8 < megabytes; ++i) {
    const Member& m = members[size_t(i) % members.size()];
    archive_entry* e = archive_entry_new();
    std::string name = "big/part" + std::to_string(i) + ".bin";
    archive_entry_set_pathname(e, name.c_str());
    archive_entry_set_size(e, la_int64_t(m.data.size()));
    archive_entry_set_filetype(e, AE_IFREG);
    archive_entry_set_perm(e, 0644);
    archive_write_header(a, e);
    archive_write_data(a, m.data.data(), m.data.size());
    archive_entry_free(e);
  }
  archive_write_close(a);
  archive_write_free(a);
  return path;
}

// The program's run: destination "いつものところ", a folder per archive (or none for the one
// large archive), the pre-scan on or off.
double OurRun(const std::vector<std::string>& archives, const std::string& out, bool preScan,
              bool folderPerArchive, const qvr::LibraryStatus& status) {
  fs::remove_all(out);
  fs::create_directories(out);
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
  std::vector<double> zipPre, zipNoPre, zipTar, bigNoPre, bigPre, bigTar;
  for (int i = 0; i < kRuns; ++i) {
    zipTar.push_back(BsdtarLoop(work + "/zips", "*.zip", work + "/out", true));
    zipPre.push_back(OurRun(zips, work + "/out", true, true, status));
    zipNoPre.push_back(OurRun(zips, work + "/out", false, true, status));
    bigTar.push_back(BsdtarLoop(work + "/large", "*.tar.gz", work + "/out", false));
    bigNoPre.push_back(OurRun({large}, work + "/out", false, false, status));
    bigPre.push_back(OurRun({large}, work + "/out", true, false, status));
  }
  std::printf("\n| run | QuiverArchiver | bsdtar loop | ratio | target |\n|---|---|---|---|---|\n");
  Row((std::to_string(zipCount) + " zips, pre-scan").c_str(), zipPre, zipTar, "<= 0.8x");
  Row((std::to_string(zipCount) + " zips, no pre-scan").c_str(), zipNoPre, zipTar, "<= 0.6x");
  Row("large tar.gz, no pre-scan", bigNoPre, bigTar, "<= 1.10x");
  Row("large tar.gz, pre-scan", bigPre, bigTar, "reported");
  fs::remove_all(work);
  return 0;
}
