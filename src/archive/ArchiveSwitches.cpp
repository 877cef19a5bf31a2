#include "ArchiveSwitches.h"

#include <algorithm>
#include <cstdlib>

#include "Settings.h"

namespace qvr {

const ArchiveSetting& ArchiveSettingOf(ArchiveKey key) {
  return kArchiveSettings[size_t(key)];
}

std::string ReadArchiveSetting(ArchiveKey key) {
  const ArchiveSetting& s = ArchiveSettingOf(key);
  if (s.type == SettingType::Text)
    return GetIniStringDef(kQvrArcIni, s.section, s.key, s.defaultValue);
  auto fallback = static_cast<int16_t>(std::atoi(s.defaultValue));
  return std::to_string(GetIniIntDef(kQvrArcIni, s.section, s.key, fallback));
}

std::string LzhMethodSwitch(std::string_view archiveLevel) {
  // The digit is the method's place in the options list, not its number.
  if (archiveLevel == "lh0") return "-jm0";
  if (archiveLevel == "lh1") return "-jm1";
  if (archiveLevel == "lh5") return "-jm2";
  if (archiveLevel == "lh6") return "-jm3";
  if (archiveLevel == "lh7") return "-jm4";
  if (archiveLevel == "Auto") return "-jma";
  return "";
}

std::string CabTypeSwitch(std::string_view archiveType, std::string_view lzxLevel) {
  if (archiveType == "MSZIP") return "-mz";
  if (archiveType == "LZX") return "-ml:" + std::string(lzxLevel);
  if (archiveType == "NoCompress") return "-ms";
  return "";
}

std::string OnOffSwitch(std::string_view name, std::string_view value) {
  return " -" + std::string(name) + (value == "1" ? "=on" : "=off");
}

ArchiveSwitches ReadArchiveSwitches() {
  using K = ArchiveKey;
  auto read = [](K key) { return ReadArchiveSetting(key); };
  ArchiveSwitches s;
  s.lzhBuffer = read(K::LzhHuffmanBufferSize);
  s.lzhMethod = LzhMethodSwitch(read(K::LzhArchiveLevel));
  s.use7Zip = read(K::Use7Zip) != "0";
  s.zipLevel = read(K::ZipArchiveLevel);
  s.zip7zLevel = read(K::ZipArchiveLevel7z);
  s.zip7zMethod = read(K::ZipArchiveMethod7z);
  s.zip7zMem = read(K::ZipDeflateMem7z);
  s.zip7zPass = read(K::ZipDeflatePass7z);
  s.zipEncrypt = read(K::ZipEncrypt) != "0";
  s.zipVolumeMB = std::max(0, std::atoi(read(K::ZipVolumeSize).c_str()));
  s.cabType = CabTypeSwitch(read(K::CabArchiveType), read(K::CabLZXArchiveLevel));
  s.sevenZLevel = read(K::SevenZArchiveLevel);
  s.sevenZOnOff = OnOffSwitch("ms", read(K::SevenZSolidMode)) +
                  OnOffSwitch("mf", read(K::SevenZFilter)) +
                  OnOffSwitch("mhc", read(K::SevenZHeaderComp)) +
                  OnOffSwitch("mhcf", read(K::SevenZCompleteHeaderComp));
  s.sevenZEncrypt = read(K::SevenZEncrypt) != "0";
  s.sevenZVolumeMB = std::max(0, std::atoi(read(K::SevenZVolumeSize).c_str()));
  s.gzLevel = read(K::GzArchiveLevel);
  s.bz2Level = read(K::Bz2ArchiveLevel);
  s.bzaLevel = read(K::BzaArchiveLevel);
  s.gzaLevel = read(K::GzaArchiveLevel);
  s.yz2Buffer = read(K::Yz2BufferSize);
  s.yz2Ppm = read(K::Yz2PPM) == "1" ? "--ppm-mode-on " : "";
  s.rkLevel = read(K::RkArchiveLevel);
  s.rkWavLevel = read(K::RkWAVArchiveLevel);
  s.paqarLevel = read(K::PaqarArchiveLevel);
  return s;
}

}  // namespace qvr
