#include "LzhNames.h"

#include "Text.h"

namespace qvr::lzh {

NameEncoding GuessEncoding(const std::string& raw) {
  return arc::IsValidUtf8(raw) ? NameEncoding::kUtf8 : NameEncoding::kCp932;
}

std::string NormalizeSeparators(const std::string& raw) {
  const bool dbcs = !arc::IsValidUtf8(raw);
  std::string out;
  for (size_t i = 0; i < raw.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(raw[i]);
    bool lead = dbcs && ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC));
    if (lead && i + 1 < raw.size()) {
      out += raw[i];
      out += raw[++i];
      continue;
    }
    if (c == 0xFF || c == '/' || c == '\\') {
      if (!out.empty() && out.back() != '/') out += '/';
      continue;
    }
    out += raw[i];
  }
  if (!out.empty() && out.back() == '/') out.pop_back();
  return out;
}

NameEncoding EncodeName(const std::string& utf8, std::string* stored) {
  if (arc::Utf8ToCp932(utf8, stored)) return NameEncoding::kCp932;
  *stored = utf8;
  return NameEncoding::kUtf8;
}

}  // namespace qvr::lzh
