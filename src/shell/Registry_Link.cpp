#include "Registry_Link.h"

#include <QStandardPaths>
#include <filesystem>
#include <system_error>

#include "AppFolder.h"
#include "DesktopEntry.h"
#include "MainWindowPort.h"
#include "PathHelpers.h"
#include "Registry.h"
#include "ThunarActions.h"
#include "Translate.h"
#include "cExecute.h"

namespace qvr {
namespace {

const RegRoot kHKCR = RegRoot::ClassesRoot;
constexpr const char* kThunarActionId = "QuiverArchiver-QvrArc.Add";
constexpr const char* kSendToTypes = "application/octet-stream;inode/directory;";

std::string WithoutSlash(std::string folder) {
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string RightClickCommand() {
  return QuoteArgument(ShellProgram()) + " \"%1\"";
}

std::string DolphinServiceMenu() {
  return DesktopGroup("Desktop Entry", {{"Type", "Service"},
                                        {"MimeType", "inode/directory;"},
                                        {"Actions", "QvrArcAdd;"},
                                        {"X-KDE-ServiceTypes", "KonqPopupMenu/Plugin"},
                                        {"X-KDE-Priority", "TopLevel"},
                                        {kOurMarkKey, "1"}}) +
         "\n" +
         DesktopGroup("Desktop Action QvrArcAdd", {{"Name", EscapeValue(kRightClickCaption)},
                                                   {"Icon", EscapeValue(ShellIcon())},
                                                   {"Exec", ExecValue(ShellProgram(), "%F")}});
}

std::string NautilusScript() {
  return std::string("#!/bin/sh\n# ") + kOurMark + "\nexec " + QuoteArgument(ShellProgram()) +
         " \"$@\"\n";
}

std::string NemoAction() {
  return DesktopGroup("Nemo Action", {{"Name", EscapeValue(kRightClickCaption)},
                                      {"Comment", EscapeValue(kRightClickCaption)},
                                      {"Exec", ExecValue(ShellProgram(), "%F")},
                                      {"Icon-Name", EscapeValue(ShellIcon())},
                                      {"Selection", "any"},
                                      {"Extensions", "dir;"},
                                      {"Quote", "double"},
                                      {kOurMarkKey, "1"}});
}

std::string ThunarAction() {
  auto element = [](const std::string& tag, const std::string& text) {
    return "\t\t<" + tag + ">" + EscapeXml(text) + "</" + tag + ">\n";
  };
  return "\t<action>\n" + element("icon", ShellIcon()) + element("name", kRightClickCaption) +
         element("submenu", "") + element("unique-id", kThunarActionId) +
         element("command", QuoteArgument(ShellProgram()) + " %F") +
         element("description", kRightClickCaption) + element("range", "") +
         element("patterns", "*") + "\t\t<directories/>\n\t</action>\n";
}

void SetFileManagerEntries() {
  WriteOurFile(DolphinServiceMenuFile(5), DolphinServiceMenu(), true);
  WriteOurFile(DolphinServiceMenuFile(6), DolphinServiceMenu(), true);
  WriteOurFile(NautilusScriptFile(), NautilusScript(), true);
  WriteOurFile(NemoActionFile(), NemoAction(), false);
  SetThunarAction(kThunarActionId, ThunarAction());
}

void DeleteFileManagerEntries() {
  RemoveOurFile(DolphinServiceMenuFile(5));
  RemoveOurFile(DolphinServiceMenuFile(6));
  RemoveOurFile(NautilusScriptFile());
  RemoveOurFile(NemoActionFile());
  RemoveThunarAction(kThunarActionId);
}

// Creates or deletes one shortcut. A file of that name that is not ours is never touched;
// ours is rewritten only when it differs (the executable has moved). True when the
// shortcut was written.
bool UpdateShortcut(const std::string& path, const ShellLinkInfo& info, bool use,
                    MainWindowPort& window) {
  std::error_code ec;
  if (!use) {
    RemoveOurFile(path);
    return false;
  }
  if (std::filesystem::exists(std::filesystem::symlink_status(path, ec)) && !IsOurFile(path)) {
    return false;
  }
  int32_t code = SetShellLinkStatus(path, info);
  if (code != 0) {
    window.messageBox(ShellLinkMessage(code), MsgIcon::Exclamation, MsgButtons::Ok);
    return false;
  }
  return true;
}

ShellLinkInfo ProgramLink(const std::string& arguments, const std::string& mimeTypes) {
  std::string program = ShellProgram();
  return ShellLinkInfo{program, arguments, FolderOf(program), mimeTypes};
}

}  // namespace

std::string SpecialFolderPath(int csidl) {
  switch (csidl) {
    case kCsidlDesktop:
      return WithoutSlash(
          QStandardPaths::writableLocation(QStandardPaths::DesktopLocation).toStdString());
    case kCsidlPersonal:
      return WithoutSlash(
          QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString());
    case kCsidlSendTo:
      return XdgDataHome() + "/applications";
    case kCsidlWindows:
      return "/usr";
    case kCsidlSystem:
      return "/usr/lib";
  }
  return "";
}

void SetFolderRightClick(const std::string& action) {
  const std::string commandKey = std::string(kRightClickKey) + "\\command";
  if (action != "Set") {
    RegDeleteKey(kHKCR, commandKey);
    RegDeleteKey(kHKCR, kRightClickKey);
    DeleteFileManagerEntries();
    return;
  }
  std::string caption =
      std::get<std::string>(RegRead(kHKCR, kRightClickKey, "", kRegSz, std::string("-1")));
  std::string command = RightClickCommand();
  if (caption == "" || caption == "-1") {
    RegWrite(kHKCR, kRightClickKey, "", kRegSz, std::string(kRightClickCaption));
    RegWrite(kHKCR, commandKey, "", kRegSz, command);
  } else if (caption == kRightClickCaption &&
             std::get<std::string>(RegRead(kHKCR, commandKey, "", kRegSz, std::string())) !=
                 command) {
    // Our entry follows the executable when it has moved.
    RegWrite(kHKCR, commandKey, "", kRegSz, command);
  }
  SetFileManagerEntries();
}

void UpdateSendToEntry(bool use, MainWindowPort& window) {
  ShellLinkInfo link = ProgramLink("", kSendToTypes);
  std::string entry = SpecialFolderPath(kCsidlSendTo) + "/QuiverArchiver.desktop";
  bool written = UpdateShortcut(entry, link, use, window);
  // Thunar's "Send To" menu reads a folder of its own; it follows the entry (not after a
  // failure, already reported, nor beside another program's file of that name).
  if (written || !use) UpdateShortcut(ThunarSendToFile(), link, use, window);
  RunAndWait({"update-desktop-database", SpecialFolderPath(kCsidlSendTo)});
}

void UpdateDesktopShortcut(bool use, const std::string& kind, MainWindowPort& window) {
  bool normal = kind == "Normal";
  std::string path = SpecialFolderPath(kCsidlDesktop) + "/" +
                     (normal ? "QuiverArchiver.desktop" : "QVEasyExtract.desktop");
  if (UpdateShortcut(path, ProgramLink(normal ? "" : "/DDMODE", ""), use, window)) {
    // Desktops that ask whether a launcher may start (GNOME's) read this mark.
    RunAndWait({"gio", "set", path, "metadata::trusted", "true"});
  }
}

int32_t SetShellLinkStatus(const std::string& linkPath, const ShellLinkInfo& info) {
  if (info.targetPath.empty()) return 8;
  std::string rest = info.arguments.empty() ? "%F" : info.arguments + " %F";
  DesktopKeys keys{{"Type", "Application"},
                   {"Name", EscapeValue(StripExtension(FileNameOf(linkPath)))},
                   {"Exec", ExecValue(info.targetPath, rest)},
                   {"Path", EscapeValue(info.workingFolder)},
                   {"Icon", EscapeValue(ShellIcon())},
                   {"Terminal", "false"}};
  if (!info.mimeTypes.empty()) {
    keys.emplace_back("MimeType", info.mimeTypes);
    keys.emplace_back("NoDisplay", "true");
  }
  keys.emplace_back(kOurMarkKey, "1");
  std::string text = DesktopGroup("Desktop Entry", keys);
  FileState state = WriteOurFile(linkPath, text, true);
  return state == FileState::Written || state == FileState::Unchanged ? 0 : 4;
}

std::string ShellLinkMessage(int32_t code) {
  const std::string crlf = "\r\n";
  switch (code) {
    case 0:
      return Tr("Registry_Link", "ショートカット情報の登録または取得に成功しました。");
    case 1:
      return Tr("Registry_Link", "CoInitialize の実行に") + crlf +
             Tr("Registry_Link", "失敗しました。");
    case 2:
      return Tr("Registry_Link", "CoCreateInstance の実行に") + crlf +
             Tr("Registry_Link", "失敗しました。");
    case 3:
      return Tr("Registry_Link", "QueryInterface の実行に") + crlf +
             Tr("Registry_Link", "失敗しました。");
    case 4:
      return Tr("Registry_Link", "ショートカットファイルの Save または Load に") + crlf +
             Tr("Registry_Link", "失敗しました。");
    case 5:
      return Tr("Registry_Link", "Unicode への変換に") + crlf +
             Tr("Registry_Link", "失敗しました。");
  }
  static const std::pair<int32_t, const char*> kBits[] = {
      {8, QVR_TRANSLATE_NOOP("Registry_Link", "リンク先の設定または取得に")},
      {16, QVR_TRANSLATE_NOOP("Registry_Link", "コマンドライン引数の設定または取得に")},
      {32, QVR_TRANSLATE_NOOP("Registry_Link", "作業フォルダの設定または取得に")},
      {64, QVR_TRANSLATE_NOOP("Registry_Link", "Description の設定または取得に")},
      {128,
       QVR_TRANSLATE_NOOP("Registry_Link", "アイコンのパスおよびインデックスの設定または取得に")},
      {256, QVR_TRANSLATE_NOOP("Registry_Link", "ショートカットキーの設定または取得に")},
      {512, QVR_TRANSLATE_NOOP("Registry_Link", "実行時の大きさの設定または取得に")},
  };
  std::string text;
  for (const auto& [bit, line] : kBits) {
    if (code & bit) text += Tr("Registry_Link", line) + crlf;
  }
  return text + Tr("Registry_Link", "失敗しました。");
}

std::string DolphinServiceMenuFile(int kdeVersion) {
  return XdgDataHome() + (kdeVersion == 5 ? "/kservices5/ServiceMenus/" : "/kio/servicemenus/") +
         "QvrArc.Add.desktop";
}

std::string NautilusScriptFile() {
  return XdgDataHome() + "/nautilus/scripts/" + kRightClickCaption;
}

std::string NemoActionFile() {
  return XdgDataHome() + "/nemo/actions/QvrArc.Add.nemo_action";
}

std::string ThunarSendToFile() {
  return XdgDataHome() + "/Thunar/sendto/QuiverArchiver.desktop";
}

}  // namespace qvr
