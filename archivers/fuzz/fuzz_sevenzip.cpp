// libFuzzer target for our own 7Z reader (archivers/core/SevenZip*): the headers (also packed
// and encrypted ones), the folders' coders and every entry's data, read as 7-zip32 reads
// them. The first byte chooses the password answer: even = "secret" (the password of the
// encrypted test archives, so that their seeds decrypt), odd = none given. Files that our
// reader leaves to libarchive go there, as in the library.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Archiver.h"
#include "FuzzLibraries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::string path = qvr::fuzz::WriteInput(data + 1, size - 1);
  bool give = (data[0] & 1) == 0;
  qvr::arc::SourceOptions options{path, qvr::arc::kFormat7z, [give](std::string& pw) {
                                    pw = "secret";
                                    return give;
                                  }};
  int32_t error = 0;
  auto source = qvr::arc::OpenSevenZipSource(options, error);
  if (!source) return 0;
  qvr::arc::Entry entry;
  size_t total = 0;
  for (int n = 0; n < 10000 && source->Next(entry) == 0; ++n) {
    qvr::EntryInfo info;
    qvr::arc::FillEntryInfo(entry, info);
    for (;;) {
      const void* p = nullptr;
      size_t len = 0;
      if (source->Read(&p, &len) != 0 || len == 0) break;
      total += len;
      if (total > (8u << 20)) return 0;  // a header promising gigabytes stays quick
    }
  }
  return 0;
}
