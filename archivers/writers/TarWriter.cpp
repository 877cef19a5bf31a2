#include "TarWriter.h"

#include <bzlib.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>

#include "ArchiveTemp.h"
#include "FdIo.h"
#include "LibarchiveCopy.h"
#include "OutFile.h"
#include "Text.h"
#include "Utf8Locale.h"

namespace qvr::writers {

namespace {

constexpr size_t kChunk = 256 * 1024;

bool EndsWith(const std::string& path, const char* ext) {
  return arc::AsciiLower(path).ends_with(ext);
}

using WritePtr = std::unique_ptr<struct archive, decltype(&archive_write_free)>;

WriteResult WriteTar(const std::string& archivePath, int fd, TarKind kind,
                     const std::vector<AddItem>& items, const TarOptions& options) {
  ScopedUtf8Locale utf8;
  WritePtr out(archive_write_new(), archive_write_free);
  archive_write_set_format_pax_restricted(out.get());
  std::string level = std::to_string(std::clamp(options.level, 1, 9));
  if (kind == TarKind::TarGz || kind == TarKind::Gz) {
    archive_write_add_filter_gzip(out.get());
    if (options.level > 0)
      archive_write_set_filter_option(out.get(), "gzip", "compression-level", level.c_str());
  } else if (kind == TarKind::TarBz2 || kind == TarKind::Bz2) {
    archive_write_add_filter_bzip2(out.get());
    if (options.level > 0)
      archive_write_set_filter_option(out.get(), "bzip2", "compression-level", level.c_str());
  }
  archive_write_set_bytes_in_last_block(out.get(), 1);
  if (archive_write_open_fd(out.get(), fd) != ARCHIVE_OK)
    return WriterFailure(out.get(), archivePath);
  uint64_t done = 0;
  for (const AddItem& item : items)
    if (WriteResult r = WriteDiskItem(out.get(), item, &done, options.progress); !r.ok()) return r;
  if (archive_write_close(out.get()) != ARCHIVE_OK) return WriterFailure(out.get(), archivePath);
  return {};
}

// One file compressed on its own: gzip with the original name and time in its header.
class SingleCompressor {
 public:
  SingleCompressor(TarKind kind, int level, const std::string& name, int64_t mtime) : kind_(kind) {
    if (kind_ == TarKind::Gz) {
      ok_ = deflateInit2(&z_, level > 0 ? level : 6, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) == Z_OK;
      name_ = name;
      header_.name = reinterpret_cast<Bytef*>(name_.data());
      header_.time = static_cast<uLong>(mtime);
      header_.os = 3;
      ok_ = ok_ && deflateSetHeader(&z_, &header_) == Z_OK;
    } else {
      ok_ = BZ2_bzCompressInit(&bz_, level > 0 ? level : 9, 0, 0) == BZ_OK;
    }
  }
  ~SingleCompressor() {
    if (kind_ == TarKind::Gz)
      deflateEnd(&z_);
    else
      BZ2_bzCompressEnd(&bz_);
  }
  SingleCompressor(const SingleCompressor&) = delete;
  SingleCompressor& operator=(const SingleCompressor&) = delete;
  bool ok() const { return ok_; }

  bool Feed(const uint8_t* data, size_t size, bool finish, OutFile& out) {
    std::vector<uint8_t>& buf = buf_;
    if (kind_ == TarKind::Gz) {
      z_.next_in = const_cast<uint8_t*>(data);
      z_.avail_in = static_cast<uInt>(size);
      int rc;
      do {
        z_.next_out = buf.data();
        z_.avail_out = kChunk;
        rc = deflate(&z_, finish ? Z_FINISH : Z_NO_FLUSH);
        if (rc == Z_STREAM_ERROR || !out.Write(buf.data(), kChunk - z_.avail_out)) return false;
      } while (z_.avail_out == 0 || (finish && rc != Z_STREAM_END));
      return true;
    }
    bz_.next_in = reinterpret_cast<char*>(const_cast<uint8_t*>(data));
    bz_.avail_in = static_cast<unsigned>(size);
    int rc;
    do {
      bz_.next_out = reinterpret_cast<char*>(buf.data());
      bz_.avail_out = kChunk;
      rc = BZ2_bzCompress(&bz_, finish ? BZ_FINISH : BZ_RUN);
      if (rc < 0 || !out.Write(buf.data(), kChunk - bz_.avail_out)) return false;
    } while (bz_.avail_in > 0 || bz_.avail_out == 0 || (finish && rc != BZ_STREAM_END));
    return true;
  }

 private:
  TarKind kind_;
  bool ok_ = false;
  z_stream z_{};
  bz_stream bz_{};
  gz_header header_{};
  std::string name_;
  std::vector<uint8_t> buf_ = std::vector<uint8_t>(kChunk);
};

WriteResult WriteSingle(int outFd, TarKind kind, const AddItem& item, const TarOptions& options) {
  arc::UniqueFd file(open(item.diskPath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) {
    int err = errno;
    return Fail(ERROR_FILE_OPEN, SystemReport("cannot open", item.diskPath, err));
  }
  int fd = file.get();
  struct stat st {};
  fstat(fd, &st);
  std::string name = item.name.substr(item.name.rfind('/') + 1);
  SingleCompressor compressor(kind, options.level, name, st.st_mtime);
  if (!compressor.ok()) return Fail(ERROR_METHOD, "the compressor could not start");
  OutFile out(outFd);
  std::vector<uint8_t> buf(kChunk);
  uint64_t done = 0;
  for (;;) {
    ssize_t n = arc::ReadSome(fd, buf.data(), buf.size());
    if (n < 0) {
      int err = errno;
      return Fail(ERROR_CANNOT_READ, SystemReport("cannot read", item.diskPath, err));
    }
    done += static_cast<uint64_t>(n);
    if (!compressor.Feed(buf.data(), static_cast<size_t>(n), n == 0, out))
      return Fail(WriteErrorCode(out.error()),
                  SystemReport("cannot write the archive", "", out.error()));
    if (options.progress && !options.progress(done)) return Fail(ERROR_USER_CANCEL, "cancelled");
    if (n == 0) break;
  }
  if (!out.Flush())
    return Fail(WriteErrorCode(out.error()),
                SystemReport("cannot write the archive", "", out.error()));
  return {};
}

}  // namespace

TarKind TarKindFor(const std::string& archivePath, const std::vector<AddItem>& items) {
  bool single = items.size() == 1 && !items[0].folder;
  if (EndsWith(archivePath, ".tgz") || EndsWith(archivePath, ".tar.gz")) return TarKind::TarGz;
  if (EndsWith(archivePath, ".tbz") || EndsWith(archivePath, ".tbz2") ||
      EndsWith(archivePath, ".tar.bz2"))
    return TarKind::TarBz2;
  if (EndsWith(archivePath, ".gz")) return single ? TarKind::Gz : TarKind::TarGz;
  if (EndsWith(archivePath, ".bz2")) return single ? TarKind::Bz2 : TarKind::TarBz2;
  return TarKind::Tar;
}

WriteResult TarCreate(const std::string& archivePath, const std::vector<AddItem>& items,
                      const TarOptions& options) {
  TarKind kind = TarKindFor(archivePath, items);
  ArchiveTemp temp(archivePath);
  if (WriteResult r = temp.Open(); !r.ok()) return r;
  WriteResult r = (kind == TarKind::Gz || kind == TarKind::Bz2)
                      ? WriteSingle(temp.fd(), kind, items[0], options)
                      : WriteTar(archivePath, temp.fd(), kind, items, options);
  if (!r.ok()) return r;
  if (r = temp.Commit(); !r.ok()) return r;
  return {0, std::to_string(items.size()) + " file(s) stored in " + archivePath};
}

}  // namespace qvr::writers
