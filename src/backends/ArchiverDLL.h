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
#include "RunProgress.h"
#include "qvr/ArchiverAbi.h"

namespace qvr {

// What a call answers when the library or the entry is missing.
inline constexpr int32_t kNoEntryResult = -1;  // command, close, find

// Answers the password questions of a library during the calls it is handed to
// (PSetPasswordCallback); libraries without that entry ask in their own dialog.
class PasswordAnswerer {
 public:
  virtual ~PasswordAnswerer() = default;
  // The password for the archive; nullopt when there is none (the user cancelled). `wrong`:
  // how many answers for it proved wrong in this call.
  virtual std::optional<std::string> Answer(const std::string& archivePath, int wrong) = 0;
};

// The code pages a user can choose for names that are not UTF-8 (iconv names), in the order
// the program offers them; "" (not in the list) is the libraries' own guess, CP932.
inline constexpr const char* kNameCodePages[] = {"CP932", "GBK",   "Big5",   "EUC-KR",
                                                 "CP866", "CP437", "CP1252", "UTF-8"};

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

  // The command entry with an output buffer of kCommandOutputSize bytes; non-zero = the
  // library's error. skipped receives how many entries the call left out for safety
  // (PGetSkippedCount, asked right after the call on the same thread); 0 when the library
  // does not export that entry. passwords, when given, answers the call's password
  // questions; progress, when given, hears how far the call got (PSetProgressCallback) and
  // stops it when cancelled (a library without that entry runs to its end). nameCodePage, when
  // not "", is the code page of the names that are not UTF-8 (PSetNameCodePage).
  int32_t Command(void* ownerWindow, const std::string& commandLine, std::string* output = nullptr,
                  int32_t* skipped = nullptr, PasswordAnswerer* passwords = nullptr,
                  RunProgress* progress = nullptr, const std::string& nameCodePage = "");
  uint16_t GetVersion();                                               // 0 when missing
  uint16_t GetSubVersion();                                            // 0 when missing
  int32_t CheckArchive(const std::string& archivePath, int32_t mode);  // 0 when missing
  int32_t GetFileCount(const std::string& archivePath);                // -1 when missing
  HARC OpenArchive(void* ownerWindow, const std::string& archivePath, uint32_t mode,
                   PasswordAnswerer* passwords = nullptr, const std::string& nameCodePage = "");
  // The code page some names of the open archive were decoded from (PGetNameCodePage); ""
  // when every name read so far was UTF-8 or the library does not tell.
  std::string NameCodePage(HARC archive);
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
    CommandEntry* command = nullptr;
    VersionEntry* getVersion = nullptr;
    VersionEntry* getSubVersion = nullptr;
    CheckArchiveEntry* checkArchive = nullptr;
    GetFileCountEntry* getFileCount = nullptr;
    OpenArchiveEntry* openArchive = nullptr;
    CloseArchiveEntry* closeArchive = nullptr;
    FindFirstEntry* findFirst = nullptr;
    FindNextEntry* findNext = nullptr;
    SizeExEntry* originalSizeEx = nullptr;
    SizeExEntry* compressedSizeEx = nullptr;
    SkippedCountEntry* skippedCount = nullptr;
    SetPasswordCallbackEntry* setPasswordCallback = nullptr;
    SetProgressCallbackEntry* setProgressCallback = nullptr;
    SetNameCodePageEntry* setNameCodePage = nullptr;
    GetNameCodePageEntry* getNameCodePage = nullptr;
    EntrySizeEntry* getOriginalSize = nullptr;
    EntrySizeEntry* getArcOriginalSize = nullptr;
    AceExtractEntry* aceExtract = nullptr;
  };

  explicit ArchiverDLL(Lib lib) : lib_(lib) {}
  void Load();
  void Unload();
  void* Resolve(const char* suffix) const;
  // Hands `passwords` to the library for the calls of this thread until it is destroyed.
  class PasswordScope;
  // Hands `progress` to the library for the calls of this thread until it is destroyed.
  class ProgressScope;
  // Sets the library's name code page for the calls of this thread until it is destroyed.
  class CodePageScope;

  Lib lib_;
  void* handle_ = nullptr;
  std::string path_;
  Entries entries_;
};

// The plugin search: the application folder (when it differs from the executable's
// folder), the executable's folder, "../lib/quiverarchiver/" beside it (a moved install
// tree), the current folder, the plugin folder of the configured prefix, then
// every folder of PATH. Each folder ends in "/".
std::vector<std::string> SearchFolders();
// Full path of the first file of that name in the search folders; "" when none. A name
// holding "/" is looked up as a path (relative to the current folder).
std::string SearchPath(const std::string& name);
// Tests: the folder that stands for the executable's folder in the search (nullopt: the
// real one).
void SetSearchExecutableFolder(std::optional<std::string> folder);

}  // namespace qvr
