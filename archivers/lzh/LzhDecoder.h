// Expands the data of one LZH entry, every method: -lh0- and -lz4- (stored), -lh1- (LZSS
// with adaptive Huffman), -lh4- to -lh7- (static Huffman), -lzs- and -lz5- (LArc).
// Streaming: compressed bytes are pulled from a source (never more than the entry's
// compressed size), output goes to a sink through a window of the method's history size, so
// memory stays the same whatever the entry's size. The CRC-16 is checked at the end.
#pragma once

#include <cstdint>

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
  bool checkCrc = true;  // level-0 headers of old archives may carry no CRC
};

DecodeStatus Decode(const DecodeRequest& req, ByteSource& src, ByteSink& sink);

}  // namespace qvr::lzh
