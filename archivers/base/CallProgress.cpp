#include "CallProgress.h"

namespace qvr::arc {
namespace {

struct HostProgress {
  ProgressCallback* callback = nullptr;
  void* context = nullptr;
};
thread_local HostProgress tHost;
thread_local CallProgress* tCurrent = nullptr;

constexpr int64_t kEveryBytes = 64 * 1024;
constexpr auto kEveryTime = std::chrono::milliseconds(50);

}  // namespace

void SetProgressCallback(ProgressCallback* callback, void* context) {
  tHost = {callback, context};
}

CallProgress::CallProgress()
    : callback_(tHost.callback),
      context_(tHost.context),
      outer_(tCurrent),
      told_(std::chrono::steady_clock::now()) {
  tCurrent = this;
}

CallProgress::~CallProgress() {
  tCurrent = outer_;
}

CallProgress* CallProgress::Current() {
  return tCurrent;
}

bool CallProgress::Data(int64_t bytesDone, const std::string& entry) {
  if (bytesDone > bytesDone_) bytesDone_ = bytesDone;
  if (!callback_ || stopped_) return !stopped_;
  if (&entry != &entry_) entry_ = entry;
  // A clock read per block is cheap; a call to the host per block is not.
  auto now = std::chrono::steady_clock::now();
  if (bytesDone_ - bytesTold_ < kEveryBytes && now - told_ < kEveryTime) return true;
  told_ = now;
  bytesTold_ = bytesDone_;
  return Tell(kProgressData, entry_, 0);
}

void CallProgress::EntryDone(const std::string& entry) {
  if (callback_ && !stopped_) Tell(kProgressEntryDone, entry, 0);
}

void CallProgress::Skipped(const std::string& entry, int32_t reason) {
  if (callback_ && !stopped_) Tell(kProgressSkipped, entry, reason);
}

void CallProgress::Failed(const std::string& entry, int32_t code) {
  if (callback_ && !stopped_) Tell(kProgressFailed, entry, code);
}

bool CallProgress::Tell(int32_t event, const std::string& entry, int32_t reason) {
  ProgressInfo info{sizeof(ProgressInfo), event, bytesDone_, entry.c_str(), reason};
  if (callback_(context_, &info) == 0) stopped_ = true;
  return !stopped_;
}

}  // namespace qvr::arc
