// Expands the data of one ARJ entry (or one part of a file split across volumes): stored,
// methods 1 to 3 (LZ77 with static Huffman codes in blocks, the -lh7- stream of LZH, so the
// LZH codec decodes them) and method 4 (LZ77 with unary-prefixed lengths and distances).
// Streaming, with the data's CRC-32 checked at its end; statuses are the LZH codec's.
#pragma once

#include <cstdint>
#include <memory>

#include "LzhDecoder.h"
#include "LzhIo.h"

namespace qvr::arj {

using lzh::DecodeStatus;

struct DecodeRequest {
  uint8_t method = 0;
  uint64_t packedSize = 0;
  uint64_t originalSize = 0;
  uint32_t crc = 0;
};

class StreamDecoder {
 public:
  StreamDecoder(const DecodeRequest& req, lzh::ByteSource& src);
  ~StreamDecoder();
  StreamDecoder(const StreamDecoder&) = delete;
  StreamDecoder& operator=(const StreamDecoder&) = delete;

  // The next block of output, valid until the next call; *len == 0 once the data is
  // complete and its CRC checked. A status other than kOk ends the stream.
  DecodeStatus Read(const uint8_t** data, size_t* len);

 private:
  struct State;
  std::unique_ptr<State> s_;
};

// Expands the whole data into the sink.
DecodeStatus Decode(const DecodeRequest& req, lzh::ByteSource& src, lzh::ByteSink& sink);

}  // namespace qvr::arj
