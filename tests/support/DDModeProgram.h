// The built program started by drag and drop ("/DDMODE" and the files), headless: it runs
// from a folder of its own beside our archiver libraries, which is then the application
// folder holding QvrArc.ini, DllStatus.ini and Log.txt.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "TempDir.h"

namespace qvr::test {

class DDModeProgram {
 public:
  // The program's folder is temp/app; its runtime and configuration folders lie in temp.
  explicit DDModeProgram(const TempDir& temp);

  const std::string& folder() const { return app_; }
  // Replaces QvrArc.ini with the text.
  void Ini(const std::string& text) const;
  // Runs the program with "/DDMODE" and the files; its exit status, or -1 when it did not
  // end by itself within the limit (it is then killed).
  int Run(const std::vector<std::string>& files,
          std::chrono::seconds limit = std::chrono::minutes(2)) const;

 private:
  const TempDir& temp_;
  std::string app_;
};

}  // namespace qvr::test
