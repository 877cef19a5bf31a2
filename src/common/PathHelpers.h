// Small text operations on paths shared by the list, the run and the engines.
// A path's separator is "/"; an extension is what follows the last ".".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qvr {

class MainWindowPort;

// The one separator used wherever a file-system path or a library command line is built.
inline constexpr char kSep = '/';

// The text before the last "/"; "/" for a text without one.
// The file's size in bytes; 0 when it cannot be learnt (gone, not a file).
int64_t FileLen(const std::string& path);
// FileLen of each path, in order.
std::vector<int64_t> FileLens(const std::vector<std::string>& paths);
// True for a regular file (a hidden one too); false for a folder, a device or nothing.
bool IsExistingFile(const std::string& path);

std::string FolderOf(std::string_view path);
// The text after the last "/"; the whole text when it holds none.
std::string FileNameOf(std::string_view path);
// The text before the last "."; the whole text when it holds none.
std::string StripExtension(std::string_view name);
// The text after the last ".", case unchanged; the whole text when it holds none.
std::string ExtensionOf(std::string_view name);
// The path in double quotes when it holds a blank, else unchanged (whatever its length).
std::string QuotePath(std::string_view path);
// False, after a stop message through the window, when the name holds a character
// that cannot stand in a file name.
bool IsValidFileName(std::string_view name, MainWindowPort& window);
// Creates every missing folder level of the path; false when a level cannot be made.
bool MakeFolders(const std::string& path);
// Deletes the files of base/subPath and removes the folders of subPath from the deepest
// up to, not including, base. Never touches anything at or above base and never follows
// a symbolic link. Failures are ignored; always true.
bool RemoveFolderChain(const std::string& base, const std::string& subPath);
// Deletes everything inside the folder (files, links, folders with their contents, read-only
// ones too) and keeps the folder. Never follows a symbolic link: a link is deleted itself,
// and a folder that is a link is left alone. Failures are ignored.
void EmptyFolder(const std::string& folder);

// ASCII case mapping, as the extension tables compare.
std::string LCase(std::string_view text);
std::string UCase(std::string_view text);

}  // namespace qvr
