// Result of one archive write: a code of the common archiver convention and a short report.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qvr::writers {

// Codes of the common archiver convention that the writers return.
inline constexpr int32_t kErrorDiskSpace = 0x8005;
inline constexpr int32_t kErrorUnknownType = 0x8008;
inline constexpr int32_t kErrorMethod = 0x8009;
inline constexpr int32_t kErrorPasswordFile = 0x800A;
inline constexpr int32_t kErrorFileOpen = 0x800D;
inline constexpr int32_t kErrorNotExist = 0x800F;
inline constexpr int32_t kErrorCannotWrite = 0x8013;
inline constexpr int32_t kErrorHeaderBroken = 0x8017;
inline constexpr int32_t kErrorArcFileOpen = 0x8018;
inline constexpr int32_t kErrorNotArcFile = 0x8019;
inline constexpr int32_t kErrorCannotRead = 0x801A;
inline constexpr int32_t kErrorCommandName = 0x801C;
inline constexpr int32_t kErrorUserCancel = 0x8020;
inline constexpr int32_t kErrorNotSupport = 0x8023;
inline constexpr int32_t kErrorNotFindFile = 0x8031;
inline constexpr int32_t kErrorBrokenData = 0x8048;

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
