// Writing entries below one destination folder and nowhere else: paths are cleaned, every
// folder is entered without following symbolic links, files are written to a temporary
// name and renamed into place when complete.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
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
  int32_t MakeFolder(const std::vector<std::string>& components, const Entry& entry);
  // Writes the source's current entry data; the partial file is removed on any failure.
  int32_t WriteFile(const std::vector<std::string>& components, const Entry& entry,
                    EntrySource& source);
  int32_t MakeSymlink(const std::vector<std::string>& components, const std::string& target);
  int32_t MakeHardlink(const std::vector<std::string>& components,
                       const std::vector<std::string>& targetComponents);
  // Folder times are set last: writing files into a folder changes its time.
  void RestoreFolderTimes();

 private:
  // The folder holding the last component, entered without following links; -1 on failure.
  int OpenParent(const std::vector<std::string>& components, int32_t& error);
  int root_ = -1;
  std::string cachedParent_;
  int cachedFd_ = -1;
  std::vector<std::pair<std::vector<std::string>, time_t>> folderTimes_;
};

}  // namespace qvr::arc
