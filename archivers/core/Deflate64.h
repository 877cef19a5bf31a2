// Expands Deflate64 ("enhanced deflate", ZIP method 9): Deflate with a 64 KiB history,
// length code 285 meaning 3 plus 16 extra bits, and distance codes 30 and 31 (14 extra
// bits each). Streaming: compressed bytes are pulled through a reader, output is handed out
// in blocks; memory stays the same whatever the entry's size. Used for ZIP entries whose
// method libarchive does not decode.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace qvr::arc {

class Deflate64Decoder {
 public:
  // Places up to n compressed bytes in buf; 0 at their end.
  using Reader = std::function<size_t(uint8_t* buf, size_t n)>;
  enum class Status { kOk, kCorrupt, kTruncated };

  // `size` is the entry's original size: the stream must produce exactly that much.
  Deflate64Decoder(Reader read, uint64_t size);
  ~Deflate64Decoder();
  Deflate64Decoder(const Deflate64Decoder&) = delete;
  Deflate64Decoder& operator=(const Deflate64Decoder&) = delete;

  // The next block of output, valid until the next call; *len == 0 at the stream's end. A
  // status other than kOk ends the stream.
  Status Read(const uint8_t** data, size_t* len);

 private:
  struct Huffman;
  bool Fill(int n);
  uint32_t Bits(int n);
  int Decode(const Huffman& h);
  Status BlockHeader();
  Status Dynamic();
  Status Stored();
  Status Codes();

  Reader read_;
  uint64_t size_;
  uint64_t produced_ = 0;
  std::vector<uint8_t> in_;
  size_t inPos_ = 0, inLen_ = 0;
  bool inEnd_ = false;
  uint64_t bits_ = 0;
  int count_ = 0;
  std::vector<uint8_t> buf_;  // the history, then the block being produced
  size_t pos_ = 0, start_ = 0;
  int block_ = -1;  // -1 between blocks, 0 stored, 1 Huffman codes
  bool last_ = false, done_ = false;
  uint32_t storedLeft_ = 0;
  Status failed_ = Status::kOk;
  Huffman* lit_;
  Huffman* dist_;
};

}  // namespace qvr::arc
