#include "LzhMethods.h"

#include "ArcErrors.h"

namespace qvr::arc {

int32_t DecodeOwnMethod(const std::string& archivePath, const Entry& entry, std::string& words) {
  (void)archivePath;
  words = "LZH method " + entry.method + " of " + entry.path + " is not supported";
  return ERROR_METHOD;
}

namespace {

// libarchive's reader with the unsupported methods handed to DecodeOwnMethod.
class LzhSource final : public EntrySource {
 public:
  LzhSource(std::unique_ptr<EntrySource> inner, std::string path)
      : inner_(std::move(inner)), path_(std::move(path)) {}

  int32_t Next(Entry& entry) override {
    words_.clear();
    int32_t r = inner_->Next(entry);
    if (r == kOk) current_ = entry;
    return r;
  }
  int32_t Read(const void** data, size_t* len) override {
    int32_t r = inner_->Read(data, len);
    if (r == ERROR_METHOD) return DecodeOwnMethod(path_, current_, words_);
    return r;
  }
  std::string ErrorWords() const override { return words_.empty() ? inner_->ErrorWords() : words_; }
  bool FormatKnown() const override { return inner_->FormatKnown(); }

 private:
  std::unique_ptr<EntrySource> inner_;
  std::string path_;
  Entry current_;
  std::string words_;
};

}  // namespace

std::unique_ptr<EntrySource> OpenLzhSource(const SourceOptions& options, int32_t& error) {
  auto inner = OpenLibarchiveSource(options, error);
  if (!inner) return nullptr;
  return std::make_unique<LzhSource>(std::move(inner), options.path);
}

}  // namespace qvr::arc
