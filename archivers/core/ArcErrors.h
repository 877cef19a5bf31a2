// Our libraries' results: the codes of the calling convention (qvr/ArchiverAbi.h), 0 as
// kOk, and the words the output-buffer report gives each code.
#pragma once

#include <cstdint>

#include "qvr/ArchiverAbi.h"

namespace qvr::arc {

constexpr int32_t kOk = 0;

// A short English description of a result code, for the output-buffer report.
const char* ErrorText(int32_t code);

}  // namespace qvr::arc
