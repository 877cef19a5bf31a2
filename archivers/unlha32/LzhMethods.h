// The LZH reading path of unlha32: libarchive decodes lh0 and lh4 to lh7; the methods it
// lacks (lh1, lzs, lz5) are decoded by our own codec (archivers/lzh), which reads the
// entry's header again at the offset libarchive reports and streams its data.
#pragma once

#include <memory>
#include <string>

#include "EntrySource.h"

namespace qvr::arc {

std::unique_ptr<EntrySource> OpenLzhSource(const SourceOptions& options, int32_t& error);

}  // namespace qvr::arc
