#include "Settings.h"

#include "AppFolder.h"
#include "ProfileFile.h"

namespace qvr {
namespace {

constexpr size_t kBufferSize = 256;

// The profile API drops trailing blanks of a default.
std::string TrimRight(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text;
}

}  // namespace

std::string AppFile(const std::string& file) {
  return AppFileFolder(AppFileKindOf(file)) + file;
}

void WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value) {
  profile::WriteString(AppFile(file), section, key, value);
}

void WriteIniStrings(const std::string& file, const std::vector<profile::Write>& writes,
                     bool flush) {
  profile::WriteStrings(AppFile(file), writes, flush);
}

std::string GetIniString(const std::string& file, const std::string& section,
                         const std::string& key) {
  std::string path = AppFile(file);
  if (!profile::FileExists(path)) return "";
  std::string value = profile::ReadString(path, section, key).value_or("");
  value.resize(kBufferSize, '\0');
  return value;
}

std::string GetIniStringDef(const std::string& file, const std::string& section,
                            const std::string& key, const std::string& defaultValue) {
  std::string path = AppFile(file);
  std::string fallback = TrimRight(CutAtNull(defaultValue + '\0')).substr(0, kBufferSize - 1);
  if (!profile::FileExists(path)) return defaultValue;
  return profile::ReadString(path, section, key).value_or(fallback);
}

int16_t GetIniInt(const std::string& file, const std::string& section, const std::string& key) {
  return GetIniIntDef(file, section, key, 0);
}

int16_t GetIniIntDef(const std::string& file, const std::string& section, const std::string& key,
                     int16_t defaultValue) {
  std::string path = AppFile(file);
  if (!profile::FileExists(path)) return defaultValue;
  return profile::ReadInt(path, section, key, defaultValue);
}

std::string CutAtNull(std::string_view text) {
  size_t nul = text.find('\0');
  if (nul == std::string_view::npos) return "";
  return std::string(text.substr(0, nul));
}

}  // namespace qvr
