#include "ArchiverDLLStatus.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <optional>

#include "AppFolder.h"
#include "ArchiverCatalogue.h"
#include "MainWindowPort.h"
#include "Settings.h"
#include "Translate.h"
#include "cExecute.h"

namespace qvr {
namespace {

std::string FailureText() {
  return Tr("ArchiverDLLStatus",
            "QuiverExtractorの対応DLLが変化しました。\nQuiver Extractorを再起動して下さい。");
}
constexpr int kCacheDays = 30;

std::chrono::sys_days Today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return std::chrono::year{local.tm_year + 1900} / (local.tm_mon + 1) / local.tm_mday;
}

std::string FormatDay(std::chrono::sys_days day) {
  std::chrono::year_month_day ymd{day};
  char text[16];
  std::snprintf(text, sizeof text, "%04d/%02u/%02u", int(ymd.year()), unsigned(ymd.month()),
                unsigned(ymd.day()));
  return text;
}

// "YYYY/MM/DD" (month and day may have one digit); nullopt for anything else.
std::optional<std::chrono::sys_days> ParseDay(const std::string& text) {
  int year = 0, month = 0, day = 0, used = 0;
  if (std::sscanf(text.c_str(), "%4d/%2d/%2d%n", &year, &month, &day, &used) != 3 ||
      size_t(used) != text.size() || text.find_first_of(" +-") != std::string::npos)
    return std::nullopt;
  std::chrono::year_month_day ymd{std::chrono::year{year}, std::chrono::month(unsigned(month)),
                                  std::chrono::day(unsigned(day))};
  if (!ymd.ok()) return std::nullopt;
  return std::chrono::sys_days{ymd};
}

std::optional<bool> ParseFlag(const std::string& text) {
  if (text == "True") return true;
  if (text == "False") return false;
  return std::nullopt;
}

std::string ReadStatus(const std::string& key) {
  return CutAtNull(GetIniString(kDllStatusIni, "DLLSTATUS", key));
}

bool CacheExists() {
  std::error_code ec;
  return std::filesystem::is_regular_file(AppFile(kDllStatusIni), ec);
}

void DeleteCache() {
  std::error_code ec;
  std::filesystem::remove(AppFile(kDllStatusIni), ec);
}

// Step 2: drops a cache that is too old or of an older layout. False on a damaged date.
bool DropStaleCache() {
  if (!CacheExists()) return true;
  auto written = ParseDay(CutAtNull(GetIniString(kDllStatusIni, "WRITEDAY", "VALUE")));
  if (!written) return false;
  if ((Today() - *written).count() > kCacheDays) DeleteCache();
  if (GetIniInt(kDllStatusIni, "VERSION", "VALUE") <= kDllStatusVersion) DeleteCache();
  return true;
}

// Step 3: the cached flags and tool folders. False on a value other than True/False.
bool ReadCache(LibraryStatus& status) {
  if (!CacheExists()) return true;
  for (const LibRow& component : kLibRows) {
    std::optional<bool> flag = ParseFlag(ReadStatus(std::string(component.statusKey)));
    if (!flag) return false;
    status.*component.flag = *flag;
    if (component.lib == Lib::Yz2Enc) {
      status.YZ2DECPath = ReadStatus("YZ2DECPath");
      status.YZ2ENCPath = ReadStatus("YZ2ENCPath");
    } else if (component.lib == Lib::Rk) {
      status.RKEXEPath = ReadStatus("RKEXEPath");
    }
  }
  return true;
}

// Step 4: probes every component not known to be present, noting each key's value to be
// written; true when any was probed.
bool ProbeMissing(LibraryStatus& status, std::vector<profile::Write>& writes) {
  bool probed = false;
  for (const LibRow& component : kLibRows) {
    if (status.*component.flag) continue;
    std::string folder;
    bool found = ProbeComponent(component, &folder);
    status.*component.flag = found;
    writes.push_back({"DLLSTATUS", std::string(component.statusKey), found ? "True" : "False"});
    if (component.path) {
      status.*component.path = found ? folder : "";
      writes.push_back({"DLLSTATUS", std::string(component.pathKey), status.*component.path});
    }
    probed = true;
  }
  return probed;
}

}  // namespace

bool LibraryStatus::Flag(std::string_view key) const {
  const LibRow* row = LibRowOfKey(key);
  return row && this->*row->flag;
}

bool* LibraryStatus::FlagPtr(std::string_view key) {
  const LibRow* row = LibRowOfKey(key);
  return row ? &(this->*row->flag) : nullptr;
}

namespace {

std::function<bool()>& MailComponentProbe() {
  static std::function<bool()> probe;
  return probe;
}

}  // namespace

void SetMailComponentProbe(std::function<bool()> probe) {
  MailComponentProbe() = std::move(probe);
}

bool ProbeComponent(const LibRow& component, std::string* folder) {
  std::string found;
  bool present = false;
  std::string fileName(component.fileName);
  if (component.kind == LibKind::Mail) {
    present = MailComponentProbe() && MailComponentProbe()();
  } else if (component.lib == Lib::Yz2Dec) {
    // yz2dec is only taken from the application folder itself.
    std::error_code ec;
    present = std::filesystem::exists(AppFolder() + fileName, ec);
    if (present) found = AppFolder();
  } else {
    present = cExecute::FindFile(fileName, found);
  }
  if (folder) *folder = present ? found : "";
  return present;
}

bool LoadArchiverDLLStatus(LibraryStatus& status, MainWindowPort& window) {
  status = LibraryStatus{};
  if (!DropStaleCache() || !ReadCache(status)) {
    DeleteCache();
    window.messageBox(FailureText(), MsgIcon::Critical, MsgButtons::Ok);
    return false;
  }
  // Every value goes to the file in the order of the steps, in one replacement of the file.
  // The file is a cache probed anew at every start, so it is not forced to disk.
  std::vector<profile::Write> writes;
  if (ProbeMissing(status, writes)) writes.push_back({"WRITEDAY", "VALUE", FormatDay(Today())});
  writes.push_back({"VERSION", "VALUE", std::to_string(kDllStatusVersion)});
  WriteIniStrings(kDllStatusIni, writes, false);
  return true;
}

}  // namespace qvr
