#include "Lzma2Blocks.h"

#include <lzma.h>
#include <unistd.h>

#include <algorithm>
#include <new>
#include <system_error>
#include <thread>

namespace qvr::writers {

namespace {

constexpr uint32_t kMinDictionary = 4096;
constexpr size_t kSlice = 1 << 20;  // input per encoder call, so that a stop is seen soon

// The smallest dictionary that covers a block: a short block needs no large match window, and
// a smaller one saves clearing the encoder's tables for every small block.
uint32_t DictionaryFor(uint64_t blockBytes, uint32_t presetDictionary) {
  uint64_t dict = kMinDictionary;
  while (dict < blockBytes && dict < presetDictionary) dict <<= 1;
  return static_cast<uint32_t>(std::min<uint64_t>(dict, presetDictionary));
}

const char* LzmaReason(lzma_ret rc) {
  switch (rc) {
    case LZMA_MEM_ERROR:
      return "out of memory";
    case LZMA_MEMLIMIT_ERROR:
      return "memory limit reached";
    case LZMA_OPTIONS_ERROR:
      return "unsupported options";
    default:
      return "internal error";
  }
}

// The level's preset with the block's dictionary. The preset's match search is kept whole: a
// shallower one (8 candidates instead of the automatic 32 at the middle levels) saved about a
// seventh of the time but cost 5-6% of size on mixed data.
bool LevelOptions(int preset, uint32_t dictionary, lzma_options_lzma* options) {
  if (lzma_lzma_preset(options, static_cast<uint32_t>(preset))) return false;
  options->dict_size = dictionary;
  return true;
}

// Encodes one raw LZMA2 stream (end marker last) into *out. Without history it starts with a
// dictionary reset; with history (the bytes the decoder has just produced before this block)
// the encoder starts from that dictionary, and the stream only resets the coder's state.
lzma_ret EncodeRaw(const uint8_t* in, size_t size, int preset, uint32_t dictionary,
                   const std::vector<uint8_t>& history, std::vector<uint8_t>* out,
                   const std::atomic<bool>* stop) {
  lzma_options_lzma options;
  if (!LevelOptions(preset, dictionary, &options)) return LZMA_OPTIONS_ERROR;
  if (!history.empty()) {
    options.preset_dict = history.data();
    options.preset_dict_size = static_cast<uint32_t>(history.size());
  }
  lzma_filter filters[] = {{LZMA_FILTER_LZMA2, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  lzma_stream stream = LZMA_STREAM_INIT;
  lzma_ret rc = lzma_raw_encoder(&stream, filters);
  if (rc != LZMA_OK) return rc;
  out->resize(size / 4 + 4096);
  stream.next_out = out->data();
  stream.avail_out = out->size();
  size_t fed = 0;
  while (rc == LZMA_OK) {
    if (stop && stop->load(std::memory_order_relaxed)) {
      rc = LZMA_PROG_ERROR;
      break;
    }
    if (stream.avail_in == 0 && fed < size) {
      stream.next_in = in + fed;
      stream.avail_in = std::min(kSlice, size - fed);
      fed += stream.avail_in;
    }
    if (stream.avail_out == 0) {
      size_t used = out->size();
      out->resize(used + used / 2 + 4096);
      stream.next_out = out->data() + used;
      stream.avail_out = out->size() - used;
    }
    rc = lzma_code(&stream, fed < size ? LZMA_RUN : LZMA_FINISH);
  }
  out->resize(out->size() - stream.avail_out);
  lzma_end(&stream);
  return rc == LZMA_STREAM_END ? LZMA_OK : rc;
}

uint64_t EncoderMemory(int preset) {
  lzma_options_lzma options;
  if (!LevelOptions(preset, Lzma2Blocks::PresetDictionary(preset), &options)) return 0;
  lzma_filter filters[] = {{LZMA_FILTER_LZMA2, &options}, {LZMA_VLI_UNKNOWN, nullptr}};
  uint64_t usage = lzma_raw_encoder_memusage(filters);
  return usage == UINT64_MAX ? 0 : usage;
}

// One thread per processor, but the encoders together take at most a quarter of the memory.
unsigned ThreadCount(unsigned wanted, int preset) {
  unsigned threads = wanted ? wanted : std::max(1u, std::thread::hardware_concurrency());
  long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
  uint64_t perEncoder = EncoderMemory(preset);
  if (wanted == 0 && pages > 0 && pageSize > 0 && perEncoder > 0) {
    uint64_t budget = static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) / 4;
    threads = static_cast<unsigned>(std::clamp<uint64_t>(budget / perEncoder, 1, threads));
  }
  return threads;
}

}  // namespace

struct Lzma2Blocks::Block {
  std::vector<uint8_t> input;
  std::vector<uint8_t> history;  // the folder's last bytes before this block (at most a dictionary)
  std::vector<uint8_t> output;
  size_t folder = 0;
  bool last = false;  // the last block of its folder keeps the end marker
  uint32_t dictionary = 0;
  lzma_ret result = LZMA_PROG_ERROR;
  std::thread thread;
};

uint8_t PackedFolder::Property() const {
  // Property p stands for (2 | (p & 1)) << (p / 2 + 11) bytes; 40 for the largest.
  for (uint8_t p = 0; p < 40; ++p)
    if ((static_cast<uint64_t>(2 | (p & 1)) << (p / 2 + 11)) >= dictionary) return p;
  return 40;
}

uint32_t Lzma2Blocks::PresetDictionary(int preset) {
  lzma_options_lzma options;
  lzma_lzma_preset(&options, static_cast<uint32_t>(preset));
  return options.dict_size;
}

uint64_t Lzma2Blocks::BlockSizeFor(uint32_t dictionary, uint64_t expectedSize, unsigned threads) {
  uint64_t smallest = 2ull * dictionary, largest = 8ull * dictionary;
  if (expectedSize == 0) return 4ull * dictionary;
  // As few blocks as the largest size allows, as many as a multiple of the threads and all
  // of one size, so that every thread gets the same share and no round ends with one alone.
  uint64_t blocks = std::max<uint64_t>(1, (expectedSize + largest - 1) / largest);
  blocks = (blocks + threads - 1) / threads * threads;
  return std::clamp<uint64_t>((expectedSize + blocks - 1) / blocks, smallest, largest);
}

Lzma2Blocks::Lzma2Blocks(const Lzma2Settings& settings, Sink sink)
    : preset_(std::clamp(settings.preset, 1, 9)),
      threads_(ThreadCount(settings.threads, preset_)),
      sink_(std::move(sink)) {
  blockSize_ = settings.blockSize
                   ? settings.blockSize
                   : BlockSizeFor(PresetDictionary(preset_), settings.expectedSize, threads_);
}

Lzma2Blocks::~Lzma2Blocks() {
  stop_ = true;
  for (auto& block : running_)
    if (block->thread.joinable()) block->thread.join();
}

bool Lzma2Blocks::Append(const uint8_t* data, size_t size) {
  while (size > 0) {
    // A full block waits until more data comes, so the folder's last block is known as such.
    if (filling_.size() == blockSize_ && !Submit(false)) return false;
    if (filling_.capacity() == 0) filling_.reserve(blockSize_);
    size_t take = std::min<uint64_t>(size, blockSize_ - filling_.size());
    filling_.insert(filling_.end(), data, data + take);
    data += take;
    size -= take;
  }
  return true;
}

bool Lzma2Blocks::EndFolder() {
  if (!filling_.empty() && !Submit(true)) return false;
  ++folder_;
  return true;
}

bool Lzma2Blocks::Finish() {
  while (!running_.empty())
    if (!WriteOldest()) return false;
  return true;
}

bool Lzma2Blocks::Submit(bool lastOfFolder) {
  while (running_.size() >= threads_)
    if (!WriteOldest()) return false;
  auto block = std::make_unique<Block>();
  block->input.swap(filling_);
  block->folder = folder_;
  block->last = lastOfFolder;
  const uint32_t presetDictionary = PresetDictionary(preset_);
  block->history.swap(history_);
  block->dictionary = block->history.empty() ? DictionaryFor(block->input.size(), presetDictionary)
                                             : presetDictionary;
  if (!lastOfFolder) KeepHistory(*block, presetDictionary);
  Block* b = block.get();
  auto encode = [b, preset = preset_, stop = &stop_] {
    try {
      b->result = EncodeRaw(b->input.data(), b->input.size(), preset, b->dictionary, b->history,
                            &b->output, stop);
    } catch (const std::bad_alloc&) {
      b->result = LZMA_MEM_ERROR;
    }
    // The memory goes back while the block waits.
    std::vector<uint8_t>().swap(b->input);
    std::vector<uint8_t>().swap(b->history);
  };
  try {
    b->thread = std::thread(encode);
  } catch (const std::system_error&) {
    encode();  // no thread to be had: this one does the work
  }
  running_.push_back(std::move(block));
  return true;
}

// The next block of the folder continues this one's dictionary: the last bytes the decoder will
// hold when it reaches it, from this block's input and, for a short block, its history.
void Lzma2Blocks::KeepHistory(const Block& block, uint32_t dictionary) {
  const std::vector<uint8_t>& input = block.input;
  size_t fromInput = std::min<size_t>(input.size(), dictionary);
  size_t fromHistory = std::min<size_t>(block.history.size(), dictionary - fromInput);
  history_.reserve(fromHistory + fromInput);
  history_.assign(block.history.end() - static_cast<std::ptrdiff_t>(fromHistory),
                  block.history.end());
  history_.insert(history_.end(), input.end() - static_cast<std::ptrdiff_t>(fromInput),
                  input.end());
}

bool Lzma2Blocks::WriteOldest() {
  std::unique_ptr<Block> block = std::move(running_.front());
  running_.pop_front();
  if (block->thread.joinable()) block->thread.join();
  if (block->result != LZMA_OK || block->output.empty() || block->output.back() != 0) {
    error_ = std::string("the LZMA2 encoder failed: ") + LzmaReason(block->result);
    return false;
  }
  if (!block->last) block->output.pop_back();
  if (folders_.size() <= block->folder) folders_.resize(block->folder + 1);
  PackedFolder& folder = folders_[block->folder];
  folder.packSize += block->output.size();
  folder.dictionary = std::max(folder.dictionary, block->dictionary);
  if (!sink_(block->output.data(), block->output.size()) ||
      (block->last && folderEnd_ && !folderEnd_())) {
    error_ = "cannot write the archive";
    return false;
  }
  return true;
}

bool Lzma2Compress(const std::string& input, int preset, std::string* output,
                   PackedFolder* folder) {
  std::vector<uint8_t> out;
  uint32_t dictionary =
      DictionaryFor(input.size(), Lzma2Blocks::PresetDictionary(std::clamp(preset, 1, 9)));
  if (EncodeRaw(reinterpret_cast<const uint8_t*>(input.data()), input.size(),
                std::clamp(preset, 1, 9), dictionary, {}, &out, nullptr) != LZMA_OK)
    return false;
  output->assign(out.begin(), out.end());
  folder->packSize = out.size();
  folder->dictionary = dictionary;
  return true;
}

}  // namespace qvr::writers
