// The writing side of unlha32: "a" (create, or update copying untouched entries' compressed
// data unchanged) and "d" (delete), through our own LZH codec. A new archive is written
// beside the old one and renamed over it only when complete.
#pragma once

#include <cstdint>
#include <string>

#include "Archiver.h"

namespace qvr::arc {

int32_t RunLzhWrite(const ParsedArgs& args, std::string& report);

}  // namespace qvr::arc
