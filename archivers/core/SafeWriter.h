// Writing entries below one destination folder and nowhere else: paths are cleaned, every
// folder is entered without following symbolic links, files are written to a temporary
// name and renamed into place when complete.
#pragma once

#include <sys/types.h>
#include <cstdint>

#include <ctime>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "EntrySource.h"

namespace qvr::arc {

// The entry path's components with leading "/", drive prefixes, "." and ".." removed.
std::vector<std::string> CleanPath(const std::string& path);

// True when a symbolic link at `linkComponents` with `target` stays inside the destination:
// a relative target that climbs with leading ".." no higher than the link's own folder and
// then only descends.
bool LinkStaysInside(const std::vector<std::string>& linkComponents, const std::string& target);

enum class Existing { None, File, Folder };

class SafeWriter {
 public:
  SafeWriter() = default;
  ~SafeWriter();
  SafeWriter(const SafeWriter&) = delete;
  SafeWriter& operator=(const SafeWriter&) = delete;

  // Opens the destination folder, making it (one level or many) when missing.
  int32_t Open(const std::string& destination);

  Existing Exists(const std::vector<std::string>& components);
  // True when something other than a folder stands at the path; makes no folder.
  bool HasFile(const std::vector<std::string>& components);
  int32_t MakeFolder(const std::vector<std::string>& components, const Entry& entry);
  // Writes the source's current entry data; the partial file is removed on any failure. A
  // declared size is kept: more data stops the write at once, less fails it unless the
  // entry is sparse (then the end is a hole). The file has no name until it is complete
  // where the file system allows (O_TMPFILE); else it is ".name.qvrXXXXXXXXXXXX", locked
  // while written. Leftovers of that pattern from killed runs, older than this writer and
  // not locked, are removed from each folder the first time a file is written into it.
  int32_t WriteFile(const std::vector<std::string>& components, const Entry& entry,
                    EntrySource& source);
  int32_t MakeSymlink(const std::vector<std::string>& components, const std::string& target);
  int32_t MakeHardlink(const std::vector<std::string>& components,
                       const std::vector<std::string>& targetComponents);
  // Folder times are set last: writing files into a folder changes its time.
  void RestoreFolderTimes();
  // Words for the report about the last failed write ("" when the code says it all).
  const std::string& words() const { return words_; }

 private:
  // The folder holding the last component, entered without following links; -1 on failure.
  // With create false a missing level fails (ERROR_NOT_FIND_FILE) instead of being made.
  int OpenParent(const std::vector<std::string>& components, int32_t& error, bool create = true);
  void RemoveLeftovers(int folder);
  // A file for the entry's data in parent; temp is its name, "" while it has none.
  int CreateTemp(int parent, const std::string& name, mode_t mode, std::string& temp);
  int root_ = -1;
  time_t runStart_ = time(nullptr);
  std::set<std::pair<dev_t, ino_t>> cleaned_;
  std::string words_;
  std::string cachedParent_;
  int cachedFd_ = -1;
  std::vector<std::pair<std::vector<std::string>, time_t>> folderTimes_;
};

}  // namespace qvr::arc
