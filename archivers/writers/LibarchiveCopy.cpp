#include "LibarchiveCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <vector>

#include "FdIo.h"

namespace qvr::writers {

namespace {

constexpr size_t kChunk = 256 * 1024;

using EntryPtr = std::unique_ptr<archive_entry, decltype(&archive_entry_free)>;

WriteResult Cancelled() {
  return Fail(ERROR_USER_CANCEL, "cancelled");
}

// One buffer per thread for every file: a fresh large buffer per file costs more in page
// faults than compressing a small file does.
std::vector<char>& ChunkBuffer() {
  thread_local std::vector<char> buffer(kChunk);
  return buffer;
}

}  // namespace

WriteResult WriterFailure(struct archive* out, const std::string& archivePath) {
  int err = archive_errno(out);
  const char* text = archive_error_string(out);
  std::string why = text ? text : "write failed";
  return Fail(err > 0 ? WriteErrorCode(err) : ERROR_CANNOT_WRITE,
              "cannot write " + archivePath + ": " + why);
}

WriteResult WriteDiskItem(struct archive* out, const AddItem& item, uint64_t* done,
                          const Progress& progress) {
  int fd = item.folder ? -1 : open(item.diskPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (!item.folder && fd < 0) {
    int err = errno;
    return Fail(ERROR_FILE_OPEN, SystemReport("cannot open", item.diskPath, err));
  }
  arc::UniqueFd closer(fd);
  struct stat st {};
  if ((fd >= 0 ? fstat(fd, &st) : stat(item.diskPath.c_str(), &st)) != 0) {
    int err = errno;
    return Fail(ERROR_FILE_OPEN, SystemReport("cannot read", item.diskPath, err));
  }
  EntryPtr entry(archive_entry_new(), archive_entry_free);
  archive_entry_copy_stat(entry.get(), &st);
  archive_entry_set_uname(entry.get(), "");
  archive_entry_set_gname(entry.get(), "");
  archive_entry_update_pathname_utf8(entry.get(),
                                     (item.folder ? item.name + "/" : item.name).c_str());
  archive_entry_set_filetype(entry.get(), item.folder ? AE_IFDIR : AE_IFREG);
  if (item.folder) archive_entry_set_size(entry.get(), 0);
  if (archive_write_header(out, entry.get()) < ARCHIVE_WARN)
    return WriterFailure(out, "the archive");
  if (item.folder) return {};
  std::vector<char>& buf = ChunkBuffer();
  int64_t written = 0;
  for (;;) {
    ssize_t n = arc::ReadSome(fd, buf.data(), buf.size());
    if (n < 0) {
      int err = errno;
      return Fail(ERROR_CANNOT_READ, SystemReport("cannot read", item.diskPath, err));
    }
    if (n == 0) break;
    // The header promised st_size bytes; a file that grew is cut there, one that shrank fails.
    ssize_t take = std::min<int64_t>(n, st.st_size - written);
    if (take > 0 && archive_write_data(out, buf.data(), static_cast<size_t>(take)) < 0)
      return WriterFailure(out, "the archive");
    written += take;
    *done += static_cast<uint64_t>(n);
    if (progress && !progress(*done)) return Cancelled();
  }
  if (written != st.st_size)
    return Fail(ERROR_CANNOT_READ, "the file changed while it was being added: " + item.diskPath);
  return {};
}

}  // namespace qvr::writers
