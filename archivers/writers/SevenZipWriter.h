// 7Z writing: our own container on liblzma's LZMA2, compressed on every processor (see
// Lzma2Blocks). Updating or deleting decodes the old archive's entries through libarchive and
// writes them anew (a 7Z folder is one solid stream; its parts cannot be copied).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ArgSplitter.h"
#include "SourceList.h"
#include "WriteResult.h"

namespace qvr::writers {

struct SevenZipOptions {
  int level = 5;       // 0 stores; 1-9 is LZMA2 with liblzma's preset of that number (Lzma2Blocks)
  bool solid = true;   // false: every file in a folder of its own
  bool filter = true;  // the executable filter: taken, not applied (see ARCHITECTURE.md)
  bool headerCompression = true;      // the header is packed with LZMA2
  bool fullHeaderCompression = true;  // taken; with headerCompression the whole header is packed
  uint64_t blockSize = 0;             // input per LZMA2 block (each on its own thread); 0 chooses
  // Set: every folder is encrypted with it (7zAES); encryptHeader also the header (names).
  std::optional<std::string> password;
  bool encryptHeader = false;
  // Not 0: new volumes of this many bytes (x.7z.001 ...); an archive there is replaced.
  uint64_t volumeSize = 0;
  Progress progress;
};

WriteResult SevenZipAdd(const std::string& archivePath, const std::vector<AddItem>& items,
                        const SevenZipOptions& options);
// Removes the entries the names select, as ZipDelete does.
WriteResult SevenZipDelete(const std::string& archivePath, const std::vector<arc::Name>& names,
                           const Progress& progress = {});

}  // namespace qvr::writers
