// The start-up modes: a normal start, a drag-and-drop start ("/DDMODE" with files: extract
// at once and end) and the drag-and-drop settings ("/DDMODE" alone). The command line decides
// the mode; the run reads the settings of its mode.
#pragma once

namespace qvr {

inline constexpr const char* kModeNormal = "NORMAL";
inline constexpr const char* kModeDDMode = "DDMODE";
inline constexpr const char* kModeDDModeSetting = "DDMODE_SETTING";

}  // namespace qvr
