#include "DeflateAhead.h"

#include <fcntl.h>
#include <libdeflate.h>
#include <unistd.h>

#include <algorithm>

#include "FdIo.h"

namespace qvr::writers {
namespace {

// The bytes of files read and deflated that may wait for the writer.
constexpr uint64_t kFlightLimit = 4u << 20;

unsigned Threads(unsigned asked) {
  unsigned n = asked ? asked : std::thread::hardware_concurrency();
  return std::clamp(n, 1u, 8u);
}

uint64_t SizeOf(const std::string& path) {
  struct stat st {};
  if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return UINT64_MAX;
  return static_cast<uint64_t>(st.st_size);
}

}  // namespace

DeflateAhead::DeflateAhead(std::vector<std::string> paths, int level, unsigned threads)
    : level_(std::clamp(level, 1, 9)) {
  jobs_.resize(paths.size());
  for (size_t i = 0; i < paths.size(); ++i) {
    jobs_[i].expected = SizeOf(paths[i]);
    jobs_[i].path = std::move(paths[i]);
    if (jobs_[i].expected > kWholeFileLimit) jobs_[i].state = State::Failed;
  }
  for (unsigned i = 0; i < Threads(threads); ++i) workers_.emplace_back([this] { Work(); });
}

DeflateAhead::~DeflateAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

const DeflateAhead::Deflated* DeflateAhead::Next() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (next_ > 0) {  // the writer is done with the one before
    Job& done = jobs_[next_ - 1];
    if (done.state == State::Done) inFlight_ -= done.expected;
    done.result = Deflated{};
    changed_.notify_all();
  }
  if (next_ >= jobs_.size()) return nullptr;
  Job& job = jobs_[next_++];
  changed_.wait(lock, [&] { return job.state == State::Done || job.state == State::Failed; });
  return job.state == State::Done ? &job.result : nullptr;
}

void DeflateAhead::Work() {
  libdeflate_compressor* compressor = libdeflate_alloc_compressor(level_);
  std::vector<uint8_t> output(
      compressor ? libdeflate_deflate_compress_bound(compressor, kWholeFileLimit) : 0);
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    // The next file that is ours, when the bytes in flight leave room for it (the file the
    // writer waits for, or takes next, always goes: it never waits on the limit).
    changed_.wait(lock, [&] {
      while (claimed_ < jobs_.size() && jobs_[claimed_].state != State::Waiting) ++claimed_;
      return stopping_ || claimed_ >= jobs_.size() || claimed_ <= next_ ||
             inFlight_ + jobs_[claimed_].expected <= kFlightLimit;
    });
    if (stopping_ || claimed_ >= jobs_.size()) break;
    Job& job = jobs_[claimed_++];
    job.state = State::Working;
    inFlight_ += job.expected;
    lock.unlock();
    const bool ok = compressor && Deflate(job, compressor, output);
    lock.lock();
    job.state = ok ? State::Done : State::Failed;
    if (!ok) inFlight_ -= job.expected;
    changed_.notify_all();
  }
  lock.unlock();
  if (compressor) libdeflate_free_compressor(compressor);
}

bool DeflateAhead::Deflate(Job& job, libdeflate_compressor* compressor,
                           std::vector<uint8_t>& output) {
  arc::UniqueFd file(open(job.path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid() || fstat(file.get(), &job.result.st) != 0 || !S_ISREG(job.result.st.st_mode))
    return false;
  // One byte more than its listed size tells a file that grew since: the writer streams it.
  std::vector<uint8_t> input(static_cast<size_t>(job.expected) + 1);
  size_t got = 0;
  while (got < input.size()) {
    ssize_t n = arc::ReadSome(file.get(), input.data() + got, input.size() - got);
    if (n < 0) return false;
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  if (got > job.expected) return false;
  size_t written =
      libdeflate_deflate_compress(compressor, input.data(), got, output.data(), output.size());
  if (written == 0 && got > 0) return false;
  Deflated& out = job.result;
  out.size = got;
  out.crc = static_cast<uint32_t>(libdeflate_crc32(0, input.data(), got));
  out.data.assign(output.begin(), output.begin() + static_cast<std::ptrdiff_t>(written));
  return true;
}

}  // namespace qvr::writers
