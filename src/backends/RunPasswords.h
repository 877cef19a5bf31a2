// The passwords of one run (or of the archive a viewer shows), in memory only and never
// written anywhere. Each library call that meets an encrypted archive tries the passwords
// given earlier first, so a batch sharing one password is asked once; only then is the user
// asked, naming the archive, and asked again, saying so, after a wrong answer. An archive
// whose question was cancelled is not asked again in the run. Calls of archives worked at
// once ask one at a time, and a call about to ask first tries what the others were told
// meanwhile.
#pragma once

#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "ArchiverDLL.h"

namespace qvr {

class MainWindowPort;

// The question's text for the archive; `wrong`: the last password typed for it was wrong.
std::string PasswordPrompt(const std::string& archivePath, bool wrong);

class RunPasswords {
 public:
  // The questions go to the window's password box.
  explicit RunPasswords(MainWindowPort& window) : window_(window) {}
  ~RunPasswords() { Forget(); }
  RunPasswords(const RunPasswords&) = delete;
  RunPasswords& operator=(const RunPasswords&) = delete;

  // The answerer of one library call (a command, or an opening of the archive). A call
  // that was not refused for its password keeps the last answer for the rest of the run.
  class Call final : public PasswordAnswerer {
   public:
    explicit Call(RunPasswords& run) : run_(run) {}
    ~Call() override;
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
    std::optional<std::string> Answer(const std::string& archivePath, int wrong) override;
    // The call ended; `refused`: it failed for want of the right password.
    void Finish(bool refused);

   private:
    // The answers the run learnt since this call last looked, appended to its candidates.
    void TakeNewAnswers();

    RunPasswords& run_;
    bool started_ = false;
    std::vector<std::string> candidates_;  // the run's answers to try before asking
    size_t nextKnown_ = 0;
    bool lastTyped_ = false;  // the last answer came from the user
    std::optional<std::string> last_;
    std::vector<std::string> typed_;  // the user's answers in this call
  };

  // True when the user cancelled the archive's question in this run.
  bool Cancelled(const std::string& archivePath) const;
  // Drops every password (the viewer shows another archive).
  void Forget();

 private:
  void Keep(const std::string& password);

  MainWindowPort& window_;
  // Calls may run on several threads at once (a listing on its worker, a command on the
  // window's, the archives of a run worked at once); the question itself is asked outside
  // this lock, under asking_, one call at a time.
  mutable std::mutex mutex_;
  std::mutex asking_;
  const std::thread::id madeOn_ = std::this_thread::get_id();
  std::vector<std::string> known_;    // proven answers, the latest first
  std::vector<std::string> pending_;  // typed in calls not finished yet
  std::set<std::string> cancelled_;
};

}  // namespace qvr
