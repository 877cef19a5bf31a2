// libFuzzer target for our own 7Z reader (archivers/core/SevenZip*): the headers (also packed
// and encrypted ones), the folders' coders and every entry's data. The first byte chooses:
// bit 0 the password answer (clear = "secret", the password of the encrypted test archives,
// so that their seeds decrypt; set = none given); bit 1 clear = through the source as 7-zip32
// reads (files our reader leaves to libarchive go there), set = the headers and every folder
// straight through our reader, unencrypted archives too (their coders without AES in front).
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Archiver.h"
#include "FuzzLibraries.h"
#include "SevenZipDirectory.h"
#include "SevenZipFolderReader.h"

namespace {

constexpr size_t kMostOutput = 8u << 20;  // a header promising gigabytes stays quick

void ThroughTheSource(const std::string& path, bool give) {
  qvr::arc::SourceOptions options{path, qvr::arc::kFormat7z, [give](int wrong, std::string& pw) {
                                    pw = "secret";
                                    return give && wrong == 0;
                                  }};
  int32_t error = 0;
  auto source = qvr::arc::OpenSevenZipSource(options, error);
  if (!source) return;
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
      if (total > kMostOutput) return;
    }
  }
}

void EveryFolder(const std::string& path, bool give) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  const qvr::arc::PartedFile file(fd);
  qvr::arc::SevenZipKeys keys([give](int wrong, std::string& pw) {
    pw = "secret";
    return give && wrong == 0;
  });
  qvr::arc::SevenZipArchive archive;
  std::string why;
  size_t total = 0;
  if (qvr::arc::ReadSevenZipArchive(file, keys, &archive, &why) == 0) {
    std::vector<uint8_t> buffer(64u << 10);
    for (size_t i = 0; i < archive.folders.size() && i < 64 && total <= kMostOutput; ++i) {
      std::unique_ptr<qvr::arc::SevenZipFolderReader> reader;
      if (qvr::arc::SevenZipFolderReader::Open(file, archive.folders[i], keys, &reader, &why) != 0)
        continue;
      for (size_t got = 1; got > 0 && total <= kMostOutput; total += got) {
        if (reader->Read(buffer.data(), buffer.size(), &got, &why) != 0) break;
      }
    }
  }
  close(fd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::string path = qvr::fuzz::WriteInput(data + 1, size - 1);
  bool give = (data[0] & 1) == 0;
  if (data[0] & 2)
    EveryFolder(path, give);
  else
    ThroughTheSource(path, give);
  return 0;
}
