// Deflates whole files ahead of an archive's writer, on worker threads: the writer takes
// each file's deflated bytes in its own order, so that the archive holds exactly what one
// thread would write, only sooner. Only plain files up to kWholeFileLimit take part (the
// others are streamed by the writer); at most a bounded number of bytes is in flight.
#pragma once

#include <sys/stat.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct libdeflate_compressor;

namespace qvr::writers {

class DeflateAhead {
 public:
  static constexpr uint64_t kWholeFileLimit = 1u << 20;

  struct Deflated {
    struct stat st {};
    std::vector<uint8_t> data;  // the raw deflate stream
    uint32_t crc = 0;
    uint64_t size = 0;  // the bytes read
  };

  // paths: the files in the order the writer takes them ("" for one it streams itself);
  // level: zlib's 1-9; threads: 0 for the machine's cores (at most 8).
  DeflateAhead(std::vector<std::string> paths, int level, unsigned threads = 0);
  // Stops the workers; files not yet taken are dropped.
  ~DeflateAhead();
  DeflateAhead(const DeflateAhead&) = delete;
  DeflateAhead& operator=(const DeflateAhead&) = delete;

  // The next file's deflated bytes, waited for; null when the writer is to stream it (not one
  // of ours, unreadable, grown past the limit). The result stays valid until the next call.
  const Deflated* Next();

 private:
  enum class State { Waiting, Working, Done, Failed };
  struct Job {
    std::string path;
    uint64_t expected = 0;  // its size when the list was made
    State state = State::Waiting;
    Deflated result;
  };

  void Work();
  // Reads and deflates the job's file; output: the worker's own buffer for the largest file.
  bool Deflate(Job& job, libdeflate_compressor* compressor, std::vector<uint8_t>& output);

  std::vector<Job> jobs_;
  int level_;
  size_t next_ = 0;        // the writer's next job
  size_t claimed_ = 0;     // the workers' next job
  uint64_t inFlight_ = 0;  // bytes of the jobs claimed and not yet released
  bool stopping_ = false;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::thread> workers_;
};

}  // namespace qvr::writers
