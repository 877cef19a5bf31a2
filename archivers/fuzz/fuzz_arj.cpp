// libFuzzer target for the ARJ decoder (archivers/arj). The first byte chooses: even = the
// rest is an archive split into volumes at every "\x60\xEA\x00\x00" end mark (headers walked,
// volumes joined, every entry expanded), odd = the rest is one compressed stream of the
// method given by the second byte (0 to 4).
//   cmake -S . -B fuzz-build -G Ninja -DQVR_FUZZ=ON -DCMAKE_C_COMPILER=clang \
//     -DCMAKE_CXX_COMPILER=clang++ && cmake --build fuzz-build --target fuzz_arj
//   mkdir -p corpus && for f in tests/archivers/data/arj_* ../shared/fixtures/arj_*; do
//     { printf '\0'; cat "$f"; } > "corpus/$(basename "$f")"; done
//   fuzz-build/bin/fuzz_arj -max_total_time=600 -max_len=262144 corpus
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ArjArchive.h"
#include "CappedSink.h"

namespace {

void FuzzArchive(const std::string& data) {
  std::vector<std::string> volumes;
  const std::string endMark("\x60\xEA\x00\x00", 4);
  size_t from = 0;
  for (size_t at; volumes.size() < 8 && (at = data.find(endMark, from)) != std::string::npos;
       from = at + endMark.size())
    volumes.push_back(data.substr(from, at + endMark.size() - from));
  volumes.push_back(data.substr(from));
  qvr::arj::ArchiveReader reader([&](unsigned v) -> std::unique_ptr<qvr::lzh::RandomAccessSource> {
    if (v >= volumes.size()) return nullptr;
    return std::make_unique<qvr::lzh::MemorySource>(volumes[v]);
  });
  if (!reader.Open()) return;
  qvr::arj::Entry e;
  for (int i = 0; i < 1000 && reader.NextEntry(&e) == qvr::arj::ArchiveReader::Next::kEntry; ++i) {
    qvr::arj::EntryDecoder dec(reader, e);
    size_t total = 0;
    for (;;) {
      const uint8_t* p = nullptr;
      size_t len = 0;
      if (dec.Read(&p, &len) != qvr::arj::DecodeStatus::kOk || len == 0) break;
      total += len;
      if (total > (8u << 20)) break;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  if ((data[0] & 1) == 0) {
    FuzzArchive(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    return 0;
  }
  std::string packed(reinterpret_cast<const char*>(data + 2), size - 2);
  qvr::lzh::MemorySource src(packed);
  CappedSink sink;
  qvr::arj::DecodeRequest req;
  req.method = data[1] % 5;
  req.packedSize = packed.size();
  req.originalSize = packed.size() * 8u + 1000u;
  qvr::arj::Decode(req, src, sink);
  return 0;
}
