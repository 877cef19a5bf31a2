#include "LzhNames.h"

#include <iconv.h>

#include <cstdint>
#include <vector>

namespace qvr::lzh {

bool IsValidUtf8(const std::string& s) {
  size_t i = 0, n = s.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    int extra;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
      extra = 1, cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2, cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3, cp = c & 0x07;
    } else {
      return false;
    }
    if (n - i <= static_cast<size_t>(extra)) return false;
    for (int k = 1; k <= extra; ++k) {
      unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
        (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
      return false;
    i += extra + 1;
  }
  return true;
}

NameEncoding GuessEncoding(const std::string& raw) {
  return IsValidUtf8(raw) ? NameEncoding::kUtf8 : NameEncoding::kCp932;
}

std::string NormalizeSeparators(const std::string& raw) {
  const bool dbcs = !IsValidUtf8(raw);
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

namespace {

bool Convert(const char* to, const char* from, const std::string& in, std::string* out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::vector<char> buf(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = buf.data();
  size_t dstLeft = buf.size();
  size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  bool ok = r != static_cast<size_t>(-1) && srcLeft == 0 &&
            iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<size_t>(-1);
  iconv_close(cd);
  if (ok) out->assign(buf.data(), dst - buf.data());
  return ok;
}

}  // namespace

bool Utf8ToCp932(const std::string& utf8, std::string* out) {
  return Convert("CP932", "UTF-8", utf8, out);
}

bool Cp932ToUtf8(const std::string& cp932, std::string* out) {
  return Convert("UTF-8", "CP932", cp932, out);
}

NameEncoding EncodeName(const std::string& utf8, std::string* stored) {
  if (Utf8ToCp932(utf8, stored)) return NameEncoding::kCp932;
  *stored = utf8;
  return NameEncoding::kUtf8;
}

}  // namespace qvr::lzh
