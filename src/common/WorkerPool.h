// Work spread over threads: the archives of a run worked several at once. The workers reach
// the window only through a WorkerWindow, which hands each call to the window's thread, one
// at a time.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "MainWindowPort.h"

namespace qvr {

// The workers for a setting of GENERAL/Threads: 1 works one item at a time; 0 (or anything
// below 1) the machine's cores; never more than kMaxWorkers.
inline constexpr int kMaxWorkers = 8;
int WorkerCount(int setting);

// Calls work(index) for every index below count, on up to `workers` threads of its own (this
// one waits), handing out the indexes in order; returns when every call has returned. No new
// index is handed out once stop() is true. An exception of a call ends the others' taking and
// is thrown again here.
void RunOnWorkers(int workers, size_t count, const std::function<void(size_t)>& work,
                  const std::function<bool()>& stop);

// The window as the workers see it: every call runs on the window's thread while the worker
// waits (onWindowThread), the calls of all workers one at a time; a long step runs on the
// worker itself.
class WorkerWindow final : public MainWindowPort {
 public:
  explicit WorkerWindow(MainWindowPort& window) : window_(window) {}

  int listCount() const override;
  std::string listItem(int index) const override;
  void listAdd(const std::string& path) override;
  void listRemove(int index) override;
  void listClear() override;
  void setPanelText(int panel, const std::string& text) override;
  std::string panelText(int panel) const override;
  MsgResult messageBox(const std::string& text, MsgIcon icon, MsgButtons buttons) override;
  std::string inputBox(const std::string& prompt, const std::string& title,
                       const std::string& defaultText) override;
  std::optional<std::string> passwordBox(const std::string& prompt) override;
  std::optional<std::string> newPasswordBox(const std::string& prompt) override;
  std::string browseForFolder() override;
  std::string openFileDialog(const std::vector<std::string>& filter,
                             const std::string& initialFolder) override;
  std::string saveFileDialog(const std::vector<std::string>& filter,
                             const std::string& initialFolder) override;
  void startTimer1() override;
  void stopTimer1() override;
  std::string elapsedText() const override;
  void* ownerWindow() const override { return window_.ownerWindow(); }
  void pumpEvents() override;
  void runResponsive(const std::function<void()>& work) override { work(); }
  void onWindowThread(const std::function<void()>& work) override;

 private:
  template <class Call>
  auto OnWindow(Call&& call) const -> decltype(call()) {
    decltype(call()) result{};
    const_cast<WorkerWindow*>(this)->onWindowThread([&] { result = call(); });
    return result;
  }

  MainWindowPort& window_;
  std::mutex mutex_;  // one worker's call at a time
};

}  // namespace qvr
