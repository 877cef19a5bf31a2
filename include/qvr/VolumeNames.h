// How the files of one volume set are named, for the program (one list entry per set, the
// check of its parts, deleting them) and for our libraries (reading the parts as one archive):
//   numbered   x.7z.001, x.7z.002 ...  (also x.zip.001 and any x.ext.001 of a plain split)
//   ZIP split  x.z01, x.z02 ... x.zip  (x.zip holds the end of the archive and opens the set)
//   RAR parts  x.part1.rar, x.part2.rar ...
//   old RAR    x.rar, x.r00, x.r01 ...
//   ARJ        x.arj, x.a01, x.a02 ...
// Header-only and on std only: both sides include it, and nothing of each other's.
#pragma once

#include <sys/stat.h>

#include <cctype>
#include <string>
#include <vector>

namespace qvr {

enum class VolumeKind { None, Numbered, ZipSplit, RarParts, RarOld, Arj };

struct VolumeSetName {
  VolumeKind kind = VolumeKind::None;
  std::string head;    // the file that opens the set (x.7z.001, x.zip, x.part1.rar, x.rar, x.arj)
  std::string stem;    // the path before the part's number or extension
  int width = 0;       // digits of the part number as written
  bool upper = false;  // the extension was written in capitals
};

namespace volume_detail {

inline bool AllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (unsigned char c : s)
    if (!std::isdigit(c)) return false;
  return true;
}

inline std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

inline std::string Number(int n, int width) {
  std::string d = std::to_string(n);
  if (static_cast<int>(d.size()) < width) d.insert(0, static_cast<size_t>(width) - d.size(), '0');
  return d;
}

inline bool IsFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

inline std::string Cased(const std::string& text, bool upper) {
  if (!upper) return text;
  std::string s = text;
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace volume_detail

// The set a file's name puts it in, by the name alone; kind None for any other file. A lone
// x.zip, x.rar or x.arj names a set too (of one part when no other part exists).
inline VolumeSetName VolumeSetOf(const std::string& path) {
  using namespace volume_detail;
  VolumeSetName v;
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) ||
      dot + 1 >= path.size())
    return v;
  const std::string ext = path.substr(dot + 1);
  const std::string low = Lower(ext);
  const std::string stem = path.substr(0, dot);
  v.upper = ext != low;
  if (AllDigits(ext) && ext.size() >= 3 && std::stoi(ext) >= 1) {
    v.kind = VolumeKind::Numbered;
    v.stem = stem;
    v.width = static_cast<int>(ext.size());
    v.head = stem + "." + Number(1, v.width);
  } else if ((low[0] == 'z' || low[0] == 'r' || low[0] == 'a') && low.size() >= 3 &&
             AllDigits(low.substr(1))) {
    v.kind = low[0] == 'z'   ? VolumeKind::ZipSplit
             : low[0] == 'r' ? VolumeKind::RarOld
                             : VolumeKind::Arj;
    v.stem = stem;
    v.width = static_cast<int>(low.size()) - 1;
    v.head = stem + "." + Cased(low[0] == 'z' ? "zip" : low[0] == 'r' ? "rar" : "arj", v.upper);
  } else if (low == "zip" || low == "arj") {
    v.kind = low == "zip" ? VolumeKind::ZipSplit : VolumeKind::Arj;
    v.stem = stem;
    v.width = 2;
    v.head = path;
  } else if (low == "rar") {
    const std::string lowStem = Lower(stem);
    const size_t part = lowStem.rfind(".part");
    if (part != std::string::npos && AllDigits(stem.substr(part + 5))) {
      v.kind = VolumeKind::RarParts;
      v.stem = stem.substr(0, part + 5);
      v.width = static_cast<int>(stem.size() - part - 5);
      v.head = v.stem + Number(1, v.width) + "." + ext;
    } else {
      v.kind = VolumeKind::RarOld;
      v.stem = stem;
      v.width = 2;
      v.head = path;
    }
  }
  return v;
}

// The name of the set's part number `n` (1 the first to read) for the kinds whose parts count
// from the head: numbered, RAR parts, and the followers of old RAR and ARJ (n >= 1 is the n-th
// follower, .r00 / .a01 first).
inline std::string VolumePartName(const VolumeSetName& v, int n) {
  using namespace volume_detail;
  switch (v.kind) {
    case VolumeKind::Numbered:
      return v.stem + "." + Number(n, v.width);
    case VolumeKind::RarParts:
      return v.stem + Number(n, v.width) + v.head.substr(v.head.rfind('.'));
    case VolumeKind::RarOld:
      return v.stem + "." + Cased("r", v.upper) + Number(n - 1, v.width);
    case VolumeKind::Arj:
      return v.stem + "." + Cased("a", v.upper) + Number(n, v.width);
    case VolumeKind::ZipSplit:
      return v.stem + "." + Cased("z", v.upper) + Number(n, v.width);
    default:
      return "";
  }
}

// The files of the set that exist, in the order they are read: numbered .001, .002 ...;
// ZIP x.z01 ... then x.zip; RAR parts from part 1; old RAR x.rar, x.r00 ...; ARJ x.arj, x.a01
// ...; each run ends at the first number missing. A file of no set is its own only part.
inline std::vector<std::string> VolumeParts(const std::string& path) {
  using namespace volume_detail;
  const VolumeSetName v = VolumeSetOf(path);
  if (v.kind == VolumeKind::None) return {path};
  std::vector<std::string> parts;
  const bool headFirst = v.kind == VolumeKind::RarOld || v.kind == VolumeKind::Arj;
  if (headFirst) parts.push_back(v.head);
  for (int n = 1; n < 100000; ++n) {
    std::string part = VolumePartName(v, n);
    if (!IsFile(part)) break;
    parts.push_back(part);
  }
  if (v.kind == VolumeKind::ZipSplit) parts.push_back(v.head);
  if (parts.empty()) parts.push_back(path);
  return parts;
}

}  // namespace qvr
