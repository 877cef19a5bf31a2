// The files through which the shell entries take effect on a Linux desktop: launchers and
// actions as the Desktop Entry standard and the file managers read them, each
// carrying our mark, so that this program only ever rewrites or deletes its own files.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace qvr {

// The mark of every file (and Thunar action) this program writes: a key line in desktop
// entries and actions, a comment line in scripts and XML.
inline constexpr const char* kOurMark = "X-QuiverArchiver=1";
inline constexpr const char* kOurMarkKey = "X-QuiverArchiver";

// The program that the shell entries start: the running executable's own file, or the one
// a test set ("" returns to the running executable).
std::string ShellProgram();
void SetShellProgram(const std::string& path);
// The icon of our entries: the program's icon file beside the executable when there is one
// (build tree, portable copy), else the name of the icon the installation put into the
// hicolor theme.
std::string ShellIcon();

// One argument in double quotes with '"', '`', '$' and '\' escaped by '\': how both the
// Desktop Entry standard's Exec key and a POSIX shell read a quoted argument.
std::string QuoteArgument(const std::string& argument);
// The start of an Exec value for the program: quoted when it holds a character the
// Desktop Entry standard reserves (a blank, a quote, "$"...), "%" doubled, and escaped
// as a desktop entry string value. The rest ("/DDMODE %F") follows after a blank.
std::string ExecValue(const std::string& program, const std::string& rest);
// A desktop entry string value: '\' doubled, line breaks and tabs as "\n", "\r", "\t".
std::string EscapeValue(const std::string& value);
// A text inside an XML element or attribute.
std::string EscapeXml(const std::string& text);

// A group of a desktop entry: "[name]" and a "key=value" line for each pair, the values as
// given (escaped by the caller).
using DesktopKeys = std::vector<std::pair<std::string, std::string>>;
std::string DesktopGroup(const std::string& name, const DesktopKeys& keys);

// Whether the file exists and carries our mark.
bool IsOurFile(const std::string& path);

enum class FileState { Unchanged, Written, Foreign, Failed };
// Writes the content (which carries our mark) as the file when there is none of that name
// or the one there is ours; an equal file is left untouched. A file that is not ours stays
// as it is (Foreign). Missing folders are created. Executable files get mode 0755.
FileState WriteOurFile(const std::string& path, const std::string& content, bool executable);
// Deletes the file when it is ours; a file that is not ours stays. True when it was deleted.
bool RemoveOurFile(const std::string& path);

}  // namespace qvr
