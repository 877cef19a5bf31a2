// The archiving options of QvrArc.ini and the switches made of them. kArchiveSettings is the
// one table of keys, types and defaults: both archiving methods read through it, and the
// archiving-options dialog edits exactly these keys with these defaults.
#pragma once

#include <string>
#include <string_view>

namespace qvr {

enum class SettingType { Text, Integer };

struct ArchiveSetting {
  const char* section;
  const char* key;
  SettingType type;
  const char* defaultValue;  // as stored in the file
};

// The index of each row of kArchiveSettings.
enum class ArchiveKey {
  LzhHuffmanBufferSize,      // {H}: inserted as read, directly after "a -je"
  LzhArchiveLevel,           // {J}: see LzhMethodSwitch
  Use7Zip,                   // non-zero: ZIP of "個別" through the 7-zip library
  ZipArchiveLevel,           // {Z}
  ZipArchiveLevel7z,         // {X}
  ZipArchiveMethod7z,        // {M}
  ZipDeflateMem7z,           // {B}
  ZipDeflatePass7z,          // {P}
  ZipEncrypt,                // 1: ZIP archives get a password (AES-256), asked at Start
  ZipVolumeSize,             // MB per part of a split ZIP (x.z01 ... x.zip); 0: one file
  CabArchiveType,            // {C}: see CabTypeSwitch
  CabLZXArchiveLevel,        // the window after "-ml:"
  SevenZArchiveLevel,        // {X7}
  SevenZSolidMode,           // " -ms=on" for 1, else " -ms=off"
  SevenZFilter,              // " -mf=..."
  SevenZHeaderComp,          // " -mhc=..."
  SevenZCompleteHeaderComp,  // " -mhcf=..."
  SevenZEncrypt,             // 1: 7Z archives get a password (7zAES, names too), asked at Start
  SevenZVolumeSize,          // MB per volume (x.7z.001 ...); 0: one file
  GzArchiveLevel,            // {G} after "-z"
  Bz2ArchiveLevel,           // {G} after "-B"
  BzaArchiveLevel,           // {G} after "-l"
  GzaArchiveLevel,           // {G} after "-l"
  Yz2BufferSize,             // {U}: directly after "--buffer-size"
  Yz2PPM,                    // {R}: 1 gives "--ppm-mode-on "
  RkArchiveLevel,            // {K}
  RkWAVArchiveLevel,         // {W}
  PaqarArchiveLevel,         // {Q}
  BhArchiveLevel,            // stored only: no archiving path reads it
  Count
};

inline constexpr ArchiveSetting kArchiveSettings[] = {
    {"ARCHIVE_LZH", "HuffmanBufferSize", SettingType::Text, "16384"},
    {"ARCHIVE_LZH", "ArchiveLevel", SettingType::Text, "lh5"},
    {"GENERAL_ARC", "Use7Zip", SettingType::Integer, "0"},
    {"ARCHIVE_ZIP", "ArchiveLevel", SettingType::Integer, "6"},
    {"ARCHIVE_ZIP", "ArchiveLevel_7z", SettingType::Integer, "5"},
    {"ARCHIVE_ZIP", "ArchiveMethod_7z", SettingType::Text, "Deflate"},
    {"ARCHIVE_ZIP", "DeflateMem_7z", SettingType::Integer, "32"},
    {"ARCHIVE_ZIP", "DeflatePass_7z", SettingType::Integer, "1"},
    {"ARCHIVE_ZIP", "Encrypt", SettingType::Integer, "0"},
    {"ARCHIVE_ZIP", "VolumeSize", SettingType::Integer, "0"},
    {"ARCHIVE_CAB", "ArchiveType", SettingType::Text, "MSZIP"},
    {"ARCHIVE_CAB", "LZXArchiveLevel", SettingType::Integer, "15"},
    {"ARCHIVE_7Z", "ArchiveLevel", SettingType::Integer, "5"},
    {"ARCHIVE_7Z", "SolidMode", SettingType::Integer, "1"},
    {"ARCHIVE_7Z", "Filter", SettingType::Integer, "1"},
    {"ARCHIVE_7Z", "HeaderComp", SettingType::Integer, "1"},
    {"ARCHIVE_7Z", "CompleteHeaderComp", SettingType::Integer, "1"},
    {"ARCHIVE_7Z", "Encrypt", SettingType::Integer, "0"},
    {"ARCHIVE_7Z", "VolumeSize", SettingType::Integer, "0"},
    {"ARCHIVE_GZ", "ArchiveLevel", SettingType::Integer, "6"},
    {"ARCHIVE_BZ2", "ArchiveLevel", SettingType::Integer, "9"},
    {"ARCHIVE_BZA", "ArchiveLevel", SettingType::Integer, "9"},
    {"ARCHIVE_GZA", "ArchiveLevel", SettingType::Integer, "9"},
    {"ARCHIVE_YZ2", "BufferSize", SettingType::Integer, "8"},
    {"ARCHIVE_YZ2", "PPM", SettingType::Integer, "0"},
    {"ARCHIVE_RK", "ArchiveLevel", SettingType::Text, "mn1"},
    {"ARCHIVE_RK", "WAVArchiveLevel", SettingType::Text, "mwn"},
    {"ARCHIVE_PAQAR", "ArchiveLevel", SettingType::Text, "2"},
    {"ARCHIVE_BH", "ArchiveLevel", SettingType::Text, "deflate/normal"},
};
static_assert(std::size(kArchiveSettings) == size_t(ArchiveKey::Count));

const ArchiveSetting& ArchiveSettingOf(ArchiveKey key);
// The value from QvrArc.ini, or the row's default when the file or the key is missing.
// Integers follow the settings reader's integer rule and come back as decimal text.
std::string ReadArchiveSetting(ArchiveKey key);

// The switch rules on values as read.
// "lh0" -> "-jm0", "lh1" -> "-jm1", "lh5" -> "-jm2", "lh6" -> "-jm3", "lh7" -> "-jm4",
// "Auto" -> "-jma"; anything else "".
std::string LzhMethodSwitch(std::string_view archiveLevel);
// "MSZIP" -> "-mz", "LZX" -> "-ml:" + level, "NoCompress" -> "-ms"; anything else "".
std::string CabTypeSwitch(std::string_view archiveType, std::string_view lzxLevel);
// " -<name>=on" for the value "1", else " -<name>=off".
std::string OnOffSwitch(std::string_view name, std::string_view value);

// Every switch of both command tables, read from the settings at one moment.
struct ArchiveSwitches {
  std::string lzhBuffer;       // {H}
  std::string lzhMethod;       // {J}
  bool use7Zip = false;        // GENERAL_ARC/Use7Zip
  std::string zipLevel;        // {Z}
  std::string zip7zLevel;      // {X}
  std::string zip7zMethod;     // {M}
  std::string zip7zMem;        // {B}
  std::string zip7zPass;       // {P}
  bool zipEncrypt = false;     // ARCHIVE_ZIP/Encrypt
  int zipVolumeMB = 0;         // ARCHIVE_ZIP/VolumeSize (a negative value reads as 0)
  std::string cabType;         // {C}
  std::string sevenZLevel;     // {X7}
  std::string sevenZOnOff;     // " -ms=on -mf=on -mhc=on -mhcf=on" for the defaults
  bool sevenZEncrypt = false;  // ARCHIVE_7Z/Encrypt
  int sevenZVolumeMB = 0;      // ARCHIVE_7Z/VolumeSize
  std::string gzLevel;         // {G} of gz
  std::string bz2Level;        // {G} of bz2
  std::string bzaLevel;        // {G} of bza
  std::string gzaLevel;        // {G} of gza
  std::string yz2Buffer;       // {U}
  std::string yz2Ppm;          // {R}
  std::string rkLevel;         // {K}
  std::string rkWavLevel;      // {W}
  std::string paqarLevel;      // {Q}
};
ArchiveSwitches ReadArchiveSwitches();

}  // namespace qvr
