// Our writers side by side with the reference tools, median of 5 runs each (taken in turns):
//   ZIP level 6 against zip -6 (size and time), adding one 1 KB file to a 200 MB ZIP and to a
//   200 MB LZH (through unlha32.so beside the benchmark) against zip -u, 7Z level 5 against 7zz a
//   -mx=5 (time and size), and the peak memory of every run.
// The corpus (about 50 MB of text, source code and binaries) is copied into a temporary folder
// from /usr/share/doc, /usr/include and /usr/lib. Usage: bench_writers [corpus-MB [zip|add|7z|all]]
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "SevenZipWriter.h"
#include "SourceList.h"
#include "ZipWriter.h"
#include "qvr/ArchiverAbi.h"

extern char** environ;

namespace fs = std::filesystem;
using namespace qvr::writers;

namespace {

struct Run {
  double seconds = 0;
  double cpu = 0;  // user + system seconds of the child
  long peakKb = 0;
  int status = 0;
};

Run Finish(pid_t pid, std::chrono::steady_clock::time_point start) {
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  Run run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.peakKb = usage.ru_maxrss;
  run.cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
  return run;
}

// Runs our writer in a child process so that its peak memory is its own.
Run RunOurs(const std::function<int()>& body) {
  auto start = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) _exit(body() == 0 ? 0 : 1);
  return Finish(pid, start);
}

Run RunTool(std::vector<std::string> argv, const std::string& cwd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  std::vector<char*> args;
  for (auto& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return Finish(pid, start);
}

struct Median {
  double seconds;
  double cpu;
  long peakKb;
  bool ok;
};

struct Contender {
  std::function<void()> prepare;
  std::function<Run()> run;
};

// Five rounds in which every contender runs once, in turn, so that load from elsewhere on a
// shared machine falls on all of them alike; per contender the median times and the highest
// peak.
std::vector<Median> FiveTimesEach(const std::vector<Contender>& contenders) {
  std::vector<std::vector<double>> times(contenders.size()), cpus(contenders.size());
  std::vector<Median> result(contenders.size(), Median{0, 0, 0, true});
  for (int round = 0; round < 5; ++round) {
    for (size_t i = 0; i < contenders.size(); ++i) {
      contenders[i].prepare();
      Run r = contenders[i].run();
      times[i].push_back(r.seconds);
      cpus[i].push_back(r.cpu);
      result[i].peakKb = std::max(result[i].peakKb, r.peakKb);
      result[i].ok = result[i].ok && r.status == 0;
    }
  }
  for (size_t i = 0; i < contenders.size(); ++i) {
    std::sort(times[i].begin(), times[i].end());
    std::sort(cpus[i].begin(), cpus[i].end());
    result[i].seconds = times[i][2];
    result[i].cpu = cpus[i][2];
  }
  return result;
}

uint64_t SizeOf(const std::string& path) {
  std::error_code ec;
  auto size = fs::file_size(path, ec);
  return ec ? 0 : size;
}

// Copies regular files from the system folders until about `budget` bytes are gathered, each
// source contributing its share, so the corpus mixes text, source code and binaries.
void MakeCorpus(const std::string& dest, uint64_t budget) {
  const char* sources[] = {"/usr/share/doc", "/usr/include", "/usr/lib/x86_64-linux-gnu"};
  for (const char* source : sources) {
    uint64_t share = budget / 3, taken = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(
             source, fs::directory_options::skip_permission_denied, ec);
         it != fs::recursive_directory_iterator() && taken < share; it.increment(ec)) {
      if (ec || !it->is_regular_file(ec) || it->is_symlink(ec)) continue;
      uint64_t size = it->file_size(ec);
      if (ec || size == 0 || size > 8u << 20 || taken + size > share + (1u << 20)) continue;
      fs::path target = fs::path(dest) / fs::relative(it->path(), "/");
      fs::create_directories(target.parent_path(), ec);
      if (fs::copy_file(it->path(), target, fs::copy_options::overwrite_existing, ec))
        taken += size;
    }
  }
}

// The command entry of unlha32.so, which lies beside the benchmark in build/bin.
qvr::CommandEntry* UnlhaCommand() {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  void* lib = dlopen((self.parent_path() / "unlha32.so").c_str(), RTLD_NOW);
  return lib ? reinterpret_cast<qvr::CommandEntry*>(dlsym(lib, "Unlha")) : nullptr;
}

int32_t Unlha(qvr::CommandEntry* entry, const std::string& line) {
  char out[qvr::kCommandOutputSize] = {};
  return entry ? entry(nullptr, line.c_str(), out, sizeof out) : -1;
}

std::vector<AddItem> ItemsUnder(const std::string& root) {
  AddRequest request;
  request.baseFolder = root + "/";
  request.names = {"*"};
  request.recurse = true;
  std::vector<AddItem> items;
  CollectItems(request, &items);
  return items;
}

// One table row: both sides' median wall time (and CPU time), sizes when given, peaks.
void Row(const std::string& what, const std::string& ours, const Median& a, uint64_t sizeA,
         const std::string& theirs, const Median& b, uint64_t sizeB) {
  std::printf("| %s | %.3f s (cpu %.2f s) | %.3f s (cpu %.2f s) | %.2fx |", what.c_str(), a.seconds,
              a.cpu, b.seconds, b.cpu, a.seconds / b.seconds);
  if (sizeA && sizeB)
    std::printf(" %llu | %llu | %.4fx |", static_cast<unsigned long long>(sizeA),
                static_cast<unsigned long long>(sizeB),
                static_cast<double>(sizeA) / static_cast<double>(sizeB));
  else
    std::printf(" | | |");
  std::printf(" %.1f MB | %.1f MB |%s\n", a.peakKb / 1024.0, b.peakKb / 1024.0,
              a.ok && b.ok ? "" : " FAILED");
  std::printf("|   | `%s` | `%s` | | | | | | |\n", ours.c_str(), theirs.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  uint64_t corpusMb = argc > 1 ? std::stoull(argv[1]) : 50;
  std::string only = argc > 2 ? argv[2] : "all";  // zip, add, 7z or all
  char pattern[] = "/tmp/qvrbench.XXXXXX";
  std::string work = mkdtemp(pattern);
  std::string corpus = work + "/corpus";
  MakeCorpus(corpus, corpusMb << 20);
  std::vector<AddItem> items = ItemsUnder(corpus);
  uint64_t total = 0;
  for (const auto& item : items)
    if (!item.folder) total += SizeOf(item.diskPath);
  std::printf("corpus: %zu entries, %.1f MB in %s\n\n", items.size(), total / 1048576.0,
              corpus.c_str());
  std::printf(
      "| case | ours | peer | time ratio | our size | peer size | size ratio | our peak | peer "
      "peak |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|\n");

  if (only == "all" || only == "zip") {
    std::string ourZip = work + "/ours.zip", infoZip = work + "/infozip.zip";
    std::vector<Median> m =
        FiveTimesEach({{[&] { fs::remove(ourZip); },
                        [&] {
                          return RunOurs([&] {
                            ZipOptions options;
                            options.level = 6;
                            return ZipAdd(ourZip, items, options).code;
                          });
                        }},
                       {[&] { fs::remove(infoZip); },
                        [&] {
                          return RunTool({"zip", "-q", "-r", "-6", infoZip, "."}, corpus);
                        }}});
    const Median &ours = m[0], &zip6 = m[1];
    Row("ZIP level 6", "ZipAdd level 6", ours, SizeOf(ourZip), "zip -q -r -6", zip6,
        SizeOf(infoZip));
  }

  if (only == "all" || only == "add") {
    // One 1 KB file into a 200 MB ZIP: both start from a fresh copy of the same archive.
    std::string big = work + "/big.zip", target = work + "/target.zip", small = work + "/small.txt";
    std::vector<AddItem> many;
    for (uint64_t copy = 0; copy * total < (200u << 20); ++copy)
      for (const auto& item : items)
        many.push_back({item.diskPath, "c" + std::to_string(copy) + "/" + item.name, item.folder});
    ZipOptions stored;
    stored.level = 0;
    ZipAdd(big, many, stored);
    FILE* f = std::fopen(small.c_str(), "wb");
    for (int i = 0; i < 1024; ++i) std::fputc('a' + i % 26, f);
    std::fclose(f);
    auto freshCopy = [&] { fs::copy_file(big, target, fs::copy_options::overwrite_existing); };
    std::vector<Median> m = FiveTimesEach(
        {{freshCopy,
          [&] {
            return RunOurs([&] { return ZipAdd(target, {{small, "small.txt", false}}, {}).code; });
          }},
         {freshCopy, [&] {
            return RunTool({"zip", "-q", "-u", target, "small.txt"}, work);
          }}});
    const Median &addOurs = m[0], &addZip = m[1];
    Row("add 1 KB to a ZIP of " + std::to_string(SizeOf(big) >> 20) + " MB", "ZipAdd", addOurs, 0,
        "zip -q -u target.zip small.txt", addZip, 0);

    // The same into an LZH of the same files (stored, so that making it is quick): unlha32
    // copies the old entries' headers and data unchanged.
    qvr::CommandEntry* unlha = UnlhaCommand();
    std::string lzhSource = work + "/lzhsource", bigLzh = work + "/big.lzh";
    std::string lzhTarget = work + "/target.lzh";
    std::string names;
    for (uint64_t copy = 0; copy * total < (200u << 20); ++copy) {
      std::string name = "c" + std::to_string(copy);
      fs::create_directories(lzhSource);
      fs::copy(corpus, lzhSource + "/" + name,
               fs::copy_options::recursive | fs::copy_options::create_hard_links);
      names += " " + name;
    }
    if (Unlha(unlha, "a -jm0 -x \"" + bigLzh + "\" \"" + lzhSource + "/\"" + names) != 0)
      std::printf("| add 1 KB to an LZH | unlha32.so missing or failed | | | | | | | |\n");
    auto freshLzh = [&] {
      fs::copy_file(bigLzh, lzhTarget, fs::copy_options::overwrite_existing);
      fs::copy_file(big, target, fs::copy_options::overwrite_existing);
    };
    std::vector<Median> l = FiveTimesEach(
        {{freshLzh,
          [&] {
            return RunOurs([&] {
              return Unlha(unlha, "a \"" + lzhTarget + "\" \"" + work + "/\" small.txt");
            });
          }},
         {freshLzh, [&] {
            return RunTool({"zip", "-q", "-u", target, "small.txt"}, work);
          }}});
    Row("add 1 KB to an LZH of " + std::to_string(SizeOf(bigLzh) >> 20) + " MB", "Unlha a", l[0], 0,
        "zip -q -u target.zip small.txt", l[1], 0);
  }

  if (only == "all" || only == "7z") {
    std::string our7z = work + "/ours.7z", peer7z = work + "/peer.7z";
    std::string peer7z1 = work + "/peer1.7z";
    std::vector<Median> m = FiveTimesEach(
        {{[&] { fs::remove(our7z); },
          [&] {
            return RunOurs([&] {
              SevenZipOptions options;
              options.level = 5;
              return SevenZipAdd(our7z, items, options).code;
            });
          }},
         {[&] { fs::remove(peer7z); },
          [&] {
            return RunTool({"7zz", "a", "-bd", "-mx=5", peer7z, "."}, corpus);
          }},
         {[&] { fs::remove(peer7z1); },
          [&] {
            return RunTool({"7zz", "a", "-bd", "-mx=5", "-mmt=1", peer7z1, "."}, corpus);
          }}});
    Row("7Z level 5 (solid)", "SevenZipAdd level 5", m[0], SizeOf(our7z), "7zz a -mx=5", m[1],
        SizeOf(peer7z));
    Row("7Z level 5, 7-Zip on one thread", "SevenZipAdd level 5", m[0], SizeOf(our7z),
        "7zz a -mx=5 -mmt=1", m[2], SizeOf(peer7z1));
  }
  fs::remove_all(work);
  return 0;
}
