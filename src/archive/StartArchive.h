// Start in archive mode: the destination by cmbTargetPlace, the archive's name for "一括",
// then per-file or batch archiving and the completion notice with the mode word "Archive".
#pragma once

#include <string>

#include "BatchRun.h"

namespace qvr {

inline constexpr const char* kArcMethodEachFile = "個別";
inline constexpr const char* kArcMethodAllInOne = "一括";

// The destination of an archive run and, for "一括" through the save dialog, the name.
struct ArchiveDestination {
  Destination destination;
  std::string archiveName;
};
ArchiveDestination ChooseArchiveDestination(const BatchRun& run, bool allInOne);

// arcMethod and arcType are the texts of cmbArcMethod and cmbArcType.
RunEnd StartArchive(const BatchRun& run, const std::string& arcMethod, const std::string& arcType);

}  // namespace qvr
