// The recording archiver plugin, built for the tests only. One shared object that exports
// the entries of every library prefix, so a copy can stand under any library's file name.
// Each call is appended to recording-plugin.log in the plugin's own folder (library file
// name, entry name, every argument; fields separated by tabs, with "\" "\t" "\n" "\r"
// escaped, so the command line comes back byte for byte). Answers come from
// recording-plugin.script in the same folder, re-read at every call:
//
//   scope <TAB> key <TAB> archive <TAB> value...      scope: a prefix ("Unlha") or "*"
//
// keys: version, subversion, check, count, command (result), output (command's output
// text), skipped (what PGetSkippedCount answers after that command), open (0 = fails),
// entry (original compressed ratio date time name [attribute mode]), sizeex (0 = the Ex
// entries fail), ace (ACEExtract's result). The archive is a path or "*"; for command,
// output and skipped it matches when the command line contains it. The last matching line
// wins; entries are collected in order.
//
// PGetSkippedCount is not logged (it only reads back the last command's count). Built with
// QVR_RECORDING_NO_SKIP_COUNT the plugin lacks that entry, as libraries of other makers do.
#include <dlfcn.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "qvr/ArchiverAbi.h"

using qvr::AceExtractParams;
using qvr::EntryInfo;
using qvr::HARC;

namespace {

std::string OwnPath() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&OwnPath), &info) || !info.dli_fname) return "";
  return info.dli_fname;
}

std::string OwnFolder() {
  std::string path = OwnPath();
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "./" : path.substr(0, slash + 1);
}

std::string OwnFileName() {
  std::string path = OwnPath();
  return path.substr(path.rfind('/') + 1);
}

std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Text(const char* text) {
  return text ? Escape(text) : "(null)";
}

std::string Pointer(const void* pointer) {
  char text[32];
  std::snprintf(text, sizeof text, "%#jx", uintmax_t(reinterpret_cast<uintptr_t>(pointer)));
  return text;
}

void Log(const std::vector<std::string>& fields) {
  std::string record = OwnFileName();
  for (const std::string& field : fields) record += "\t" + field;
  record += "\n";
  int fd = open((OwnFolder() + "recording-plugin.log").c_str(),
                O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  ssize_t written = write(fd, record.data(), record.size());
  (void)written;
  close(fd);
}

struct ScriptLine {
  std::string scope, key, archive;
  std::vector<std::string> values;
};

std::vector<ScriptLine> ReadScript() {
  std::vector<ScriptLine> script;
  std::ifstream in(OwnFolder() + "recording-plugin.script", std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    size_t start = 0;
    while (true) {
      size_t tab = line.find('\t', start);
      fields.push_back(line.substr(start, tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    if (fields.size() < 3) continue;
    script.push_back({fields[0], fields[1], fields[2], {fields.begin() + 3, fields.end()}});
  }
  return script;
}

bool ScopeMatches(const ScriptLine& line, std::string_view prefix) {
  return line.scope == "*" || line.scope == prefix;
}

bool ArchiveMatches(const ScriptLine& line, std::string_view archive, bool contained) {
  if (line.archive == "*") return true;
  return contained ? archive.find(line.archive) != std::string_view::npos : archive == line.archive;
}

// The first value of the last matching line, or the fallback.
std::string Lookup(std::string_view prefix, std::string_view key, std::string_view archive,
                   const std::string& fallback, bool contained = false) {
  std::string value = fallback;
  for (const ScriptLine& line : ReadScript()) {
    if (line.key == key && ScopeMatches(line, prefix) && ArchiveMatches(line, archive, contained) &&
        !line.values.empty())
      value = line.values[0];
  }
  return value;
}

long long Number(const std::string& text) {
  return std::strtoll(text.c_str(), nullptr, 0);
}

struct ScriptEntry {
  unsigned long long original = 0, compressed = 0;
  int ratio = 0, date = 0, time = 0;
  std::string name, attribute, mode;
};

std::vector<ScriptEntry> Entries(std::string_view prefix, std::string_view archive) {
  std::vector<ScriptEntry> entries;
  for (const ScriptLine& line : ReadScript()) {
    if (line.key != "entry" || !ScopeMatches(line, prefix) || !ArchiveMatches(line, archive, false))
      continue;
    const std::vector<std::string>& v = line.values;
    if (v.size() < 6) continue;
    entries.push_back({std::strtoull(v[0].c_str(), nullptr, 10),
                       std::strtoull(v[1].c_str(), nullptr, 10), int(Number(v[2])),
                       int(Number(v[3])), int(Number(v[4])), v[5], v.size() > 6 ? v[6] : "",
                       v.size() > 7 ? v[7] : ""});
  }
  return entries;
}

struct OpenArchive {
  std::string prefix;
  std::vector<ScriptEntry> entries;
  size_t next = 0;
  const ScriptEntry* current = nullptr;
  std::string wildcard = "*";  // of FindFirst, applied by FindNext too
};

void CopyText(char* target, size_t size, const std::string& text) {
  std::memset(target, 0, size);
  std::memcpy(target, text.data(), std::min(text.size(), size - 1));
}

int32_t FillNext(OpenArchive* archive, const std::string& wildcard, EntryInfo* entry) {
  while (archive->next < archive->entries.size()) {
    const ScriptEntry& e = archive->entries[archive->next++];
    if (wildcard != "*" && fnmatch(wildcard.c_str(), e.name.c_str(), 0) != 0) continue;
    archive->current = &e;
    if (entry) {
      std::memset(entry, 0, sizeof *entry);
      entry->OriginalSize = uint32_t(e.original);
      entry->CompressedSize = uint32_t(e.compressed);
      entry->Ratio = int16_t(e.ratio);
      entry->Date = uint16_t(e.date);
      entry->Time = uint16_t(e.time);
      CopyText(entry->FileName, sizeof entry->FileName, e.name);
      CopyText(entry->Attribute, sizeof entry->Attribute, e.attribute);
      CopyText(entry->Mode, sizeof entry->Mode, e.mode);
    }
    return 0;
  }
  archive->current = nullptr;
  return -1;
}

// The skip count of this thread's last command call.
thread_local int32_t lastSkipped = 0;

int32_t Command(const char* prefix, void* owner, const char* commandLine, char* output,
                uint32_t size) {
  Log({prefix, Pointer(owner), Text(commandLine), std::to_string(size)});
  std::string line = commandLine ? commandLine : "";
  if (output && size > 0) CopyText(output, size, Lookup(prefix, "output", line, "", true));
  lastSkipped = int32_t(Number(Lookup(prefix, "skipped", line, "0", true)));
  return int32_t(Number(Lookup(prefix, "command", line, "0", true)));
}

uint16_t Version(const char* prefix, const char* entry, const char* key, const char* fallback) {
  Log({std::string(prefix) + entry});
  return uint16_t(Number(Lookup(prefix, key, "*", fallback)));
}

int32_t CheckArchive(const char* prefix, const char* path, int32_t mode) {
  Log({std::string(prefix) + "CheckArchive", Text(path), std::to_string(mode)});
  return int32_t(Number(Lookup(prefix, "check", path ? path : "", "1")));
}

int32_t GetFileCount(const char* prefix, const char* path) {
  Log({std::string(prefix) + "GetFileCount", Text(path)});
  std::string archive = path ? path : "";
  std::string count = std::to_string(Entries(prefix, archive).size());
  return int32_t(Number(Lookup(prefix, "count", archive, count)));
}

HARC Open(const char* prefix, void* owner, const char* path, uint32_t mode) {
  std::string archive = path ? path : "";
  bool opens = Number(Lookup(prefix, "open", archive, "1")) != 0;
  auto* handle = opens ? new OpenArchive{prefix, Entries(prefix, archive)} : nullptr;
  Log({std::string(prefix) + "OpenArchive", Pointer(owner), Text(path), std::to_string(mode),
       Pointer(handle)});
  return handle;
}

int32_t Close(const char* prefix, HARC handle) {
  Log({std::string(prefix) + "CloseArchive", Pointer(handle)});
  delete static_cast<OpenArchive*>(handle);
  return 0;
}

int32_t FindFirst(const char* prefix, HARC handle, const char* wildcard, EntryInfo* entry) {
  Log({std::string(prefix) + "FindFirst", Pointer(handle), Text(wildcard),
       entry ? "entry" : "(null)"});
  auto* archive = static_cast<OpenArchive*>(handle);
  if (!archive) return -1;
  archive->next = 0;
  archive->wildcard = wildcard ? wildcard : "*";
  return FillNext(archive, archive->wildcard, entry);
}

int32_t FindNext(const char* prefix, HARC handle, EntryInfo* entry) {
  Log({std::string(prefix) + "FindNext", Pointer(handle), entry ? "entry" : "(null)"});
  auto* archive = static_cast<OpenArchive*>(handle);
  return archive ? FillNext(archive, archive->wildcard, entry) : -1;
}

int32_t SizeEx(const char* prefix, const char* entryName, HARC handle, int64_t* size,
               bool original) {
  Log({std::string(prefix) + entryName, Pointer(handle)});
  auto* archive = static_cast<OpenArchive*>(handle);
  if (!archive || !archive->current || !size) return 0;
  if (Number(Lookup(prefix, "sizeex", "*", "1")) == 0) return 0;
  *size = int64_t(original ? archive->current->original : archive->current->compressed);
  return 1;
}

int32_t EntrySize(const char* prefix, const char* entryName, HARC handle) {
  Log({std::string(prefix) + entryName, Pointer(handle)});
  auto* archive = static_cast<OpenArchive*>(handle);
  if (!archive || !archive->current) return 0;
  return int32_t(uint32_t(archive->current->original));
}

bool AllZero(const uint8_t* bytes, size_t size) {
  for (size_t i = 0; i < size; ++i)
    if (bytes[i]) return false;
  return true;
}

}  // namespace

#define QVR_EXPORT extern "C" __attribute__((visibility("default")))

#ifdef QVR_RECORDING_NO_SKIP_COUNT
#define QVR_SKIPPED_COUNT(P)
#else
#define QVR_SKIPPED_COUNT(P)                \
  QVR_EXPORT int32_t P##GetSkippedCount() { \
    return lastSkipped;                     \
  }
#endif

#define QVR_LIBRARY(P)                                                                      \
  QVR_ABI_DECLARE_LIBRARY(P);                                                               \
  QVR_SKIPPED_COUNT(P)                                                                      \
  QVR_EXPORT int32_t P(void* owner, const char* commandLine, char* output, uint32_t size) { \
    return Command(#P, owner, commandLine, output, size);                                   \
  }                                                                                         \
  QVR_EXPORT uint16_t P##GetVersion() {                                                     \
    return Version(#P, "GetVersion", "version", "100");                                     \
  }                                                                                         \
  QVR_EXPORT uint16_t P##GetSubVersion() {                                                  \
    return Version(#P, "GetSubVersion", "subversion", "0");                                 \
  }                                                                                         \
  QVR_EXPORT int32_t P##CheckArchive(const char* path, int32_t mode) {                      \
    return CheckArchive(#P, path, mode);                                                    \
  }                                                                                         \
  QVR_EXPORT int32_t P##GetFileCount(const char* path) {                                    \
    return GetFileCount(#P, path);                                                          \
  }                                                                                         \
  QVR_EXPORT HARC P##OpenArchive(void* owner, const char* path, uint32_t mode) {            \
    return Open(#P, owner, path, mode);                                                     \
  }                                                                                         \
  QVR_EXPORT int32_t P##CloseArchive(HARC handle) {                                         \
    return Close(#P, handle);                                                               \
  }                                                                                         \
  QVR_EXPORT int32_t P##FindFirst(HARC handle, const char* wildcard, EntryInfo* entry) {    \
    return FindFirst(#P, handle, wildcard, entry);                                          \
  }                                                                                         \
  QVR_EXPORT int32_t P##FindNext(HARC handle, EntryInfo* entry) {                           \
    return FindNext(#P, handle, entry);                                                     \
  }                                                                                         \
  QVR_EXPORT int32_t P##GetOriginalSizeEx(HARC handle, int64_t* size) {                     \
    return SizeEx(#P, "GetOriginalSizeEx", handle, size, true);                             \
  }                                                                                         \
  QVR_EXPORT int32_t P##GetCompressedSizeEx(HARC handle, int64_t* size) {                   \
    return SizeEx(#P, "GetCompressedSizeEx", handle, size, false);                          \
  }

QVR_LIBRARY(Unlha)
QVR_LIBRARY(UnZip)
QVR_LIBRARY(Zip)
QVR_LIBRARY(SevenZip)
QVR_LIBRARY(Cab)
QVR_LIBRARY(UnGCA)
QVR_LIBRARY(Unrar)
QVR_LIBRARY(Yz1)
QVR_LIBRARY(Unarj)
QVR_LIBRARY(Tar)
QVR_LIBRARY(Bga)
QVR_LIBRARY(Unbel)
QVR_LIBRARY(UnImp)
QVR_LIBRARY(Kty)
QVR_LIBRARY(Unace)
QVR_LIBRARY(Paqar)
QVR_LIBRARY(UnHki)

QVR_EXPORT int32_t UnImpGetOriginalSize(HARC handle) {
  return EntrySize("UnImp", "GetOriginalSize", handle);
}

QVR_EXPORT int32_t UnHkiGetArcOriginalSize(HARC handle) {
  return EntrySize("UnHki", "GetArcOriginalSize", handle);
}

// Logs the archive, the three texts and the empty fields: whether the three empty texts
// are one pointer to "" and whether every other field is zero.
QVR_EXPORT int32_t ACEExtract(const char* path, AceExtractParams* params) {
  if (!params) {
    Log({"ACEExtract", Text(path), "(null)"});
    return -1;
  }
  bool oneEmpty = params->empty0 && params->empty0 == params->empty8 &&
                  params->empty0 == params->empty88 && *params->empty0 == '\0';
  bool zeros = params->zero12 == 0 && params->zero84 == 0 &&
               AllZero(params->zero16, sizeof params->zero16) &&
               AllZero(params->zero92, sizeof params->zero92);
  Log({"ACEExtract", Text(path), Text(params->fileList), Text(params->destFolder),
       oneEmpty ? "empty" : "not-empty", zeros ? "zero" : "not-zero"});
  return int32_t(Number(Lookup("ACE", "ace", path ? path : "", "0")));
}

// Zip32: tested for presence only; its one entry answers the version.
QVR_EXPORT uint16_t ZpVersion() {
  return Version("Zp", "Version", "version", "100");
}
