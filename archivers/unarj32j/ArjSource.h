// The ARJ reading path of unarj32j: our own ARJ decoder (archivers/arj) over the archive's
// files, the volumes of a multi-volume set found beside the first ("x.arj", "x.a01", ...).
#pragma once

#include <memory>
#include <string>

#include "EntrySource.h"

namespace qvr::arc {

std::unique_ptr<EntrySource> OpenArjSource(const SourceOptions& options, int32_t& error);

// The file name of a set's volume: the first as given, then the extension's last two
// characters replaced by the volume's number ("x.arj" -> "x.a01"); "" past 99 volumes or
// for a name without a three-character extension.
std::string ArjVolumeName(const std::string& first, unsigned volume);

}  // namespace qvr::arc
