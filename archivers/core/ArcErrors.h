// Result codes of the common archiver calling convention, as our libraries return them.
#pragma once

#include <cstdint>

namespace qvr::arc {

enum : int32_t {
  kOk = 0,
  ERROR_DISK_SPACE = 0x8005,
  ERROR_UNKNOWN_TYPE = 0x8008,
  ERROR_METHOD = 0x8009,
  ERROR_PASSWORD_FILE = 0x800A,
  ERROR_FILE_CRC = 0x800C,
  ERROR_FILE_OPEN = 0x800D,
  ERROR_NOT_EXIST = 0x800F,
  ERROR_MAKEDIRECTORY = 0x8012,
  ERROR_CANNOT_WRITE = 0x8013,
  ERROR_HEADER_BROKEN = 0x8017,
  ERROR_ARC_FILE_OPEN = 0x8018,
  ERROR_NOT_ARC_FILE = 0x8019,
  ERROR_COMMAND_NAME = 0x801C,
  ERROR_USER_CANCEL = 0x8020,
  ERROR_NOT_SUPPORT = 0x8023,
  ERROR_RESPONSE_READ = 0x802A,
  ERROR_NOT_FIND_FILE = 0x8031,
  ERROR_BROKEN_DATA = 0x8048,
};

// A short English description of a result code, for the output-buffer report.
const char* ErrorText(int32_t code);

}  // namespace qvr::arc
