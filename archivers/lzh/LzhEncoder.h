// Compresses data into the LZH methods -lh0-, -lh1-, -lh5-, -lh6- and -lh7-. Streaming: the
// source is read once through a window of twice the method's history, so memory does not
// grow with the input. Matches come from hash chains with lazy evaluation (one position of
// look-ahead), the static-Huffman methods code them in blocks with their own tables.
//
// The buffer-size hint of the command line (-je, 4096..32768) is accepted by the plugin and
// not used here: block sizes and windows are the method's own, which only changes how the
// bytes are packed, never what a reader gets.
#pragma once

#include <cstdint>

#include "LzhIo.h"
#include "LzhMethod.h"

namespace qvr::lzh {

struct EncodeResult {
  uint64_t originalSize = 0;
  uint64_t packedSize = 0;
  uint16_t crc = 0;
};

enum class EncodeStatus { kOk, kSourceFailed, kSinkFailed, kUnsupported };

EncodeStatus Encode(Method method, ByteSource& src, ByteSink& sink, EncodeResult* result);

// The -jma choice: every method we write tried on the source (read once per method), the
// one with the smallest output returned (-lh0- when nothing shrinks). The source is rewound
// after each trial.
EncodeStatus SmallestMethod(SeekableSource& src, Method* best);

}  // namespace qvr::lzh
