// libFuzzer target for the LZH decoder and the header parser. The first byte chooses: even =
// the input is an archive (headers walked, every entry expanded), odd = the rest is one
// compressed stream of the method chosen by the second byte. Run it as the others:
//   archivers/fuzz/run.sh fuzz_lzh 600
// (its seeds are the LZH files of the fixtures and of tests/archivers/lzh/data behind a 0
// byte, in a corpus folder of the fuzzing build).
#include <cstddef>
#include <cstdint>
#include <string>

#include "CappedSink.h"
#include "LzhArchive.h"

namespace {

constexpr qvr::lzh::Method kMethods[] = {
    qvr::lzh::Method::kLh0, qvr::lzh::Method::kLh1, qvr::lzh::Method::kLh4,
    qvr::lzh::Method::kLh5, qvr::lzh::Method::kLh6, qvr::lzh::Method::kLh7,
    qvr::lzh::Method::kLzs, qvr::lzh::Method::kLz5, qvr::lzh::Method::kLz4};

void FuzzArchive(const std::string& data) {
  qvr::lzh::MemorySource src(data);
  qvr::lzh::ArchiveReader reader(src);
  if (!reader.Open()) return;
  qvr::lzh::Entry e;
  for (int i = 0; i < 1000 && reader.NextEntry(&e) == qvr::lzh::ArchiveReader::Next::kEntry; ++i) {
    (void)e.header.Path();
    CappedSink sink;
    reader.Extract(e, sink);
  }
}

void FuzzStream(uint8_t selector, const std::string& packed) {
  qvr::lzh::DecodeRequest req;
  req.method = kMethods[selector % 9];
  req.packedSize = packed.size();
  req.originalSize = (static_cast<uint64_t>(selector) << 10) + packed.size() * 8;
  qvr::lzh::MemorySource src(packed);
  CappedSink sink;
  qvr::lzh::Decode(req, src, sink);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  if ((data[0] & 1) == 0) {
    FuzzArchive(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
  } else {
    FuzzStream(data[1], std::string(reinterpret_cast<const char*>(data + 2), size - 2));
  }
  return 0;
}
