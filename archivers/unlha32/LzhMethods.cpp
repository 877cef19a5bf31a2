#include "LzhMethods.h"

#include "ArcErrors.h"
#include "LzhArchive.h"
#include "LzhFiles.h"

namespace qvr::arc {
namespace {

// One entry's data through our own decoder.
class OwnDecoder {
 public:
  explicit OwnDecoder(const std::string& archivePath) : file_(archivePath), reader_(file_) {}

  int32_t Open(const Entry& entry, std::string& words) {
    if (!file_.IsOpen()) {
      words = "cannot open the archive";
      return ERROR_ARC_FILE_OPEN;
    }
    if (entry.headerOffset < 0 || !Locate(static_cast<uint64_t>(entry.headerOffset), entry)) {
      words = "the header of " + entry.path + " does not read";
      return ERROR_HEADER_BROKEN;
    }
    range_ = std::make_unique<lzh::RangeSource>(file_, e_.dataOffset, e_.header.packedSize);
    lzh::DecodeRequest req;
    req.method = e_.header.method;
    req.packedSize = e_.header.packedSize;
    req.originalSize = e_.header.originalSize;
    req.crc = e_.header.crc;
    req.checkCrc = e_.header.hasCrc;
    decoder_ = std::make_unique<lzh::StreamDecoder>(req, *range_);
    return kOk;
  }

  // libarchive counts the header offset from the archive's start, which in a
  // self-extracting file lies after the stub.
  bool Locate(uint64_t offset, const Entry& entry) {
    auto found = [&](uint64_t at) {
      return reader_.EntryAt(at, &e_) && e_.header.methodId == entry.method;
    };
    return found(offset) || (reader_.Open() && found(reader_.StartOffset() + offset));
  }

  int32_t Read(const void** data, size_t* len, const std::string& path, std::string& words) {
    const uint8_t* p = nullptr;
    lzh::DecodeStatus st = decoder_->Read(&p, len);
    *data = p;
    if (st != lzh::DecodeStatus::kOk) words = path + ": " + lzh::DescribeStatus(st);
    return ResultOf(st);
  }

 private:
  FileRandomAccess file_;
  lzh::ArchiveReader reader_;
  lzh::Entry e_;
  std::unique_ptr<lzh::RangeSource> range_;
  std::unique_ptr<lzh::StreamDecoder> decoder_;
};

// libarchive's reader; an entry whose method it lacks goes to OwnDecoder.
class LzhSource final : public EntrySource {
 public:
  LzhSource(std::unique_ptr<EntrySource> inner, std::string path)
      : inner_(std::move(inner)), path_(std::move(path)) {}

  int32_t Next(Entry& entry) override {
    words_.clear();
    own_.reset();
    int32_t r = inner_->Next(entry);
    if (r == kOk) current_ = entry;
    return r;
  }
  int32_t Read(const void** data, size_t* len) override {
    if (!own_) {
      int32_t r = inner_->Read(data, len);
      if (r != ERROR_METHOD) return r;
      own_ = std::make_unique<OwnDecoder>(path_);
      if (int32_t e = own_->Open(current_, words_); e != kOk) return e;
    }
    return own_->Read(data, len, current_.path, words_);
  }
  std::string ErrorWords() const override { return words_.empty() ? inner_->ErrorWords() : words_; }
  bool FormatKnown() const override { return inner_->FormatKnown(); }

 private:
  std::unique_ptr<EntrySource> inner_;
  std::string path_;
  Entry current_;
  std::string words_;
  std::unique_ptr<OwnDecoder> own_;
};

}  // namespace

std::unique_ptr<EntrySource> OpenLzhSource(const SourceOptions& options, int32_t& error) {
  auto inner = OpenLibarchiveSource(options, error);
  if (!inner) return nullptr;
  return std::make_unique<LzhSource>(std::move(inner), options.path);
}

}  // namespace qvr::arc
