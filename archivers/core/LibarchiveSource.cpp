// The libarchive reader behind every library: only the formats the library serves are
// enabled, ZIP uses the seeking reader (self-extracting files), names are read as raw bytes
// and decoded by our own rules.
#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <map>
#include <vector>

#include <zlib.h>

#include "ArcErrors.h"
#include "Deflate64.h"
#include "EntrySource.h"
#include "FdIo.h"
#include "NameDecoder.h"
#include "Text.h"
#include "ZipDirectory.h"
#include "qvr/VolumeNames.h"

namespace qvr::arc {
namespace {

constexpr size_t kBlockSize = 64 * 1024;

bool Has(const std::string& s, const char* word) {
  return s.find(word) != std::string::npos;
}

// The one place where libarchive's failure texts become our result codes.
int32_t MapError(struct archive* a, int32_t fallback, bool lha) {
  const char* text = archive_error_string(a);
  std::string m = AsciiLower(text ? text : "");
  if (Has(m, "passphrase") || Has(m, "decrypt") || Has(m, "encrypt")) return ERROR_PASSWORD_FILE;
  if (lha && Has(m, "compression method")) return ERROR_METHOD;
  if (Has(m, "unsupported") || Has(m, "not supported") || Has(m, "unavailable") ||
      Has(m, "can't handle") || Has(m, "cannot handle"))
    return ERROR_NOT_SUPPORT;
  if (Has(m, "crc") || Has(m, "checksum")) return ERROR_FILE_CRC;
  if (Has(m, "truncat") || Has(m, "premature") || Has(m, "unexpected end") || Has(m, "damaged") ||
      Has(m, "corrupt") || Has(m, "invalid") || Has(m, "bad "))
    return ERROR_BROKEN_DATA;
  return fallback;
}

std::string MethodOf(struct archive* a, struct archive_entry* e) {
  const char* n = archive_format_name(a);
  std::string name = n ? n : "";
  std::string low = AsciiLower(name);
  switch (archive_format(a) & ARCHIVE_FORMAT_BASE_MASK) {
    case ARCHIVE_FORMAT_ZIP:
      if (archive_entry_filetype(e) == AE_IFDIR || Has(low, "uncompressed")) return "Stored";
      if (Has(low, "deflation-64")) return "Defl64";  // as the central directory names it
      if (Has(low, "deflation")) return "Deflate";
      if (Has(low, "bzip2")) return "BZip2";
      if (Has(low, "lzma")) return "LZMA";
      if (Has(low, "xz")) return "XZ";
      if (Has(low, "zstd")) return "Zstd";
      return "ZIP";
    case ARCHIVE_FORMAT_LHA: {
      size_t p = name.find('-');
      return p == std::string::npos ? "LHA" : name.substr(p, 5);
    }
    case ARCHIVE_FORMAT_7ZIP:
      return "7Z";
    case ARCHIVE_FORMAT_CAB:
      return "CAB";
    case ARCHIVE_FORMAT_RAR:
      return "RAR";
    case ARCHIVE_FORMAT_RAR_V5:
      return "RAR5";
    case ARCHIVE_FORMAT_RAW: {
      const char* f = archive_filter_name(a, 0);
      return f ? f : "raw";
    }
    default:
      return "TAR";
  }
}

// The original name a gzip member stores (FNAME), "" when it has none.
std::string GzipStoredName(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char h[10];
  if (!in.read(reinterpret_cast<char*>(h), 10) || h[0] != 0x1F || h[1] != 0x8B) return "";
  if (h[3] & 0x04) {  // FEXTRA
    unsigned char x[2];
    if (!in.read(reinterpret_cast<char*>(x), 2)) return "";
    in.ignore(x[0] | (x[1] << 8));
  }
  if (!(h[3] & 0x08)) return "";
  std::string name;
  char c;
  while (name.size() < 1024 && in.get(c) && c != '\0') name += c;
  size_t slash = name.find_last_of("/\\");
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

// The original size a gzip file keeps in its last four bytes (modulo 4 GiB); -1 when the
// file is no gzip file.
int64_t GzipStoredSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char h[2];
  if (!in.read(reinterpret_cast<char*>(h), 2) || h[0] != 0x1F || h[1] != 0x8B) return -1;
  unsigned char t[4];
  if (!in.seekg(-4, std::ios::end) || !in.read(reinterpret_cast<char*>(t), 4)) return -1;
  return t[0] | (t[1] << 8) | (t[2] << 16) | (static_cast<int64_t>(t[3]) << 24);
}

// A single compressed file extracts under its stored name, else the archive's name without
// its last extension.
std::string CompressedFileName(const std::string& archivePath) {
  std::string stored = GzipStoredName(archivePath);
  if (!stored.empty()) return DecodeEntryName(stored);
  size_t slash = archivePath.find_last_of('/');
  std::string base = slash == std::string::npos ? archivePath : archivePath.substr(slash + 1);
  size_t dot = base.find_last_of('.');
  if (dot != std::string::npos && dot > 0) base.erase(dot);
  return base.empty() ? "data" : base;
}

uint32_t Le32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The stored size that ZIP and LZH headers record, read at the entry's header; -1 when the
// header does not tell (a ZIP entry with a data descriptor, another format).
int64_t PackedSizeAt(int fd, int format, int64_t offset) {
  unsigned char h[30];
  if (fd < 0 || offset < 0 || pread(fd, h, sizeof h, offset) != static_cast<ssize_t>(sizeof h))
    return -1;
  if (format == ARCHIVE_FORMAT_ZIP && std::memcmp(h, "PK\3\4", 4) == 0) {
    uint32_t packed = Le32(h + 18);
    return (h[6] & 0x08) && packed == 0 ? -1 : packed;
  }
  if (format == ARCHIVE_FORMAT_LHA && h[2] == '-' && h[6] == '-') {
    int64_t packed = Le32(h + 7);
    if (h[20] != 1) return packed;
    // Level 1 counts its extended headers in the stored size: walk and subtract them.
    int64_t at = offset + h[0] + 2 - 2;
    for (int n = 0; n < 64; ++n) {
      unsigned char z[2];
      if (pread(fd, z, 2, at) != 2) return -1;
      int size = z[0] | (z[1] << 8);
      if (size == 0) return packed;
      packed -= size;
      at += size;
    }
    return -1;
  }
  return -1;
}

// A ZIP entry's data in a method libarchive does not decode (Deflate64), read from the
// entry's local header on: the central directory gives its sizes and CRC.
class OwnZipData {
 public:
  // The directory's first record of this path not read yet (libarchive's header positions
  // do not tell, since its seeking reader skips what it was not asked to read); null when it
  // is no Deflate64 entry.
  static std::unique_ptr<OwnZipData> Open(int fd, const ZipDirectory& dir, const std::string& path,
                                          bool unflaggedAreUtf8, std::vector<bool>& used) {
    used.resize(dir.entries.size());
    for (size_t i = 0; i < dir.entries.size(); ++i) {
      const ZipEntryRecord& e = dir.entries[i];
      if (used[i] || DecodeEntryName(e.name, ZipNameFlag(e.flags, unflaggedAreUtf8)) != path)
        continue;
      used[i] = true;
      unsigned char h[30];
      if (e.method != kMethodDeflate64 || (e.flags & 1) ||
          PreadFull(fd, h, sizeof h, e.localOffset) != sizeof h || std::memcmp(h, "PK\3\4", 4) != 0)
        return nullptr;
      uint64_t data = e.localOffset + 30 + (h[26] | (h[27] << 8)) + (h[28] | (h[29] << 8));
      return std::unique_ptr<OwnZipData>(new OwnZipData(fd, e, data));
    }
    return nullptr;
  }

  int32_t Read(const void** data, size_t* len, std::string& words) {
    const uint8_t* p = nullptr;
    Deflate64Decoder::Status st = decoder_.Read(&p, len);
    if (st != Deflate64Decoder::Status::kOk) {
      words = st == Deflate64Decoder::Status::kCorrupt ? "broken Deflate64 data"
                                                       : "the Deflate64 data ends too early";
      *len = 0;
      return ERROR_BROKEN_DATA;
    }
    if (*len > 0) crc_ = crc32(crc_, p, static_cast<uInt>(*len));
    *data = p;
    if (*len == 0 && crc_ != record_.crc) {
      words = "CRC error";
      return ERROR_FILE_CRC;
    }
    return kOk;
  }

 private:
  static constexpr uint16_t kMethodDeflate64 = 9;

  OwnZipData(int fd, const ZipEntryRecord& e, uint64_t data)
      : record_(e),
        at_(data),
        left_(e.compressedSize),
        decoder_(
            [this, fd](uint8_t* buf, size_t n) {
              size_t want = static_cast<size_t>(std::min<uint64_t>(n, left_));
              size_t got = want ? PreadFull(fd, buf, want, at_) : 0;
              at_ += got;
              left_ -= got;
              return got;
            },
            e.size) {}

  ZipEntryRecord record_;
  uint64_t at_, left_;
  Deflate64Decoder decoder_;
  uLong crc_ = crc32(0, nullptr, 0);
};

class LibarchiveSource final : public EntrySource {
 public:
  explicit LibarchiveSource(const SourceOptions& o) : options_(o) {}
  ~LibarchiveSource() override {
    if (a_) archive_read_free(a_);
  }

  int32_t Open() {
    struct stat st;
    if (stat(options_.path.c_str(), &st) != 0) return ERROR_NOT_EXIST;
    if (!S_ISREG(st.st_mode)) return ERROR_ARC_FILE_OPEN;
    a_ = archive_read_new();
    if (!a_) return ERROR_ARC_FILE_OPEN;
    EnableFormats();
    archive_read_set_passphrase_callback(a_, this, &LibarchiveSource::PassphraseCallback);
    // A volume set is read as the one archive its parts make in order (RAR volumes, ZIP
    // split archives, numbered parts of a 7Z or of any split file).
    volumes_ = VolumeParts(options_.path);
    std::vector<const char*> names;
    for (const auto& v : volumes_) names.push_back(v.c_str());
    names.push_back(nullptr);
    if (options_.formats & (kFormatZip | kFormatLha))
      fd_.reset(open(options_.path.c_str(), O_RDONLY | O_CLOEXEC));
    if (archive_read_open_filenames(a_, names.data(), kBlockSize) != ARCHIVE_OK) {
      int err = archive_errno(a_);
      return err == EACCES || err == EISDIR ? ERROR_ARC_FILE_OPEN : ERROR_NOT_ARC_FILE;
    }
    return kOk;
  }

  int32_t Next(Entry& entry) override {
    struct archive_entry* e = nullptr;
    int r = archive_read_next_header(a_, &e);
    if (r == ARCHIVE_EOF) {
      known_ = known_ || archive_format(a_) != 0;
      return first_ && !Accepted() ? ERROR_NOT_ARC_FILE : kEnd;
    }
    if (r < ARCHIVE_WARN) {
      words_ = ErrorString();
      return MapError(a_, first_ ? ERROR_NOT_ARC_FILE : ERROR_HEADER_BROKEN, IsLha());
    }
    if (first_ && !Accepted()) {
      words_ = "not an archive of this library's format";
      return ERROR_NOT_ARC_FILE;
    }
    first_ = false;
    known_ = true;
    Fill(e, entry);
    if ((archive_format(a_) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_ZIP)
      UseDirectoryName(entry);
    encrypted_ = entry.encrypted;
    path_ = entry.path;
    own_.reset();
    pos_ = 0;
    return kOk;
  }

  int32_t Read(const void** data, size_t* len) override {
    if (own_) return own_->Read(data, len, words_);
    int base = archive_format(a_) & ARCHIVE_FORMAT_BASE_MASK;
    if (encrypted_ && base != ARCHIVE_FORMAT_ZIP) {
      words_ = "encrypted 7-Zip and RAR data cannot be decoded by this library";
      return ERROR_PASSWORD_FILE;
    }
    while (pendingLen_ == 0 && !pendingEnd_) {  // some readers hand out empty blocks
      la_int64_t offset = 0;
      int r = archive_read_data_block(a_, &pending_, &pendingLen_, &offset);
      if (r == ARCHIVE_EOF) {
        pendingEnd_ = true;
        pendingLen_ = 0;
      } else if (r < ARCHIVE_OK) {  // a warning on data is a bad CRC: the file is not whole
        words_ = ErrorString();
        pendingLen_ = 0;
        int32_t code = MapError(a_, ERROR_BROKEN_DATA, IsLha());
        if (code == ERROR_NOT_SUPPORT && base == ARCHIVE_FORMAT_ZIP && pos_ == 0 && OpenOwn())
          return own_->Read(data, len, words_);
        return code;
      } else {
        pendingOffset_ = offset;
      }
    }
    if (pendingEnd_) {
      pendingEnd_ = false;
      *data = nullptr;
      *len = 0;
      return kOk;
    }
    if (pendingOffset_ > pos_) {  // a hole of a sparse entry reads as zeros
      static const char zeros[kBlockSize] = {};
      size_t n = static_cast<size_t>(std::min<int64_t>(pendingOffset_ - pos_, kBlockSize));
      *data = zeros;
      *len = n;
      pos_ += static_cast<int64_t>(n);
      return kOk;
    }
    *data = pending_;
    *len = pendingLen_;
    pos_ = pendingOffset_ + static_cast<int64_t>(pendingLen_);
    pendingLen_ = 0;
    return kOk;
  }

  std::string ErrorWords() const override { return words_; }
  bool FormatKnown() const override { return known_; }
  // The last filter's count is the bytes taken from the file itself.
  int64_t BytesRead() const override { return archive_filter_bytes(a_, -1); }

 private:
  void EnableFormats() {
    unsigned f = options_.formats;
    // Both ZIP readers: the seeking one (self-extracting files, the central directory) wins
    // where it finds a central directory, the streaming one reads what precedes a cut.
    if (f & kFormatZip) archive_read_support_format_zip(a_);
    if (f & kFormat7z) archive_read_support_format_7zip(a_);
    if (f & kFormatLha) {
      archive_read_support_format_lha(a_);
      // Names arrive byte for byte (Latin-1 widens each byte), decoded by our own rules.
      archive_read_set_format_option(a_, "lha", "hdrcharset", "ISO-8859-1");
    }
    if (f & kFormatCab) archive_read_support_format_cab(a_);
    if (f & kFormatRar) {
      archive_read_support_format_rar(a_);
      archive_read_support_format_rar5(a_);
    }
    if (f & kFormatTar) archive_read_support_format_tar(a_);
    if (f & kFormatCompressedFile) archive_read_support_format_raw(a_);
    if (f & (kFormatTar | kFormatCompressedFile)) {
      archive_read_support_filter_gzip(a_);
      archive_read_support_filter_bzip2(a_);
      archive_read_support_filter_compress(a_);
      archive_read_support_filter_xz(a_);
      archive_read_support_filter_lzma(a_);
      archive_read_support_filter_zstd(a_);
      archive_read_support_filter_lz4(a_);
    }
  }

  // Our own decoder for the current ZIP entry, when its method is one we decode.
  bool OpenOwn() {
    if (!fd_.valid()) return false;
    ReadZipFlags();
    own_ = OwnZipData::Open(fd_.get(), Directory(), path_, unflaggedAreUtf8_, zipUsed_);
    if (own_) words_.clear();
    return own_ != nullptr;
  }

  // The ZIP's central directory, read once (empty when it does not read).
  const ZipDirectory& Directory() {
    if (!zipDir_) {
      struct stat st;
      zipDir_ = std::make_unique<ZipDirectory>();
      std::string why;
      if (!fd_.valid() || fstat(fd_.get(), &st) != 0 ||
          ReadZipDirectory(fd_.get(), static_cast<uint64_t>(st.st_size), zipDir_.get(), &why) !=
              kOk)
        zipDir_->entries.clear();
    }
    return *zipDir_;
  }

  static std::string Bare(std::string name) {
    while (!name.empty() && name.back() == '/') name.pop_back();
    return name;
  }

  void ReadZipFlags() {
    if (zipFlagsRead_) return;
    zipFlagsRead_ = true;
    for (const ZipEntryRecord& e : Directory().entries) {
      zipFlags_.emplace(Bare(e.name), e.flags);
      NoteUnflaggedName(e.flags, e.name, &unflaggedAreUtf8_);
    }
  }

  // What a ZIP entry's record says of its name's encoding (the UTF-8 flag); other formats
  // say nothing.
  NameFlag FlagOf(const std::string& raw) {
    if ((archive_format(a_) & ARCHIVE_FORMAT_BASE_MASK) != ARCHIVE_FORMAT_ZIP)
      return NameFlag::Unknown;
    ReadZipFlags();
    auto found = zipFlags_.find(Bare(raw));
    if (found == zipFlags_.end()) return NameFlag::Unknown;
    return ZipNameFlag(found->second, unflaggedAreUtf8_);
  }

  bool IsLha() const {
    return (archive_format(a_) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_LHA;
  }

  // A raw stream counts only when a compression filter was found: any file reads as raw.
  bool Accepted() const {
    int base = archive_format(a_) & ARCHIVE_FORMAT_BASE_MASK;
    if (base == ARCHIVE_FORMAT_RAW) return archive_filter_count(a_) > 1;
    return base != 0;
  }

  std::string RawName(const char* text) const {
    std::string s = text ? text : "";
    std::string raw;
    if (IsLha() && NarrowLatin1(s, raw)) return raw;
    return s;
  }

  void Fill(struct archive_entry* e, Entry& entry) {
    entry = Entry{};
    const char* p = archive_entry_pathname(e);
    if (!p) p = archive_entry_pathname_utf8(e);
    std::string stored = RawName(p);
    entry.path = DecodeEntryName(stored, IsAscii(stored) ? NameFlag::Unknown : FlagOf(stored));
    bool raw = (archive_format(a_) & ARCHIVE_FORMAT_BASE_MASK) == ARCHIVE_FORMAT_RAW;
    if (raw) entry.path = CompressedFileName(options_.path);
    switch (archive_entry_filetype(e)) {
      case AE_IFREG:
        entry.kind = archive_entry_hardlink(e) ? Entry::Kind::Hardlink : Entry::Kind::File;
        break;
      case AE_IFDIR:
        entry.kind = Entry::Kind::Folder;
        break;
      case AE_IFLNK:
        entry.kind = Entry::Kind::Symlink;
        break;
      default:
        entry.kind = archive_entry_hardlink(e) ? Entry::Kind::Hardlink : Entry::Kind::Other;
    }
    if (entry.kind == Entry::Kind::Symlink) {
      entry.linkTarget = DecodeEntryName(RawName(archive_entry_symlink(e)));
    } else if (entry.kind == Entry::Kind::Hardlink) {
      entry.linkTarget = DecodeEntryName(RawName(archive_entry_hardlink(e)));
    }
    entry.size = archive_entry_size_is_set(e) ? archive_entry_size(e) : 0;
    if (raw && !archive_entry_size_is_set(e))
      entry.size = std::max<int64_t>(GzipStoredSize(options_.path), 0);
    // A compressed file's stored size is its length modulo 4 GiB, no declaration.
    entry.sizeDeclared = !raw && archive_entry_size_is_set(e);
    entry.sparse = archive_entry_sparse_count(e) > 0;
    entry.mtimeSet = archive_entry_mtime_is_set(e);
    entry.mtime = archive_entry_mtime(e);
    entry.perm = archive_entry_perm(e) & 07777;
    entry.encrypted = archive_entry_is_encrypted(e);
    entry.method = MethodOf(a_, e);
    entry.headerOffset = archive_read_header_position(a_);
    if (entry.kind == Entry::Kind::File)
      entry.compressedSize = PackedSizeAt(fd_.get(), archive_format(a_) & ARCHIVE_FORMAT_BASE_MASK,
                                          entry.headerOffset);
  }

  // libarchive names a ZIP entry by its local header; the listing shows the central
  // directory's name, as 7-Zip and Info-ZIP extract it. Where the two disagree the
  // directory's name wins and the report says so.
  void UseDirectoryName(Entry& entry) {
    if (!zipFixesRead_) {
      zipFixesRead_ = true;
      if (fd_.valid()) zipFixes_ = ZipNamesToFix(fd_.get());
    }
    if (zipFixes_.empty()) return;
    std::string local = entry.path;
    bool slash = !local.empty() && local.back() == '/';
    while (!local.empty() && local.back() == '/') local.pop_back();
    auto found = zipFixes_.find(local);
    if (found == zipFixes_.end() || found->second.empty()) return;
    std::string central = std::move(found->second.front());
    found->second.pop_front();
    if (central == local) return;
    entry.note = "the central directory names it " + central + ", its local header " + local;
    entry.path = central + (slash ? "/" : "");
  }

  std::string ErrorString() const {
    const char* t = archive_error_string(a_);
    return t ? t : "the archive could not be read";
  }

  static const char* PassphraseCallback(struct archive*, void* self) {
    auto* s = static_cast<LibarchiveSource*>(self);
    // libarchive asks again only when every answer so far failed on the entry in hand.
    if (s->passwordRefused_ || !s->options_.password) return nullptr;
    if (!s->options_.password(s->passwordAsks_++, s->password_)) {
      s->passwordRefused_ = true;  // a cancelled question is not asked again in this call
      return nullptr;
    }
    return s->password_.c_str();
  }

  SourceOptions options_;
  struct archive* a_ = nullptr;
  UniqueFd fd_;  // the archive file, for sizes that headers record and libarchive omits
  std::unique_ptr<ZipDirectory> zipDir_;      // read once, when an entry needs it
  std::map<std::string, uint16_t> zipFlags_;  // the flags of each ZIP name, as stored
  bool unflaggedAreUtf8_ = true;              // every name stored without the flag is UTF-8
  bool zipFlagsRead_ = false;
  std::unique_ptr<OwnZipData> own_;
  std::vector<bool> zipUsed_;  // directory records our own decoder has read
  std::string path_;           // the current entry's
  ZipNameFixes zipFixes_;
  bool zipFixesRead_ = false;
  std::vector<std::string> volumes_;
  std::string words_;
  std::string password_;
  int passwordAsks_ = 0;
  bool passwordRefused_ = false;
  bool first_ = true;
  bool known_ = false;
  bool encrypted_ = false;
  const void* pending_ = nullptr;
  size_t pendingLen_ = 0;
  int64_t pendingOffset_ = 0;
  bool pendingEnd_ = false;
  int64_t pos_ = 0;
};

}  // namespace

std::unique_ptr<EntrySource> OpenLibarchiveSource(const SourceOptions& options, int32_t& error) {
  auto source = std::make_unique<LibarchiveSource>(options);
  error = source->Open();
  if (error != kOk) return nullptr;
  return source;
}

}  // namespace qvr::arc
