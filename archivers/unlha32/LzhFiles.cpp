#include "LzhFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "ArcErrors.h"
#include "CallProgress.h"
#include "FileRange.h"

namespace qvr::arc {

int32_t ResultOf(lzh::DecodeStatus st) {
  switch (st) {
    case lzh::DecodeStatus::kOk:
      return kOk;
    case lzh::DecodeStatus::kCrcMismatch:
      return ERROR_FILE_CRC;
    case lzh::DecodeStatus::kCorrupt:
    case lzh::DecodeStatus::kTruncated:
      return ERROR_BROKEN_DATA;
    case lzh::DecodeStatus::kSinkFailed:
      return ERROR_CANNOT_WRITE;
    case lzh::DecodeStatus::kUnsupported:
      return ERROR_METHOD;
  }
  return ERROR_METHOD;
}

FileRandomAccess::FileRandomAccess(const std::string& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
  struct stat st {};
  if (fd_.valid() && ::fstat(fd_.get(), &st) == 0) size_ = static_cast<uint64_t>(st.st_size);
}

size_t FileRandomAccess::ReadAt(uint64_t offset, uint8_t* buf, size_t n) {
  return PreadFull(fd_.get(), buf, n, offset);
}

FileSource::FileSource(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}

uint64_t FileSource::SizeNow() const {
  struct stat st {};
  return fd_.valid() && ::fstat(fd_.get(), &st) == 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

size_t FileSource::Read(uint8_t* buf, size_t n) {
  ssize_t r = ReadSome(fd_.get(), buf, n);
  if (r < 0) failed_ = true;
  // The host's stop ends the source as a failure: the archive is not replaced.
  CallProgress* progress = CallProgress::Current();
  if (r > 0 && progress && !progress->Read(r)) failed_ = true;
  return r > 0 && !failed_ ? static_cast<size_t>(r) : 0;
}

bool FileSource::Rewind() {
  return !failed_ && ::lseek(fd_.get(), 0, SEEK_SET) == 0;
}

bool FileArchiveSink::WriteAll(uint64_t offset, const uint8_t* p, size_t n) {
  int error = PwriteAll(fd_, p, n, offset);
  diskFull_ = diskFull_ || error == ENOSPC || error == EDQUOT;
  return error == 0;
}

bool FileArchiveSink::Write(const uint8_t* p, size_t n) {
  if (!WriteAll(pos_, p, n)) return false;
  pos_ += n;
  return true;
}

bool FileArchiveSink::WriteAt(uint64_t offset, const uint8_t* p, size_t n) {
  return offset + n <= pos_ && WriteAll(offset, p, n);
}

bool FileArchiveSink::CopyFrom(lzh::RandomAccessSource& src, uint64_t offset, uint64_t size) {
  auto* file = dynamic_cast<FileRandomAccess*>(&src);
  if (!file) return ArchiveSink::CopyFrom(src, offset, size);
  uint64_t end = pos_;
  int error = CopyFileRange(file->fd(), offset, fd_, &end, size);
  if (error != 0) {
    diskFull_ = diskFull_ || error == ENOSPC || error == EDQUOT;
    return false;
  }
  pos_ = end;
  return true;
}

bool FileArchiveSink::Truncate(uint64_t size) {
  if (size > pos_ || ::ftruncate(fd_, static_cast<off_t>(size)) != 0) return false;
  pos_ = size;
  return true;
}

}  // namespace qvr::arc
