#include "SourceList.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "ArgSplitter.h"
#include "FdIo.h"

namespace qvr::writers {

namespace fs = std::filesystem;
using arc::MatchWildcard;

bool HasWildcard(const std::string& name) {
  return name.find_first_of("*?") != std::string::npos;
}

std::string CleanEntryPath(const std::string& path) {
  std::string out;
  size_t pos = 0;
  while (pos <= path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(pos, end - pos);
    if (!part.empty() && part != "." && part != "..") {
      if (!out.empty()) out += '/';
      out += part;
    }
    pos = end + 1;
  }
  return out;
}

namespace {

std::string FileNameOf(const std::string& path) {
  std::string clean = CleanEntryPath(path);
  auto slash = clean.rfind('/');
  return slash == std::string::npos ? clean : clean.substr(slash + 1);
}

bool IsHidden(const std::string& fileName) {
  return !fileName.empty() && fileName[0] == '.';
}

class Collector {
 public:
  Collector(const AddRequest& request, std::vector<AddItem>* items)
      : request_(request), items_(items) {
    struct stat st {};
    if (!request.skipPath.empty() && stat(request.skipPath.c_str(), &st) == 0)
      skip_ = {st.st_dev, st.st_ino};
  }

  WriteResult Add(const std::string& name) {
    bool absolute = !name.empty() && name[0] == '/';
    std::string full =
        (request_.baseFolder.empty() || absolute) ? name : request_.baseFolder + name;
    // A name under the base folder keeps its relative path; any other full path is stored by
    // its file name alone.
    std::string stored = !absolute ? name
                         : (!request_.baseFolder.empty() && full.starts_with(request_.baseFolder))
                             ? full.substr(request_.baseFolder.size())
                             : FileNameOf(name);
    // A file whose name holds "*" or "?" is that file, not a pattern for its neighbours.
    std::error_code ec;
    fs::file_status status = fs::status(full, ec);
    if (HasWildcard(FileNameOf(name)) && !fs::exists(status)) return AddWildcard(full, stored);
    if (fs::is_directory(status)) {
      AddFolderEntry(full, stored);
      WalkFolder(full, CleanEntryPath(stored), "*");
      return {};
    }
    if (!fs::exists(status)) return Fail(ERROR_NOT_FIND_FILE, "file not found: " + full);
    AddFile(full, stored);
    return {};
  }

  // Why two of the files cannot go into one archive; "" when they can.
  const std::string& clash() const { return clash_; }

 private:
  WriteResult AddWildcard(const std::string& full, const std::string& stored) {
    auto slash = full.rfind('/');
    std::string folder = slash == std::string::npos ? "." : full.substr(0, slash + 1);
    std::string pattern = full.substr(slash == std::string::npos ? 0 : slash + 1);
    auto storedSlash = stored.rfind('/');
    std::string prefix = storedSlash == std::string::npos ? "" : stored.substr(0, storedSlash);
    WalkFolder(folder, CleanEntryPath(prefix), pattern, request_.recurse);
    return {};
  }

  // Adds the matching files of one folder, sorted by name; with recursion (or for a named
  // folder, pattern "*") every sub-folder too.
  void WalkFolder(const std::string& folder, const std::string& prefix, const std::string& pattern,
                  bool recurse = true) {
    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
      entries.push_back(*it);
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.path() < b.path(); });
    for (const auto& entry : entries) {
      std::string fileName = entry.path().filename().string();
      if (!request_.includeHidden && IsHidden(fileName)) continue;
      std::string stored = prefix.empty() ? fileName : prefix + "/" + fileName;
      std::string disk = entry.path().string();
      if (entry.is_directory(ec)) {
        if (!recurse) {
          if (MatchWildcard(pattern, fileName)) AddFolderEntry(disk, stored);
          continue;
        }
        if (MatchWildcard(pattern, fileName)) AddFolderEntry(disk, stored);
        WalkFolder(disk, stored, pattern, recurse);
      } else if (MatchWildcard(pattern, fileName)) {
        AddFile(disk, stored);
      }
    }
  }

  void AddFile(const std::string& disk, const std::string& stored) {
    struct stat st {};
    if (stat(disk.c_str(), &st) == 0 && st.st_dev == skip_.first && st.st_ino == skip_.second)
      return;
    Push({disk, request_.junkPaths ? FileNameOf(stored) : CleanEntryPath(stored), false});
  }

  void AddFolderEntry(const std::string& disk, const std::string& stored) {
    if (!request_.folderEntries || request_.junkPaths) return;
    Push({disk, CleanEntryPath(stored), true});
  }

  void Push(AddItem item) {
    if (item.name.empty()) return;
    auto [at, added] = seen_.emplace(item.name, items_->size());
    if (added) {
      items_->push_back(std::move(item));
      return;
    }
    // The same file reached twice counts once; two files under one name would lose one.
    const AddItem& earlier = (*items_)[at->second];
    if (!item.folder && !earlier.folder && !arc::SameFile(earlier.diskPath, item.diskPath) &&
        clash_.empty())
      clash_ = "two files would be stored as " + item.name + ": " + earlier.diskPath + " and " +
               item.diskPath;
  }

  const AddRequest& request_;
  std::vector<AddItem>* items_;
  std::map<std::string, size_t> seen_;  // stored name -> its item
  std::string clash_;
  std::pair<dev_t, ino_t> skip_{0, 0};
};

}  // namespace

WriteResult CollectItems(const AddRequest& request, std::vector<AddItem>* items) {
  Collector collector(request, items);
  for (const auto& name : request.names) {
    WriteResult result = collector.Add(name);
    if (!result.ok()) return result;
  }
  if (!collector.clash().empty()) return Fail(ERROR_COMMAND_NAME, collector.clash());
  if (items->empty()) return Fail(ERROR_NOT_FIND_FILE, "no file to add");
  return {};
}

}  // namespace qvr::writers
