// The progress of the command call in hand on this thread, told to the host's callback
// (PSetProgressCallback): bytes read with the entry in hand, at most every 64 KiB or 50 ms,
// each entry written whole, each entry left out and each entry that failed. The host's answer can
// stop the call; the readers and writers then end the way a failed call ends (the entry being
// written is removed, an archive being written is left as it was) with ERROR_USER_CANCEL.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "qvr/ArchiverAbi.h"

namespace qvr::arc {

// The host's callback for the later calls of this thread; null: nobody listens.
void SetProgressCallback(ProgressCallback* callback, void* context);

class CallProgress {
 public:
  // Takes the thread's callback and becomes the thread's current call until destroyed.
  CallProgress();
  ~CallProgress();
  CallProgress(const CallProgress&) = delete;
  CallProgress& operator=(const CallProgress&) = delete;

  // The current call of this thread; null outside a command call.
  static CallProgress* Current();

  // `bytesDone` bytes read so far in this call, `entry` in hand. False once the host said
  // stop (also when this call does not reach it).
  bool Data(int64_t bytesDone, const std::string& entry);
  // Adds bytes read to the call's count (the writers count source bytes that way).
  bool Read(int64_t bytes) { return Data(bytesDone_ + bytes, entry_); }
  void EntryDone(const std::string& entry);
  void Skipped(const std::string& entry, int32_t reason);
  void Failed(const std::string& entry, int32_t code);
  bool stopped() const { return stopped_; }
  // True when the host listens (set a callback for this thread).
  bool listening() const { return callback_ != nullptr; }

 private:
  bool Tell(int32_t event, const std::string& entry, int32_t reason);

  ProgressCallback* callback_;
  void* context_;
  CallProgress* outer_;
  int64_t bytesDone_ = 0;
  int64_t bytesTold_ = 0;
  std::string entry_;
  std::chrono::steady_clock::time_point told_;
  bool stopped_ = false;
};

}  // namespace qvr::arc
