#include "MainWindowPort.h"

#include <cstdio>

namespace qvr {

std::string FormatElapsed(std::chrono::seconds elapsed) {
  long long total = elapsed.count() < 0 ? 0 : elapsed.count();
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                total % 60);
  return text;
}

}  // namespace qvr
