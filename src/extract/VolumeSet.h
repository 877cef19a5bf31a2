// Volume sets in the file list: the files of one set (x.part1.rar ..., x.rar + x.r00 ...,
// x.7z.001 ..., x.z01 ... + x.zip, x.arj + x.a01 ..., x.ext.001 ...) stand as one entry, the
// file that opens the set; the pre-scan finds a part that is missing or cut short before
// anything is extracted; deleting the archive after extraction deletes every part.
#pragma once

#include <string>
#include <vector>

namespace qvr {

// The list entry for a file: the file that opens its set, else the file itself.
std::string VolumeSetEntry(const std::string& path);

// What is wrong with a set: the part that is missing or shorter than the parts before it.
struct VolumeSetProblem {
  std::string part;     // "" when the set is whole
  bool short_ = false;  // present but cut short (missing otherwise)
};
VolumeSetProblem CheckVolumeSet(const std::string& entry);
// The report's words for it: 「x.7z.002」がありません / 「x.7z.002」が途中で切れています.
std::string VolumeSetReason(const VolumeSetProblem& problem);

}  // namespace qvr
