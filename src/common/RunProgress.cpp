#include "RunProgress.h"

#include <algorithm>

namespace qvr {

RunProgress::~RunProgress() {
  if (!run_) return;
  std::lock_guard<std::mutex> lock(Mutex());
  run_->shares_.erase(this);
}

void RunProgress::Begin(const std::vector<int64_t>& itemSizes) {
  int64_t total = 0;
  for (int64_t size : itemSizes) total += WeightOf(size);
  std::lock_guard<std::mutex> lock(Mutex());
  RunProgress& run = Run();
  run.busy_ = false;
  run.total_ = total;
  run.doneBefore_ = run.itemWeight_ = run.inItem_ = 0;
  run.started_ = Clock::now();
}

void RunProgress::BeginOne(const std::string& item, int64_t bytes) {
  Begin({bytes});
  StartItem(item, bytes);
}

void RunProgress::Busy(const std::string& item) {
  std::lock_guard<std::mutex> lock(Mutex());
  RunProgress& run = Run();
  run.busy_ = true;
  run.item_ = item;
  run.entry_.clear();
}

void RunProgress::StartItem(const std::string& item, int64_t bytes) {
  std::lock_guard<std::mutex> lock(Mutex());
  item_ = item;
  entry_.clear();
  itemWeight_ = WeightOf(bytes);
  inItem_ = 0;
  tally_ = Tally{};
  if (!run_) return;
  run_->item_ = item;  // the bar names the item started last
  run_->entry_.clear();
  run_->shares_.insert(this);
}

void RunProgress::Advance(int64_t bytesInItem, const std::string& entry) {
  std::lock_guard<std::mutex> lock(Mutex());
  inItem_ = std::max(inItem_, std::min(bytesInItem, itemWeight_));
  if (!entry.empty()) entry_ = entry;
  Heard();
  if (run_ && !entry.empty()) {
    run_->item_ = item_;
    run_->entry_ = entry;
  }
}

void RunProgress::EntryDone() {
  std::lock_guard<std::mutex> lock(Mutex());
  Heard();
  ++tally_.written;
}

// The item's library tells its entries: from now on its count of written entries is known.
void RunProgress::Heard() {
  if (tally_.written < 0) tally_.written = 0;
}

void RunProgress::EntrySkipped(const std::string& entry, int32_t reason) {
  std::lock_guard<std::mutex> lock(Mutex());
  Heard();
  tally_.skipped.emplace_back(entry, reason);
}

void RunProgress::EntryFailed(const std::string& entry) {
  std::lock_guard<std::mutex> lock(Mutex());
  Heard();
  if (tally_.failedEntry.empty()) tally_.failedEntry = entry;
}

void RunProgress::FinishItem() {
  std::lock_guard<std::mutex> lock(Mutex());
  // An item that a stop ended counts as far as it got: a stopped run never fills the bar.
  Run().doneBefore_ += Run().cancelled_ ? inItem_ : itemWeight_;
  itemWeight_ = inItem_ = 0;
  if (run_) run_->shares_.erase(this);
}

void RunProgress::Cancel() {
  std::lock_guard<std::mutex> lock(Mutex());
  Run().cancelled_ = true;
}

bool RunProgress::cancelled() const {
  std::lock_guard<std::mutex> lock(Mutex());
  return Run().cancelled_;
}

int64_t RunProgress::DoneLocked() const {
  int64_t done = doneBefore_ + inItem_;
  for (const RunProgress* share : shares_) done += share->inItem_;
  return std::min(done, total_);
}

RunProgress::View RunProgress::Read() const {
  if (run_) return run_->Read();
  std::lock_guard<std::mutex> lock(mutex_);
  View view;
  view.busy = busy_;
  view.item = item_;
  view.entry = entry_;
  if (busy_ || total_ <= 0) return view;
  const int64_t done = DoneLocked();
  view.permille = static_cast<int>(done * 1000 / total_);
  // Guessed from the pace so far, once there is a pace to go by.
  auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_);
  if (elapsed.count() >= 2000 && done * 50 >= total_ && done < total_) {
    double rest = double(elapsed.count()) * double(total_ - done) / double(done);
    view.secondsLeft = static_cast<int64_t>(rest / 1000 + 0.5);
  }
  return view;
}

RunProgress::Tally RunProgress::TakeTally() {
  std::lock_guard<std::mutex> lock(Mutex());
  return std::exchange(tally_, Tally{});
}

}  // namespace qvr
