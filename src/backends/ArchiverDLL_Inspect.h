// The format table and the archive inspection: which extension belongs to which format and
// which library or tool serves it, the extension check, the detection by content, the entry
// count, the total original size, the folder inspection and the family-name map. Every
// operation consults the availability flags before touching a library and reads Use7Zip
// (and UseYZ2DEC) from QvrArc.ini at each call.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "ArchiverCatalogue.h"
#include "ArchiverDLL.h"
#include "ArchiverDLLStatus.h"
#include "RunPasswords.h"

namespace qvr {

// Extension-check result codes.
inline constexpr int16_t kCheckOk = 0, kCheckNoLibrary = 1, kCheckRejected = 2,
                         kCheckUnZipTooOld = 3, kCheckYz1Password = 4, kCheckUnknownExtension = 5,
                         kCheckExeUnknown = 6, kCheckInternal = 999;

// The format operations. The object also holds the viewer's archive type text (the family
// name set by DetectFormat, FileCount and OriginalSize); the viewer window will own one.
class ArchiverDLL_Inspect {
 public:
  // passwords, when given, answers the password questions of the walks (an archive whose
  // names are encrypted), so that a run asks once per archive.
  ArchiverDLL_Inspect(const LibraryStatus& status, void* ownerWindow,
                      RunPasswords* passwords = nullptr);
  int16_t CheckArchive(const std::string& path);      // the extension check, 0..6
  std::string DetectFormat(const std::string& path);  // detection by content: "LZH", ... or ""
  int32_t FileCount(const std::string& path);         // entry count; -1 = unknown
  uint64_t OriginalSize(const std::string& path);     // total original size (64-bit)
  bool NeedsFolder(const std::string& path);  // folder inspection: true = not one top folder
  const std::string& archiveType() const;     // family name for "書庫"

 private:
  bool DetectedBy(std::string_view id, const std::string& path);
  int32_t CountByExtension(const std::string& format, const std::string& path);
  int32_t CountOfDetected(const std::string& detected, const std::string& path);
  uint64_t SizeByExtension(const std::string& format, const std::string& path);
  uint64_t SizeOfDetected(const std::string& detected, const std::string& path);
  uint64_t SizeOfTool(const std::string& format, const std::string& path);

  const LibraryStatus& status_;
  void* ownerWindow_;
  RunPasswords* passwords_;
  std::string archiveType_;
};

// The family name of a format identifier or an upper-cased extension ("7Z" -> "SevenZip",
// "GZ" -> "").
std::string FamilyName(std::string_view format);

// The format operations over the catalogue's format table (ArchiverCatalogue.h), shared
// by the inspection and the listing.

// The row of a library format identifier; null for "YZ2", "RK", "" and unknown texts.
const FormatRow* LibraryFormatOf(std::string_view id);
// The format of a path by its lower-cased extension: "LZH", "ZIP", ..., "YZ2", "RK", "EXE";
// "" when the file name has no extension or it belongs to no format. A plain split "x.001"
// is "EXE": its format is found by its content, as a self-extractor's.
std::string FormatOfExtension(std::string_view path);
// The extension of the path's file name, lower-cased; "" when it has none. A numbered part of
// a split archive (x.7z.001) gives the one before its number ("7z").
std::string LowerExtension(std::string_view path);
// True when the library's flag (for ACE both ACE flags) is set.
bool Available(const LibraryStatus& status, const FormatRow& format);
// GENERAL/Use7Zip and GENERAL/UseYZ2DEC of QvrArc.ini, read at each call.
bool Use7Zip();
bool UseYZ2DEC();
// The reader of ".zip" files: 7-zip32 with Use7Zip on, else UnZip32.
const FormatRow& ZipReader();

// A walk gives up after this many entries (a library that enumerates forever).
inline constexpr uint64_t kMaxWalkEntries = 10'000'000;
// Called for each entry of a walk; false stops the walk.
using EntryVisitor = std::function<bool(ArchiverDLL& dll, HARC archive, const EntryInfo& entry)>;
// OpenArchive, FindFirst "*", FindNext until it fails (BEL: the first entry only),
// CloseArchive. False when the archive did not open. The caller checks availability.
// passwords, when given, answers a password question of the opening.
// nameCodePage: the code page of the names that are not UTF-8 ("": the library's guess);
// guessedCodePage, when given, receives the code page some names were decoded from ("" when
// every name was UTF-8).
bool WalkEntries(const FormatRow& format, const std::string& path, void* ownerWindow,
                 uint32_t openMode, const EntryVisitor& visit, RunPasswords* passwords = nullptr,
                 const std::string& nameCodePage = "", std::string* guessedCodePage = nullptr);
// The entry's name: FileName up to its first NUL, never beyond the 513-byte field.
std::string_view EntryName(const EntryInfo& entry);

}  // namespace qvr
