#include "SevenZipDirectory.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "ArcErrors.h"
#include "ByteOrder.h"
#include "FdIo.h"
#include "SevenZipFolderReader.h"
#include "SevenZipIds.h"
#include "Text.h"

namespace qvr::arc {
namespace {

using namespace sevenzip;

constexpr uint8_t kSignature[] = {'7', 'z', 0xBC, 0xAF, 0x27, 0x1C};
constexpr size_t kSignatureHeaderSize = 32;
// Headers beyond this (packed or not) are left to libarchive: about half a million files.
constexpr uint64_t kMostHeader = uint64_t{32} << 20;
constexpr uint32_t kMostCoders = 32;
constexpr uint32_t kMostStreamsPerCoder = 32;
constexpr int kMostHeaderLevels = 4;  // encoded headers within encoded headers

// A header that does not hold together, or one coded in a way not read here.
struct Refused {
  int32_t code;
  std::string why;
};

[[noreturn]] void Broken(const std::string& why) {
  throw Refused{ERROR_HEADER_BROKEN, why};
}

uint32_t Crc(const uint8_t* p, size_t n) {
  uLong crc = crc32(0, nullptr, 0);
  while (n > 0) {  // zlib takes at most 4 GiB at a time
    auto part = static_cast<uInt>(std::min<size_t>(n, 1u << 30));
    crc = crc32(crc, p, part);
    p += part;
    n -= part;
  }
  return static_cast<uint32_t>(crc);
}

// Reading a header buffer: every read checked against its end.
class Cursor {
 public:
  Cursor(const uint8_t* p, size_t n) : p_(p), end_(p + n) {}
  size_t left() const { return static_cast<size_t>(end_ - p_); }
  uint8_t Byte() {
    if (p_ == end_) Broken("a header ends too early");
    return *p_++;
  }
  const uint8_t* Bytes(size_t n) {
    if (n > left()) Broken("a header ends too early");
    const uint8_t* at = p_;
    p_ += n;
    return at;
  }
  uint32_t Le32() { return GetLe32(Bytes(4)); }
  uint64_t Le64() { return GetLe64(Bytes(8)); }
  // The 7Z number: the first byte's leading ones count the bytes that follow.
  uint64_t Number() {
    uint8_t first = Byte();
    uint64_t value = 0;
    uint8_t mask = 0x80;
    for (int i = 0; i < 8; ++i) {
      if ((first & mask) == 0) {
        uint64_t high = first & (mask - 1u);
        return value | (high << (8 * i));
      }
      value |= static_cast<uint64_t>(Byte()) << (8 * i);
      mask >>= 1;
    }
    return value;
  }
  // A count of things that each take at least `each` bytes of what is left (0: bounded by
  // the bytes left all the same, for bit vectors).
  uint32_t Count(size_t each = 1) {
    uint64_t n = Number();
    uint64_t bound = each ? left() / each : left() * 8;
    if (n > bound || n > 0xFFFFFFF) Broken("a count larger than its header");
    return static_cast<uint32_t>(n);
  }
  Cursor Sub(uint64_t size) {
    if (size > left()) Broken("a property larger than its header");
    return Cursor(Bytes(static_cast<size_t>(size)), static_cast<size_t>(size));
  }

 private:
  const uint8_t* p_;
  const uint8_t* end_;
};

std::vector<bool> BitVector(Cursor& c, size_t n) {
  std::vector<bool> bits(n);
  uint8_t byte = 0;
  for (size_t i = 0; i < n; ++i) {
    if (i % 8 == 0) byte = c.Byte();
    bits[i] = (byte & (0x80 >> (i % 8))) != 0;
  }
  return bits;
}

// "All defined" or a bit vector.
std::vector<bool> Defined(Cursor& c, size_t n) {
  if (c.Byte() != 0) return std::vector<bool>(n, true);
  return BitVector(c, n);
}

std::vector<std::optional<uint32_t>> Digests(Cursor& c, size_t n) {
  std::vector<bool> defined = Defined(c, n);
  std::vector<std::optional<uint32_t>> out(n);
  for (size_t i = 0; i < n; ++i)
    if (defined[i]) out[i] = c.Le32();
  return out;
}

uint64_t Add(uint64_t a, uint64_t b) {
  if (a > UINT64_MAX - b) Broken("sizes beyond any file");
  return a + b;
}

struct Streams {
  uint64_t packPos = 0;
  std::vector<uint64_t> packSizes;
  std::vector<SevenZipFolder> folders;
  bool substreams = false;
};

void ReadPackInfo(Cursor& c, Streams& s) {
  s.packPos = c.Number();
  uint32_t n = c.Count();
  for (;;) {
    uint8_t id = c.Byte();
    if (id == kEnd) break;
    if (id == kSize) {
      s.packSizes.resize(n);
      for (auto& size : s.packSizes) size = c.Number();
    } else if (id == kCrc) {
      Digests(c, n);  // the folders' CRCs check the same data once decoded
    } else {
      Broken("an unknown record in the pack info");
    }
  }
  if (s.packSizes.size() != n) Broken("pack info without sizes");
}

SevenZipFolder ReadFolder(Cursor& c) {
  SevenZipFolder f;
  uint32_t coders = c.Count();
  if (coders == 0 || coders > kMostCoders)
    Broken("a folder of " + std::to_string(coders) + " coders");
  uint32_t ins = 0, outs = 0;
  for (uint32_t i = 0; i < coders; ++i) {
    uint8_t flags = c.Byte();
    if (flags & 0xC0) throw Refused{ERROR_NOT_SUPPORT, "7Z coders with alternative methods"};
    SevenZipCoder coder;
    size_t idSize = flags & 0x0F;
    if (idSize > 8) Broken("a coder id of " + std::to_string(idSize) + " bytes");
    const uint8_t* id = c.Bytes(idSize);
    for (size_t k = 0; k < idSize; ++k) coder.id = (coder.id << 8) | id[k];
    if (flags & 0x10) {
      uint64_t in = c.Number(), out = c.Number();
      if (in == 0 || out == 0 || in > kMostStreamsPerCoder || out > kMostStreamsPerCoder)
        Broken("a coder with " + std::to_string(in) + " inputs");
      coder.inStreams = static_cast<uint32_t>(in);
      coder.outStreams = static_cast<uint32_t>(out);
    }
    if (flags & 0x20) {
      Cursor p = c.Sub(c.Number());
      coder.properties.assign(reinterpret_cast<const char*>(p.Bytes(p.left())), p.left());
    }
    ins += coder.inStreams;
    outs += coder.outStreams;
    f.coders.push_back(std::move(coder));
  }
  for (uint32_t i = 0; i + 1 < outs; ++i) {
    uint64_t in = c.Number(), out = c.Number();
    if (in >= ins || out >= outs) Broken("a bind pair outside its folder");
    f.bindPairs.emplace_back(static_cast<uint32_t>(in), static_cast<uint32_t>(out));
  }
  if (ins < f.bindPairs.size() + 1) Broken("a folder without packed streams");
  size_t packed = ins - f.bindPairs.size();
  if (packed == 1) {
    for (uint32_t i = 0; i < ins; ++i) {
      bool bound = std::any_of(f.bindPairs.begin(), f.bindPairs.end(),
                               [&](const auto& b) { return b.first == i; });
      if (!bound) {
        f.packedStreams.push_back(i);
        break;
      }
    }
    if (f.packedStreams.empty()) Broken("a folder without packed streams");
  } else {
    for (size_t i = 0; i < packed; ++i) {
      uint64_t in = c.Number();
      if (in >= ins) Broken("a packed stream outside its folder");
      f.packedStreams.push_back(static_cast<uint32_t>(in));
    }
  }
  return f;
}

// The coders from the output to the packed stream, where every coder takes one stream and
// gives one (then coder i's streams are stream i on both sides).
std::vector<uint32_t> ChainOf(const SevenZipFolder& f) {
  for (const SevenZipCoder& c : f.coders)
    if (c.inStreams != 1 || c.outStreams != 1) return {};
  if (f.packedStreams.size() != 1) return {};
  size_t n = f.coders.size();
  uint32_t main = 0;
  bool found = false;
  for (uint32_t out = 0; out < n && !found; ++out) {
    bool bound = std::any_of(f.bindPairs.begin(), f.bindPairs.end(),
                             [&](const auto& b) { return b.second == out; });
    if (!bound) {
      main = out;
      found = true;
    }
  }
  if (!found) return {};
  std::vector<uint32_t> chain{main};
  while (chain.size() <= n) {
    uint32_t in = chain.back();
    auto pair = std::find_if(f.bindPairs.begin(), f.bindPairs.end(),
                             [&](const auto& b) { return b.first == in; });
    if (pair == f.bindPairs.end()) break;
    chain.push_back(pair->second);
  }
  if (chain.size() != n || chain.back() != f.packedStreams[0]) return {};
  return chain;
}

void ReadUnpackInfo(Cursor& c, Streams& s) {
  if (c.Byte() != kFolder) Broken("unpack info without folders");
  uint32_t n = c.Count(2);
  if (c.Byte() != 0) throw Refused{ERROR_NOT_SUPPORT, "7Z folders kept outside the header"};
  s.folders.reserve(n);
  for (uint32_t i = 0; i < n; ++i) s.folders.push_back(ReadFolder(c));
  if (c.Byte() != kCodersUnpackSize) Broken("folders without sizes");
  for (SevenZipFolder& f : s.folders) {
    size_t outs = 0;
    for (const SevenZipCoder& coder : f.coders) outs += coder.outStreams;
    for (size_t k = 0; k < outs; ++k) f.unpackSizes.push_back(c.Number());
  }
  for (;;) {
    uint8_t id = c.Byte();
    if (id == kEnd) break;
    if (id != kCrc) Broken("an unknown record in the unpack info");
    auto crcs = Digests(c, n);
    for (uint32_t i = 0; i < n; ++i) s.folders[i].crc = crcs[i];
  }
}

void ReadSubStreams(Cursor& c, Streams& s) {
  s.substreams = true;
  std::vector<uint32_t> counts(s.folders.size(), 1);
  uint8_t id = c.Byte();
  if (id == kNumUnpackStream) {
    uint64_t total = 0;
    for (auto& n : counts) {
      n = c.Count(0);
      total += n;
      if (total > kMostHeader) Broken("more streams than the header holds");
    }
    id = c.Byte();
  }
  for (size_t i = 0; i < s.folders.size(); ++i) {
    SevenZipFolder& f = s.folders[i];
    f.streamSizes.clear();
    f.streamSizes.reserve(std::min<size_t>(counts[i], c.left() + 1));
    uint64_t sum = 0;
    if (id == kSize) {
      for (uint32_t k = 1; k < counts[i]; ++k) {
        uint64_t size = c.Number();
        sum = Add(sum, size);
        f.streamSizes.push_back(size);
      }
    } else if (counts[i] > 1) {
      Broken("substreams without sizes");
    }
    if (counts[i] > 0) {
      if (sum > f.unpackSize) Broken("substreams larger than their folder");
      f.streamSizes.push_back(f.unpackSize - sum);
    }
  }
  if (id == kSize) id = c.Byte();
  // The digests: a folder of one stream with a known CRC has it already.
  size_t unknown = 0;
  for (size_t i = 0; i < s.folders.size(); ++i)
    if (!(counts[i] == 1 && s.folders[i].crc)) unknown += counts[i];
  for (size_t i = 0; i < s.folders.size(); ++i) {
    SevenZipFolder& f = s.folders[i];
    f.streamCrcs.assign(f.streamSizes.size(), std::nullopt);
    if (counts[i] == 1 && f.crc) f.streamCrcs[0] = f.crc;
  }
  for (; id != kEnd; id = c.Byte()) {
    if (id != kCrc) Broken("an unknown record in the substreams");
    auto crcs = Digests(c, unknown);
    size_t next = 0;
    for (size_t i = 0; i < s.folders.size(); ++i) {
      SevenZipFolder& f = s.folders[i];
      if (counts[i] == 1 && f.crc) continue;
      for (auto& crc : f.streamCrcs) crc = crcs[next++];
    }
  }
}

// Places the folders' packed streams in the file (they follow the signature header at
// packPos, one after the other) and checks them against the end of the packed data.
void PlaceStreams(Streams& s, uint64_t dataEnd) {
  size_t next = 0;
  uint64_t at = Add(kSignatureHeaderSize, s.packPos);
  for (SevenZipFolder& f : s.folders) {
    f.chain = ChainOf(f);
    f.encrypted = std::any_of(f.coders.begin(), f.coders.end(),
                              [](const SevenZipCoder& c) { return c.id == kMethodAes; });
    uint32_t main = 0;
    for (uint32_t out = 0; out < f.unpackSizes.size(); ++out) {
      bool bound = std::any_of(f.bindPairs.begin(), f.bindPairs.end(),
                               [&](const auto& b) { return b.second == out; });
      if (!bound) {
        main = out;
        break;
      }
    }
    f.unpackSize = f.unpackSizes.empty() ? 0 : f.unpackSizes[main];
    if (next + f.packedStreams.size() > s.packSizes.size())
      Broken("more packed streams in the folders than in the pack info");
    f.packOffset = at;
    f.packSize = s.packSizes[next];
    for (size_t k = 0; k < f.packedStreams.size(); ++k) at = Add(at, s.packSizes[next++]);
    if (at > dataEnd) Broken("packed data beyond the end of the archive's data");
  }
  if (!s.substreams) {  // one file per folder
    for (SevenZipFolder& f : s.folders) {
      f.streamSizes = {f.unpackSize};
      f.streamCrcs = {f.crc};
    }
  }
}

Streams ReadStreams(Cursor& c, uint64_t dataEnd) {
  Streams s;
  bool placed = false;
  for (;;) {
    uint8_t id = c.Byte();
    if (id == kEnd) break;
    if (id == kPackInfo) {
      ReadPackInfo(c, s);
    } else if (id == kUnpackInfo) {
      ReadUnpackInfo(c, s);
    } else if (id == kSubStreamsInfo) {
      PlaceStreams(s, dataEnd);
      placed = true;
      ReadSubStreams(c, s);
    } else {
      Broken("an unknown record in the streams info");
    }
  }
  if (!placed) PlaceStreams(s, dataEnd);
  return s;
}

std::vector<std::optional<uint64_t>> Times(Cursor& c, size_t n) {
  std::vector<bool> defined = Defined(c, n);
  if (c.Byte() != 0) throw Refused{ERROR_NOT_SUPPORT, "7Z times kept outside the header"};
  std::vector<std::optional<uint64_t>> out(n);
  for (size_t i = 0; i < n; ++i)
    if (defined[i]) out[i] = c.Le64();
  return out;
}

void ReadFiles(Cursor& c, const Streams& s, SevenZipArchive* out) {
  uint32_t n = c.Count(4);  // a name takes four bytes at least
  std::vector<SevenZipItem>& items = out->items;
  items.assign(n, SevenZipItem{});
  std::vector<bool> emptyStream(n, false), emptyFile, anti;
  size_t empties = 0;
  bool named = false;
  for (;;) {
    uint8_t type = c.Byte();
    if (type == kEnd) break;
    Cursor p = c.Sub(c.Number());
    switch (type) {
      case kEmptyStream:
        emptyStream = BitVector(p, n);
        empties = static_cast<size_t>(std::count(emptyStream.begin(), emptyStream.end(), true));
        break;
      case kEmptyFile:
        emptyFile = BitVector(p, empties);
        break;
      case kAnti:
        anti = BitVector(p, empties);
        break;
      case kName: {
        if (p.Byte() != 0) throw Refused{ERROR_NOT_SUPPORT, "7Z names kept outside the header"};
        for (SevenZipItem& item : items) {
          const uint8_t* start = p.Bytes(0);
          size_t units = 0;
          for (const uint8_t* u = p.Bytes(2); u[0] != 0 || u[1] != 0; u = p.Bytes(2)) ++units;
          item.name = Utf16LeToUtf8(start, units);
        }
        named = true;
        break;
      }
      case kMTime: {
        auto times = Times(p, n);
        for (uint32_t i = 0; i < n; ++i) items[i].mtime = times[i];
        break;
      }
      case kWinAttributes: {
        std::vector<bool> defined = Defined(p, n);
        if (p.Byte() != 0)
          throw Refused{ERROR_NOT_SUPPORT, "7Z attributes kept outside the header"};
        for (uint32_t i = 0; i < n; ++i)
          if (defined[i]) items[i].attributes = p.Le32();
        break;
      }
      default:  // creation and access times, comments, start positions, padding
        break;
    }
  }
  if (!named && n > 0) Broken("files without names");
  // The files with data take the folders' substreams in order.
  size_t folder = 0, stream = 0, empty = 0;
  uint64_t offset = 0;
  for (uint32_t i = 0; i < n; ++i) {
    SevenZipItem& item = items[i];
    item.hasStream = !emptyStream[i];
    if (!item.hasStream) {
      bool isFile = empty < emptyFile.size() && emptyFile[empty];
      item.anti = empty < anti.size() && anti[empty];
      ++empty;
      item.folder = !isFile || (item.attributes && (*item.attributes & kAttrDirectory));
      continue;
    }
    while (folder < s.folders.size() && stream >= s.folders[folder].streamSizes.size()) {
      ++folder;
      stream = 0;
      offset = 0;
    }
    if (folder == s.folders.size()) Broken("more files with data than streams");
    item.folderIndex = static_cast<uint32_t>(folder);
    item.streamIndex = static_cast<uint32_t>(stream);
    item.size = s.folders[folder].streamSizes[stream];
    item.crc = s.folders[folder].streamCrcs[stream];
    item.offset = offset;
    offset += item.size;
    ++stream;
  }
}

// Decodes folder 0 of an encoded header whole, checking its CRC.
std::string DecodeHeader(const PartedFile& file, const Streams& s, SevenZipKeys& keys,
                         bool* encrypted) {
  if (s.folders.empty()) Broken("an encoded header without a folder");
  const SevenZipFolder& f = s.folders[0];
  *encrypted = f.encrypted;
  if (f.unpackSize > kMostHeader)
    throw Refused{ERROR_NOT_SUPPORT, "a header of " + std::to_string(f.unpackSize) + " bytes"};
  std::unique_ptr<SevenZipFolderReader> reader;
  std::string why;
  if (int32_t r = SevenZipFolderReader::Open(file, f, keys, &reader, &why); r != kOk)
    throw Refused{r, why};
  std::string out(static_cast<size_t>(f.unpackSize), '\0');
  size_t at = 0;
  int32_t r = kOk;
  while (at < out.size()) {
    size_t got = 0;
    r = reader->Read(reinterpret_cast<uint8_t*>(out.data()) + at, out.size() - at, &got, &why);
    if (r != kOk) break;
    at += got;
  }
  bool crcWrong =
      r == kOk && f.crc && *f.crc != Crc(reinterpret_cast<const uint8_t*>(out.data()), out.size());
  if (r != kOk || crcWrong) {
    if (f.encrypted) {
      keys.MarkWrong();
      throw Refused{ERROR_PASSWORD_FILE, "the password is wrong (the header does not decrypt)"};
    }
    throw Refused{r != kOk ? r : ERROR_HEADER_BROKEN,
                  r != kOk ? "the packed header: " + why : "CRC error in the packed header"};
  }
  return out;
}

}  // namespace

bool SevenZipSignatureAt(const PartedFile& file) {
  uint8_t head[sizeof kSignature];
  return file.ReadAt(head, sizeof head, 0) == sizeof head &&
         std::memcmp(head, kSignature, sizeof head) == 0;
}

int32_t ReadSevenZipArchive(const PartedFile& file, SevenZipKeys& keys, SevenZipArchive* out,
                            std::string* why) {
  *out = SevenZipArchive{};
  uint8_t sh[kSignatureHeaderSize];
  const uint64_t fileSize = file.size();
  if (file.ReadAt(sh, sizeof sh, 0) != sizeof sh || std::memcmp(sh, kSignature, 6) != 0) {
    *why = "no 7Z signature";
    return ERROR_NOT_ARC_FILE;
  }
  try {
    if (sh[6] != 0) throw Refused{ERROR_NOT_SUPPORT, "7Z version " + std::to_string(sh[6])};
    if (GetLe32(sh + 8) != Crc(sh + 12, 20)) Broken("CRC error in the signature header");
    uint64_t offset = GetLe64(sh + 12), size = GetLe64(sh + 20);
    uint32_t crc = GetLe32(sh + 28);
    if (size == 0) return kOk;  // an empty archive
    uint64_t start = Add(kSignatureHeaderSize, offset);
    if (start > fileSize || size > fileSize - start)
      Broken("the header lies beyond the end of the file (a cut archive)");
    if (size > kMostHeader)
      throw Refused{ERROR_NOT_SUPPORT, "a header of " + std::to_string(size) + " bytes"};
    std::string header(static_cast<size_t>(size), '\0');
    if (file.ReadAt(header.data(), header.size(), start) != header.size())
      throw Refused{ERROR_CANNOT_READ, "the header could not be read"};
    const uint64_t dataEnd = start;  // the packed streams lie before the header
    if (Crc(reinterpret_cast<const uint8_t*>(header.data()), header.size()) != crc)
      Broken("CRC error in the header");
    for (int level = 0;; ++level) {
      Cursor c(reinterpret_cast<const uint8_t*>(header.data()), header.size());
      uint8_t id = c.Byte();
      if (id == kHeader) break;
      if (id != kEncodedHeader || level == kMostHeaderLevels) Broken("no 7Z header");
      Streams s = ReadStreams(c, dataEnd);
      bool encrypted = false;
      std::string decoded = DecodeHeader(file, s, keys, &encrypted);
      out->headerEncrypted = out->headerEncrypted || encrypted;
      header = std::move(decoded);
    }
    Cursor c(reinterpret_cast<const uint8_t*>(header.data()) + 1, header.size() - 1);
    Streams s;
    for (;;) {
      uint8_t id = c.Byte();
      if (id == kEnd) break;
      if (id == kArchiveProperties) {
        for (uint8_t type = c.Byte(); type != kEnd; type = c.Byte()) c.Sub(c.Number());
      } else if (id == kAdditionalStreamsInfo) {
        ReadStreams(c, dataEnd);  // not used by any writer of today; read past
      } else if (id == kMainStreamsInfo) {
        s = ReadStreams(c, dataEnd);
      } else if (id == kFilesInfo) {
        ReadFiles(c, s, out);
      } else {
        Broken("an unknown record in the header");
      }
    }
    out->folders = std::move(s.folders);
    for (const SevenZipFolder& f : out->folders)
      out->dataEncrypted = out->dataEncrypted || f.encrypted;
    return kOk;
  } catch (const Refused& r) {
    *why = r.why;
    *out = SevenZipArchive{};
    return r.code;
  }
}

std::string SevenZipMethodName(const SevenZipFolder& folder) {
  // The compression coder names the method; filters and encryption stand beside it.
  for (const SevenZipCoder& c : folder.coders) {
    if (c.id == kMethodLzma || c.id == kMethodLzma2 || c.id == kMethodPpmd ||
        c.id == kMethodBzip2 || c.id == kMethodDeflate || c.id == kMethodDeflate64)
      return SevenZipCoderName(c.id);
  }
  for (const SevenZipCoder& c : folder.coders)
    if (c.id != kMethodAes) return SevenZipCoderName(c.id);
  return "7zAES";
}

}  // namespace qvr::arc
