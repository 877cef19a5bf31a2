#include "ArchiverDLL_TreeViewer.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>

#include "AppFolder.h"
#include "ArchiverDLL.h"
#include "ArchiverDLL_Inspect.h"
#include "PathHelpers.h"
#include "Settings.h"
#include "Translate.h"
#include "cExecute.h"

namespace qvr {
namespace {

namespace fs = std::filesystem;

constexpr const char* kStaging = "ArcFiles";

std::string Q(const std::string& text) {
  return "\"" + text + "\"";
}

// The tree's "\" levels as a path of the archive or the file system.
std::string SlashPath(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

bool SafeLevel(const std::string& level) {
  return !level.empty() && level != "." && level != "..";
}

// The paths of addlist.tmp, quotes removed.
std::vector<std::string> ReadAddList() {
  std::vector<std::string> paths;
  std::ifstream in(AppFile(kAddListFile), std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string path;
    for (char c : line)
      if (c != '"') path += c;
    if (!path.empty()) paths.push_back(path);
  }
  return paths;
}

struct Add {
  Lib lib;
  bool staged;
  std::string line;
};

// The command of the table for the archive's extension; staged rows add P/ArcFiles/.
bool CommandFor(const std::string& ext, bool zipWriter, const std::string& archive,
                const std::string& sub, const std::string& base, Add& add) {
  const std::string A = Q(archive);
  const std::string list = Q("@" + AppFile(kAddList2File));
  const std::string plain = A + " " + Q(base + kSep) + " " + list;
  const std::string staged = A + " " + Q(AppFile(kStaging) + kSep) + " *.*";
  const bool root = sub.empty();
  if (ext == "lzh") {
    add = {Lib::Unlha, false,
           root ? "a -x " + plain
                : "a -x " + A + "  -jb" + Q(sub) + " " + Q(base + kSep) + " " + list};
  } else if (ext == "zip" && zipWriter) {
    add = {Lib::Zip, !root, root ? "-u -S -D " + plain : "-u -S -D -r " + staged};
  } else if (ext == "zip") {
    add = {Lib::SevenZip, !root, root ? "a -tzip " + plain : "a -tzip -r " + staged + " -ms=off"};
  } else if (ext == "7z") {
    add = {Lib::SevenZip, !root, (root ? "a -t7z " + plain : "a -t7z -r " + staged) + " -ms=off"};
  } else if (ext == "bza" || ext == "gza") {
    add = {Lib::Bga, !root, root ? "a -a " + plain : "a -a -r " + staged};
  } else {
    return false;
  }
  return true;
}

bool EmptyOrMissing(const std::string& folder) {
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(folder, ec))) return true;
  return fs::is_directory(fs::symlink_status(folder, ec)) && fs::is_empty(folder, ec) && !ec;
}

}  // namespace

void ArchiveTree::Clear() {
  nodes_.clear();
  nodes_.push_back({kTreeRoot, kTreeRoot, -1});
}

int ArchiveTree::Find(const std::string& key) const {
  for (size_t i = 0; i < nodes_.size(); ++i)
    if (nodes_[i].key == key) return int(i);
  return -1;
}

bool ArchiveTree::AddPathToTree(const std::string& path) {
  std::vector<std::string> levels;
  std::string rest = path;
  for (;;) {
    size_t cut = rest.find('/');
    if (cut == std::string::npos) cut = rest.find('\\');
    if (cut == std::string::npos) break;
    levels.push_back(rest.substr(0, cut));
    rest = rest.substr(cut + 1);
  }
  for (const std::string& level : levels)
    if (!SafeLevel(level)) return false;
  int current = 0;
  for (const std::string& level : levels) {
    std::string key = nodes_[size_t(current)].key + "\\" + level;
    int found = Find(key);
    if (found < 0) {
      nodes_.push_back({key, level, current});
      found = int(nodes_.size()) - 1;
    }
    current = found;
  }
  return true;
}

bool BuildArchiveTree(ArchiveTree& tree, const std::string& archivePath,
                      const LibraryStatus& status, void* ownerWindow) {
  tree.Clear();
  std::string ext = LowerExtension(archivePath);
  const FormatRow* format = nullptr;
  if (ext == "lzh") format = FormatRowOf("LZH");
  if (ext == "zip") {
    // UNZIP32 lists when the ZIP writer serves the archive, else 7-zip32.
    bool unzip = !Use7Zip() && status.ZIP32J && status.ZIP32;
    format = unzip ? FormatRowOf("ZIP") : FormatRowOf("7Z");
  }
  if (ext == "7z") format = FormatRowOf("7Z");
  if (ext == "bza" || ext == "gza") format = FormatRowOf("BGA");
  if (ext == "hki") format = FormatRowOf("HKI");
  if (!format) return false;
  if (!(status.*RowOf(format->lib).flag)) return true;
  uint32_t mode = ext == "hki" ? 0 : format->openMode;
  WalkEntries(*format, archivePath, ownerWindow, mode,
              [&](ArchiverDLL&, HARC, const EntryInfo& entry) {
                tree.AddPathToTree(std::string(EntryName(entry)));
                return true;
              });
  return true;
}

std::string TargetSubPath(const std::string& selectedPath) {
  return selectedPath.size() > 7 ? selectedPath.substr(7) : "";
}

bool AddFolderNode(ArchiveTree& tree, const std::string& selectedPath, MainWindowPort& window) {
  if (selectedPath.empty()) {
    window.messageBox(Tr("ArchiverDLL_TreeViewer", "親フォルダを選択して下さい。"),
                      MsgIcon::Information, MsgButtons::Ok);
    return false;
  }
  std::string name = window.inputBox(Tr("ArchiverDLL_TreeViewer", "フォルダ名を入力して下さい。"),
                                     kProgramTitle, "");
  if (name.empty()) return false;
  if (!IsValidFileName(name, window)) return false;
  if (!SafeLevel(name)) {
    window.messageBox(Tr("ArchiverDLL_TreeViewer", "このフォルダ名は使えません。"),
                      MsgIcon::Critical, MsgButtons::Ok);
    return false;
  }
  std::string sub = TargetSubPath(selectedPath);
  return tree.AddPathToTree(sub.empty() ? name + "\\" : sub + "\\" + name + "\\");
}

int32_t GetFileNumFromListAddList() {
  std::ifstream in(AppFile(kAddListFile), std::ios::binary);
  int32_t count = 0;
  std::string line;
  while (std::getline(in, line)) ++count;
  return count;
}

int32_t AddFilesToArchive(const std::string& archivePath, const std::string& selectedPath,
                          const LibraryStatus& status, MainWindowPort& window, void* owner) {
  const std::string sub = SlashPath(TargetSubPath(selectedPath));
  for (const fs::path& level : fs::path(sub))
    if (!SafeLevel(level.string())) return 0;
  const bool use7Zip = Use7Zip();
  const std::string ext = LowerExtension(archivePath);

  // Every dropped file; a folder is refused, as the commands add the named files only.
  std::vector<std::string> files;
  for (const std::string& path : ReadAddList()) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
      window.messageBox(Tr("ArchiverDLL_TreeViewer", "フォルダは追加できません。\r\n") + path,
                        MsgIcon::Critical, MsgButtons::Ok);
    } else {
      files.push_back(path);
    }
  }

  if (ext == "rk") {
    if (!status.RKEXE || files.empty()) return 0;
    if (!WriteListFile(AppFile(kAddList2File), files)) return 0;
    std::string rk = status.RKEXEPath;
    if (!rk.empty() && rk.back() != kSep) rk += kSep;
    std::string line = QuotePath(rk + "rk") + " -a -p0 -mx3 " + Q(archivePath) + " " +
                       Q("@" + AppFile(kAddList2File));
    cExecute runner;
    return runner.ShellX(line, kShowNormal, owner, true) ? int32_t(files.size()) : 0;
  }

  bool zipWriter = !use7Zip && status.ZIP32J && status.ZIP32;
  Add add;
  if (!CommandFor(ext, zipWriter, archivePath, sub, "", add)) {
    window.messageBox(Tr("ArchiverDLL_TreeViewer", "対応していない形式のファイルです"),
                      MsgIcon::Critical, MsgButtons::Ok);
    return 0;
  }
  // A library whose flag is not set is never called.
  if (!(status.*RowOf(add.lib).flag) || files.empty()) return 0;
  // One item, weighed by the source bytes the library reads.
  RunProgress progress;
  ProgressShown shown(window, progress);
  const std::vector<int64_t> sizes = FileLens(files);
  progress.BeginOne(archivePath, std::accumulate(sizes.begin(), sizes.end(), int64_t(0)));
  auto call = [&](const std::string& line) {
    return RunResponsive(window, [&] {
      return ArchiverDLL::Of(add.lib).Command(owner, line, nullptr, nullptr, nullptr, &progress);
    });
  };

  if (add.staged) {
    // The recursive add stores everything under ArcFiles: it must hold only our copies.
    const std::string staging = AppFile(kStaging);
    if (!EmptyOrMissing(staging)) {
      window.messageBox(
          Tr("ArchiverDLL_TreeViewer", "作業フォルダが空ではありません。\r\n") + staging,
          MsgIcon::Critical, MsgButtons::Ok);
      return 0;
    }
    const std::string target = staging + kSep + sub;
    int32_t copied = 0;
    if (MakeFolders(target)) {
      for (const std::string& file : files) {
        std::error_code ec;
        fs::copy_file(file, target + kSep + FileNameOf(file), fs::copy_options::none, ec);
        if (ec) {
          window.messageBox(
              Tr("ArchiverDLL_TreeViewer", "ファイルをコピーできませんでした。\r\n") + file,
              MsgIcon::Critical, MsgButtons::Ok);
        } else {
          ++copied;
        }
      }
    }
    int32_t result = copied > 0 ? call(add.line) : -1;
    RemoveFolderChain(staging, sub);
    return result == 0 ? copied : 0;
  }

  // Files of several folders: one add per folder, each with its own base folder.
  std::vector<std::string> folders;
  for (const std::string& file : files)
    if (std::find(folders.begin(), folders.end(), FolderOf(file)) == folders.end())
      folders.push_back(FolderOf(file));
  int32_t added = 0;
  for (const std::string& folder : folders) {
    std::vector<std::string> names;
    for (const std::string& file : files)
      if (FolderOf(file) == folder) names.push_back(Q(FileNameOf(file)));
    Add group;
    CommandFor(ext, zipWriter, archivePath, sub, folder == "/" ? "" : folder, group);
    if (WriteListFile(AppFile(kAddList2File), names) && call(group.line) == 0) {
      added += int32_t(names.size());
    } else if (folders.size() > 1) {
      window.messageBox(
          Tr("ArchiverDLL_TreeViewer", "ファイルを追加できませんでした。\r\n") + folder,
          MsgIcon::Critical, MsgButtons::Ok);
    }
  }
  return added;
}

bool WriteDroppedList(const std::vector<std::string>& paths, MainWindowPort& window) {
  std::vector<std::string> lines;
  for (const std::string& path : paths) {
    if (!CanCarryName(path)) {
      window.messageBox(Tr("ArchiverDLL_TreeViewer", "このファイル名は追加できません。\r\n") + path,
                        MsgIcon::Critical, MsgButtons::Ok);
      return false;
    }
    lines.push_back(Q(path));
  }
  if (lines.empty() || !WriteListFile(AppFile(kAddListFile), lines)) return false;
  return true;
}

bool ComposerTakes(const std::string& archivePath) {
  static const char* const kTaken[] = {"lzh", "zip", "bza", "gza", "7z", "bh", "rk"};
  std::string ext = LowerExtension(archivePath);
  return std::find(std::begin(kTaken), std::end(kTaken), ext) != std::end(kTaken);
}

int32_t ComposerOk(const std::string& archivePath, const std::string& selectedPath,
                   const LibraryStatus& status, MainWindowPort& window, void* owner) {
  if (selectedPath.empty()) {
    window.messageBox(Tr("ArchiverDLL_TreeViewer", "追加先パスが選択されていません。"),
                      MsgIcon::Critical, MsgButtons::Ok);
    return -1;
  }
  int32_t count = AddFilesToArchive(archivePath, selectedPath, status, window, owner);
  if (count != 0) {
    window.setPanelText(1, std::to_string(count) + Tr("ArchiverDLL_TreeViewer", "ファイル追加"));
  } else {
    window.setPanelText(1, Tr("ArchiverDLL_TreeViewer", "ファイル追加失敗"));
    window.messageBox(Tr("ArchiverDLL_TreeViewer", "ファイル追加失敗"), MsgIcon::Critical,
                      MsgButtons::Ok);
  }
  return count;
}

}  // namespace qvr
