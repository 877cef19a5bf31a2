// The format table and the archive inspection: which extension belongs to which format and
// which library or tool serves it, the extension check, the detection by content, the entry
// count, the total original size, the folder inspection and the family-name map. Every
// operation consults the availability flags before touching a library and reads Use7Zip
// (and UseYZ2DEC) from QvrArc.ini at each call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ArchiverDLLStatus.h"

namespace qvr {

// Extension-check result codes.
inline constexpr int16_t kCheckOk = 0, kCheckNoLibrary = 1, kCheckRejected = 2,
                         kCheckUnZipTooOld = 3, kCheckYz1Password = 4, kCheckUnknownExtension = 5,
                         kCheckExeUnknown = 6, kCheckInternal = 999;

// The format operations. The object also holds the viewer's archive type text (the family
// name set by DetectFormat, FileCount and OriginalSize); the viewer window will own one.
class ArchiverDLL_Inspect {
 public:
  ArchiverDLL_Inspect(const LibraryStatus& status, void* ownerWindow);
  int16_t CheckArchive(const std::string& path);      // the extension check, 0..6
  std::string DetectFormat(const std::string& path);  // detection by content: "LZH", ... or ""
  int32_t FileCount(const std::string& path);         // entry count; -1 = unknown
  uint64_t OriginalSize(const std::string& path);     // total original size (64-bit)
  bool NeedsFolder(const std::string& path);          // folder inspection: true = not one top folder
  const std::string& archiveType() const;             // family name for "書庫"

 private:
  const LibraryStatus& status_;
  void* ownerWindow_;
  std::string archiveType_;
};

std::string FamilyName(std::string_view format);  // "7Z" -> "SevenZip", ...

}  // namespace qvr
