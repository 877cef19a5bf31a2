#include "SevenZipWriter.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <set>
#include <tuple>

#include "ArchiveTemp.h"
#include "FdIo.h"
#include "Lzma2Blocks.h"
#include "OutFile.h"
#include "SevenZipHeader.h"
#include "Text.h"
#include "Utf8Locale.h"
#include "Volumes.h"
#include "WriteCrypto.h"
#include "ZipWriter.h"

namespace qvr::writers {

namespace {

constexpr size_t kChunk = 256 * 1024;

using ReadPtr = std::unique_ptr<struct archive, decltype(&archive_read_free)>;

// Streams the files' data into folders (one for all, or one per file) and writes the header
// at the end; the signature header in front is filled in last.
class SevenZipBuilder {
 public:
  // expectedSize: about how many bytes will come, which decides how to share the work.
  SevenZipBuilder(OutFile& out, const SevenZipOptions& options, uint64_t expectedSize)
      : out_(out), options_(options), level_(std::clamp(options.level, 0, 9)) {
    if (options.password) aes_ = std::make_unique<SevenZipAesEncryptor>(*options.password);
    if (level_ > 0) {
      lzma_ = std::make_unique<Lzma2Blocks>(
          Lzma2Settings{level_, options.blockSize, 0, options.solid ? expectedSize : 0},
          [this](const uint8_t* data, size_t size) { return Emit(data, size); });
      if (aes_) lzma_->setFolderEnd([this] { return EndEncryptedFolder(); });
    }
  }

  WriteResult Start() {
    std::string placeholder(kSevenZipSignatureSize, '\0');
    return out_.Write(placeholder) ? WriteResult{} : WriteFailure();
  }

  WriteResult AddDiskItem(const AddItem& item) {
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
    SevenZipFile file;
    file.name = item.name;
    file.folder = item.folder;
    file.mtime = SevenZipTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    file.attributes =
        SevenZipAttributes((st.st_mode & 07777) | (item.folder ? S_IFDIR : S_IFREG), item.folder);
    if (!item.folder)
      if (WriteResult r = FileData(fd, item.diskPath, static_cast<uint64_t>(st.st_size), &file);
          !r.ok())
        return r;
    files_.push_back(std::move(file));
    return {};
  }

  // The entry the reader stands on, with its data; name is its path, folders without "/".
  WriteResult AddOldEntry(struct archive* in, struct archive_entry* entry, const std::string& name,
                          const std::string& archivePath) {
    SevenZipFile file;
    file.name = name;
    file.folder = archive_entry_filetype(entry) == AE_IFDIR;
    file.mtime = archive_entry_mtime_is_set(entry)
                     ? SevenZipTime(archive_entry_mtime(entry), archive_entry_mtime_nsec(entry))
                     : 0;
    file.attributes = SevenZipAttributes(archive_entry_mode(entry), file.folder);
    if (archive_entry_filetype(entry) == AE_IFLNK) {  // the link's target is its data
      const char* target = archive_entry_symlink_utf8(entry);
      std::string text = target ? target : "";
      if (!text.empty()) {
        if (WriteResult r = BeginData(&file); !r.ok()) return r;
        if (WriteResult r = Data(reinterpret_cast<const uint8_t*>(text.data()), text.size(), &file);
            !r.ok())
          return r;
        if (WriteResult r = EndData(); !r.ok()) return r;
      }
    } else if (!file.folder && archive_entry_size(entry) > 0) {
      if (WriteResult r =
              OldData(in, archivePath, static_cast<uint64_t>(archive_entry_size(entry)), &file);
          !r.ok())
        return r;
    }
    files_.push_back(std::move(file));
    return {};
  }

  WriteResult Finish() {
    if (lzma_) {
      if (options_.solid && !folders_.empty() && !lzma_->EndFolder()) return EncoderFailure();
      if (!lzma_->Finish()) return EncoderFailure();
      for (size_t i = 0; i < folders_.size(); ++i) {
        folders_[i].packSize = lzma_->folders()[i].packSize;
        folders_[i].dictionaryProp = lzma_->folders()[i].Property();
      }
    } else if (options_.solid && !EndEncryptedFolder()) {
      return EncoderFailure();
    }
    if (aes_) {
      if (aesPacked_.size() != folders_.size())
        return Fail(ERROR_METHOD, "the encryption lost a folder");
      for (size_t i = 0; i < folders_.size(); ++i) {
        folders_[i].codedSize = folders_[i].packSize;
        folders_[i].packSize = aesPacked_[i];
        folders_[i].aesProperties = aesProperties_[i];
      }
    }
    if (files_.empty()) {  // an empty archive is the signature header alone, as 7-Zip writes it
      std::string signature = SevenZipSignature(0, 0, 0);
      if (!out_.PatchAt(0, signature.data(), signature.size()) || !out_.Flush())
        return WriteFailure();
      return {};
    }
    std::string header = SevenZipMainHeader(folders_, files_);
    if (aes_ && options_.encryptHeader) {
      if (WriteResult r = EncryptHeader(&header); !r.ok()) return r;
    } else if (options_.headerCompression && level_ > 0) {
      header = PackHeader(header);
    }
    uint64_t headerAt = out_.position();
    std::string signature = SevenZipSignature(
        headerAt - kSevenZipSignatureSize, header.size(),
        static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(header.data()),
                                    static_cast<uInt>(header.size()))));
    if (!out_.Write(header) || !out_.PatchAt(0, signature.data(), signature.size()) ||
        !out_.Flush())
      return WriteFailure();
    return {};
  }

 private:
  WriteResult WriteFailure() {
    return Fail(WriteErrorCode(out_.error()),
                SystemReport("cannot write the archive", "", out_.error()));
  }

  WriteResult EncoderFailure() {
    if (out_.error()) return WriteFailure();
    return Fail(ERROR_METHOD, lzma_ ? lzma_->error() : "the encryption failed");
  }

  // The packed bytes of the folder being written go to the file, encrypted on the way when
  // the archive has a password (each folder with an IV of its own).
  bool Emit(const uint8_t* data, size_t size) {
    if (!aes_) return out_.Write(data, size);
    if (!aesOpen_) {
      std::string properties;
      if (!aes_->BeginFolder(&properties)) return false;
      aesProperties_.push_back(std::move(properties));
      aesOpen_ = true;
    }
    return aes_->Encrypt(data, size, &cipher_) && out_.Write(cipher_.data(), cipher_.size());
  }

  // The folder's last AES block, padded; its packed size is kept for the header.
  bool EndEncryptedFolder() {
    if (!aes_ || !aesOpen_) return true;
    uint64_t packed = 0;
    if (!aes_->EndFolder(&cipher_, &packed) || !out_.Write(cipher_.data(), cipher_.size()))
      return false;
    aesPacked_.push_back(packed);
    aesOpen_ = false;
    return true;
  }

  // A file with data: into the one solid folder, or into a folder of its own.
  WriteResult BeginData(SevenZipFile* file) {
    file->hasData = true;
    file->crc = 0;
    if (folders_.empty() || !options_.solid) {
      SevenZipFolder folder;
      folder.copy = level_ == 0;
      folders_.push_back(folder);
    }
    ++folders_.back().streams;
    return {};
  }

  WriteResult Data(const uint8_t* data, size_t size, SevenZipFile* file) {
    file->crc = static_cast<uint32_t>(crc32(file->crc, data, static_cast<uInt>(size)));
    file->size += size;
    folders_.back().unpackSize += size;
    if (lzma_ ? !lzma_->Append(data, size) : !Emit(data, size)) return EncoderFailure();
    if (!lzma_) folders_.back().packSize += size;
    done_ += size;
    if (options_.progress && !options_.progress(done_)) return Fail(ERROR_USER_CANCEL, "cancelled");
    return {};
  }

  WriteResult EndData() {
    if (!options_.solid && (lzma_ ? !lzma_->EndFolder() : !EndEncryptedFolder()))
      return EncoderFailure();
    return {};
  }

  // Reads `size` bytes (the size the file had when opened): a file that grew is cut there,
  // one that shrank fails. A file of no size is still read once, so that one which cannot be
  // read is reported rather than stored empty.
  WriteResult FileData(int fd, const std::string& path, uint64_t size, SevenZipFile* file) {
    if (size == 0) {
      if (arc::ReadSome(fd, buffer_.data(), 1) >= 0) return {};
      int err = errno;
      return Fail(ERROR_CANNOT_READ, SystemReport("cannot read", path, err));
    }
    if (WriteResult r = BeginData(file); !r.ok()) return r;
    while (file->size < size) {
      ssize_t n =
          arc::ReadSome(fd, buffer_.data(), std::min<uint64_t>(buffer_.size(), size - file->size));
      if (n < 0) {
        int err = errno;
        return Fail(ERROR_CANNOT_READ, SystemReport("cannot read", path, err));
      }
      if (n == 0)
        return Fail(ERROR_CANNOT_READ, "the file changed while it was being added: " + path);
      if (WriteResult r = Data(buffer_.data(), static_cast<size_t>(n), file); !r.ok()) return r;
    }
    return EndData();
  }

  WriteResult OldData(struct archive* in, const std::string& archivePath, uint64_t size,
                      SevenZipFile* file) {
    if (WriteResult r = BeginData(file); !r.ok()) return r;
    for (;;) {
      la_ssize_t n = archive_read_data(in, buffer_.data(), buffer_.size());
      if (n < 0 || (n == 0 && file->size != size))
        return Fail(ERROR_BROKEN_DATA, "the data of " + file->name + " in " + archivePath +
                                           " is damaged; " + archivePath + " was left unchanged");
      if (n == 0) break;
      if (WriteResult r = Data(buffer_.data(), static_cast<size_t>(n), file); !r.ok()) return r;
    }
    return EndData();
  }

  // The header packed into a stream of its own after the data, when that makes it smaller.
  std::string PackHeader(const std::string& header) {
    std::string packed;
    PackedFolder result;
    if (!Lzma2Compress(header, level_, &packed, &result)) return header;
    SevenZipFolder folder;
    folder.packSize = result.packSize;
    folder.dictionaryProp = result.Property();
    folder.unpackSize = header.size();
    folder.crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(header.data()), static_cast<uInt>(header.size())));
    std::string encoded = SevenZipEncodedHeader(folder, out_.position() - kSevenZipSignatureSize);
    if (packed.size() + encoded.size() >= header.size() || !out_.Write(packed)) return header;
    return encoded;
  }

  // The header (the names too) packed where it can and encrypted, after the data; `header`
  // becomes the header that points to it.
  WriteResult EncryptHeader(std::string* header) {
    SevenZipFolder folder;
    std::string coded;
    PackedFolder packed;
    if (options_.headerCompression && level_ > 0 &&
        Lzma2Compress(*header, level_, &coded, &packed)) {
      folder.dictionaryProp = packed.Property();
    } else {
      coded = *header;
      folder.copy = true;
    }
    folder.codedSize = coded.size();
    folder.unpackSize = header->size();
    folder.crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(header->data()),
                                             static_cast<uInt>(header->size())));
    const uint64_t at = out_.position() - kSevenZipSignatureSize;
    std::vector<uint8_t> tail;
    if (!aes_->BeginFolder(&folder.aesProperties) ||
        !aes_->Encrypt(reinterpret_cast<const uint8_t*>(coded.data()), coded.size(), &cipher_) ||
        !aes_->EndFolder(&tail, &folder.packSize))
      return EncoderFailure();
    if (!out_.Write(cipher_.data(), cipher_.size()) || !out_.Write(tail.data(), tail.size()))
      return WriteFailure();
    *header = SevenZipEncodedHeader(folder, at);
    return {};
  }

  OutFile& out_;
  const SevenZipOptions& options_;
  int level_;
  std::unique_ptr<SevenZipAesEncryptor> aes_;  // set when the archive has a password
  bool aesOpen_ = false;                       // a folder's encryption has begun
  std::vector<std::string> aesProperties_;     // per folder
  std::vector<uint64_t> aesPacked_;            // per folder: the padded size
  std::vector<uint8_t> cipher_;
  std::unique_ptr<Lzma2Blocks> lzma_;
  std::vector<SevenZipFolder> folders_;
  std::vector<SevenZipFile> files_;
  std::vector<uint8_t> buffer_ = std::vector<uint8_t>(kChunk);
  uint64_t done_ = 0;
};

bool Exists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

// The size of the files to add and of the old archive (its packed size: a low guess).
uint64_t ExpectedSize(const std::string& archivePath, bool hasOld,
                      const std::vector<AddItem>& items) {
  uint64_t total = 0;
  struct stat st {};
  if (hasOld && stat(archivePath.c_str(), &st) == 0) total += static_cast<uint64_t>(st.st_size);
  for (const AddItem& item : items)
    if (!item.folder && stat(item.diskPath.c_str(), &st) == 0)
      total += static_cast<uint64_t>(st.st_size);
  return total;
}

WriteResult OpenOld(const std::string& path, ReadPtr* in) {
  in->reset(archive_read_new());
  archive_read_support_format_7zip(in->get());
  if (archive_read_open_filename(in->get(), path.c_str(), 1 << 16) != ARCHIVE_OK)
    return Fail(ERROR_NOT_ARC_FILE,
                "not a 7Z archive (or unreadable): " + path + " was left unchanged");
  return {};
}

// The entry's path as stored, a folder's with a trailing "/" (the form delete patterns and
// replaced names are compared in).
std::string EntryName(struct archive_entry* entry) {
  const char* utf8 = archive_entry_pathname_utf8(entry);
  const char* raw = archive_entry_pathname(entry);
  std::string name = utf8 ? utf8 : raw ? raw : "";
  if (archive_entry_filetype(entry) == AE_IFDIR && !name.empty() && name.back() != '/') name += '/';
  return name;
}

// Counts the entries a delete would take; a damaged archive fails before anything is written.
WriteResult CountMatches(const std::string& archivePath, const std::vector<arc::Name>& names,
                         size_t* matches) {
  ScopedUtf8Locale utf8;
  ReadPtr in(nullptr, archive_read_free);
  if (WriteResult r = OpenOld(archivePath, &in); !r.ok()) return r;
  struct archive_entry* entry = nullptr;
  int rc;
  while ((rc = archive_read_next_header(in.get(), &entry)) == ARCHIVE_OK || rc == ARCHIVE_WARN) {
    if (arc::IsSelected(names, EntryName(entry))) ++*matches;
  }
  if (rc != ARCHIVE_EOF)
    return Fail(ERROR_HEADER_BROKEN,
                "the archive is damaged: " + archivePath + " was left unchanged");
  return {};
}

// Decodes every entry of the old archive for which keep(name) holds into the new one.
WriteResult CopyOldEntries(struct archive* in, const std::string& archivePath,
                           const std::function<bool(const std::string&)>& keep,
                           SevenZipBuilder& builder) {
  for (;;) {
    struct archive_entry* entry = nullptr;
    int rc = archive_read_next_header(in, &entry);
    if (rc == ARCHIVE_EOF) return {};
    if (rc < ARCHIVE_WARN)
      return Fail(ERROR_HEADER_BROKEN,
                  "the archive is damaged: " + archivePath + " was left unchanged");
    std::string name = EntryName(entry);
    if (!keep(name)) continue;
    if (archive_entry_is_encrypted(entry))
      return Fail(ERROR_PASSWORD_FILE, "an encrypted entry cannot be copied: " + name);
    if (!name.empty() && name.back() == '/') name.pop_back();
    if (WriteResult r = builder.AddOldEntry(in, entry, name, archivePath); !r.ok()) return r;
  }
}

// The order the items go into a solid folder: files of one type side by side (by extension,
// then by name), which keeps the coder's statistics and dictionary on alike data. Folders come
// after the files, so that a reader restoring in order sets a folder's time after filling it;
// items of equal keys keep their given order.
std::vector<const AddItem*> SolidOrder(const std::vector<AddItem>& items, bool solid) {
  std::vector<const AddItem*> order;
  for (const AddItem& item : items) order.push_back(&item);
  if (!solid) return order;
  auto key = [](const AddItem* item) {
    std::string leaf = item->name.substr(item->name.rfind('/') + 1);
    size_t dot = leaf.rfind('.');
    std::string extension = dot == std::string::npos || dot == 0 ? "" : leaf.substr(dot + 1);
    return std::make_tuple(item->folder, arc::AsciiLower(extension), leaf);
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](const AddItem* a, const AddItem* b) { return key(a) < key(b); });
  return order;
}

// Writes a new 7Z beside the old one: the old entries for which keep() holds, then the items.
WriteResult Rewrite(const std::string& archivePath, bool hasOld,
                    const std::function<bool(const std::string&)>& keep,
                    const std::vector<AddItem>& items, const SevenZipOptions& options) {
  ScopedUtf8Locale utf8;
  ReadPtr in(nullptr, archive_read_free);
  if (hasOld)
    if (WriteResult r = OpenOld(archivePath, &in); !r.ok()) return r;
  ArchiveTemp temp(archivePath);
  if (WriteResult r = temp.Open(); !r.ok()) return r;
  OutFile out(temp.fd());
  SevenZipBuilder builder(out, options, ExpectedSize(archivePath, hasOld, items));
  if (WriteResult r = builder.Start(); !r.ok()) return r;
  if (hasOld)
    if (WriteResult r = CopyOldEntries(in.get(), archivePath, keep, builder); !r.ok()) return r;
  for (const AddItem* item : SolidOrder(items, options.solid))
    if (WriteResult r = builder.AddDiskItem(*item); !r.ok()) return r;
  if (WriteResult r = builder.Finish(); !r.ok()) return r;
  return temp.Commit();
}

}  // namespace

WriteResult SevenZipAdd(const std::string& archivePath, const std::vector<AddItem>& items,
                        const SevenZipOptions& options) {
  std::set<std::string> replaced;
  for (const AddItem& item : items) replaced.insert(item.folder ? item.name + "/" : item.name);
  auto keep = [&](const std::string& name) { return !replaced.count(name); };
  // Volumes are made anew, then cut from the whole archive.
  const bool hasOld = options.volumeSize == 0 && Exists(archivePath);
  WriteResult r = Rewrite(archivePath, hasOld, keep, items, options);
  if (r.ok() && options.volumeSize > 0) r = SplitSevenZip(archivePath, options.volumeSize);
  if (r.ok()) r.report = std::to_string(items.size()) + " file(s) added to " + archivePath;
  return r;
}

WriteResult SevenZipDelete(const std::string& archivePath, const std::vector<arc::Name>& names,
                           const Progress& progress) {
  if (!Exists(archivePath))
    return Fail(ERROR_NOT_EXIST, "the archive does not exist: " + archivePath);
  size_t removed = 0;
  if (WriteResult r = CountMatches(archivePath, names, &removed); !r.ok()) return r;
  if (removed == 0) return Fail(ERROR_NOT_FIND_FILE, "no entry to delete in " + archivePath);
  auto keep = [&](const std::string& name) { return !arc::IsSelected(names, name); };
  SevenZipOptions options;
  options.progress = progress;
  // The old archive's level cannot be told from it; the rest is written at the default level.
  WriteResult r = Rewrite(archivePath, true, keep, {}, options);
  if (r.ok()) r.report = std::to_string(removed) + " entr(y/ies) deleted from " + archivePath;
  return r;
}

}  // namespace qvr::writers
