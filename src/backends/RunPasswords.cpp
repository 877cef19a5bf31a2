#include "RunPasswords.h"

#include <algorithm>
#include <thread>

#include "MainWindowPort.h"
#include "Translate.h"

namespace qvr {
namespace {

// Overwrites a password before its memory is given back.
void Wipe(std::string& text) {
  std::fill(text.begin(), text.end(), '\0');
  text.clear();
}

}  // namespace

std::string PasswordPrompt(const std::string& archivePath, bool wrong) {
  if (wrong)
    return Tr("RunPasswords", "パスワードが違います。\n「") + archivePath +
           Tr("RunPasswords", "」のパスワードをもう一度入力してください。");
  return Tr("RunPasswords", "「") + archivePath +
         Tr("RunPasswords", "」のパスワードを入力してください。");
}

RunPasswords::Call::~Call() {
  {
    std::lock_guard lock(run_.mutex_);
    for (std::string& typed : typed_) {
      auto found = std::find(run_.pending_.begin(), run_.pending_.end(), typed);
      if (found != run_.pending_.end()) {
        Wipe(*found);
        run_.pending_.erase(found);
      }
      Wipe(typed);
    }
  }
  if (last_) Wipe(*last_);
  for (std::string& p : candidates_) Wipe(p);
}

void RunPasswords::Call::TakeNewAnswers() {
  std::lock_guard lock(run_.mutex_);
  for (const auto* answers : {&run_.known_, &run_.pending_})
    for (const std::string& answer : *answers)
      if (std::find(candidates_.begin(), candidates_.end(), answer) == candidates_.end())
        candidates_.push_back(answer);
}

std::optional<std::string> RunPasswords::Call::Answer(const std::string& archivePath, int wrong) {
  if (run_.Cancelled(archivePath)) return std::nullopt;
  if (!started_) {  // the answers proven so far, as they stand when the call first asks
    started_ = true;
    std::lock_guard lock(run_.mutex_);
    candidates_ = run_.known_;
  }
  const bool typedWrong = wrong > 0 && lastTyped_;
  if (last_) Wipe(*last_);
  auto tryNext = [&] {
    if (typedWrong || nextKnown_ >= candidates_.size()) return false;
    lastTyped_ = false;
    last_ = candidates_[nextKnown_++];
    return true;
  };
  if (tryNext()) return last_;
  // The thread the run was made on (the window's) never waits for a worker's question.
  std::unique_lock asking(run_.asking_, std::defer_lock);
  if (std::this_thread::get_id() != run_.madeOn_) asking.lock();
  // Another archive's question may have been answered while this waited.
  if (!typedWrong) TakeNewAnswers();
  if (tryNext()) return last_;
  if (run_.Cancelled(archivePath)) return std::nullopt;
  std::optional<std::string> typed =
      run_.window_.passwordBox(PasswordPrompt(archivePath, typedWrong));
  if (!typed) {
    std::lock_guard lock(run_.mutex_);
    run_.cancelled_.insert(archivePath);
    last_.reset();
    return std::nullopt;
  }
  lastTyped_ = true;
  last_ = std::move(typed);
  {
    std::lock_guard lock(run_.mutex_);
    run_.pending_.push_back(*last_);
  }
  typed_.push_back(*last_);
  candidates_.push_back(*last_);  // tried: not taken again from the others' answers
  nextKnown_ = candidates_.size();
  return last_;
}

void RunPasswords::Call::Finish(bool refused) {
  if (!refused && last_) run_.Keep(*last_);
}

bool RunPasswords::Cancelled(const std::string& archivePath) const {
  std::lock_guard lock(mutex_);
  return cancelled_.count(archivePath) != 0;
}

void RunPasswords::Keep(const std::string& password) {
  std::lock_guard lock(mutex_);
  auto found = std::find(known_.begin(), known_.end(), password);
  if (found != known_.end()) known_.erase(found);
  known_.insert(known_.begin(), password);
}

void RunPasswords::Forget() {
  std::lock_guard lock(mutex_);
  for (std::string& p : known_) Wipe(p);
  known_.clear();
  cancelled_.clear();
}

}  // namespace qvr
