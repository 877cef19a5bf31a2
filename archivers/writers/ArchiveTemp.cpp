#include "ArchiveTemp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace qvr::writers {

int32_t WriteErrorCode(int err) {
  return (err == ENOSPC || err == EDQUOT || err == EFBIG) ? ERROR_DISK_SPACE : ERROR_CANNOT_WRITE;
}

std::string SystemReport(const std::string& what, const std::string& path, int err) {
  return what + " " + path + ": " + std::strerror(err);
}

namespace {

std::string FolderPart(const std::string& path) {
  auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NamePart(const std::string& path) {
  auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t NewFileMode() {
  mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

ArchiveTemp::ArchiveTemp(std::string archivePath) : archivePath_(std::move(archivePath)) {}

ArchiveTemp::~ArchiveTemp() {
  Discard();
}

WriteResult ArchiveTemp::Open() {
  std::string folder = FolderPart(archivePath_);
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return Fail(ERROR_CANNOT_WRITE, "the folder of the archive does not exist: " + folder);
  std::string pattern = folder + "/." + NamePart(archivePath_) + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  fd_.reset(mkostemp(name.data(), O_CLOEXEC));
  if (!fd_.valid()) {
    int err = errno;
    return Fail(WriteErrorCode(err), SystemReport("cannot create a file in", folder, err));
  }
  tempPath_ = name.data();
  return {};
}

WriteResult ArchiveTemp::Commit() {
  struct stat old {};
  mode_t mode = stat(archivePath_.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
  // No sync before the rename, as zip and 7-Zip do: waiting for the disk would cost more
  // than the whole copy when a small file is added to a large archive. Errors of delayed
  // writes still surface at close, before the old archive is replaced.
  if (fchmod(fd_.get(), mode) != 0) {
    int err = errno;
    return Fail(WriteErrorCode(err), SystemReport("cannot write", archivePath_, err));
  }
  int err = fd_.Close();
  if (err == 0 && rename(tempPath_.c_str(), archivePath_.c_str()) != 0) err = errno;
  if (err != 0) {
    return Fail(WriteErrorCode(err), SystemReport("cannot write", archivePath_, err));
  }
  committed_ = true;
  return {};
}

void ArchiveTemp::Discard() {
  fd_.reset();
  if (!committed_ && !tempPath_.empty()) unlink(tempPath_.c_str());
  tempPath_.clear();
}

}  // namespace qvr::writers
