// The archiver library host: finds the plugins of the common archiver calling convention,
// loads each one once and keeps it, and calls its entries. A library that is missing or
// cannot be loaded, or lacks an entry, never crashes the program: the call fails the way
// the entry reports failure (see each member).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ArchiverCatalogue.h"

namespace qvr {

using HARC = void*;

// The per-entry record the libraries fill while enumerating, in the libraries' byte layout
// (little-endian, 560 bytes). Sizes are unsigned: a 32-bit size of 2 GiB to 4 GiB is a
// size, not a negative number.
#pragma pack(push, 1)
struct EntryInfo {
  uint32_t OriginalSize;
  uint32_t CompressedSize;
  uint32_t Crc;
  uint32_t Flag;
  uint32_t OsType;
  int16_t Ratio;       // tenths of a percent
  uint16_t Date;       // MS-DOS date
  uint16_t Time;       // MS-DOS time
  char FileName[513];  // NUL-terminated, "/" separated
  char Reserved[3];
  char Attribute[8];
  char Mode[8];
  char Padding[2];
};
#pragma pack(pop)
static_assert(sizeof(EntryInfo) == 560);
static_assert(offsetof(EntryInfo, CompressedSize) == 4);
static_assert(offsetof(EntryInfo, Crc) == 8);
static_assert(offsetof(EntryInfo, Flag) == 12);
static_assert(offsetof(EntryInfo, OsType) == 16);
static_assert(offsetof(EntryInfo, Ratio) == 20);
static_assert(offsetof(EntryInfo, Date) == 22);
static_assert(offsetof(EntryInfo, Time) == 24);
static_assert(offsetof(EntryInfo, FileName) == 26);
static_assert(offsetof(EntryInfo, Reserved) == 539);
static_assert(offsetof(EntryInfo, Attribute) == 542);
static_assert(offsetof(EntryInfo, Mode) == 550);

// The parameter block of ACEExtract: the original field order as a plain C struct with
// natural alignment. The three empty texts point at one empty string.
struct AceExtractParams {
  const char* empty0;
  const char* fileList;
  const char* empty8;
  uint32_t zero12;
  uint8_t zero16[64];
  const char* destFolder;
  uint32_t zero84;
  const char* empty88;
  uint8_t zero92[64];
};

// The C entries every library exports under its prefix P (P, PGetVersion, ...).
extern "C" {
using CommandEntry = int32_t (*)(void* ownerWindow, const char* commandLine, char* output,
                                 uint32_t outputSize);
using VersionEntry = uint16_t (*)();
using CheckArchiveEntry = int32_t (*)(const char* archivePath, int32_t mode);
using GetFileCountEntry = int32_t (*)(const char* archivePath);
using OpenArchiveEntry = HARC (*)(void* ownerWindow, const char* archivePath, uint32_t mode);
using CloseArchiveEntry = int32_t (*)(HARC archive);
using FindFirstEntry = int32_t (*)(HARC archive, const char* wildcard, EntryInfo* entry);
using FindNextEntry = int32_t (*)(HARC archive, EntryInfo* entry);
// PGetOriginalSizeEx / PGetCompressedSizeEx: the current entry's 64-bit size; non-zero
// (TRUE) when the size was stored.
using SizeExEntry = int32_t (*)(HARC archive, int64_t* size);
// UnImpGetOriginalSize / UnHkiGetArcOriginalSize: the current entry's 32-bit size.
using EntrySizeEntry = int32_t (*)(HARC archive);
using AceExtractEntry = int32_t (*)(const char* archivePath, AceExtractParams* params);
}

// What a call answers when the library or the entry is missing.
inline constexpr int32_t kNoEntryResult = -1;  // command, close, find
inline constexpr uint32_t kCommandOutputSize = 1024;

class ArchiverDLL {
 public:
  // The library (a catalogue row of kind Library), searched and loaded at its first use and
  // kept for the process.
  static ArchiverDLL& Of(Lib lib);
  // Tests: unload every library so that the next use searches and loads anew.
  static void ForgetAll();

  Lib lib() const { return lib_; }
  const char* prefix() const;
  // The plugin file name ("unlha32.so").
  const char* fileName() const;
  // True when a file was found and loaded.
  bool loaded() const;
  // Full path of the loaded file; "" when none.
  std::string path() const;

  // The command entry with an output buffer of 1024 bytes; non-zero = the library's error.
  int32_t Command(void* ownerWindow, const std::string& commandLine, std::string* output = nullptr);
  uint16_t GetVersion();                                               // 0 when missing
  uint16_t GetSubVersion();                                            // 0 when missing
  int32_t CheckArchive(const std::string& archivePath, int32_t mode);  // 0 when missing
  int32_t GetFileCount(const std::string& archivePath);                // -1 when missing
  HARC OpenArchive(void* ownerWindow, const std::string& archivePath, uint32_t mode);
  int32_t CloseArchive(HARC archive);
  int32_t FindFirst(HARC archive, const std::string& wildcard, EntryInfo* entry);
  int32_t FindNext(HARC archive, EntryInfo* entry);
  // The current entry's sizes: PGetOriginalSizeEx / PGetCompressedSizeEx when exported and
  // answering, else the record's 32-bit field read as unsigned.
  uint64_t OriginalSize(HARC archive, const EntryInfo& entry);
  uint64_t CompressedSize(HARC archive, const EntryInfo& entry);
  // UnImpGetOriginalSize / UnHkiGetArcOriginalSize, read as unsigned; 0 when missing.
  uint32_t GetOriginalSize(HARC archive);
  uint32_t GetArcOriginalSize(HARC archive);
  // UnACEv2's one entry; kNoEntryResult when missing.
  int32_t ACEExtract(const std::string& archivePath, AceExtractParams* params);

 private:
  struct Entries {
    CommandEntry command = nullptr;
    VersionEntry getVersion = nullptr;
    VersionEntry getSubVersion = nullptr;
    CheckArchiveEntry checkArchive = nullptr;
    GetFileCountEntry getFileCount = nullptr;
    OpenArchiveEntry openArchive = nullptr;
    CloseArchiveEntry closeArchive = nullptr;
    FindFirstEntry findFirst = nullptr;
    FindNextEntry findNext = nullptr;
    SizeExEntry originalSizeEx = nullptr;
    SizeExEntry compressedSizeEx = nullptr;
    EntrySizeEntry getOriginalSize = nullptr;
    EntrySizeEntry getArcOriginalSize = nullptr;
    AceExtractEntry aceExtract = nullptr;
  };

  explicit ArchiverDLL(Lib lib) : lib_(lib) {}
  void Load();
  void Unload();
  void* Resolve(const char* suffix) const;

  Lib lib_;
  void* handle_ = nullptr;
  std::string path_;
  Entries entries_;
};

// The plugin search: the application folder (when it differs from the executable's
// folder), the executable's folder, the current folder, the installed plugin folder, then
// every folder of PATH. Each folder ends in "/".
std::vector<std::string> SearchFolders();
// Full path of the first file of that name in the search folders; "" when none. A name
// holding "/" is looked up as a path (relative to the current folder).
std::string SearchPath(const std::string& name);
// Tests: the folder that stands for the executable's folder in the search (nullopt: the
// real one).
void SetSearchExecutableFolder(std::optional<std::string> folder);

}  // namespace qvr
