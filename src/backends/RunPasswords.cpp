#include "RunPasswords.h"

#include <algorithm>

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
  if (last_) Wipe(*last_);
  for (std::string& p : candidates_) Wipe(p);
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
  if (!typedWrong && nextKnown_ < candidates_.size()) {
    lastTyped_ = false;
    last_ = candidates_[nextKnown_++];
    return last_;
  }
  nextKnown_ = candidates_.size();  // once the user is asked, the known ones are done
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
