// The application folder: where QvrArc.ini, DllStatus.ini, Log.txt, the list and
// work files and the folders "tmp" and "ArcFiles" live. Always ends in "/".
#pragma once

#include <string>

namespace qvr {

const std::string& AppFolder();
// Sets the folder for this process (start-up, tests); a missing trailing "/" is added.
void SetAppFolder(const std::string& folder);

// The folder of the running executable, ending in "/".
std::string ExecutableFolder();
// The executable's folder when it is writable (build tree, portable copy), otherwise
// $XDG_DATA_HOME/QuiverArchiver/ (~/.local/share/QuiverArchiver/), created when missing.
std::string ResolveAppFolder(const std::string& executableFolder);

}  // namespace qvr
