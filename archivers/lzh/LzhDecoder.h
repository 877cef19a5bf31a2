// Expands the data of one LZH entry, every method: -lh0- and -lz4- (stored), -lh1- (LZSS
// with adaptive Huffman), -lh4- to -lh7- (static Huffman), -lzs- and -lz5- (LArc).
// Streaming: compressed bytes are pulled from a source (never more than the entry's
// compressed size), output goes to a sink through a window of the method's history size, so
// memory stays the same whatever the entry's size. The CRC-16 is checked at the end.
#pragma once

#include <cstdint>
#include <memory>

#include "LzhIo.h"
#include "LzhMethod.h"

namespace qvr::lzh {

enum class DecodeStatus {
  kOk,
  kCorrupt,      // the stream contradicts its method (bad tables, codes, distances)
  kTruncated,    // the compressed data ended before the whole entry came out
  kCrcMismatch,  // everything came out but the CRC differs
  kSinkFailed,   // the sink refused bytes
  kUnsupported,  // a method we do not know
};

const char* DescribeStatus(DecodeStatus s);

struct DecodeRequest {
  Method method = Method::kLh0;
  uint64_t packedSize = 0;
  uint64_t originalSize = 0;
  uint16_t crc = 0;
  // Level-0 headers of old archives may carry no CRC; ARJ checks its own CRC-32 instead.
  bool checkCrc = true;
};

// Expands the whole entry into the sink.
DecodeStatus Decode(const DecodeRequest& req, ByteSource& src, ByteSink& sink);

// Hands every block of a streaming decoder (this codec's or ARJ's) to the sink.
template <class Decoder>
DecodeStatus DrainInto(Decoder& dec, ByteSink& sink) {
  for (;;) {
    const uint8_t* data = nullptr;
    size_t len = 0;
    DecodeStatus st = dec.Read(&data, &len);
    if (st != DecodeStatus::kOk || len == 0) return st;
    if (!sink.Write(data, len)) return DecodeStatus::kSinkFailed;
  }
}

// The same, pulled block by block (a reader that hands out data on request).
class StreamDecoder {
 public:
  StreamDecoder(const DecodeRequest& req, ByteSource& src);
  ~StreamDecoder();
  StreamDecoder(const StreamDecoder&) = delete;
  StreamDecoder& operator=(const StreamDecoder&) = delete;

  // The next block of output, valid until the next call; *len == 0 once the entry is
  // complete and its CRC checked. A status other than kOk ends the stream.
  DecodeStatus Read(const uint8_t** data, size_t* len);

 private:
  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace qvr::lzh
