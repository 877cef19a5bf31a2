#include "ArjSource.h"

#include <sys/stat.h>

#include <cstdio>

#include "ArcErrors.h"
#include "ArjArchive.h"
#include "LzhFiles.h"
#include "NameDecoder.h"
#include "ZipDirectory.h"

namespace qvr::arc {
namespace {

const char* MethodName(uint8_t method) {
  static const char* const kNames[] = {"Stored", "Method1", "Method2", "Method3", "Method4"};
  return method < 5 ? kNames[method] : "ARJ";
}

class ArjSource final : public EntrySource {
 public:
  explicit ArjSource(std::string path)
      : path_(std::move(path)), reader_([this](unsigned volume) { return OpenVolume(volume); }) {}

  int32_t Open() {
    struct stat st;
    if (stat(path_.c_str(), &st) != 0) return ERROR_NOT_EXIST;
    if (!S_ISREG(st.st_mode)) return ERROR_ARC_FILE_OPEN;
    FileRandomAccess probe(path_);
    if (!probe.IsOpen()) return ERROR_ARC_FILE_OPEN;
    return reader_.Open() ? kOk : ERROR_NOT_ARC_FILE;
  }

  int32_t Next(Entry& entry) override {
    words_.clear();
    decoder_.reset();
    for (;;) {
      switch (reader_.NextEntry(&current_)) {
        case arj::ArchiveReader::Next::kEnd:
          return kEnd;
        case arj::ArchiveReader::Next::kBroken:
          words_ = reader_.Error();
          return ERROR_HEADER_BROKEN;
        case arj::ArchiveReader::Next::kEntry:
          break;
      }
      arj::FileType type = current_.header.type;
      // Volume labels and chapter marks are no files.
      if (type == arj::FileType::kBinary || type == arj::FileType::kText ||
          type == arj::FileType::kFolder)
        break;
    }
    Fill(entry);
    return kOk;
  }

  int32_t Read(const void** data, size_t* len) override {
    *len = 0;
    if (current_.header.flags & arj::kGarbled) {
      words_ = current_.header.name + ": garbled (password-protected) ARJ data is not decoded";
      return ERROR_PASSWORD_FILE;
    }
    if (current_.header.type == arj::FileType::kFolder) return kOk;
    if (!decoder_) decoder_ = std::make_unique<arj::EntryDecoder>(reader_, current_);
    const uint8_t* p = nullptr;
    lzh::DecodeStatus st = decoder_->Read(&p, len);
    *data = p;
    if (st != lzh::DecodeStatus::kOk) {
      words_ = current_.header.name + ": " + lzh::DescribeStatus(st);
      *len = 0;
    }
    return ResultOf(st);
  }

  std::string ErrorWords() const override { return words_; }
  bool FormatKnown() const override { return true; }

 private:
  std::unique_ptr<lzh::RandomAccessSource> OpenVolume(unsigned volume) {
    std::string name = ArjVolumeName(path_, volume);
    if (name.empty()) return nullptr;
    auto file = std::make_unique<FileRandomAccess>(name);
    if (!file->IsOpen()) return nullptr;
    return file;
  }

  void Fill(Entry& entry) const {
    const arj::Header& h = current_.header;
    entry = Entry{};
    entry.path = DecodeEntryName(h.name);
    bool folder = h.type == arj::FileType::kFolder;
    entry.kind = folder ? Entry::Kind::Folder : Entry::Kind::File;
    if (folder && !entry.path.empty() && entry.path.back() != '/') entry.path += '/';
    entry.size = folder ? 0 : static_cast<int64_t>(current_.size);
    if (!folder) entry.compressedSize = static_cast<int64_t>(current_.packedSize);
    if (arj::UnixTimes(h.hostOs)) {
      entry.mtime = static_cast<time_t>(h.stamp);
    } else {
      entry.dosStamp = h.stamp;
      entry.mtime = static_cast<time_t>(FromDosTime(h.stamp & 0xFFFF, h.stamp >> 16));
    }
    entry.mtimeSet = true;
    if (arj::UnixTimes(h.hostOs)) {
      entry.perm = h.mode & 07777;
    } else {
      entry.perm = (h.mode & 0x01) ? 0444 : 0644;  // the MS-DOS read-only attribute
      if (folder) entry.perm = 0755;
    }
    entry.encrypted = h.flags & arj::kGarbled;
    entry.method = folder ? "Stored" : MethodName(h.method);
    entry.headerOffset = static_cast<int64_t>(h.offset);
  }

  std::string path_;
  arj::ArchiveReader reader_;
  arj::Entry current_;
  std::unique_ptr<arj::EntryDecoder> decoder_;
  std::string words_;
};

}  // namespace

std::string ArjVolumeName(const std::string& first, unsigned volume) {
  if (volume == 0) return first;
  size_t slash = first.find_last_of('/');
  size_t dot = first.find_last_of('.');
  bool threeLetters = dot != std::string::npos && (slash == std::string::npos || dot > slash) &&
                      first.size() - dot == 4;
  if (!threeLetters || volume > 99) return "";
  char digits[3];
  std::snprintf(digits, sizeof digits, "%02u", volume);
  return first.substr(0, first.size() - 2) + digits;
}

std::unique_ptr<EntrySource> OpenArjSource(const SourceOptions& options, int32_t& error) {
  auto source = std::make_unique<ArjSource>(options.path);
  error = source->Open();
  if (error != kOk) return nullptr;
  return source;
}

}  // namespace qvr::arc
