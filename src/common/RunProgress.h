// The progress of one run (or of one viewer command): the engine tells it the run's weight
// in bytes, each item in hand (an archive to extract, a file or archive to make) with its
// weight, and how far a library call got inside it; the window reads it on a timer (the
// bar, the item in hand, the time left) and stops it. The library calls tell it from the
// worker of runResponsive, so every member is safe across threads.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace qvr {

class RunProgress {
 public:
  RunProgress() = default;
  // The share of one item worked beside others of the run (a worker's archive): the item,
  // its weight, entry and tally are the share's own; the bar, the item shown, the pace and
  // the cancel are the run's.
  explicit RunProgress(RunProgress& run) : run_(&run) {}
  ~RunProgress();
  RunProgress(const RunProgress&) = delete;
  RunProgress& operator=(const RunProgress&) = delete;

  // An item's weight: its bytes, at least 1 so that empty items count too.
  static int64_t WeightOf(int64_t bytes) { return bytes > 0 ? bytes : 1; }
  // The weighted part of the run starts, over items of these sizes (each weighed by WeightOf).
  void Begin(const std::vector<int64_t>& itemSizes);
  // A run of one item of `bytes` (an archive being made or read whole): Begin and StartItem.
  void BeginOne(const std::string& item, int64_t bytes);
  // A step without a measure (the pre-scan): the bar only shows that work goes on.
  void Busy(const std::string& item);
  // The item in hand and its size in bytes (weighed by WeightOf).
  void StartItem(const std::string& item, int64_t bytes);
  // Bytes done inside the item (a library's count, clipped to the item's weight; never
  // back), `entry` the entry in hand.
  void Advance(int64_t bytesInItem, const std::string& entry);
  // What the item's library call wrote whole, left out (with a reason code) and failed at.
  void EntryDone();
  void EntrySkipped(const std::string& entry, int32_t reason);
  void EntryFailed(const std::string& entry);
  // The item is over: its whole weight counts as done (after a stop, what was done of it).
  void FinishItem();

  // The user's stop: the library call in hand ends at its next report, the run after it.
  void Cancel();
  bool cancelled() const;

  struct View {
    bool busy = false;  // no measure yet
    int permille = 0;   // 0..1000 of the run
    std::string item;   // the archive or file in hand
    std::string entry;  // the entry in hand inside it ("" when the library does not tell)
    std::optional<int64_t> secondsLeft;  // once it can be estimated
  };
  View Read() const;

  // The current item's tally: entries written, entries left out with the reason codes,
  // the first entry that failed; written is -1 when its library told nothing.
  struct Tally {
    int written = -1;
    std::vector<std::pair<std::string, int32_t>> skipped;
    std::string failedEntry;
  };
  Tally TakeTally();

 private:
  using Clock = std::chrono::steady_clock;
  int64_t DoneLocked() const;
  void Heard();
  // The run this is a share of, or this itself; a share works under the run's mutex.
  RunProgress& Run() { return run_ ? *run_ : *this; }
  const RunProgress& Run() const { return run_ ? *run_ : *this; }
  std::mutex& Mutex() const { return Run().mutex_; }

  RunProgress* run_ = nullptr;
  std::set<const RunProgress*> shares_;  // the run's shares with an item in hand
  mutable std::mutex mutex_;
  bool busy_ = true;
  int64_t total_ = 0;
  int64_t doneBefore_ = 0;  // the weights of the items finished
  int64_t itemWeight_ = 0;
  int64_t inItem_ = 0;
  std::string item_;
  std::string entry_;
  Tally tally_;
  bool cancelled_ = false;
  Clock::time_point started_ = Clock::now();
};

}  // namespace qvr
