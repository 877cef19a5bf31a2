#include "FileList.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <set>

#include "ArchiverCatalogue.h"
#include "ArchiverDLL_Inspect.h"
#include "ArchiverDLL_List.h"
#include "CommandLine.h"
#include "MainWindowPort.h"
#include "PathHelpers.h"
#include "ProfileFile.h"
#include "Settings.h"
#include "Translate.h"
#include "VolumeSet.h"

namespace qvr {
namespace {

// True when fewer than three characters (not bytes) are left.
bool FewerThanThreeChars(std::string_view text) {
  int chars = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) != 0x80 && ++chars >= 3) return false;
  }
  return true;
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder.back() == kSep ? folder + name : folder + kSep + name;
}

// The one entry of the folder whose name matches without regard to ASCII case; "" when
// there is none or more than one.
std::string UniqueCaseMatch(const std::string& folder, const std::string& name) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return "";
  std::string wanted = LCase(name);
  std::string found;
  int matches = 0;
  while (dirent* entry = readdir(dir)) {
    if (LCase(entry->d_name) == wanted) {
      found = entry->d_name;
      ++matches;
    }
  }
  closedir(dir);
  return matches == 1 ? found : "";
}

// Hides List1 and shows the busy pointer for the lifetime of the object.
class ListUpdate {
 public:
  ListUpdate(MainWindowPort& window, bool busy) : window_(window), busy_(busy) {
    window_.setListVisible(false);
    if (busy_) window_.setBusyCursor(true);
  }
  ~ListUpdate() {
    if (busy_) window_.setBusyCursor(false);
    window_.setListVisible(true);
  }
  ListUpdate(const ListUpdate&) = delete;
  ListUpdate& operator=(const ListUpdate&) = delete;

 private:
  MainWindowPort& window_;
  bool busy_;
};

// Depth-first walk; lets the window repaint now and then during a long walk.
class Walker {
 public:
  explicit Walker(MainWindowPort& window) : window_(window) {}

  int walk(const std::string& folder) {
    DIR* dir = opendir(folder.c_str());
    if (!dir) return 0;
    int added = 0;
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      std::string path = Join(folder, name);
      unsigned char type = entry->d_type;
      if (type == DT_UNKNOWN) type = TypeOf(path);
      if (type == DT_DIR) {
        added += walk(path);
        continue;
      }
      // A link to a folder is neither walked (it could lead back up) nor a file.
      if (type == DT_LNK && IsFolder(path)) continue;
      window_.listAdd(path);
      ++added;
      maybeRepaint();
    }
    closedir(dir);
    return added;
  }

 private:
  static unsigned char TypeOf(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return DT_UNKNOWN;
    if (S_ISDIR(st.st_mode)) return DT_DIR;
    if (S_ISLNK(st.st_mode)) return DT_LNK;
    return DT_REG;
  }

  void maybeRepaint() {
    if (++sinceCheck_ < 1024) return;
    sinceCheck_ = 0;
    auto now = std::chrono::steady_clock::now();
    if (now - lastPump_ < std::chrono::milliseconds(100)) return;
    window_.pumpEvents();
    lastPump_ = std::chrono::steady_clock::now();
  }

  MainWindowPort& window_;
  int sinceCheck_ = 0;
  std::chrono::steady_clock::time_point lastPump_ = std::chrono::steady_clock::now();
};

std::vector<std::string> Entries(const MainWindowPort& window) {
  std::vector<std::string> entries;
  int count = window.listCount();
  entries.reserve(size_t(count));
  for (int i = 0; i < count; ++i) entries.push_back(window.listItem(i));
  return entries;
}

void Refill(MainWindowPort& window, const std::vector<std::string>& entries) {
  window.listClear();
  for (const auto& entry : entries) window.listAdd(entry);
}

bool ReadWholeFile(const std::string& file, std::string& content) {
  int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return false;
  }
  content.clear();
  content.reserve(size_t(st.st_size));
  char buffer[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;
    if (n <= 0) break;
    content.append(buffer, size_t(n));
  }
  close(fd);
  return ok;
}

}  // namespace

const std::vector<std::string>& ListFileFilter() {
  static const std::vector<std::string> filter = {
      "List Files(*.txt,*.csv)", "*.txt;*.csv", "TXT Files(*.txt)", "*.txt",
      "CSV Files(*.csv)",        "*.csv",       "ALL Files(*.*)",   "*.*"};
  return filter;
}

std::vector<std::string> ParseArchiveList(std::string_view text) {
  std::vector<std::string> paths;
  auto keep = [&](std::string_view path) {
    std::string trimmed = TrimBlanks(path);
    if (!trimmed.empty()) paths.push_back(trimmed);
  };
  std::string_view rest = text;
  while (!FewerThanThreeChars(rest)) {
    if (rest.front() == '"') {
      size_t quote = rest.find('"', 1);
      if (quote == std::string_view::npos) {  // an unclosed quote holds the last path
        keep(rest.substr(1));
        break;
      }
      keep(rest.substr(1, quote - 1));
      if (quote + 1 >= rest.size()) break;
      rest = rest.substr(std::min(rest.size(), quote + 2));
    } else {
      size_t blank = rest.find(' ');
      if (blank == std::string_view::npos) {
        keep(rest);
        break;
      }
      keep(rest.substr(0, blank + 1));
      rest = rest.substr(blank + 1);
    }
  }
  return paths;
}

std::string NormalizePath(std::string_view path) {
  std::string text = TrimBlanks(path);
  if (text.empty()) return "";
  if (text.front() != kSep) text = Join(CurrentFolder(), text);
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(kSep, start);
    if (end == std::string::npos) end = text.size();
    std::string part = text.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    std::string folder = "/";
    for (const auto& p : parts) folder = Join(folder, p);
    struct stat st;
    if (lstat(Join(folder, part).c_str(), &st) != 0) {
      part = UniqueCaseMatch(folder, part);
      if (part.empty()) return "";
    }
    parts.push_back(part);
  }
  std::string result;
  for (const auto& p : parts) result += kSep + p;
  return result.empty() ? std::string(1, kSep) : result;
}

int WalkFolder(MainWindowPort& window, const std::string& folder) {
  ListUpdate update(window, true);
  return Walker(window).walk(folder);
}

int AddPath(MainWindowPort& window, std::string_view path) {
  std::string normal = NormalizePath(path);
  if (normal.empty()) return 0;
  // The folders remembered for "一括" belong to the list since it was last empty.
  if (window.listCount() == 0) window.listForgetFolders();
  if (IsFolder(normal)) {
    window.listAddFolder(normal);
    return WalkFolder(window, normal);
  }
  window.listAdd(normal);
  return 1;
}

bool ShowArchiveFacts(MainWindowPort& window, ArchiverDLL_Inspect& inspect,
                      const std::string& entry) {
  const ExtensionRow* row = ExtensionRowOf(LCase(ExtensionOf(entry)));
  const bool archive = row && row->listed;
  int32_t count = archive ? inspect.FileCount(entry) : -1;
  if (count != -1) {
    window.setPanelText(2, std::to_string(count) + Tr("FileList", "個"));
    window.setPanelText(3, GroupDigits(inspect.OriginalSize(entry)) + "Bytes");
  } else {
    window.setPanelText(2, "");
    window.setPanelText(3, "");
  }
  return archive;
}

std::string AddedText(int count, int added) {
  return std::to_string(count) + Tr("FileList", "ファイル登録済み(") + std::to_string(added) +
         Tr("FileList", "追加)");
}

std::string RemovedText(int count, int removed) {
  return std::to_string(count) + Tr("FileList", "ファイル登録済み(") + std::to_string(removed) +
         Tr("FileList", "消去)");
}

int GroupVolumeSets(MainWindowPort& window) {
  const std::vector<std::string> entries = Entries(window);
  // The sets some entry is a later part of; a head that stands alone stays as it was.
  std::set<std::string> sets;
  for (const std::string& entry : entries) {
    std::string head = VolumeSetEntry(entry);
    if (head != entry) sets.insert(head);
  }
  if (sets.empty()) return 0;
  std::vector<std::string> grouped;
  std::set<std::string> placed;
  for (const std::string& entry : entries) {
    std::string head = VolumeSetEntry(entry);
    if (!sets.count(head)) {
      grouped.push_back(entry);
    } else if (placed.insert(head).second) {
      grouped.push_back(head);  // where the set's first file stood
    }
  }
  ListUpdate update(window, false);
  window.listClear();
  for (const std::string& entry : grouped) window.listAdd(entry);
  return int(entries.size() - grouped.size());
}

int AddArchiveList(MainWindowPort& window, std::string_view text) {
  std::vector<std::string> paths = ParseArchiveList(text);
  if (paths.empty()) return 0;
  int added = 0;
  for (const auto& path : paths) added += AddPath(window, path);
  added -= GroupVolumeSets(window);
  window.setPanelText(1, AddedText(window.listCount(), added));
  return added;
}

int AddDroppedFiles(MainWindowPort& window, const std::vector<std::string>& paths) {
  int added = 0;
  for (const auto& path : paths) added += AddPath(window, path);
  added -= GroupVolumeSets(window);
  std::remove(AppFile(kOriginalList).c_str());
  window.setPanelText(1, AddedText(window.listCount(), added));
  return added;
}

int RemoveSelected(MainWindowPort& window) {
  std::vector<std::string> kept;
  int count = window.listCount();
  int removed = 0;
  for (int i = 0; i < count; ++i) {
    if (window.listSelected(i)) {
      ++removed;
    } else {
      kept.push_back(window.listItem(i));
    }
  }
  if (removed > 0) {
    ListUpdate update(window, false);
    Refill(window, kept);
  }
  window.setPanelText(1, RemovedText(window.listCount(), removed));
  return removed;
}

void SortFileList(MainWindowPort& window, int sortKey) {
  if (sortKey < 0 || sortKey > 2) return;
  ListUpdate update(window, false);
  std::vector<std::string> entries = Entries(window);
  // Keys are views into the entries: the folder part ("/" for a bare name, as FolderOf
  // gives) or the file-name part.
  static const std::string root(1, kSep);
  std::vector<std::string_view> keys;
  keys.reserve(entries.size());
  for (const auto& entry : entries) {
    std::string_view key = entry;
    size_t slash = key.rfind(kSep);
    if (sortKey == 1) key = slash == std::string_view::npos ? root : key.substr(0, slash);
    if (sortKey == 2 && slash != std::string_view::npos) key = key.substr(slash + 1);
    keys.push_back(key);
  }
  std::vector<size_t> order(entries.size());
  std::iota(order.begin(), order.end(), size_t(0));
  // Views compare bytes as unsigned char: the byte order of UTF-8 is code-point order.
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return keys[a] < keys[b]; });
  window.listClear();
  for (size_t index : order) window.listAdd(entries[index]);
}

bool LoadFileList(MainWindowPort& window, const std::string& file, std::string_view mode) {
  std::string content;
  if (!ReadWholeFile(file, content)) return false;
  if (mode == kLoadModeNew) window.listClear();
  if (window.listCount() == 0) window.listForgetFolders();
  ListUpdate update(window, false);
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    size_t next = end == std::string::npos ? content.size() : end + 1;
    if (end == std::string::npos) end = content.size();
    if (end > start && content[end - 1] == '\r') --end;
    window.listAdd(content.substr(start, end - start));
    start = next;
  }
  GroupVolumeSets(window);
  return true;
}

bool SaveFileList(MainWindowPort& window, const std::string& file) {
  std::string content;
  for (const auto& entry : Entries(window)) {
    content += entry;
    content += "\r\n";
  }
  return profile::ReplaceFile(file, content);
}

std::string WithListExtension(const std::string& name) {
  std::string tail = LCase(name.size() >= 4 ? name.substr(name.size() - 4) : name);
  return tail == ".csv" || tail == ".txt" ? name : name + ".txt";
}

void LoadFileListCommand(MainWindowPort& window) {
  std::string file = window.openFileDialog(ListFileFilter(), "");
  if (file.empty()) {
    window.setPanelText(1, Tr("FileList", "キャンセルしました。"));
    return;
  }
  if (!LoadFileList(window, file, kLoadModeNew)) {
    window.setPanelText(1, Tr("FileList", "ファイルリストを読み込めませんでした。"));
    return;
  }
  window.setPanelText(1, Tr("FileList", "ファイルリストを読み込みました。"));
}

void SaveFileListCommand(MainWindowPort& window) {
  if (window.listCount() == 0) {
    window.messageBox(Tr("FileList", "登録されているファイルがありません。\r\n中止します。"),
                      MsgIcon::Information, MsgButtons::Ok);
    window.setPanelText(1, Tr("FileList", "中止しました。"));
    return;
  }
  std::string file = window.saveFileDialog(ListFileFilter(), "");
  if (file.empty()) {
    window.setPanelText(1, Tr("FileList", "キャンセルしました。"));
    return;
  }
  if (!SaveFileList(window, WithListExtension(file))) {
    window.setPanelText(1, Tr("FileList", "ファイルリストを保存できませんでした。"));
    return;
  }
  window.setPanelText(1, Tr("FileList", "ファイルリストを保存しました。"));
}

}  // namespace qvr
