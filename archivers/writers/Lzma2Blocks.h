// LZMA2 compression of 7Z folders on several threads. The data of a folder is cut into blocks;
// each block is encoded on its own thread by liblzma's raw LZMA2 encoder. The first block of a
// folder starts with a dictionary reset; every later one is given the folder's bytes before it
// as its preset dictionary, so its matches reach back as far as a single encoder's would and
// its stream only resets the coder's state. Joined in order, with the end marker (one 0x00
// byte) of every block but the folder's last removed, the outputs form one LZMA2 stream that
// every reader decodes.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qvr::writers {

struct Lzma2Settings {
  int preset = 5;             // liblzma preset 1-9 (the archive's level)
  uint64_t blockSize = 0;     // bytes of input per block; 0 chooses (see BlockSizeFor)
  unsigned threads = 0;       // 0: one per processor, as many as memory allows
  uint64_t expectedSize = 0;  // about how much input will come; 0 when not known
};

// What one folder became: its compressed size and the coder's dictionary property byte.
struct PackedFolder {
  uint64_t packSize = 0;
  uint32_t dictionary = 0;  // the largest dictionary any of its blocks used
  uint8_t Property() const;
};

class Lzma2Blocks {
 public:
  // sink takes the compressed bytes in order, always on the thread that calls Append.
  using Sink = std::function<bool(const uint8_t* data, size_t size)>;
  Lzma2Blocks(const Lzma2Settings& settings, Sink sink);
  ~Lzma2Blocks();  // stops unfinished blocks (a failed or cancelled write)
  Lzma2Blocks(const Lzma2Blocks&) = delete;
  Lzma2Blocks& operator=(const Lzma2Blocks&) = delete;

  // Called on the sink's thread right after a folder's last bytes went to the sink (an
  // encryption pads the folder there); false stops the write.
  void setFolderEnd(std::function<bool()> folderEnd) { folderEnd_ = std::move(folderEnd); }

  // Each false return leaves the reason in error(); the write cannot go on.
  bool Append(const uint8_t* data, size_t size);
  // Ends the current folder (it must have data); the next Append starts a new one.
  bool EndFolder();
  // Waits for every block and hands the rest to the sink; then folders() is complete.
  bool Finish();

  const std::vector<PackedFolder>& folders() const { return folders_; }
  const std::string& error() const { return error_; }

  // The dictionary of a preset, as the header's coder property must cover it.
  static uint32_t PresetDictionary(int preset);
  // Blocks of two to eight dictionaries, a multiple of the threads of them, of one size: a
  // block's coder state starts afresh and its preset dictionary must be read in, which costs
  // when blocks are short, and every thread must have its share.
  static uint64_t BlockSizeFor(uint32_t dictionary, uint64_t expectedSize, unsigned threads);

 private:
  struct Block;
  bool Submit(bool lastOfFolder);
  bool WriteOldest();
  void KeepHistory(const Block& block, uint32_t dictionary);

  int preset_;
  unsigned threads_;
  uint64_t blockSize_;
  Sink sink_;
  std::function<bool()> folderEnd_;
  std::vector<uint8_t> filling_;
  std::vector<uint8_t> history_;  // what the next block of the folder continues from
  std::deque<std::unique_ptr<Block>> running_;
  std::atomic<bool> stop_{false};
  std::vector<PackedFolder> folders_;
  size_t folder_ = 0;
  std::string error_;
};

// Compresses a small buffer in one piece on the calling thread (the 7Z header).
bool Lzma2Compress(const std::string& input, int preset, std::string* output, PackedFolder* folder);

}  // namespace qvr::writers
