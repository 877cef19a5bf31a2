// The ACE back-end: extraction through UnACEv2's one entry ACEExtract.
#pragma once

#include <cstdint>
#include <string>

namespace qvr {

// Extracts the entries of fileList ("*.*" for every entry) into destFolder; the library's
// result unchanged (0 = success, kNoEntryResult when the library is missing).
int32_t ExtractACE(const std::string& archivePath, const std::string& fileList,
                   const std::string& destFolder);

}  // namespace qvr
