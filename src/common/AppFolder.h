// The application folder: where QvrArc.ini, DllStatus.ini, Log.txt, the list and
// work files and the folders "tmp" and "ArcFiles" live. Always ends in "/". An installed
// copy spreads them over the XDG base folders by their kind (AppFileFolder).
#pragma once

#include <string>
#include <vector>

namespace qvr {

const std::string& AppFolder();
// Sets the folder for this process (start-up, tests), for files of every kind; a missing
// trailing "/" is added.
void SetAppFolder(const std::string& folder);

// The kinds of the program's own files, by where an installed copy keeps them.
enum class AppFileKind {
  Settings,  // QvrArc.ini, DllStatus.ini: $XDG_CONFIG_HOME/QuiverArchiver/
  State,     // Log.txt, the filter's histories: $XDG_STATE_HOME/QuiverArchiver/
  Cache,     // list and work files, "ArcFiles": $XDG_CACHE_HOME/QuiverArchiver/
  Runtime,   // "tmp", the opened entries: $XDG_RUNTIME_DIR/QuiverArchiver/ (else the cache)
};
// The kind of a file of the application folder by its name (Cache for any other name).
AppFileKind AppFileKindOf(const std::string& name);
// The folder of a kind's files, ending in "/": the application folder unless the copy
// is an installed one.
const std::string& AppFileFolder(AppFileKind kind);
// For an installed copy: every kind's XDG folder, made when missing, and the files of an
// earlier version moved over from the application folder ($XDG_DATA_HOME/QuiverArchiver/)
// when the new place holds none of that name. Any other copy keeps every kind in its
// application folder. Called after SetAppFolder at start-up.
void SetAppFileFolders(const std::string& executableFolder);

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
// $XDG_STATE_HOME (~/.local/state), $XDG_CACHE_HOME (~/.cache); $XDG_RUNTIME_DIR or "".
std::string XdgStateHome();
std::string XdgCacheHome();
std::string XdgRuntimeDir();
// The folders of $XDG_DATA_DIRS (/usr/local/share:/usr/share) and $XDG_CONFIG_DIRS
// (/etc/xdg), in their order.
std::vector<std::string> XdgDataDirs();
std::vector<std::string> XdgConfigDirs();

}  // namespace qvr
