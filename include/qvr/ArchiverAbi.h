// The calling convention between the program and the archiver libraries (plugins): the
// entry record, the entries' signatures, the result codes and the output-buffer size. The
// host (src/backends) and our libraries (archivers/) both include this header and nothing
// of each other's.
//
// A library of prefix P ("Unlha", "UnZip", ...) exports P (the command entry),
// PGetVersion, PGetSubVersion, PCheckArchive, PGetFileCount, POpenArchive, PCloseArchive,
// PFindFirst and PFindNext. Our libraries also export PGetOriginalSizeEx,
// PGetCompressedSizeEx, PGetSkippedCount, PSetPasswordCallback, PSetProgressCallback,
// PSetNameCodePage and PGetNameCodePage;
// the host treats those as optional, so libraries of other makers work without them.
#pragma once

#include <cstddef>
#include <cstdint>

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
  uint16_t Date;       // MS-DOS date, local time
  uint16_t Time;       // MS-DOS time, local time
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

// Result codes of the command entry (0 = success).
enum : int32_t {
  ERROR_DISK_SPACE = 0x8005,
  ERROR_UNKNOWN_TYPE = 0x8008,
  ERROR_METHOD = 0x8009,
  ERROR_PASSWORD_FILE = 0x800A,
  ERROR_FILE_CRC = 0x800C,
  ERROR_FILE_OPEN = 0x800D,
  ERROR_NOT_EXIST = 0x800F,
  ERROR_MAKEDIRECTORY = 0x8012,
  ERROR_CANNOT_WRITE = 0x8013,
  ERROR_HEADER_BROKEN = 0x8017,
  ERROR_ARC_FILE_OPEN = 0x8018,
  ERROR_NOT_ARC_FILE = 0x8019,
  ERROR_CANNOT_READ = 0x801A,
  ERROR_COMMAND_NAME = 0x801C,
  ERROR_USER_CANCEL = 0x8020,
  ERROR_NOT_SUPPORT = 0x8023,
  ERROR_RESPONSE_READ = 0x802A,
  ERROR_NOT_FIND_FILE = 0x8031,
  ERROR_BROKEN_DATA = 0x8048,
};

// The size of the output buffer the program hands to the command entry.
inline constexpr uint32_t kCommandOutputSize = 1024;

// The entries' signatures (function types; the host keeps pointers to them).
extern "C" {
using CommandEntry = int32_t(void* ownerWindow, const char* commandLine, char* output,
                             uint32_t outputSize);
using VersionEntry = uint16_t();
using CheckArchiveEntry = int32_t(const char* archivePath, int32_t mode);
using GetFileCountEntry = int32_t(const char* archivePath);
using OpenArchiveEntry = HARC(void* ownerWindow, const char* archivePath, uint32_t mode);
using CloseArchiveEntry = int32_t(HARC archive);
using FindFirstEntry = int32_t(HARC archive, const char* wildcard, EntryInfo* entry);
using FindNextEntry = int32_t(HARC archive, EntryInfo* entry);
// PGetOriginalSizeEx / PGetCompressedSizeEx: the current entry's 64-bit size; non-zero
// (TRUE) when the size was stored.
using SizeExEntry = int32_t(HARC archive, int64_t* size);
// PGetSkippedCount: how many entries the last command entry call on the calling thread
// left out for safety (a link pointing out of the destination, a device or fifo, a name
// with nothing usable left); such a call may still return 0. The report names them for
// people; the program reads this count instead of the report's words.
using SkippedCountEntry = int32_t();
// The host's answer to a library that needs the password of an encrypted archive. `wrong`
// is how many answers for this archive have proved wrong in the current call (0 for the
// first question). Writes the password, NUL-terminated, into `password` (`size` bytes) and
// returns non-zero; returns 0 when there is none (the user cancelled): the call then fails
// with ERROR_PASSWORD_FILE.
using PasswordCallback = int32_t(void* context, const char* archivePath, int32_t wrong,
                                 char* password, uint32_t size);
// PSetPasswordCallback: the library asks `callback` instead of showing its own question in
// every call made on the calling thread until the callback is set to null again.
using SetPasswordCallbackEntry = void(PasswordCallback* callback, void* context);
// The longest password the host hands over, its NUL included.
inline constexpr uint32_t kPasswordSize = 512;
// What a library tells the host while a command call works (PSetProgressCallback).
enum : int32_t {
  kProgressData = 0,       // bytes were read; `entry` is the entry in hand
  kProgressEntryDone = 1,  // `entry` was written (extracted, tested or stored) whole
  kProgressSkipped = 2,    // `entry` was left out for safety, for `reason`
  kProgressFailed = 3,     // `entry` failed with the result code `reason`
};
// Why an entry was left out (kProgressSkipped); each one counts in PGetSkippedCount.
enum : int32_t {
  kSkipNoName = 1,        // nothing usable was left of its name
  kSkipDevice = 2,        // a device or fifo
  kSkipLinkOutside = 3,   // a symbolic link pointing out of the destination
  kSkipHardlinkAway = 4,  // a hard link to a file that is not in the destination
};
struct ProgressInfo {
  uint32_t size;  // sizeof(ProgressInfo): a later version may add fields at the end
  int32_t event;  // kProgressData, kProgressEntryDone, kProgressSkipped or kProgressFailed
  // The bytes this call has read so far: of the archive when reading one (extract, test),
  // of the source files when writing one.
  int64_t bytesDone;
  const char* entry;  // UTF-8, never null ("" before the first entry)
  int32_t reason;     // kProgressSkipped: a kSkip value; kProgressFailed: the code; else 0
};
// Returns non-zero to go on; 0 stops the call: the entry being written is removed, an
// archive being written is left as it was, and the call returns ERROR_USER_CANCEL. Called
// on the calling thread, for data at most every 64 KiB read or 50 ms.
using ProgressCallback = int32_t(void* context, const ProgressInfo* info);
// PSetProgressCallback: every command call made on the calling thread reports to
// `callback` until it is set to null again.
using SetProgressCallbackEntry = void(ProgressCallback* callback, void* context);
// PSetNameCodePage: entry names that are neither flagged UTF-8 nor valid UTF-8 are decoded
// from this code page (an iconv name such as "CP932", "GBK", "BIG5", "EUC-KR", "CP866",
// "CP437", "CP1252", "UTF-8") in every later call made on the calling thread, and in the
// archives opened by it; null or "" for the library's own guess (CP932).
using SetNameCodePageEntry = void(const char* codePage);
// PGetNameCodePage: non-zero when some name of the open archive read so far was decoded from
// a code page (a guess), whose name it writes, NUL-terminated, into `buffer`; 0 when every
// name was UTF-8.
using GetNameCodePageEntry = int32_t(HARC archive, char* buffer, uint32_t size);
// UnImpGetOriginalSize / UnHkiGetArcOriginalSize: the current entry's 32-bit size.
using EntrySizeEntry = int32_t(HARC archive);
using AceExtractEntry = int32_t(const char* archivePath, AceExtractParams* params);
}

}  // namespace qvr

// Declares the entries a library of prefix P exports (with default visibility), so that a
// definition of another signature does not compile:
//   QVR_ABI_DECLARE_LIBRARY(Unlha)
#define QVR_ABI_DECLARE_LIBRARY(P)                                                                \
  extern "C" __attribute__((visibility("default"))) qvr::CommandEntry P;                          \
  extern "C" __attribute__((visibility("default"))) qvr::VersionEntry P##GetVersion;              \
  extern "C" __attribute__((visibility("default"))) qvr::VersionEntry P##GetSubVersion;           \
  extern "C" __attribute__((visibility("default"))) qvr::CheckArchiveEntry P##CheckArchive;       \
  extern "C" __attribute__((visibility("default"))) qvr::GetFileCountEntry P##GetFileCount;       \
  extern "C" __attribute__((visibility("default"))) qvr::OpenArchiveEntry P##OpenArchive;         \
  extern "C" __attribute__((visibility("default"))) qvr::CloseArchiveEntry P##CloseArchive;       \
  extern "C" __attribute__((visibility("default"))) qvr::FindFirstEntry P##FindFirst;             \
  extern "C" __attribute__((visibility("default"))) qvr::FindNextEntry P##FindNext;               \
  extern "C" __attribute__((visibility("default"))) qvr::SizeExEntry P##GetOriginalSizeEx;        \
  extern "C" __attribute__((visibility("default"))) qvr::SizeExEntry P##GetCompressedSizeEx;      \
  extern "C" __attribute__((visibility("default"))) qvr::SkippedCountEntry P##GetSkippedCount;    \
  extern "C" __attribute__((visibility("default")))                                               \
  qvr::SetPasswordCallbackEntry P##SetPasswordCallback;                                           \
  extern "C" __attribute__((visibility("default")))                                               \
  qvr::SetProgressCallbackEntry P##SetProgressCallback;                                           \
  extern "C" __attribute__((visibility("default"))) qvr::SetNameCodePageEntry P##SetNameCodePage; \
  extern "C" __attribute__((visibility("default"))) qvr::GetNameCodePageEntry P##GetNameCodePage
