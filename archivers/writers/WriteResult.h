// Result of one archive write: a code of the common archiver convention and a short report.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ArcErrors.h"

namespace qvr::writers {

// Codes of the common archiver convention that the writers return (the core's values).
inline constexpr int32_t kErrorDiskSpace = arc::ERROR_DISK_SPACE;
inline constexpr int32_t kErrorUnknownType = arc::ERROR_UNKNOWN_TYPE;
inline constexpr int32_t kErrorMethod = arc::ERROR_METHOD;
inline constexpr int32_t kErrorPasswordFile = arc::ERROR_PASSWORD_FILE;
inline constexpr int32_t kErrorFileOpen = arc::ERROR_FILE_OPEN;
inline constexpr int32_t kErrorNotExist = arc::ERROR_NOT_EXIST;
inline constexpr int32_t kErrorCannotWrite = arc::ERROR_CANNOT_WRITE;
inline constexpr int32_t kErrorHeaderBroken = arc::ERROR_HEADER_BROKEN;
inline constexpr int32_t kErrorArcFileOpen = arc::ERROR_ARC_FILE_OPEN;
inline constexpr int32_t kErrorNotArcFile = arc::ERROR_NOT_ARC_FILE;
inline constexpr int32_t kErrorCannotRead = arc::ERROR_CANNOT_READ;
inline constexpr int32_t kErrorCommandName = arc::ERROR_COMMAND_NAME;
inline constexpr int32_t kErrorUserCancel = arc::ERROR_USER_CANCEL;
inline constexpr int32_t kErrorNotSupport = arc::ERROR_NOT_SUPPORT;
inline constexpr int32_t kErrorNotFindFile = arc::ERROR_NOT_FIND_FILE;
inline constexpr int32_t kErrorBrokenData = arc::ERROR_BROKEN_DATA;

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
