// The run's passwords when archives are worked at once: a question that would open while
// another archive's box is open waits for it and first tries what the user typed there.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "FakeMainWindow.h"
#include "RunPasswords.h"

namespace qvr::test {
namespace {

// A window whose password box stays open until the test closes it.
class HeldBoxWindow : public FakeMainWindow {
 public:
  std::optional<std::string> passwordBox(const std::string& prompt) override {
    std::unique_lock lock(mutex_);
    prompts_.push_back(prompt);
    opened_.notify_all();
    closed_.wait(lock, [&] { return answers_ > 0; });
    --answers_;
    return std::string("secret");
  }
  void WaitUntilOpen(size_t boxes) {
    std::unique_lock lock(mutex_);
    opened_.wait(lock, [&] { return prompts_.size() >= boxes; });
  }
  void Close() {
    std::lock_guard lock(mutex_);
    ++answers_;
    closed_.notify_all();
  }
  std::vector<std::string> prompts() {
    std::lock_guard lock(mutex_);
    return prompts_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable opened_, closed_;
  std::vector<std::string> prompts_;
  int answers_ = 0;
};

TEST(RunPasswords, AQuestionWaitingForAnotherTakesItsAnswerFirst) {
  HeldBoxWindow window;
  RunPasswords passwords(window);  // made on this thread, as the run is on the window's
  std::optional<std::string> first, second, secondRetry;
  auto a = std::make_unique<RunPasswords::Call>(passwords);
  std::thread workerA([&] { first = a->Answer("/in/a.zip", 0); });
  window.WaitUntilOpen(1);
  auto b = std::make_unique<RunPasswords::Call>(passwords);
  std::thread workerB([&] {
    second = b->Answer("/in/b.zip", 0);
    if (second) secondRetry = b->Answer("/in/b.zip", 1);  // it proved wrong for b.zip
  });
  window.Close();
  workerA.join();
  window.WaitUntilOpen(2);
  window.Close();
  workerB.join();
  EXPECT_EQ(first, "secret");
  EXPECT_EQ(second, "secret");  // a.zip's answer, not a second box
  // Only then is the user asked for b.zip, as for a new archive (nothing typed for it was wrong).
  EXPECT_EQ(window.prompts(), (std::vector<std::string>{PasswordPrompt("/in/a.zip", false),
                                                        PasswordPrompt("/in/b.zip", false)}));
  EXPECT_EQ(secondRetry, "secret");

  // Both calls end refused: what was typed there is no longer offered to others.
  a.reset();
  b.reset();
  RunPasswords::Call c(passwords);
  std::thread workerC([&] { EXPECT_EQ(c.Answer("/in/c.zip", 0), "secret"); });
  window.WaitUntilOpen(3);
  window.Close();
  workerC.join();
  EXPECT_EQ(window.prompts().back(), PasswordPrompt("/in/c.zip", false));
}

}  // namespace
}  // namespace qvr::test
