#include "VolumeSet.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "PathHelpers.h"
#include "Translate.h"
#include "qvr/VolumeNames.h"

namespace qvr {
namespace {

namespace fs = std::filesystem;

// The number a part carries after its set's head (0 for the head itself): .001 is 1, .z01 1,
// part1 1, .r00 1, .a01 1.
int PartNumber(const std::string& path, const VolumeSetName& set) {
  const VolumeSetName own = VolumeSetOf(path);
  if (own.kind != set.kind || own.head != set.head || path == set.head) return 0;
  if (set.kind == VolumeKind::RarParts) {
    const std::string digits = path.substr(set.stem.size(), own.width);
    return std::stoi(digits);
  }
  const std::string ext = path.substr(path.rfind('.') + 1);
  const int n = std::stoi(set.kind == VolumeKind::Numbered ? ext : ext.substr(1));
  return set.kind == VolumeKind::RarOld ? n + 1 : n;
}

// The highest part number of the set found in its folder.
int HighestPart(const VolumeSetName& set) {
  int highest = 0;
  std::error_code ec;
  const std::string folder = FolderOf(set.head);
  for (const auto& item : fs::directory_iterator(folder.empty() ? "." : folder, ec)) {
    const std::string path = folder + kSep + item.path().filename().string();
    if (item.is_regular_file(ec)) highest = std::max(highest, PartNumber(path, set));
  }
  return highest;
}

uint64_t Le(const unsigned char* p, int bytes) {
  uint64_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

// The number of parts before x.zip its end record names (the number of its own disk).
int ZipDisksBefore(const std::string& zip) {
  std::ifstream in(zip, std::ios::binary | std::ios::ate);
  if (!in) return 0;
  const std::streamoff size = in.tellg();
  // Most archives end with the record itself (no comment): its 22 bytes first.
  for (std::streamoff take : {std::streamoff(22), std::streamoff(65536 + 22)}) {
    take = std::min(size, take);
    std::string tail(static_cast<size_t>(take), '\0');
    in.seekg(size - take);
    if (!in.read(tail.data(), take)) return 0;
    const size_t at = tail.rfind(std::string("PK\5\6", 4));
    if (at != std::string::npos && at + 22 <= tail.size())
      return static_cast<int>(Le(reinterpret_cast<const unsigned char*>(tail.data()) + at + 4, 2));
  }
  return 0;
}

// The whole length a 7Z's first part says the archive has; 0 for no 7Z.
uint64_t SevenZipLength(const std::string& first) {
  std::ifstream in(first, std::ios::binary);
  unsigned char h[32];
  if (!in.read(reinterpret_cast<char*>(h), sizeof h) ||
      std::memcmp(h, "7z\xBC\xAF\x27\x1C", 6) != 0)
    return 0;
  return 32 + Le(h + 12, 8) + Le(h + 20, 8);
}

}  // namespace

std::string VolumeSetEntry(const std::string& path) {
  const VolumeSetName set = VolumeSetOf(path);
  return set.kind == VolumeKind::None ? path : set.head;
}

VolumeSetProblem CheckVolumeSet(const std::string& entry) {
  const VolumeSetName set = VolumeSetOf(entry);
  if (set.kind == VolumeKind::None) return {};
  if (!IsExistingFile(set.head)) return {set.head, false};
  const std::vector<std::string> parts = VolumeParts(entry);
  // The numbered parts read: all but the head where the head has no number.
  const bool headApart = set.kind == VolumeKind::ZipSplit || set.kind == VolumeKind::RarOld ||
                         set.kind == VolumeKind::Arj;
  const int present = static_cast<int>(parts.size()) - (headApart ? 1 : 0);
  // The folder is searched for later parts only where the set has more than its head (or
  // numbers every part): a lone archive costs no look at its folder.
  const bool numbered = set.kind == VolumeKind::Numbered || set.kind == VolumeKind::RarParts;
  int expected = numbered || parts.size() > 1 ? HighestPart(set) : 0;
  if (set.kind == VolumeKind::ZipSplit) expected = std::max(expected, ZipDisksBefore(set.head));
  if (expected > present) return {VolumePartName(set, present + 1), false};
  if (set.kind == VolumeKind::Numbered) {
    uint64_t length = SevenZipLength(parts.front()), sum = 0;
    for (const std::string& part : parts) sum += uint64_t(std::max<int64_t>(FileLen(part), 0));
    if (length > sum) return {VolumePartName(set, present + 1), false};
  }
  // Every part but the last has the one volume size: a shorter one was cut off.
  int64_t full = 0;
  for (size_t i = 0; i + 1 < parts.size(); ++i) full = std::max(full, FileLen(parts[i]));
  for (size_t i = 0; i + 1 < parts.size(); ++i)
    if (FileLen(parts[i]) < full) return {parts[i], true};
  return {};
}

std::string VolumeSetReason(const VolumeSetProblem& problem) {
  return Tr("VolumeSet", "「") + FileNameOf(problem.part) + Tr("VolumeSet", "」") +
         (problem.short_ ? Tr("VolumeSet", "が途中で切れています")
                         : Tr("VolumeSet", "がありません"));
}

}  // namespace qvr
