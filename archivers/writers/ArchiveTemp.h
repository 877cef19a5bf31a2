// The new archive is written beside the old one under a temporary name and renamed over it
// only when it is complete, so a failed or cancelled write leaves the old archive as it was.
#pragma once

#include <string>

#include "FdIo.h"
#include "WriteResult.h"

namespace qvr::writers {

class ArchiveTemp {
 public:
  explicit ArchiveTemp(std::string archivePath);
  ~ArchiveTemp();  // removes the temporary file unless committed
  ArchiveTemp(const ArchiveTemp&) = delete;
  ArchiveTemp& operator=(const ArchiveTemp&) = delete;

  // Creates the temporary file in the archive's folder.
  WriteResult Open();
  int fd() const { return fd_.get(); }
  const std::string& path() const { return tempPath_; }
  // Flushes the file to disk and renames it over the archive; the permissions of an existing
  // archive are kept, a new one gets the usual ones (0666 less the umask).
  WriteResult Commit();
  // Closes and removes the temporary file (also done by the destructor).
  void Discard();

 private:
  std::string archivePath_;
  std::string tempPath_;
  arc::UniqueFd fd_;
  bool committed_ = false;
};

}  // namespace qvr::writers
