// Reading 7Z archives that libarchive refuses (an encrypted header, folders encrypted with
// 7zAES) with our own header reader and folder decoder; every other 7Z archive, and every
// other file, goes on to the reader the library names.
//
// The password is asked once per opened archive: at opening when the header is encrypted,
// else at a command's first entry (listing asks nothing). It is proven there on the first
// encrypted file's data before anything is written: a wrong one fails the command with
// ERROR_PASSWORD_FILE before any folder or file is made. Once a CRC has proven it (the
// encrypted header's or that first file's), data that does not decode is broken data.
#include <fcntl.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "ArcErrors.h"
#include "EntrySource.h"
#include "FdIo.h"
#include "SevenZipDirectory.h"
#include "SevenZipFolderReader.h"
#include "SevenZipIds.h"
#include "qvr/VolumeNames.h"

namespace qvr::arc {
namespace {

using sevenzip::kAttrReadOnly;
using sevenzip::kAttrUnixExtension;

constexpr size_t kBlockSize = 256u << 10;
// What the password proof decodes of the first encrypted file at most.
constexpr uint64_t kProofSize = 4u << 20;

class SevenZipSource final : public EntrySource {
 public:
  // With `proveFirst` (commands) the password is proven before the first entry is handed
  // out, so that a wrong one makes no folder either; listing proves nothing.
  SevenZipSource(std::unique_ptr<PartedFile> file, SevenZipArchive archive,
                 std::unique_ptr<SevenZipKeys> keys, bool proveFirst)
      : file_(std::move(file)),
        archive_(std::move(archive)),
        keys_(std::move(keys)),
        proveFirst_(proveFirst) {
    // An encrypted header decoded to its CRC: the password is right, failures are the data's.
    passwordRight_ = archive_.headerEncrypted;
  }

  int32_t Next(Entry& entry) override {
    if (proveFirst_ && !proved_) {
      if (int32_t r = ProvePassword(); r != kOk) return r;
    }
    while (next_ < archive_.items.size() && archive_.items[next_].anti) ++next_;
    if (next_ >= archive_.items.size()) return kEnd;
    current_ = next_++;
    const SevenZipItem& item = archive_.items[current_];
    Fill(item, entry);
    delivered_ = 0;
    crc_ = crc32(0, nullptr, 0);
    started_ = false;
    return kOk;
  }

  int32_t Read(const void** data, size_t* len) override {
    *data = nullptr;
    *len = 0;
    if (current_ >= archive_.items.size()) return kOk;
    const SevenZipItem& item = archive_.items[current_];
    if (!started_) {
      started_ = true;
      if (int32_t r = ProvePassword(); r != kOk) return r;
      if (!item.hasStream) return kOk;
      if (int32_t r = Seek(item); r != kOk) return r;
    }
    if (!item.hasStream) return kOk;
    uint64_t left = item.size - delivered_;
    if (left == 0) return Finish(item);
    size_t want = static_cast<size_t>(std::min<uint64_t>(left, kBlockSize));
    buffer_.resize(kBlockSize);
    size_t got = 0;
    if (!replay_.empty()) {  // what the password proof decoded already
      got = std::min(want, replay_.size() - replayAt_);
      std::memcpy(buffer_.data(), replay_.data() + replayAt_, got);
      replayAt_ += got;
      if (replayAt_ == replay_.size()) ReleaseReplay();
    } else if (int32_t r = reader_->Read(buffer_.data(), want, &got, &words_); r != kOk) {
      return FolderFailed(r);
    }
    if (got == 0) return FolderFailed(ERROR_BROKEN_DATA, "the folder ends before its files");
    crc_ = crc32(crc_, buffer_.data(), static_cast<uInt>(got));
    delivered_ += got;
    *data = buffer_.data();
    *len = got;
    return kOk;
  }

  std::string ErrorWords() const override { return words_; }
  bool FormatKnown() const override { return true; }

 private:
  void Fill(const SevenZipItem& item, Entry& entry) const {
    entry = Entry{};
    std::string path = item.name;
    for (char& c : path)
      if (c == '\\') c = '/';
    entry.path = path;
    uint32_t attributes = item.attributes.value_or(0);
    uint32_t mode = (attributes & kAttrUnixExtension) ? attributes >> 16 : 0;
    if (item.folder) {
      entry.kind = Entry::Kind::Folder;
      if (!entry.path.empty() && entry.path.back() != '/') entry.path += '/';
      entry.perm = mode ? (mode & 07777) : 0755;
      entry.method = "Stored";
    } else {
      entry.kind = Entry::Kind::File;
      bool regular = mode == 0 || S_ISREG(mode);
      entry.perm = mode && regular ? (mode & 07777) : (attributes & kAttrReadOnly) ? 0444 : 0644;
      entry.size = static_cast<int64_t>(item.size);
      entry.sizeDeclared = true;
      if (item.hasStream) {
        const SevenZipFolder& f = archive_.folders[item.folderIndex];
        entry.method = SevenZipMethodName(f);
        entry.encrypted = f.encrypted;
        // A folder's packed size belongs to its first file, as 7-Zip lists it.
        entry.compressedSize = item.streamIndex == 0 ? static_cast<int64_t>(f.packSize) : 0;
      } else {
        entry.method = "Stored";
        entry.compressedSize = 0;
      }
    }
    if (item.mtime) {
      entry.mtime = static_cast<time_t>(
          (static_cast<int64_t>(*item.mtime) - sevenzip::kFileTimeEpochSeconds * 10000000) /
          10000000);
      entry.mtimeSet = true;
    }
  }

  int32_t Fail(int32_t code, const std::string& why) {
    words_ = why;
    return code;
  }

  // A folder that failed stays failed: its later files are not decoded again. With 7zAES
  // in it the password is taken as wrong.
  int32_t FolderFailed(int32_t code, const std::string& why = "") {
    if (!why.empty()) words_ = why;
    folderFailed_ = true;
    if (reader_ && code == ERROR_BROKEN_DATA && archive_.folders[readerFolder_].encrypted &&
        !passwordRight_) {
      keys_->MarkWrong();
      code = ERROR_PASSWORD_FILE;
      words_ = "the password is wrong or the data is broken (" + words_ + ")";
    }
    failedCode_ = code;
    failedWords_ = words_;
    return code;
  }

  int32_t Finish(const SevenZipItem& item) {
    if (item.crc && *item.crc != static_cast<uint32_t>(crc_)) {
      if (archive_.folders[item.folderIndex].encrypted && !passwordRight_) {
        keys_->MarkWrong();
        return Fail(ERROR_PASSWORD_FILE, "the password is wrong (CRC error)");
      }
      return Fail(ERROR_FILE_CRC, "CRC error");
    }
    return kOk;
  }

  void ReleaseReplay() {
    replay_.clear();
    replay_.shrink_to_fit();
    replayAt_ = 0;
  }

  // The decoder standing at the item's data: the folder's reader kept when the item follows
  // in the same folder (the files between are decoded and dropped), else a new one.
  int32_t Seek(const SevenZipItem& item) {
    const SevenZipFolder& f = archive_.folders[item.folderIndex];
    const uint64_t start = item.offset;
    if (folderFailed_ && readerFolder_ == item.folderIndex) return Fail(failedCode_, failedWords_);
    bool same = reader_ && readerFolder_ == item.folderIndex &&
                reader_->position() - (replay_.size() - replayAt_) <= start;
    if (!same) {
      ReleaseReplay();
      folderFailed_ = false;
      readerFolder_ = item.folderIndex;
      if (int32_t r = SevenZipFolderReader::Open(*file_, f, *keys_, &reader_, &words_); r != kOk) {
        reader_.reset();
        return FolderFailed(r);
      }
    }
    uint64_t at = reader_->position() - (replay_.size() - replayAt_);
    uint64_t skip = start - at;
    if (!replay_.empty()) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(skip, replay_.size() - replayAt_));
      replayAt_ += n;
      skip -= n;
      if (replayAt_ == replay_.size()) ReleaseReplay();
    }
    if (skip > 0) {
      if (int32_t r = reader_->Skip(skip, &words_); r != kOk) return FolderFailed(r);
    }
    return kOk;
  }

  // Before the first file of an archive with encrypted data is written: the password is
  // asked and tried on the first encrypted folder's first file (a decoder error or, where
  // the file is small enough to decode whole here, its CRC). What was decoded is handed out
  // again when that file's data is read.
  int32_t ProvePassword() {
    if (!archive_.dataEncrypted || passwordRight_) return kOk;
    if (proved_) return passwordError_ == kOk ? kOk : Fail(passwordError_, proofWords_);
    proved_ = true;
    int32_t r = TryPassword();
    // A wrong answer is asked again until one decodes or none is given.
    while (r == ERROR_PASSWORD_FILE && keys_->wrong() && keys_->AskAgain()) {
      passwordError_ = kOk;
      r = TryPassword();
    }
    return r;
  }

  int32_t TryPassword() {
    for (const SevenZipItem& item : archive_.items) {
      if (!item.hasStream || !archive_.folders[item.folderIndex].encrypted) continue;
      if (item.streamIndex != 0) continue;
      const SevenZipFolder& f = archive_.folders[item.folderIndex];
      std::string why;
      std::unique_ptr<SevenZipFolderReader> reader;
      int32_t r = SevenZipFolderReader::Open(*file_, f, *keys_, &reader, &why);
      if (r != kOk) {
        passwordError_ = r;
        proofWords_ = why;
        return Fail(r, why);
      }
      uint64_t n = std::min<uint64_t>(item.size, kProofSize);
      std::vector<uint8_t> head(static_cast<size_t>(n));
      size_t at = 0;
      while (r == kOk && at < head.size()) {
        size_t got = 0;
        r = reader->Read(head.data() + at, head.size() - at, &got, &why);
        if (got == 0 && r == kOk) r = ERROR_BROKEN_DATA;
        at += got;
      }
      bool whole = n == item.size;
      if (r != kOk || (whole && item.crc &&
                       *item.crc != static_cast<uint32_t>(
                                        crc32(0, head.data(), static_cast<uInt>(head.size()))))) {
        keys_->MarkWrong();
        passwordError_ = ERROR_PASSWORD_FILE;
        proofWords_ = "the password is wrong";
        return Fail(passwordError_, proofWords_);
      }
      passwordRight_ = whole && item.crc;
      reader_ = std::move(reader);
      readerFolder_ = item.folderIndex;
      folderFailed_ = false;
      replay_ = std::move(head);
      replayAt_ = 0;
      break;
    }
    return kOk;
  }

  std::unique_ptr<PartedFile> file_;  // the archive, or the parts of its volume set
  SevenZipArchive archive_;
  std::unique_ptr<SevenZipKeys> keys_;
  size_t next_ = 0;
  size_t current_ = SIZE_MAX;
  bool started_ = false;
  uint64_t delivered_ = 0;
  uLong crc_ = 0;
  std::unique_ptr<SevenZipFolderReader> reader_;
  uint32_t readerFolder_ = 0;
  bool folderFailed_ = false;  // the reader's folder did not decode: its files fail alike
  int32_t failedCode_ = kOk;
  std::string failedWords_;
  bool proveFirst_;
  bool proved_ = false;
  bool passwordRight_ = false;  // proven by a CRC: a later failure is broken data
  int32_t passwordError_ = kOk;
  std::string proofWords_;
  std::vector<uint8_t> replay_;
  size_t replayAt_ = 0;
  std::vector<uint8_t> buffer_;
  std::string words_;
};

// Our own reader when the archive is a 7Z that libarchive refuses; null with `handled`
// false when the file is to go on to the library's other reader.
std::unique_ptr<EntrySource> OpenOwn(const SourceOptions& options, bool proveFirst, int32_t& error,
                                     bool& handled) {
  handled = false;
  if (!(options.formats & kFormat7z)) return nullptr;
  auto file = std::make_unique<PartedFile>();
  if (!file->Open(VolumeParts(options.path)) || !SevenZipSignatureAt(*file)) return nullptr;
  auto keys = std::make_unique<SevenZipKeys>(options.password);
  SevenZipArchive archive;
  std::string why;
  int32_t r = ReadSevenZipArchive(*file, *keys, &archive, &why);
  // A header that does not decrypt: the answer was wrong, and the question comes again.
  while (r == ERROR_PASSWORD_FILE && keys->wrong() && keys->AskAgain()) {
    archive = {};
    r = ReadSevenZipArchive(*file, *keys, &archive, &why);
  }
  if (r == ERROR_PASSWORD_FILE) {  // an encrypted header: only we read it
    handled = true;
    error = r;
    return nullptr;
  }
  if (r != kOk || !(archive.headerEncrypted || archive.dataEncrypted)) return nullptr;
  handled = true;
  error = kOk;
  return std::make_unique<SevenZipSource>(std::move(file), std::move(archive), std::move(keys),
                                          proveFirst);
}

}  // namespace

std::unique_ptr<EntrySource> OpenSevenZipSource(const SourceOptions& options, int32_t& error) {
  bool handled = false;
  auto own = OpenOwn(options, true, error, handled);
  if (handled) return own;
  return OpenLibarchiveSource(options, error);
}

std::unique_ptr<EntrySource> OpenSevenZipListSource(const SourceOptions& options, int32_t& error) {
  bool handled = false;
  auto own = OpenOwn(options, false, error, handled);
  if (handled) return own;
  return OpenZipDirectorySource(options, error);
}

}  // namespace qvr::arc
