// Volumes of a chosen size: a finished 7Z cut into x.7z.001, x.7z.002 ... (7-Zip's volumes:
// the archive's bytes in order), a finished ZIP made into a split archive x.z01 ... x.zip
// (the spanning mark first, every record naming the part and the offset in it, the end
// records in x.zip). The single archive gives way to the parts once all are written; parts of
// an earlier, longer set are removed.
#pragma once

#include <cstdint>
#include <string>

#include "WriteResult.h"

namespace qvr::writers {

// `archivePath` holds the whole archive; `volumeSize` bytes per part (the last may be shorter).
WriteResult SplitSevenZip(const std::string& archivePath, uint64_t volumeSize);
WriteResult SplitZip(const std::string& archivePath, uint64_t volumeSize);

// The size of a volume switch's value: digits with b, k, m or g (m when none); 0 when it
// names none.
uint64_t VolumeSizeOf(const std::string& value);

}  // namespace qvr::writers
