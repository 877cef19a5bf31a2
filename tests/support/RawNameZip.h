// ZIP archives whose names are stored as raw bytes of some code page, without the UTF-8 flag,
// as Windows' Explorer and old tools write them: Python's zipfile writes each entry under an
// ASCII stand-in of the same length, which is then replaced by the raw bytes in the local and
// central headers.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace qvr::test {

// The names in UTF-8 are encoded to `codePage` (a Python codec name: "cp932", "cp866"...).
bool MakeRawNameZip(const std::string& path, const std::string& codePage,
                    const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace qvr::test
