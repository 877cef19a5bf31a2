#include "Registry_ShowResult.h"

#include <variant>

#include "Registry.h"

namespace qvr {
namespace {

const char* const kShowResultKey = "Software\\ArchiverDll\\UNZIP32\\Settings";
const char* const kShowResultValue = "ShowResult";

}  // namespace

int32_t TurnShowResultOff() {
  RegValue value =
      RegRead(RegRoot::CurrentUser, kShowResultKey, kShowResultValue, kRegDword, int32_t(0));
  int32_t showResult = std::get<int32_t>(value);
  if (showResult != 0)
    RegWrite(RegRoot::CurrentUser, kShowResultKey, kShowResultValue, kRegDword, int32_t(0));
  return showResult;
}

void RestoreShowResult(int32_t saved) {
  if (saved == 0 || saved == -1) return;
  RegWrite(RegRoot::CurrentUser, kShowResultKey, kShowResultValue, kRegDword, saved);
}

}  // namespace qvr
