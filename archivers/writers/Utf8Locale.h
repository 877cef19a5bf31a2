// libarchive converts entry names through the current locale; a writer that runs in a process
// whose locale is not UTF-8 switches this thread to C.UTF-8 while it works.
#pragma once

#include <locale.h>
#include <clocale>

namespace qvr::writers {

class ScopedUtf8Locale {
 public:
  ScopedUtf8Locale() {
    locale_ = newlocale(LC_ALL_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (locale_) previous_ = uselocale(locale_);
  }
  ~ScopedUtf8Locale() {
    if (!locale_) return;
    uselocale(previous_);
    freelocale(locale_);
  }
  ScopedUtf8Locale(const ScopedUtf8Locale&) = delete;
  ScopedUtf8Locale& operator=(const ScopedUtf8Locale&) = delete;

 private:
  locale_t locale_ = static_cast<locale_t>(0);
  locale_t previous_ = static_cast<locale_t>(0);
};

}  // namespace qvr::writers
