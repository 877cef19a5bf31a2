// TAR, TAR.GZ and TAR.BZ2 through libarchive, and single compressed files (.gz keeps the
// original name in its header). The archive's extension decides the container.
#pragma once

#include <string>
#include <vector>

#include "SourceList.h"
#include "WriteResult.h"

namespace qvr::writers {

enum class TarKind { Tar, TarGz, TarBz2, Gz, Bz2 };

// By extension: .tgz/.tar.gz, .tbz/.tbz2/.tar.bz2; a .gz or .bz2 holding exactly one file is a
// single compressed file, holding more a compressed TAR; anything else is a TAR.
TarKind TarKindFor(const std::string& archivePath, const std::vector<AddItem>& items);

struct TarOptions {
  int level = -1;  // gzip or bzip2 level 1-9; -1 for the compressor's default
  Progress progress;
};

// Creates the archive anew (an existing one is replaced only once the new one is complete).
WriteResult TarCreate(const std::string& archivePath, const std::vector<AddItem>& items,
                      const TarOptions& options);

}  // namespace qvr::writers
