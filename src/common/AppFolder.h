// The application folder: where QvrArc.ini, DllStatus.ini, Log.txt, the list and
// work files and the folders "tmp" and "ArcFiles" live. Always ends in "/".
#pragma once

#include <string>
#include <vector>

namespace qvr {

const std::string& AppFolder();
// Sets the folder for this process (start-up, tests); a missing trailing "/" is added.
void SetAppFolder(const std::string& folder);

// The folder of the running executable, ending in "/".
std::string ExecutableFolder();
// The running executable's own file: its folder and its name.
std::string ExecutablePath();
// True for the copy that the installation laid out: the executable lies in the installed
// program folder (<install prefix>/bin), or in a "bin" folder beside which the installation's
// data folder (../share/quiverarchiver) lies, as in an installation into another prefix.
bool IsInstalledCopy(const std::string& executableFolder);
// An installed copy always keeps its files in $XDG_DATA_HOME/QuiverArchiver/
// (~/.local/share/QuiverArchiver/), whoever runs it: it never writes into the install
// prefix. Any other copy (build tree, portable copy) uses the executable's folder when it is
// writable, otherwise the same folder under $XDG_DATA_HOME. Created when missing.
std::string ResolveAppFolder(const std::string& executableFolder);

// The XDG base folders, without a trailing "/": $XDG_DATA_HOME (~/.local/share) and
// $XDG_CONFIG_HOME (~/.config); a value that is not an absolute path is ignored, as the
// XDG rules say. "/tmp/..." when not even HOME is set.
std::string XdgDataHome();
std::string XdgConfigHome();
// The folders of $XDG_DATA_DIRS (/usr/local/share:/usr/share) and $XDG_CONFIG_DIRS
// (/etc/xdg), in their order.
std::vector<std::string> XdgDataDirs();
std::vector<std::string> XdgConfigDirs();

}  // namespace qvr
