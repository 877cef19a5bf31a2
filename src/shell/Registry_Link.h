// The folder right-click entry, the SendTo entry, the desktop shortcuts and the special
// folders. The right-click entry keeps its registry values in the per-user registry store
// and takes effect as each common file manager reads such an entry: a Dolphin service menu
// (KDE 5 and KDE 6 folders), a Nautilus script, a Thunar custom action and a Nemo action.
// Shortcuts are freedesktop launchers (".desktop") with the names of the Windows shortcut
// (".lnk") files. Every file carries our mark; only our own files are ever rewritten or deleted.
#pragma once

#include <cstdint>
#include <string>

namespace qvr {

class MainWindowPort;

// Shell folder numbers (CSIDL).
inline constexpr int kCsidlDesktop = 0;
inline constexpr int kCsidlPersonal = 5;  // the user's documents
inline constexpr int kCsidlSendTo = 9;
inline constexpr int kCsidlWindows = 36;
inline constexpr int kCsidlSystem = 37;

// The folder without a trailing "/": desktop and documents from the XDG user folders
// ("デスクトップ"...), SendTo = $XDG_DATA_HOME/applications, Windows = /usr,
// system = /usr/lib; "" for any other number.
std::string SpecialFolderPath(int csidl);

// "QuiverArchiver" + "へ追加", and the registry key of the folder right-click command.
inline constexpr const char* kRightClickCaption = "QuiverArchiverへ追加";
inline constexpr const char* kRightClickKey = "Directory\\shell\\QvrArc.Add";

// "Set" creates the right-click entry, any other action deletes it (only ours).
void SetFolderRightClick(const std::string& action);
// Creates (use) or deletes the SendTo entry; a creation failure shows a warning box.
void UpdateSendToEntry(bool use, MainWindowPort& window);
// The same for the desktop shortcut of kind "Normal" ("QuiverArchiver") or of any other
// kind ("QVEasyExtract", the easy-extraction mode "/DDMODE").
void UpdateDesktopShortcut(bool use, const std::string& kind, MainWindowPort& window);

// What a shortcut is made of. The launcher starts the target with the arguments and the
// files handed to it (%F), in the working folder; MIME types ("" for none) make it one of
// the applications a file manager offers for such files, hidden from the menus.
struct ShellLinkInfo {
  std::string targetPath;
  std::string arguments;
  std::string workingFolder;
  std::string mimeTypes;
};
// Creates or updates the launcher file of the shortcut (our own files only): 0 on success,
// 8 without a target, 4 when the file cannot be saved (Shlink.dll's result codes).
int32_t SetShellLinkStatus(const std::string& linkPath, const ShellLinkInfo& info);
// The message for a result code of SetShellLinkStatus; lines end in CR LF.
std::string ShellLinkMessage(int32_t code);

// The files of the entries, for the tests and the notes of the installation.
std::string DolphinServiceMenuFile(int kdeVersion);  // 5 or 6
std::string NautilusScriptFile();
std::string NemoActionFile();
std::string ThunarSendToFile();

}  // namespace qvr
