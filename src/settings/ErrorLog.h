// Log.txt of the application folder, opened for appending for one run's lines. Lines end in
// CR LF. A log that cannot be written (a read-only application folder) stops nothing.
#pragma once

#include <fstream>
#include <string>

#include "Settings.h"  // AppFile

namespace qvr {

inline constexpr const char* kErrorLogFile = "Log.txt";

class ErrorLog {
 public:
  ErrorLog() : out_(AppFile(kErrorLogFile), std::ios::binary | std::ios::app) {}
  void Line(const std::string& text) {
    if (out_) out_ << text << "\r\n";
  }

 private:
  std::ofstream out_;
};

}  // namespace qvr
