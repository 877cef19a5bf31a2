// The desktop's default applications, kept in $XDG_CONFIG_HOME/mimeapps.list as
// "xdg-mime default" writes them: one "type=launcher.desktop" line per MIME type in the
// group [Default Applications]. Every other line of the file stays byte for byte.
#pragma once

#include <string>

namespace qvr {

// The file: $XDG_CONFIG_HOME/mimeapps.list.
std::string MimeAppsFile();
// The value of the type's line in [Default Applications] ("a.desktop;b.desktop;"), "" when
// there is none.
std::string MimeAppsDefault(const std::string& mimeType);
// Sets the type's line to the value, or removes it when the value is "". False when the
// file could not be written.
bool SetMimeAppsDefault(const std::string& mimeType, const std::string& value);
// The first launcher a value names ("a.desktop" of "a.desktop;b.desktop;").
std::string FirstLauncher(const std::string& value);
// The launchers of the value that are installed (found in the applications folder of
// $XDG_DATA_HOME or of a folder of $XDG_DATA_DIRS): the value itself when all are, ""
// when none is.
std::string InstalledLaunchers(const std::string& value);

}  // namespace qvr
