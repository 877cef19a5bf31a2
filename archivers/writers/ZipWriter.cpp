#include "ZipWriter.h"

#include <bzlib.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "ArchiveTemp.h"
#include "ArgSplitter.h"
#include "DeflateAhead.h"
#include "FdIo.h"
#include "OutFile.h"
#include "Volumes.h"
#include "WriteCrypto.h"
#include "ZipDirectory.h"

namespace qvr::writers {

using arc::ZipDirectory;
using arc::ZipEntryRecord;

namespace {

constexpr uint32_t k32Max = 0xFFFFFFFF;
constexpr uint64_t kZip64LocalThreshold = 0xFF000000;  // leaves room for deflate's expansion
constexpr size_t kChunk = 256 * 1024;

// The general-purpose flags that tell the deflate level (maximum, fast or normal).
uint16_t DeflateLevelFlags(int level) {
  return level >= 8 ? 2 : level <= 2 ? 6 : 0;
}

std::string ExtendedTime(int64_t mtime) {
  std::string f;
  PutLe16(f, 0x5455);
  PutLe16(f, 5);
  f += '\1';
  PutLe32(f, static_cast<uint32_t>(static_cast<int32_t>(mtime)));
  return f;
}

bool NeedsZip64(const ZipEntryRecord& e) {
  return e.size >= k32Max || e.compressedSize >= k32Max || e.localOffset >= k32Max;
}

}  // namespace

std::string ZipCentralRecord(const ZipEntryRecord& e) {
  std::string zip64;
  if (NeedsZip64(e)) {
    std::string values;
    if (e.size >= k32Max) PutLe64(values, e.size);
    if (e.compressedSize >= k32Max) PutLe64(values, e.compressedSize);
    if (e.localOffset >= k32Max) PutLe64(values, e.localOffset);
    PutLe16(zip64, 0x0001);
    PutLe16(zip64, static_cast<uint16_t>(values.size()));
    zip64 += values;
  }
  std::string r;
  PutLe32(r, 0x02014b50);
  PutLe16(r, NeedsZip64(e)
                 ? static_cast<uint16_t>((e.madeBy & 0xFF00) | std::max<int>(e.madeBy & 0xFF, 45))
                 : e.madeBy);
  PutLe16(r, NeedsZip64(e) ? std::max<uint16_t>(e.needed, 45) : e.needed);
  PutLe16(r, e.flags);
  PutLe16(r, e.method);
  PutLe16(r, e.dosTime);
  PutLe16(r, e.dosDate);
  PutLe32(r, e.crc);
  PutLe32(r, static_cast<uint32_t>(std::min<uint64_t>(e.compressedSize, k32Max)));
  PutLe32(r, static_cast<uint32_t>(std::min<uint64_t>(e.size, k32Max)));
  PutLe16(r, static_cast<uint16_t>(e.name.size()));
  PutLe16(r, static_cast<uint16_t>(zip64.size() + e.extra.size()));
  PutLe16(r, static_cast<uint16_t>(e.comment.size()));
  PutLe16(r, e.diskStart);
  PutLe16(r, e.internalAttr);
  PutLe32(r, e.externalAttr);
  PutLe32(r, static_cast<uint32_t>(std::min<uint64_t>(e.localOffset, k32Max)));
  return r + e.name + zip64 + e.extra + e.comment;
}

std::string ZipEndRecords(uint64_t count, uint64_t cdOffset, uint64_t cdSize,
                          const std::string& comment, uint32_t thisDisk, uint32_t cdDisk) {
  std::string r;
  bool zip64 = count >= 0xFFFF || cdOffset >= k32Max || cdSize >= k32Max;
  if (zip64) {
    uint64_t rec64 = cdOffset + cdSize;
    PutLe32(r, 0x06064b50);
    PutLe64(r, 44);
    PutLe16(r, (3 << 8) | 45);
    PutLe16(r, 45);
    PutLe32(r, thisDisk);
    PutLe32(r, cdDisk);
    PutLe64(r, count);
    PutLe64(r, count);
    PutLe64(r, cdSize);
    PutLe64(r, cdOffset);
    PutLe32(r, 0x07064b50);
    PutLe32(r, thisDisk);
    PutLe64(r, rec64);
    PutLe32(r, thisDisk + 1);
  }
  PutLe32(r, 0x06054b50);
  PutLe16(r, static_cast<uint16_t>(thisDisk));
  PutLe16(r, static_cast<uint16_t>(cdDisk));
  PutLe16(r, static_cast<uint16_t>(std::min<uint64_t>(count, 0xFFFF)));
  PutLe16(r, static_cast<uint16_t>(std::min<uint64_t>(count, 0xFFFF)));
  PutLe32(r, static_cast<uint32_t>(std::min<uint64_t>(cdSize, k32Max)));
  PutLe32(r, static_cast<uint32_t>(std::min<uint64_t>(cdOffset, k32Max)));
  PutLe16(r, static_cast<uint16_t>(comment.size()));
  return r + comment;
}

namespace {

// Where an entry's data go: into the archive as they are, or encrypted on the way (in place:
// the bytes handed in are the caller's own buffers).
class EntryOut {
 public:
  EntryOut(OutFile& out, ZipAesEncryptor* aes) : out_(out), aes_(aes) {}
  bool Write(uint8_t* data, size_t size) {
    return (!aes_ || aes_->Encrypt(data, size)) && out_.Write(data, size);
  }

 private:
  OutFile& out_;
  ZipAesEncryptor* aes_;
};

// Compresses one stream of chunks with the chosen method.
class Compressor {
 public:
  Compressor(ZipMethod method, int level) : method_(method), level_(level) {
    if (method_ == ZipMethod::Deflate)
      ok_ = deflateInit2(&z_, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    else if (method_ == ZipMethod::BZip2)
      ok_ = BZ2_bzCompressInit(&bz_, std::clamp(level, 1, 9), 0, 0) == BZ_OK;
  }

  // Ready for the next entry; the buffers stay, which matters for archives of many files.
  bool Reset() {
    if (method_ == ZipMethod::Deflate) return ok_ = deflateReset(&z_) == Z_OK;
    if (method_ == ZipMethod::BZip2) {
      BZ2_bzCompressEnd(&bz_);
      bz_ = {};
      return ok_ = BZ2_bzCompressInit(&bz_, std::clamp(level_, 1, 9), 0, 0) == BZ_OK;
    }
    return true;
  }
  ~Compressor() {
    if (method_ == ZipMethod::Deflate) deflateEnd(&z_);
    if (method_ == ZipMethod::BZip2) BZ2_bzCompressEnd(&bz_);
  }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;
  bool ok() const { return ok_; }

  // Feeds input (finish on the last call) and writes what comes out.
  bool Feed(uint8_t* data, size_t size, bool finish, EntryOut& out) {
    if (method_ == ZipMethod::Stored) return out.Write(data, size);
    return method_ == ZipMethod::Deflate ? FeedDeflate(data, size, finish, out)
                                         : FeedBzip2(data, size, finish, out);
  }

 private:
  bool FeedDeflate(uint8_t* data, size_t size, bool finish, EntryOut& out) {
    z_.next_in = data;
    z_.avail_in = static_cast<uInt>(size);
    int rc;
    do {
      z_.next_out = buf_;
      z_.avail_out = kChunk;
      rc = deflate(&z_, finish ? Z_FINISH : Z_NO_FLUSH);
      if (rc == Z_STREAM_ERROR || !out.Write(buf_, kChunk - z_.avail_out)) return false;
    } while (z_.avail_out == 0 || (finish && rc != Z_STREAM_END));
    return true;
  }

  bool FeedBzip2(uint8_t* data, size_t size, bool finish, EntryOut& out) {
    bz_.next_in = reinterpret_cast<char*>(data);
    bz_.avail_in = static_cast<unsigned>(size);
    int rc;
    do {
      bz_.next_out = reinterpret_cast<char*>(buf_);
      bz_.avail_out = kChunk;
      rc = BZ2_bzCompress(&bz_, finish ? BZ_FINISH : BZ_RUN);
      if (rc < 0 || !out.Write(buf_, kChunk - bz_.avail_out)) return false;
    } while (bz_.avail_in > 0 || bz_.avail_out == 0 || (finish && rc != BZ_STREAM_END));
    return true;
  }

  ZipMethod method_;
  int level_;
  bool ok_ = true;
  z_stream z_{};
  bz_stream bz_{};
  std::vector<uint8_t> storage_ = std::vector<uint8_t>(kChunk);
  uint8_t* buf_ = storage_.data();
};

class ZipBuilder {
 public:
  // ahead: the files' deflated bytes in the order AddItem takes them (null: all streamed).
  ZipBuilder(OutFile& out, const ZipOptions& options, DeflateAhead* ahead = nullptr)
      : out_(out), options_(options), ahead_(ahead) {}

  WriteResult CopyEntry(int oldFd, const ZipEntryRecord& old) {
    ZipEntryRecord e = old;
    e.localOffset = out_.position();
    if (!out_.CopyFrom(oldFd, old.localOffset, old.spanEnd - old.localOffset))
      return WriteFailure();
    done_ += old.spanEnd - old.localOffset;
    if (options_.progress && !options_.progress(done_)) return Fail(ERROR_USER_CANCEL, "cancelled");
    central_ += ZipCentralRecord(e);
    ++count_;
    return {};
  }

  WriteResult AddItem(const writers::AddItem& item) {
    return item.folder ? AddFolder(item) : AddFile(item);
  }

  WriteResult Finish(const std::string& comment) {
    uint64_t cdOffset = out_.position();
    if (!out_.Write(central_) ||
        !out_.Write(ZipEndRecords(count_, cdOffset, central_.size(), comment)) || !out_.Flush())
      return WriteFailure();
    return {};
  }

  uint64_t count() const { return count_; }

 private:
  WriteResult WriteFailure() {
    return Fail(WriteErrorCode(out_.error()),
                SystemReport("cannot write the archive", "", out_.error()));
  }

  ZipEntryRecord NewRecord(const std::string& name, const struct stat& st, bool folder) {
    ZipEntryRecord e;
    e.name = folder ? name + "/" : name;
    e.madeBy = (3 << 8) | 30;
    e.needed = folder ? 10 : 20;
    e.flags = 0x0800;  // names are UTF-8
    arc::ToDosTime(st.st_mtime, &e.dosTime, &e.dosDate);
    e.unixTime = st.st_mtime;
    e.externalAttr = (static_cast<uint32_t>(st.st_mode & 0xFFFF) << 16) | (folder ? 0x10 : 0x20) |
                     ((st.st_mode & 0200) ? 0 : 0x01);
    e.localOffset = out_.position();
    return e;
  }

  // aesExtra: the encryption's extra field of an encrypted entry, else "".
  std::string LocalHeader(const ZipEntryRecord& e, bool zip64, const std::string& aesExtra = "") {
    std::string h;
    PutLe32(h, 0x04034b50);
    PutLe16(h, zip64 ? std::max<uint16_t>(e.needed, 45) : e.needed);
    PutLe16(h, e.flags);
    PutLe16(h, e.method);
    PutLe16(h, e.dosTime);
    PutLe16(h, e.dosDate);
    PutLe32(h, e.crc);
    PutLe32(h, zip64 ? k32Max : static_cast<uint32_t>(e.compressedSize));
    PutLe32(h, zip64 ? k32Max : static_cast<uint32_t>(e.size));
    std::string extra = ExtendedTime(*e.unixTime);
    if (zip64) {
      PutLe16(extra, 0x0001);
      PutLe16(extra, 16);
      PutLe64(extra, e.size);
      PutLe64(extra, e.compressedSize);
    }
    extra += aesExtra;
    PutLe16(h, static_cast<uint16_t>(e.name.size()));
    PutLe16(h, static_cast<uint16_t>(extra.size()));
    return h + e.name + extra;
  }

  WriteResult AddFolder(const writers::AddItem& item) {
    struct stat st {};
    if (stat(item.diskPath.c_str(), &st) != 0) {
      int err = errno;
      return Fail(ERROR_FILE_OPEN, SystemReport("cannot read", item.diskPath, err));
    }
    ZipEntryRecord e = NewRecord(item.name, st, true);
    e.extra = ExtendedTime(st.st_mtime);
    if (!out_.Write(LocalHeader(e, false))) return WriteFailure();
    central_ += ZipCentralRecord(e);
    ++count_;
    return {};
  }

  WriteResult AddFile(const writers::AddItem& item) {
    if (ahead_)
      if (const DeflateAhead::Deflated* deflated = ahead_->Next())
        return AddDeflated(item, *deflated);
    arc::UniqueFd file(open(item.diskPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) {
      int err = errno;
      return Fail(ERROR_FILE_OPEN, SystemReport("cannot open", item.diskPath, err));
    }
    int fd = file.get();
    struct stat st {};
    fstat(fd, &st);
    ZipEntryRecord e = NewRecord(item.name, st, false);
    ZipMethod method = options_.level == 0 ? ZipMethod::Stored : options_.method;
    e.method = method == ZipMethod::Stored ? 0 : method == ZipMethod::Deflate ? 8 : 12;
    if (method == ZipMethod::BZip2) e.needed = 46;
    if (method == ZipMethod::Deflate) e.flags |= DeflateLevelFlags(options_.level);
    // An encrypted entry names method 99 and keeps its own in the extra field; its CRC is
    // left out below 20 bytes, where it would tell too much of the data (as the vendor does).
    std::optional<ZipAesEncryptor> aes;
    std::string aesExtra;
    const bool crcKept = st.st_size >= 20;
    if (options_.password) {
      aes.emplace();
      aesExtra = ZipAesEncryptor::ExtraField(crcKept, e.method);
      e.method = 99;
      e.flags |= 1;
      e.needed = 51;
    }
    bool zip64 = static_cast<uint64_t>(st.st_size) >= kZip64LocalThreshold;
    uint64_t headerAt = out_.position();
    std::string header = LocalHeader(e, zip64, aesExtra);
    if (!out_.Write(header)) return WriteFailure();
    uint64_t dataStart = out_.position();
    if (aes) {
      std::string prefix;
      if (!aes->Begin(*options_.password, &prefix))
        return Fail(ERROR_METHOD, "the encryption could not start");
      if (!out_.Write(prefix)) return WriteFailure();
    }
    if (WriteResult r = WriteData(fd, item.diskPath, method, aes ? &*aes : nullptr, &e); !r.ok())
      return r;
    if (aes && !out_.Write(aes->End())) return WriteFailure();
    if (aes && !crcKept) e.crc = 0;
    e.compressedSize = out_.position() - dataStart;
    if (!zip64 && (e.size >= k32Max || e.compressedSize >= k32Max))
      return Fail(ERROR_CANNOT_READ, "the file grew while it was being added: " + item.diskPath);
    std::string patched = LocalHeader(e, zip64, aesExtra);
    if (!out_.PatchAt(headerAt, patched.data(), patched.size())) return WriteFailure();
    e.extra = ExtendedTime(st.st_mtime) + aesExtra;
    central_ += ZipCentralRecord(e);
    ++count_;
    return {};
  }

  // A file deflated ahead: its header is final before its data (no zip64, no encryption).
  WriteResult AddDeflated(const writers::AddItem& item, const DeflateAhead::Deflated& deflated) {
    ZipEntryRecord e = NewRecord(item.name, deflated.st, false);
    e.method = 8;
    e.flags |= DeflateLevelFlags(options_.level);
    e.crc = deflated.crc;
    e.size = deflated.size;
    e.compressedSize = deflated.data.size();
    if (!out_.Write(LocalHeader(e, false)) ||
        !out_.Write(deflated.data.data(), deflated.data.size()))
      return WriteFailure();
    done_ += deflated.size;
    if (options_.progress && !options_.progress(done_)) return Fail(ERROR_USER_CANCEL, "cancelled");
    e.extra = ExtendedTime(deflated.st.st_mtime);
    central_ += ZipCentralRecord(e);
    ++count_;
    return {};
  }

  // One compressor per method for the whole archive, reset between entries.
  Compressor* CompressorFor(ZipMethod method) {
    auto& slot = compressors_[static_cast<int>(method)];
    if (!slot)
      slot = std::make_unique<Compressor>(method, options_.level);
    else
      slot->Reset();
    return slot->ok() ? slot.get() : nullptr;
  }

  WriteResult WriteData(int fd, const std::string& path, ZipMethod method, ZipAesEncryptor* aes,
                        ZipEntryRecord* e) {
    Compressor* compressor = CompressorFor(method);
    EntryOut entryOut(out_, aes);
    if (!compressor) return Fail(ERROR_METHOD, "the compressor could not start");
    std::vector<uint8_t>& buf = readBuffer_;
    uLong crc = crc32(0, nullptr, 0);
    for (;;) {
      ssize_t n = arc::ReadSome(fd, buf.data(), buf.size());
      if (n < 0) {
        int err = errno;
        return Fail(ERROR_CANNOT_READ, SystemReport("cannot read", path, err));
      }
      auto got = static_cast<size_t>(n);
      crc = crc32(crc, buf.data(), static_cast<uInt>(got));
      e->size += got;
      done_ += got;
      if (!compressor->Feed(buf.data(), got, got == 0, entryOut)) return WriteFailure();
      if (options_.progress && !options_.progress(done_))
        return Fail(ERROR_USER_CANCEL, "cancelled");
      if (got == 0) break;
    }
    e->crc = static_cast<uint32_t>(crc);
    return {};
  }

  OutFile& out_;
  const ZipOptions& options_;
  DeflateAhead* ahead_;
  std::unique_ptr<Compressor> compressors_[3];
  std::vector<uint8_t> readBuffer_ = std::vector<uint8_t>(kChunk);
  std::string central_;
  uint64_t count_ = 0;
  uint64_t done_ = 0;
};

// The existing archive, opened and its directory read; an archive that is missing is empty.
struct OldArchive {
  arc::UniqueFd file;
  ZipDirectory dir;
  int fd() const { return file.get(); }
};

WriteResult OpenOld(const std::string& path, bool mustExist, OldArchive* old) {
  old->file.reset(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!old->file.valid()) {
    int err = errno;
    if (err == ENOENT && !mustExist) return {};
    return Fail(err == ENOENT ? ERROR_NOT_EXIST : ERROR_ARC_FILE_OPEN,
                SystemReport("cannot open", path, err));
  }
  struct stat st {};
  fstat(old->fd(), &st);
  if (!S_ISREG(st.st_mode)) return Fail(ERROR_ARC_FILE_OPEN, "not a file: " + path);
  std::string why;
  int32_t code =
      arc::ReadZipDirectory(old->fd(), static_cast<uint64_t>(st.st_size), &old->dir, &why);
  if (code != 0) return Fail(code, why + ": " + path + " was left unchanged");
  return {};
}

bool IsNewer(const struct stat& st, const ZipEntryRecord& e) {
  if (e.unixTime) return st.st_mtime > *e.unixTime;
  uint16_t t, d;
  arc::ToDosTime(st.st_mtime + (st.st_mtime & 1), &t, &d);  // DOS times count in two seconds
  return ((static_cast<uint32_t>(d) << 16) | t) >
         ((static_cast<uint32_t>(e.dosDate) << 16) | e.dosTime);
}

// Deflated entries of plain files are made ahead on the machine's cores, in the order the
// builder adds them; encrypted entries and the other methods stream as before.
std::unique_ptr<DeflateAhead> DeflateAheadFor(const std::vector<const AddItem*>& replacement,
                                              const std::vector<const AddItem*>& added,
                                              const ZipOptions& options) {
  if (options.method != ZipMethod::Deflate || options.level == 0 || options.password)
    return nullptr;
  std::vector<std::string> paths;
  for (const auto* list : {&replacement, &added})
    for (const AddItem* item : *list)
      if (item && !item->folder) paths.push_back(item->diskPath);
  if (paths.empty()) return nullptr;
  return std::make_unique<DeflateAhead>(std::move(paths), options.level);
}

std::string EntryKey(const AddItem& item) {
  return item.folder ? item.name + "/" : item.name;
}

WriteResult Rewrite(const std::string& archivePath, const OldArchive& old,
                    const std::vector<const AddItem*>& replacement, const std::vector<bool>& keep,
                    const std::vector<const AddItem*>& added, const ZipOptions& options) {
  ArchiveTemp temp(archivePath);
  if (WriteResult r = temp.Open(); !r.ok()) return r;
  OutFile out(temp.fd());
  std::unique_ptr<DeflateAhead> ahead = DeflateAheadFor(replacement, added, options);
  ZipBuilder builder(out, options, ahead.get());
  if (old.fd() >= 0 && old.dir.prefixEnd > 0 && !out.CopyFrom(old.fd(), 0, old.dir.prefixEnd))
    return Fail(WriteErrorCode(out.error()),
                SystemReport("cannot write", archivePath, out.error()));
  for (size_t i = 0; i < old.dir.entries.size(); ++i) {
    WriteResult r = replacement[i] ? builder.AddItem(*replacement[i])
                    : keep[i]      ? builder.CopyEntry(old.fd(), old.dir.entries[i])
                                   : WriteResult{};
    if (!r.ok()) return r;
  }
  for (const AddItem* item : added)
    if (WriteResult r = builder.AddItem(*item); !r.ok()) return r;
  if (WriteResult r = builder.Finish(old.dir.comment); !r.ok()) return r;
  return temp.Commit();
}

}  // namespace

WriteResult ZipAdd(const std::string& archivePath, const std::vector<AddItem>& items,
                   const ZipOptions& options) {
  OldArchive old;
  if (options.volumeSize > 0) {  // a split archive is made anew
    std::vector<const AddItem*> all;
    for (const AddItem& item : items) all.push_back(&item);
    WriteResult r = Rewrite(archivePath, old, {}, {}, all, options);
    if (r.ok()) r = SplitZip(archivePath, options.volumeSize);
    if (r.ok()) r.report = std::to_string(items.size()) + " file(s) in the split " + archivePath;
    return r;
  }
  if (WriteResult r = OpenOld(archivePath, false, &old); !r.ok()) return r;
  std::map<std::string, size_t> index;
  for (size_t i = 0; i < old.dir.entries.size(); ++i) index.emplace(old.dir.entries[i].name, i);
  std::vector<const AddItem*> replacement(old.dir.entries.size(), nullptr);
  std::vector<const AddItem*> added;
  size_t skipped = 0;
  for (const AddItem& item : items) {
    auto found = index.find(EntryKey(item));
    if (found == index.end()) {
      added.push_back(&item);
      continue;
    }
    struct stat st {};
    bool newer =
        stat(item.diskPath.c_str(), &st) != 0 || IsNewer(st, old.dir.entries[found->second]);
    if (options.onlyNewer && (item.folder || !newer)) {
      ++skipped;
      continue;
    }
    replacement[found->second] = &item;
  }
  size_t changed = items.size() - skipped;
  if (changed == 0 && old.fd() >= 0) return {0, "nothing to update in " + archivePath};
  std::vector<bool> keep(old.dir.entries.size(), true);
  WriteResult r = Rewrite(archivePath, old, replacement, keep, added, options);
  if (r.ok()) r.report = std::to_string(changed) + " file(s) added to " + archivePath;
  return r;
}

WriteResult ZipDelete(const std::string& archivePath, const std::vector<arc::Name>& names,
                      const Progress& progress) {
  OldArchive old;
  if (WriteResult r = OpenOld(archivePath, true, &old); !r.ok()) return r;
  std::vector<bool> keep(old.dir.entries.size(), true);
  size_t removed = 0;
  for (size_t i = 0; i < keep.size(); ++i) {
    if (arc::IsSelected(names, old.dir.entries[i].name)) {
      keep[i] = false;
      ++removed;
    }
  }
  if (removed == 0) return Fail(ERROR_NOT_FIND_FILE, "no entry to delete in " + archivePath);
  ZipOptions options;
  options.progress = progress;
  std::vector<const AddItem*> none(old.dir.entries.size(), nullptr);
  WriteResult r = Rewrite(archivePath, old, none, keep, {}, options);
  if (r.ok()) r.report = std::to_string(removed) + " entr(y/ies) deleted from " + archivePath;
  return r;
}

}  // namespace qvr::writers
