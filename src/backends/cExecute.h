// The command runner: starts an outside program or opens a document, optionally waiting for
// it, and the runner that captures a tool's standard output in a work file. No shell ever
// parses a command line here: double quotes group, blanks separate, and "$", "*", "`" or
// ";" are just characters of a name.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace qvr {

// Show modes of the design (hidden, normal); Linux programs open their own windows.
inline constexpr int16_t kShowHide = 0;
inline constexpr int16_t kShowNormal = 1;

class cExecute {
 public:
  cExecute() = default;
  ~cExecute() { Stop(); }
  cExecute(const cExecute&) = delete;
  cExecute& operator=(const cExecute&) = delete;

  // Starts the command line, split into program and parameters at the first blank from the
  // left whose preceding text FindFile finds (none: the whole line); an executable is
  // started directly, a document or folder opened with its associated program. When
  // waiting, polls every 100 ms, keeps the GUI responsive when called on its thread, and
  // ends early once Stop() was called. Started = true.
  bool ShellX(const std::string& commandLine, int16_t showMode, void* ownerWindow, bool wait);

  // Ends a wait in progress (also done by the destructor).
  void Stop() { stop_ = true; }
  bool stopped() const { return stop_; }

  // The plugin search (SearchPath); folder = the full path less the name's length.
  static bool FindFile(const std::string& name, std::string& folder);

  // Waits for a started process as ShellX does; the exit code, or -1 when stopped early
  // or the process could not be waited for.
  int WaitFor(int pid);

 private:
  std::atomic<bool> stop_{false};
};

// Splits a parameter text as a command line is split: blanks separate, double quotes group
// (a quote may stand inside an argument), no other character is special.
std::vector<std::string> SplitArguments(const std::string& text);

// Starts the program with the arguments (split as above) and its standard output written
// to the application folder's file outputFileName, waiting for it. Returns the full path of
// the output file, or "" when it does not exist after the run.
std::string RunCaptured(const std::string& programPath, const std::string& arguments,
                        const std::string& outputFileName, void* ownerWindow);
// The same with the arguments already split: each reaches the program unchanged, whatever
// characters it holds (the tool drivers pass archive paths this way).
std::string RunCaptured(const std::string& programPath, const std::vector<std::string>& arguments,
                        const std::string& outputFileName, void* ownerWindow);

// Runs a program looked up on PATH with the arguments as given (argv[0] is its name), its
// standard input and output on /dev/null, and waits for it as ShellX does. Its exit code,
// or -1 when it could not be started or waited for.
int RunAndWait(const std::vector<std::string>& argv);

}  // namespace qvr
