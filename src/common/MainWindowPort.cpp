#include "MainWindowPort.h"

#include <cstdio>
#include <map>

namespace qvr {

std::vector<std::string> ListEntries(const MainWindowPort& window) {
  std::vector<std::string> entries;
  for (int i = 0; i < window.listCount(); ++i) entries.push_back(window.listItem(i));
  return entries;
}

void RemoveWorkedEntries(MainWindowPort& window, const std::vector<std::string>& worked) {
  int count = window.listCount();
  if (size_t(count) == worked.size()) {
    bool same = true;
    for (int i = 0; same && i < count; ++i) same = window.listItem(i) == worked[size_t(i)];
    if (same) {
      window.listClear();
      return;
    }
  }
  std::map<std::string, int> pending;
  for (const std::string& path : worked) ++pending[path];
  for (int i = window.listCount() - 1; i >= 0; --i) {
    auto found = pending.find(window.listItem(i));
    if (found == pending.end() || found->second == 0) continue;
    --found->second;
    window.listRemove(i);
  }
}

std::string FormatElapsed(std::chrono::seconds elapsed) {
  long long total = elapsed.count() < 0 ? 0 : elapsed.count();
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", total / 3600, total / 60 % 60,
                total % 60);
  return text;
}

}  // namespace qvr
