// Our archiver libraries against bsdtar (or the format's own tool: arj, 7zz) on the same
// archives: extraction and listing times (median of 5) and peak memory of each run.
//   bench/make_archiver_corpora.sh /tmp/qvr-bench && build/bin/bench_archivers /tmp/qvr-bench
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QInputDialog>
#include <QTimer>
#include <QWidget>
#include <thread>

#include "qvr/ArchiverAbi.h"

namespace {

namespace fs = std::filesystem;

struct Sample {
  double seconds = 0;
  long peakKb = 0;
  int status = 0;
};

// Runs `body` in a child process: its wall time and its peak resident memory.
Sample InChild(const std::function<int()>& body) {
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  struct rusage ru {};
  wait4(pid, &status, 0, &ru);
  Sample s;
  s.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  s.peakKb = ru.ru_maxrss;
  s.status = status;
  return s;
}

int Exec(const std::vector<std::string>& argv) {
  int null = open("/dev/null", O_WRONLY);
  dup2(null, 1);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execvp(args[0], args.data());
  return 127;
}

void* Entry(const std::string& file, const std::string& name) {
  void* lib = dlopen((std::string(QVR_BIN_DIR) + "/" + file).c_str(), RTLD_NOW);
  if (!lib) {
    std::fprintf(stderr, "%s\n", dlerror());
    std::exit(1);
  }
  return dlsym(lib, name.c_str());
}

struct Result {
  double median;
  long peakKb;
};

// Five runs of each, taken in turns so that a busy machine weighs on both alike.
std::pair<Result, Result> Measure(const std::function<int()>& ours,
                                  const std::function<int()>& theirs,
                                  const std::string& cleanFolder) {
  std::vector<double> times[2];
  long peak[2] = {0, 0};
  for (int i = 0; i < 10; ++i) {
    if (!cleanFolder.empty()) {
      fs::remove_all(cleanFolder);
      fs::create_directories(cleanFolder);
    }
    Sample s = InChild(i % 2 == 0 ? ours : theirs);
    if (s.status != 0) std::fprintf(stderr, "run failed with status %d\n", s.status);
    times[i % 2].push_back(s.seconds);
    peak[i % 2] = std::max(peak[i % 2], s.peakKb);
  }
  if (!cleanFolder.empty()) fs::remove_all(cleanFolder);
  for (auto& t : times) std::sort(t.begin(), t.end());
  return {{times[0][2], peak[0]}, {times[1][2], peak[1]}};
}

void Row(const char* what, const Result& ours, const Result& bsdtar, double limit) {
  double ratio = ours.median / bsdtar.median;
  std::printf("| %s | %.3f s | %.3f s | %.2fx (<= %.2fx) | %ld MB | %ld MB |\n", what, ours.median,
              bsdtar.median, ratio, limit, ours.peakKb / 1024, bsdtar.peakKb / 1024);
  std::fflush(stdout);
}

using Command = qvr::CommandEntry*;
using Open = qvr::OpenArchiveEntry*;
using First = qvr::FindFirstEntry*;
using Next = qvr::FindNextEntry*;
using Close = qvr::CloseArchiveEntry*;

// The peer's command line for an archive and a destination folder.
using Peer = std::function<std::vector<std::string>(const std::string&, const std::string&)>;
std::vector<std::string> Bsdtar(const std::string& archive, const std::string& dest) {
  return {"bsdtar", "-xf", archive, "-C", dest};
}

void Extraction(const char* what, const std::string& file, const std::string& prefix,
                const std::string& words, const std::string& archive, const std::string& work,
                double limit, const Peer& peer = Bsdtar) {
  auto command = reinterpret_cast<Command>(Entry(file, prefix));
  std::string dest = work + "/out";
  std::string line = words + "\"" + archive + "\" \"" + dest + "/\"";
  auto [ours, theirs] = Measure(
      [&] {
        char report[qvr::kCommandOutputSize];
        return command(nullptr, line.c_str(), report, sizeof report) == 0 ? 0 : 1;
      },
      [&] { return Exec(peer(archive, dest)); }, dest);
  Row(what, ours, theirs, limit);
}

// An encrypted archive as the program extracts it: the command on a worker thread, the
// library's password question owned by a window and answered at once (offscreen). The
// application's start is part of the time measured.
int RunWithPassword(Command command, const std::string& line, const QString& password) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "bench_archivers";
  char* argv[] = {name, nullptr};
  QApplication app(argc, argv);
  QWidget owner;
  owner.show();
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
      dialog->setTextValue(password);
      dialog->accept();
    }
  });
  answer.start(1);
  int32_t rc = -1;
  std::thread worker([&] {
    char report[qvr::kCommandOutputSize];
    rc = command(&owner, line.c_str(), report, sizeof report);
    QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
  });
  app.exec();
  worker.join();
  return rc == 0 ? 0 : 1;
}

void EncryptedExtraction(const char* what, const std::string& archive, const std::string& work,
                         double limit) {
  auto command = reinterpret_cast<Command>(Entry("7-zip32.so", "SevenZip"));
  std::string dest = work + "/out";
  std::string line = "x -y \"" + archive + "\" \"" + dest + "/\"";
  auto [ours, theirs] =
      Measure([&] { return RunWithPassword(command, line, QStringLiteral("secret")); },
              [&] {
                return Exec({"7zz", "x", "-psecret", "-y", "-o" + dest, archive});
              },
              dest);
  Row(what, ours, theirs, limit);
}

void Listing(const char* what, const std::string& archive, double limit) {
  auto open = reinterpret_cast<Open>(Entry("unzip32.so", "UnZipOpenArchive"));
  auto first = reinterpret_cast<First>(Entry("unzip32.so", "UnZipFindFirst"));
  auto next = reinterpret_cast<Next>(Entry("unzip32.so", "UnZipFindNext"));
  auto close = reinterpret_cast<Close>(Entry("unzip32.so", "UnZipCloseArchive"));
  auto [ours, bsdtar] = Measure(
      [&] {
        void* h = open(nullptr, archive.c_str(), 0x400000);
        if (!h) return 1;
        qvr::EntryInfo info;
        long n = 0;
        for (int r = first(h, "*", &info); r == 0; r = next(h, &info)) ++n;
        close(h);
        return n > 0 ? 0 : 1;
      },
      [&] {
        return Exec({"bsdtar", "-tvf", archive});
      },
      "");
  Row(what, ours, bsdtar, limit);
}

}  // namespace

int main(int argc, char** argv) {
  // Optional second argument: run only the rows whose text contains it ("tar.gz", "7z"...).
  std::string only = argc > 2 ? argv[2] : "";
  auto wanted = [&](const char* what) {
    return only.empty() || std::string(what).find(only) != std::string::npos;
  };
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <corpus folder from make_archiver_corpora.sh>\n", argv[0]);
    return 2;
  }
  std::string corpus = argv[1];
  std::string work = corpus + "/work";
  std::printf(
      "| Run | ours | peer | ratio (target) | ours peak | peer peak "
      "|\n|---|---|---|---|---|---|\n");
  if (wanted("tar.gz"))
    Extraction("tar.gz 200 MB mixed, tar32 -x", "tar32.so", "Tar", "-x --use-directory=1 ",
               corpus + "/mixed.tar.gz", work, 1.10);
  if (wanted("zip 20"))
    Extraction("zip 20,000 files of 1-10 KB, unzip32 -x -o", "unzip32.so", "UnZip", "-x -o ",
               corpus + "/small.zip", work, 1.25);
  if (wanted("7z"))
    Extraction("7z 100 MB solid LZMA2, 7-zip32 x -y", "7-zip32.so", "SevenZip", "x -y ",
               corpus + "/solid.7z", work, 1.10);
  if (wanted("arj"))
    Extraction("arj 50 MB method 1, unarj32j x vs arj x", "unarj32j.so", "Unarj", "x -y- ",
               corpus + "/fifty.arj", work, 1.0, [](const std::string& a, const std::string& d) {
                 return std::vector<std::string>{"arj", "x", "-y", a, d + "/"};
               });
  if (wanted("Deflate64"))
    Extraction("zip 50 MB Deflate64, unzip32 -x -o vs 7zz x", "unzip32.so", "UnZip", "-x -o ",
               corpus + "/fifty64.zip", work, 1.5, [](const std::string& a, const std::string& d) {
                 return std::vector<std::string>{"7zz", "x", "-y", "-o" + d, a};
               });
  if (wanted("7zAES"))
    EncryptedExtraction("7z 50 MB 7zAES + LZMA2, encrypted header, 7-zip32 x -y vs 7zz x -p",
                        corpus + "/fifty_aes.7z", work, 1.2);
  if (wanted("100,000"))
    Listing("zip 100,000 entries, FindFirst/FindNext vs bsdtar -tvf", corpus + "/many.zip", 1.5);
  return 0;
}
