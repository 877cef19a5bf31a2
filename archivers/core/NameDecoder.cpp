#include "NameDecoder.h"

#include "Text.h"

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

namespace {
thread_local std::string tCodePage;  // "" for CP932
thread_local uint64_t tGuesses = 0;  // names of this thread decoded from the code page
}  // namespace

void SetNameCodePage(const std::string& codePage) {
  tCodePage = codePage;
}

const std::string& ChosenNameCodePage() {
  return tCodePage;
}

const std::string& NameCodePageOf(const std::string& chosen) {
  static const std::string kAutomatic = "CP932";
  return chosen.empty() ? kAutomatic : chosen;
}

CodePageScope::CodePageScope(const std::string& codePage)
    : previous_(tCodePage), guessesBefore_(tGuesses) {
  tCodePage = codePage;
}

CodePageScope::~CodePageScope() {
  tCodePage = previous_;
}

bool CodePageScope::guessed() const {
  return tGuesses != guessesBefore_;
}

std::string DecodeEntryName(const std::string& raw, NameFlag flag) {
  std::string name = raw;
  const bool valid = IsValidUtf8(raw);
  if (!IsAscii(raw) && !(flag == NameFlag::Utf8 && valid)) {
    // Without the flag the encoding is a guess: valid UTF-8 stays UTF-8 unless the host chose
    // a code page for names the archive marks as not UTF-8.
    if (flag == NameFlag::NotUtf8 || !valid) ++tGuesses;
    if (!valid || (flag == NameFlag::NotUtf8 && !tCodePage.empty()))
      name = ToUtf8Lossy(raw, NameCodePageOf(tCodePage));
  }
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
