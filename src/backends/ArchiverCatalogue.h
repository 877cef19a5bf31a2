// The one catalogue of the archiver components and archive formats the program knows.
// Every other table (the plugin host, the library status, the format operations, the
// command rows, the listing, the main window's extension list) refers to these rows instead
// of naming a library again: a library's file, prefix or extension changes in one row here.
#pragma once

#include <cstdint>
#include <string_view>

#include "ArchiverDLLStatus.h"

namespace qvr {

// Every component of the status table, in DllStatus.ini's order: the archiver libraries
// reached through their entries, Zip32 (only its presence counts), the outside tools and the
// mail component.
enum class Lib : uint8_t {
  Basp21,
  Unlha,
  UnZip,
  Zip,
  Zip32,
  Cab,
  UnGCA,
  Unrar,
  SevenZip,
  Yz1,
  Unarj,
  Tar,
  Bga,
  Unbel,
  UnImp,
  Kty,
  UnAceV2,
  Unace,
  Yz2Dec,
  Yz2Enc,
  Rk,
  Paqar,
  UnHki,
};
inline constexpr int kLibCount = int(Lib::UnHki) + 1;

enum class LibKind : uint8_t {
  Library,   // a plugin called through its prefixed entries (UnAceV2: ACEExtract alone)
  Presence,  // a plugin the program only looks for
  Tool,      // an executable started with a command line
  Mail,      // the mail component (no file)
};

struct LibRow {
  Lib lib;
  std::string_view shownName;  // the name the about box shows ("UNLHA32.DLL")
  LibKind kind;
  std::string_view statusKey;  // the DllStatus.ini key
  std::string_view prefix;     // the entries' prefix; "" where the library has none
  std::string_view fileName;   // the plugin or tool file searched for it; "" for the mail
  bool LibraryStatus::*flag;   // its availability flag
  std::string_view pathKey;    // tools: the DllStatus.ini key of the folder it starts from
  std::string LibraryStatus::*path;
};

// clang-format off
inline constexpr LibRow kLibRows[kLibCount] = {
  // lib          shown as       kind               key        prefix      file           flag
  {Lib::Basp21,   "",            LibKind::Mail,     "BASP21",  "",         "",            &LibraryStatus::BASP21,     "", nullptr},
  {Lib::Unlha,    "UNLHA32.DLL", LibKind::Library,  "UNLHA32", "Unlha",    "unlha32.so",  &LibraryStatus::UNLHA32,    "", nullptr},
  {Lib::UnZip,    "UNZIP32.DLL", LibKind::Library,  "UNZIP32", "UnZip",    "unzip32.so",  &LibraryStatus::UNZIP32,    "", nullptr},
  {Lib::Zip,      "ZIP32J.DLL",  LibKind::Library,  "ZIP32J",  "Zip",      "zip32j.so",   &LibraryStatus::ZIP32J,     "", nullptr},
  {Lib::Zip32,    "ZIP32.DLL",   LibKind::Presence, "ZIP32",   "",         "zip32.so",    &LibraryStatus::ZIP32,      "", nullptr},
  {Lib::Cab,      "CAB32.DLL",   LibKind::Library,  "CAB32",   "Cab",      "cab32.so",    &LibraryStatus::CAB32,      "", nullptr},
  {Lib::UnGCA,    "UNGCA32.DLL", LibKind::Library,  "UNGCA32", "UnGCA",    "ungca32.so",  &LibraryStatus::UNGCA32,    "", nullptr},
  {Lib::Unrar,    "UNRAR32.DLL", LibKind::Library,  "UNRAR32", "Unrar",    "unrar32.so",  &LibraryStatus::UNRAR32,    "", nullptr},
  {Lib::SevenZip, "7-ZIP32.DLL", LibKind::Library,  "7ZIP32",  "SevenZip", "7-zip32.so",  &LibraryStatus::SEVENZIP32, "", nullptr},
  {Lib::Yz1,      "YZ1.DLL",     LibKind::Library,  "YZ1",     "Yz1",      "yz1.so",      &LibraryStatus::YZ1,        "", nullptr},
  {Lib::Unarj,    "UNARJ32.DLL", LibKind::Library,  "UNARJ32", "Unarj",    "unarj32j.so", &LibraryStatus::UNARJ32,    "", nullptr},
  {Lib::Tar,      "TAR32.DLL",   LibKind::Library,  "TAR32",   "Tar",      "tar32.so",    &LibraryStatus::TAR32,      "", nullptr},
  {Lib::Bga,      "BGA32.DLL",   LibKind::Library,  "BGA32",   "Bga",      "bga32.so",    &LibraryStatus::BGA32,      "", nullptr},
  {Lib::Unbel,    "UNBEL32.DLL", LibKind::Library,  "UNBEL32", "Unbel",    "unbel32.so",  &LibraryStatus::UNBEL32,    "", nullptr},
  {Lib::UnImp,    "UNIMP32.DLL", LibKind::Library,  "UNIMP32", "UnImp",    "unimp32.so",  &LibraryStatus::UNIMP32,    "", nullptr},
  {Lib::Kty,      "KTY32.DLL",   LibKind::Library,  "KTY32",   "Kty",      "kty32.so",    &LibraryStatus::KTY32,      "", nullptr},
  {Lib::UnAceV2,  "UNACEV2.DLL", LibKind::Library,  "UNACEV2", "",         "unacev2.so",  &LibraryStatus::UNACEV2,    "", nullptr},
  {Lib::Unace,    "UNACE32.DLL", LibKind::Library,  "UNACE32", "Unace",    "unace32.so",  &LibraryStatus::UNACE32,    "", nullptr},
  {Lib::Yz2Dec,   "YZ2DEC.EXE",  LibKind::Tool,     "YZ2DEC",  "",         "yz2dec",      &LibraryStatus::YZ2DEC,     "YZ2DECPath", &LibraryStatus::YZ2DECPath},
  {Lib::Yz2Enc,   "YZ2ENC.EXE",  LibKind::Tool,     "YZ2ENC",  "",         "yz2enc",      &LibraryStatus::YZ2ENC,     "YZ2ENCPath", &LibraryStatus::YZ2ENCPath},
  {Lib::Rk,       "RK.EXE",      LibKind::Tool,     "RKEXE",   "",         "rk",          &LibraryStatus::RKEXE,      "RKEXEPath",  &LibraryStatus::RKEXEPath},
  {Lib::Paqar,    "PAQAR32.DLL", LibKind::Library,  "PAQAR32", "Paqar",    "paqar32.so",  &LibraryStatus::PAQAR32,    "", nullptr},
  {Lib::UnHki,    "UNHKI32.DLL", LibKind::Library,  "UNHKI32", "UnHki",    "unhki32.so",  &LibraryStatus::UNHKI32,    "", nullptr},
};
// clang-format on

constexpr bool RowsInEnumOrder() {
  for (int i = 0; i < kLibCount; ++i)
    if (int(kLibRows[i].lib) != i) return false;
  return true;
}
static_assert(RowsInEnumOrder(), "kLibRows is indexed by Lib");

constexpr const LibRow& RowOf(Lib lib) {
  return kLibRows[int(lib)];
}

// The row of a DllStatus.ini key; null for an unknown key.
const LibRow* LibRowOfKey(std::string_view statusKey);

// A format served by a library or a tool, with how the format operations call it.
struct FormatRow {
  std::string_view id;       // the format identifier: "LZH", "ZIP", ...
  Lib lib;                   // the library or tool that serves it
  std::string_view family;   // the family name ("7Z" is of the "SevenZip" family)
  int32_t checkMode;         // CheckArchive mode of the extension check
  int32_t detectMode;        // CheckArchive mode of the detection by content
  bool detected;             // asked by the detection by content (in the table's order)
  uint32_t openMode;         // OpenArchive mode of the listing and the sizes
  uint32_t inspectOpenMode;  // OpenArchive mode of the folder inspection
  bool walks;                // has the OpenArchive/FindFirst/FindNext walk
};

inline constexpr uint32_t kOpenWhole = 0x400000;
inline constexpr uint32_t kOpenPlain = 0x200;

// The formats in the order in which the detection by content asks them; the last accepting
// one decides.
// clang-format off
inline constexpr FormatRow kFormats[] = {
  // id    lib            family      check detect asked  open        inspect      walks
  {"LZH", Lib::Unlha,    "LZH",      0,  0,  true,  kOpenWhole, kOpenWhole, true},
  {"ZIP", Lib::UnZip,    "ZIP",      0,  0,  true,  kOpenWhole, kOpenWhole, true},
  {"CAB", Lib::Cab,      "CAB",      0,  0,  true,  kOpenWhole, kOpenWhole, true},
  {"GCA", Lib::UnGCA,    "GCA",      16, 8,  true,  kOpenWhole, kOpenWhole, true},
  {"RAR", Lib::Unrar,    "RAR",      0,  0,  true,  kOpenWhole, kOpenWhole, true},
  {"7Z",  Lib::SevenZip, "SevenZip", 0,  0,  true,  kOpenWhole, kOpenWhole, true},
  {"YZ1", Lib::Yz1,      "YZ1",      16, 16, true,  kOpenWhole, kOpenWhole, true},
  {"YZ2", Lib::Yz2Dec,   "YZ2",      0,  0,  false, 0,          0,          false},
  {"ARJ", Lib::Unarj,    "ARJ",      0,  0,  true,  kOpenWhole, kOpenWhole, true},
  {"TAR", Lib::Tar,      "TAR",      0,  0,  true,  kOpenWhole, kOpenWhole, true},
  {"BGA", Lib::Bga,      "BGA",      1,  1,  true,  kOpenPlain, kOpenPlain, true},
  {"BEL", Lib::Unbel,    "BEL",      0,  0,  false, kOpenPlain, kOpenPlain, true},
  {"IMP", Lib::UnImp,    "IMP",      0,  0,  true,  kOpenPlain, kOpenPlain, true},
  {"KTY", Lib::Kty,      "KTY",      0,  0,  false, 0,          0,          true},
  {"ACE", Lib::Unace,    "ACE",      0,  0,  true,  0,          0,          true},
  {"RK",  Lib::Rk,       "RK",       0,  0,  true,  0,          0,          false},
  {"PQA", Lib::Paqar,    "Paqar",    0,  0,  true,  0,          0,          false},
  {"HKI", Lib::UnHki,    "HKI",      0,  0,  true,  0,          kOpenPlain, true},
};

// Family names of identifiers that are no format of the table: "YZ2A6" is the yz2a6
// extension's own name for YZ2, and BH archives are known by name only (no library serves
// them).
struct FamilyAlias {
  std::string_view name;
  std::string_view family;
};
inline constexpr FamilyAlias kFamilyAliases[] = {{"YZ2A6", "YZ2"}, {"BH", "BH"}};

// The extensions (lower case) and their formats. "exe" stands for a self-extracting file
// whose format the detection by content finds. `listed`: the main window's double click shows
// the file's archive facts; it knows BH archives, which no library serves, and leaves out PQA.
struct ExtensionRow {
  std::string_view extension;
  std::string_view format;  // "EXE" for self-extracting files; "" for none
  bool listed;
};
inline constexpr ExtensionRow kExtensions[] = {
  {"lzh", "LZH", true}, {"zip", "ZIP", true},   {"cab", "CAB", true}, {"gca", "GCA", true},
  {"rar", "RAR", true}, {"7z", "7Z", true},     {"yz1", "YZ1", true}, {"yz2", "YZ2", true},
  {"yz2a6", "YZ2", true}, {"arj", "ARJ", true}, {"tar", "TAR", true}, {"gz", "TAR", true},
  {"z", "TAR", true},   {"bz2", "TAR", true},   {"bza", "BGA", true}, {"gza", "BGA", true},
  {"bel", "BEL", true}, {"imp", "IMP", true},   {"kty", "KTY", true}, {"ace", "ACE", true},
  {"rk", "RK", true},   {"pqa", "PQA", false},  {"hki", "HKI", true}, {"bh", "", true},
  {"exe", "EXE", true},
  // The tar family under the names users give it (".tar.xz" ends in "xz"): compressed TAR
  // archives and single compressed files alike, both read by the TAR library.
  {"tgz", "TAR", true}, {"tbz", "TAR", true},   {"tbz2", "TAR", true}, {"txz", "TAR", true},
  {"xz", "TAR", true},  {"zst", "TAR", true},   {"tzst", "TAR", true}, {"lz4", "TAR", true},
  {"lzma", "TAR", true},
};
// clang-format on

// The row of a format identifier; null for "", "EXE" and unknown texts.
const FormatRow* FormatRowOf(std::string_view id);
// The row of a lower-case extension; null when it belongs to no row.
const ExtensionRow* ExtensionRowOf(std::string_view extension);

}  // namespace qvr
