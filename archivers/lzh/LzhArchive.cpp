#include "LzhArchive.h"

#include <algorithm>
#include <array>
#include <vector>

namespace qvr::lzh {

size_t RangeSource::Read(uint8_t* buf, size_t n) {
  size_t want = static_cast<size_t>(std::min<uint64_t>(n, left_));
  size_t got = want ? src_.ReadAt(pos_, buf, want) : 0;
  pos_ += got;
  left_ -= got;
  return got;
}

ParseStatus ArchiveReader::ReadHeader(uint64_t offset, Header* h) {
  std::vector<uint8_t> buf(64);
  for (;;) {
    size_t got = src_.ReadAt(offset, buf.data(), buf.size());
    size_t needed = 0;
    ParseStatus st = ParseHeader(buf.data(), got, h, &needed);
    if (st != ParseStatus::kNeedMore) return st;
    // More bytes than the file has, or than the last read already offered: broken.
    if (got < buf.size() || needed <= got || needed > kMaxHeaderSize) return ParseStatus::kBad;
    buf.resize(needed);
  }
}

bool ArchiveReader::Open() {
  Header h;
  std::array<uint8_t, 2> mz{};
  if (src_.ReadAt(0, mz.data(), 2) == 2 && mz[0] == 'M' && mz[1] == 'Z') {
    // A self-extracting archive: the first offset where a complete, valid header stands.
    const uint64_t limit = std::min<uint64_t>(src_.Size(), kMaxStubSize);
    std::vector<uint8_t> buf(limit);
    buf.resize(src_.ReadAt(0, buf.data(), buf.size()));
    for (size_t i = 2; i + 22 <= buf.size(); ++i) {
      if (buf[i + 2] != '-' || buf[i + 3] != 'l' || buf[i + 6] != '-' || buf[i + 20] > 3) continue;
      if (ReadHeader(i, &h) == ParseStatus::kOk && h.method != Method::kUnknown &&
          i + h.headerSize + h.packedSize <= src_.Size()) {
        start_ = next_ = i;
        return true;
      }
    }
    return false;
  }
  if (ReadHeader(0, &h) != ParseStatus::kOk) return false;
  start_ = next_ = 0;
  return true;
}

bool ArchiveReader::EntryAt(uint64_t offset, Entry* e) {
  if (ReadHeader(offset, &e->header) != ParseStatus::kOk) return false;
  e->headerOffset = offset;
  e->dataOffset = offset + e->header.headerSize;
  return e->header.packedSize <= src_.Size() && e->dataOffset <= src_.Size() - e->header.packedSize;
}

ArchiveReader::Next ArchiveReader::NextEntry(Entry* e) {
  if (broken_) return Next::kBroken;
  if (next_ >= src_.Size()) return Next::kEnd;  // archives without the end mark
  Header probe;
  if (ReadHeader(next_, &probe) == ParseStatus::kEnd) return Next::kEnd;
  if (!EntryAt(next_, e)) {
    broken_ = true;
    return Next::kBroken;
  }
  next_ = e->dataOffset + e->header.packedSize;
  return Next::kEntry;
}

DecodeStatus ArchiveReader::Extract(const Entry& e, ByteSink& sink) {
  RangeSource data(src_, e.dataOffset, e.header.packedSize);
  DecodeRequest req;
  req.method = e.header.method;
  req.packedSize = e.header.packedSize;
  req.originalSize = e.header.originalSize;
  req.crc = e.header.crc;
  req.checkCrc = e.header.hasCrc;
  return Decode(req, data, sink);
}

bool ArchiveReader::CopyRaw(const Entry& e, ArchiveSink& sink) {
  return sink.CopyFrom(src_, e.headerOffset, e.header.headerSize + e.header.packedSize);
}

namespace {

NewHeader HeaderFor(const NewEntry& e, Method m) {
  NewHeader h;
  h.method = m;
  h.unixTime = e.unixTime;
  h.name = e.name;
  h.directory = e.directory;
  h.hasUnixMode = e.hasUnixMode;
  h.unixMode = e.unixMode;
  h.largeSizes = e.sizeHint >= (1ULL << 31);
  return h;
}

WriteStatus FromEncode(EncodeStatus st) {
  switch (st) {
    case EncodeStatus::kOk:
      return WriteStatus::kOk;
    case EncodeStatus::kSourceFailed:
      return WriteStatus::kSourceFailed;
    case EncodeStatus::kSinkFailed:
      return WriteStatus::kSinkFailed;
    case EncodeStatus::kUnsupported:
      return WriteStatus::kUnsupported;
  }
  return WriteStatus::kUnsupported;
}

bool Put(ArchiveSink& sink, const std::string& bytes) {
  return sink.Write(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

// Writes the header with zero sizes, the data behind it, then the header again in place.
WriteStatus ArchiveWriter::WriteOnce(const NewEntry& e, SeekableSource& data, Method method,
                                     EncodeResult* r) {
  NewHeader h = HeaderFor(e, method);
  h.attribute = 0x20;
  std::string placeholder = WriteLevel2Header(h);
  if (placeholder.empty()) return WriteStatus::kNameTooLong;
  const uint64_t at = sink_.Tell();
  if (!Put(sink_, placeholder)) return WriteStatus::kSinkFailed;
  EncodeStatus st = Encode(method, data, sink_, r);
  if (st != EncodeStatus::kOk) return FromEncode(st);
  if (!h.largeSizes && (r->originalSize > UINT32_MAX || r->packedSize > UINT32_MAX))
    return WriteStatus::kTooLarge;
  h.packedSize = r->packedSize;
  h.originalSize = r->originalSize;
  h.crc = r->crc;
  std::string final = WriteLevel2Header(h);
  if (!sink_.WriteAt(at, reinterpret_cast<const uint8_t*>(final.data()), final.size()))
    return WriteStatus::kSinkFailed;
  return WriteStatus::kOk;
}

WriteStatus ArchiveWriter::AddFile(const NewEntry& e, SeekableSource& data, Method method) {
  if (!CanEncode(method)) return WriteStatus::kUnsupported;
  const uint64_t at = sink_.Tell();
  EncodeResult r;
  WriteStatus st = WriteOnce(e, data, method, &r);
  if (st != WriteStatus::kOk || method == Method::kLh0 || r.packedSize < r.originalSize) return st;
  // Did not shrink: store it instead.
  if (!sink_.Truncate(at)) return WriteStatus::kSinkFailed;
  if (!data.Rewind()) return WriteStatus::kSourceFailed;
  return WriteOnce(e, data, Method::kLh0, &r);
}

WriteStatus ArchiveWriter::AddFileSmallest(const NewEntry& e, SeekableSource& data) {
  Method best;
  EncodeStatus st = SmallestMethod(data, &best);
  if (st != EncodeStatus::kOk) return FromEncode(st);
  return AddFile(e, data, best);
}

WriteStatus ArchiveWriter::AddFolder(const NewEntry& e) {
  NewHeader h = HeaderFor(e, Method::kLhd);
  h.attribute = 0x10;
  h.name.clear();
  std::string bytes = WriteLevel2Header(h);
  if (bytes.empty()) return WriteStatus::kNameTooLong;
  return Put(sink_, bytes) ? WriteStatus::kOk : WriteStatus::kSinkFailed;
}

WriteStatus ArchiveWriter::CopyEntry(ArchiveReader& reader, const Entry& e) {
  return reader.CopyRaw(e, sink_) ? WriteStatus::kOk : WriteStatus::kSinkFailed;
}

WriteStatus ArchiveWriter::Finish() {
  const uint8_t end = 0;
  return sink_.Write(&end, 1) ? WriteStatus::kOk : WriteStatus::kSinkFailed;
}

}  // namespace qvr::lzh
