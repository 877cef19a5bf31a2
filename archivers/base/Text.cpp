#include "Text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <vector>

namespace qvr::arc {

bool IsValidUtf8(const std::string& s) {
  const auto* p = reinterpret_cast<const unsigned char*>(s.data());
  const auto* end = p + s.size();
  while (p < end) {
    unsigned c = *p;
    int n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
    if (n < 0 || end - p < n + 1) return false;
    unsigned cp = n == 0 ? c : n == 1 ? (c & 0x1F) : n == 2 ? (c & 0x0F) : (c & 0x07);
    for (int i = 1; i <= n; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (p[i] & 0x3F);
    }
    static const unsigned kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    p += n + 1;
  }
  return true;
}

bool IsAscii(const std::string& s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

namespace {

// One converter each way per thread: names are converted in tight loops over large
// archives. The program calls us from short-lived worker threads, so each converter is
// closed with its thread.
struct Converters {
  iconv_t fromCp932 = iconv_open("UTF-8", "CP932");
  iconv_t toCp932 = iconv_open("CP932", "UTF-8");
  ~Converters() {
    for (iconv_t cd : {fromCp932, toCp932})
      if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
};

Converters& ThreadConverters() {
  thread_local Converters converters;
  return converters;
}

// Converts the whole text; a byte that does not convert fails it, or with `replace` becomes
// U+FFFD and the conversion goes on after it. False also when there is no converter.
bool Convert(iconv_t cd, const std::string& in, std::string* out, bool replace) {
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  out->clear();
  char* ip = const_cast<char*>(in.data());  // iconv does not write its input
  size_t il = in.size();
  char buffer[256];
  while (il > 0) {
    char* op = buffer;
    size_t ol = sizeof buffer;
    size_t r = iconv(cd, &ip, &il, &op, &ol);
    out->append(buffer, static_cast<size_t>(op - buffer));
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      if (!replace) return false;
      *out += "\xEF\xBF\xBD";  // one undecodable byte
      ++ip;
      --il;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  char* op = buffer;
  size_t ol = sizeof buffer;
  if (iconv(cd, nullptr, nullptr, &op, &ol) == static_cast<size_t>(-1) && !replace) return false;
  out->append(buffer, static_cast<size_t>(op - buffer));
  return true;
}

}  // namespace

bool Cp932ToUtf8(const std::string& cp932, std::string* out) {
  std::string converted;
  if (!Convert(ThreadConverters().fromCp932, cp932, &converted, false)) return false;
  *out = std::move(converted);
  return true;
}

std::string Cp932ToUtf8Lossy(const std::string& cp932) {
  std::string out;
  return Convert(ThreadConverters().fromCp932, cp932, &out, true) ? out : cp932;
}

std::string ToUtf8Lossy(const std::string& raw, const std::string& codePage) {
  if (codePage == "CP932") return Cp932ToUtf8Lossy(raw);
  // A few code pages per thread at most: the ones a user tried on one archive.
  struct Cached {
    std::string codePage;
    iconv_t cd;
  };
  struct Cache {
    std::vector<Cached> converters;
    ~Cache() {
      for (const Cached& c : converters)
        if (c.cd != reinterpret_cast<iconv_t>(-1)) iconv_close(c.cd);
    }
  };
  thread_local Cache cache;
  auto found = std::find_if(cache.converters.begin(), cache.converters.end(),
                            [&](const Cached& c) { return c.codePage == codePage; });
  if (found == cache.converters.end()) {
    cache.converters.push_back({codePage, iconv_open("UTF-8", codePage.c_str())});
    found = cache.converters.end() - 1;
  }
  std::string out;
  return Convert(found->cd, raw, &out, true) ? out : Cp932ToUtf8Lossy(raw);
}

bool Utf8ToCp932(const std::string& utf8, std::string* out) {
  std::string converted;
  if (!Convert(ThreadConverters().toCp932, utf8, &converted, false)) return false;
  *out = std::move(converted);
  return true;
}

std::string AsciiLower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

void AppendUtf16Le(std::string& out, const std::string& text) {
  auto unit = [&](uint32_t u) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>((u >> 8) & 0xFF);
  };
  const auto* s = reinterpret_cast<const uint8_t*>(text.data());
  size_t n = text.size();
  for (size_t i = 0; i < n;) {
    uint32_t c = s[i];
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    bool valid = len > 0 && i + len <= n;
    for (size_t k = 1; valid && k < len; ++k) valid = (s[i + k] & 0xC0) == 0x80;
    if (valid && len > 1) {
      c &= 0xFF >> (len + 1);
      for (size_t k = 1; k < len; ++k) c = (c << 6) | (s[i + k] & 0x3F);
      static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
      valid = c >= kSmallest[len] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
    }
    if (!valid) {
      unit(0xFFFD);
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      unit(0xD800 + ((c - 0x10000) >> 10));
      unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      unit(c);
    }
    i += len;
  }
}

std::string Utf16LeToUtf8(const unsigned char* data, size_t units) {
  std::string out;
  out.reserve(units);
  for (size_t i = 0; i < units; ++i) {
    uint32_t c = data[2 * i] | (data[2 * i + 1] << 8);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units) {
      uint32_t low = data[2 * i + 2] | (data[2 * i + 3] << 8);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
        ++i;
      }
    }
    if (c >= 0xD800 && c <= 0xDFFF) c = 0xFFFD;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

}  // namespace qvr::arc
