#include "NameDecoder.h"

#include <iconv.h>

#include <cerrno>

namespace qvr::arc {

namespace {

// The UTF-8 locale every entry call runs under; freed when the library is unloaded, so a
// host that unloads and loads a library again leaks nothing.
struct Utf8LocaleHolder {
  locale_t loc;
  Utf8LocaleHolder() {
    loc = newlocale(LC_ALL_MASK, "C.UTF-8", nullptr);
    if (!loc) loc = newlocale(LC_ALL_MASK, "C", nullptr);
  }
  ~Utf8LocaleHolder() {
    if (loc) freelocale(loc);
  }
};

}  // namespace

static locale_t Utf8Locale() {
  static Utf8LocaleHolder holder;
  return holder.loc;
}

LocaleScope::LocaleScope() {
  previous_ = uselocale(Utf8Locale());
}
LocaleScope::~LocaleScope() {
  uselocale(previous_);
}

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

// One converter per thread: names are decoded in tight loops over large archives. The
// program calls us from short-lived worker threads, so each converter is closed with its
// thread.
struct Cp932Converter {
  iconv_t cd = iconv_open("UTF-8", "CP932");
  ~Cp932Converter() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
};

static std::string FromCp932(const std::string& raw) {
  thread_local Cp932Converter converter;
  iconv_t cd = converter.cd;
  if (cd == reinterpret_cast<iconv_t>(-1)) return raw;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  std::string in = raw;
  char* ip = in.data();
  size_t il = in.size();
  char buf[256];
  while (il > 0) {
    char* op = buf;
    size_t ol = sizeof buf;
    size_t r = iconv(cd, &ip, &il, &op, &ol);
    out.append(buf, op - buf);
    if (r == static_cast<size_t>(-1) && errno != E2BIG) {
      out += "\xEF\xBF\xBD";  // one undecodable byte
      ++ip;
      --il;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

std::string DecodeEntryName(const std::string& raw) {
  std::string name = IsValidUtf8(raw) ? raw : FromCp932(raw);
  // After decoding, a "\" can only be a separator written by a Windows tool: the CP932
  // trail byte 0x5C has become part of its character.
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return name;
}

bool NarrowLatin1(const std::string& utf8, std::string& raw) {
  raw.clear();
  for (size_t i = 0; i < utf8.size(); ++i) {
    auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      raw += static_cast<char>(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
      raw += static_cast<char>(((c & 0x03) << 6) | (utf8[++i] & 0x3F));
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace qvr::arc
