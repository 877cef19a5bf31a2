// The main window as the benchmarks see it: shows nothing, counts the boxes it is asked to
// show (a run that should be clean must ask none) and answers them with Yes or OK. Long
// library calls run on a thread of their own, as the real window runs them.
#pragma once

#include <QCoreApplication>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "MainWindowPort.h"

namespace qvr::bench {

class QuietWindow : public MainWindowPort {
 public:
  int listCount() const override { return int(list.size()); }
  std::string listItem(int index) const override { return list[size_t(index)]; }
  void listAdd(const std::string& path) override { list.push_back(path); }
  void listRemove(int index) override { list.erase(list.begin() + index); }
  void listClear() override { list.clear(); }
  void setPanelText(int, const std::string&) override {}
  std::string panelText(int) const override { return ""; }
  MsgResult messageBox(const std::string&, MsgIcon, MsgButtons buttons) override {
    ++boxes;
    return buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel ? MsgResult::Yes
                                                                              : MsgResult::Ok;
  }
  std::string inputBox(const std::string&, const std::string&, const std::string&) override {
    return "";
  }
  std::string browseForFolder() override { return ""; }
  std::string openFileDialog(const std::vector<std::string>&, const std::string&) override {
    return "";
  }
  std::string saveFileDialog(const std::vector<std::string>&, const std::string&) override {
    return "";
  }
  void startTimer1() override {}
  void stopTimer1() override {}
  std::string elapsedText() const override { return "00:00:00"; }
  void* ownerWindow() const override { return nullptr; }
  void pumpEvents() override {}
  void runResponsive(const std::function<void()>& work) override {
    std::atomic<bool> done{false};
    std::thread worker([&] {
      work();
      done = true;
    });
    // With an application, this thread handles events meanwhile, as the real window does.
    while (QCoreApplication::instance() && !done)
      QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    worker.join();
  }

  std::vector<std::string> list;
  int boxes = 0;
};

}  // namespace qvr::bench
