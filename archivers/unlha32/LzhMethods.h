// The LZH reading path of unlha32: libarchive decodes lh0 and lh4 to lh7; the methods it
// lacks (lh1, lzs, lz5) are met in one place, DecodeOwnMethod, where this library's own
// decoder takes over.
#pragma once

#include <memory>
#include <string>

#include "EntrySource.h"

namespace qvr::arc {

// The entry's data for a method libarchive does not decode. Until our own decoder is
// wired in here, such an entry fails with ERROR_METHOD.
int32_t DecodeOwnMethod(const std::string& archivePath, const Entry& entry, std::string& words);

std::unique_ptr<EntrySource> OpenLzhSource(const SourceOptions& options, int32_t& error);

}  // namespace qvr::arc
