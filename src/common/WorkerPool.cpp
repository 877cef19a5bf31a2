#include "WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

namespace qvr {

int WorkerCount(int setting) {
  if (setting >= 1) return std::min(setting, kMaxWorkers);
  const int cores = int(std::thread::hardware_concurrency());
  return std::clamp(cores, 1, kMaxWorkers);
}

void RunOnWorkers(int workers, size_t count, const std::function<void(size_t)>& work,
                  const std::function<bool()>& stop) {
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  std::exception_ptr failure;
  std::mutex failureMutex;
  auto take = [&] {
    while (!failed && !stop()) {
      const size_t index = next++;
      if (index >= count) return;
      try {
        work(index);
      } catch (...) {
        std::lock_guard lock(failureMutex);
        if (!failure) failure = std::current_exception();
        failed = true;
      }
    }
  };
  // Never on this thread: the thread a run's passwords were made on asks without their lock.
  const size_t threads = std::min<size_t>(size_t(std::max(workers, 1)), count);
  std::vector<std::thread> pool;
  for (size_t i = 0; i < threads; ++i) pool.emplace_back(take);
  for (std::thread& t : pool) t.join();
  if (failure) std::rethrow_exception(failure);
}

void WorkerWindow::onWindowThread(const std::function<void()>& work) {
  std::lock_guard lock(mutex_);
  window_.onWindowThread(work);
}

int WorkerWindow::listCount() const {
  return OnWindow([&] { return window_.listCount(); });
}
std::string WorkerWindow::listItem(int index) const {
  return OnWindow([&] { return window_.listItem(index); });
}
void WorkerWindow::listAdd(const std::string& path) {
  onWindowThread([&] { window_.listAdd(path); });
}
void WorkerWindow::listRemove(int index) {
  onWindowThread([&] { window_.listRemove(index); });
}
void WorkerWindow::listClear() {
  onWindowThread([&] { window_.listClear(); });
}
void WorkerWindow::setPanelText(int panel, const std::string& text) {
  onWindowThread([&] { window_.setPanelText(panel, text); });
}
std::string WorkerWindow::panelText(int panel) const {
  return OnWindow([&] { return window_.panelText(panel); });
}
MsgResult WorkerWindow::messageBox(const std::string& text, MsgIcon icon, MsgButtons buttons) {
  return OnWindow([&] { return window_.messageBox(text, icon, buttons); });
}
std::string WorkerWindow::inputBox(const std::string& prompt, const std::string& title,
                                   const std::string& defaultText) {
  return OnWindow([&] { return window_.inputBox(prompt, title, defaultText); });
}
std::optional<std::string> WorkerWindow::passwordBox(const std::string& prompt) {
  return OnWindow([&] { return window_.passwordBox(prompt); });
}
std::optional<std::string> WorkerWindow::newPasswordBox(const std::string& prompt) {
  return OnWindow([&] { return window_.newPasswordBox(prompt); });
}
std::string WorkerWindow::browseForFolder() {
  return OnWindow([&] { return window_.browseForFolder(); });
}
std::string WorkerWindow::openFileDialog(const std::vector<std::string>& filter,
                                         const std::string& initialFolder) {
  return OnWindow([&] { return window_.openFileDialog(filter, initialFolder); });
}
std::string WorkerWindow::saveFileDialog(const std::vector<std::string>& filter,
                                         const std::string& initialFolder) {
  return OnWindow([&] { return window_.saveFileDialog(filter, initialFolder); });
}
// The window's thread answers while the workers work; this is the pause a loop gave the
// window between its items (a drop taken, a hand-off).
void WorkerWindow::pumpEvents() {
  onWindowThread([&] { window_.pumpEvents(); });
}
void WorkerWindow::startTimer1() {
  onWindowThread([&] { window_.startTimer1(); });
}
void WorkerWindow::stopTimer1() {
  onWindowThread([&] { window_.stopTimer1(); });
}
std::string WorkerWindow::elapsedText() const {
  return OnWindow([&] { return window_.elapsedText(); });
}

}  // namespace qvr
