// The ZIP central directory reader on its own: the listing through the directory source
// (falling back to libarchive where the directory does not hold together) and the writer's
// reading with every entry's span. The first byte picks which, as it picks the library in
// the other targets (so the same seeds serve).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "Archiver.h"
#include "FuzzLibraries.h"
#include "NameDecoder.h"
#include "ZipDirectory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::string path = qvr::fuzz::WriteInput(data + 1, size - 1);
  qvr::arc::LocaleScope locale;
  if (data[0] & 1) {
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return 0;
    qvr::arc::ZipDirectory dir;
    std::string why;
    if (qvr::arc::ReadZipDirectory(fd, size - 1, &dir, &why) == 0) {
      for (const auto& e : dir.entries) {
        if (e.spanEnd < e.localOffset || e.spanEnd > size - 1) __builtin_trap();
      }
    }
    close(fd);
    return 0;
  }
  qvr::arc::SourceOptions options{path, qvr::arc::kFormatZip, nullptr};
  int32_t error = 0;
  auto source = qvr::arc::OpenZipDirectorySource(options, error);
  if (!source) return 0;
  qvr::arc::Entry entry;
  for (int n = 0; n < 100000 && source->Next(entry) == 0; ++n) {
    qvr::EntryInfo info;
    qvr::arc::FillEntryInfo(entry, info);
    if (std::memchr(info.FileName, 0, sizeof info.FileName) == nullptr) __builtin_trap();
  }
  return 0;
}
