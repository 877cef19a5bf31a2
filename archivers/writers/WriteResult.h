// Result of one archive write: a code of the common archiver convention and a short report.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ArcErrors.h"

namespace qvr::writers {

struct WriteResult {
  int32_t code = 0;
  std::string report;  // what was done, or the error in words
  bool ok() const { return code == 0; }
};

inline WriteResult Fail(int32_t code, std::string report) {
  return {code, std::move(report)};
}

// Called with the number of source bytes consumed so far; answering false cancels the write.
using Progress = std::function<bool(uint64_t bytesDone)>;

// The code for a failed write to the new archive (a full disk has its own code).
int32_t WriteErrorCode(int err);
// "<what> <path>: <system reason>".
std::string SystemReport(const std::string& what, const std::string& path, int err);

}  // namespace qvr::writers
