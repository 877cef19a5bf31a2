#include "ArjArchive.h"

#include "LzhArchive.h"

namespace qvr::arj {

RandomAccessSource* ArchiveReader::Volume(unsigned volume) {
  return volume < volumes_.size() ? volumes_[volume].get() : nullptr;
}

bool ArchiveReader::Open() {
  volumes_.clear();
  auto first = open_(0);
  if (!first || !FindMainHeader(*first, &main_)) return false;
  volumes_.push_back(std::move(first));
  current_ = 0;
  next_ = main_.dataOffset;
  ended_ = false;
  return true;
}

ArchiveReader::Next ArchiveReader::Broken(std::string words) {
  error_ = std::move(words);
  ended_ = true;
  return Next::kBroken;
}

// The next volume of the set, with its main header; the set goes on from its first entry.
bool ArchiveReader::EnterVolume(unsigned volume) {
  if (volume >= volumes_.size()) {
    auto src = open_(volume);
    if (!src) return false;
    volumes_.push_back(std::move(src));
  }
  Header main;
  if (ReadHeader(*volumes_[volume], 0, &main) != ParseStatus::kOk || main.type != FileType::kMain)
    return false;
  main_ = main;
  current_ = volume;
  next_ = main.dataOffset;
  return true;
}

// The header at the reading place of the current volume and the span of its data.
ArchiveReader::Next ArchiveReader::ReadPart(Part* part) {
  RandomAccessSource& src = *volumes_[current_];
  switch (ReadHeader(src, next_, &part->header)) {
    case ParseStatus::kOk:
      break;
    case ParseStatus::kEnd:
      return Next::kEnd;
    case ParseStatus::kBadCrc:
      return Broken("a header's CRC does not match");
    case ParseStatus::kTruncated:
      return Broken("the archive ends inside a header");
    case ParseStatus::kNotHeader:
      return Broken("no ARJ header where the next entry should stand");
  }
  const Header& h = part->header;
  if (h.dataOffset + h.packedSize > src.Size())
    return Broken("the data of " + h.name + " runs past the end of the archive");
  part->volume = current_;
  next_ = h.dataOffset + h.packedSize;
  return Next::kEntry;
}

ArchiveReader::Next ArchiveReader::NextEntry(Entry* e) {
  if (ended_) return Next::kEnd;
  *e = Entry{};
  Part part;
  for (;;) {
    Next r = ReadPart(&part);
    if (r == Next::kBroken) return r;
    if (r == Next::kEntry) break;
    // The end mark of a volume: the set goes on when its main header says so.
    if (!(main_.flags & kVolume)) {
      ended_ = true;
      return Next::kEnd;
    }
    if (!EnterVolume(current_ + 1))
      return Broken("volume " + std::to_string(current_ + 1) + " of the set is missing");
  }
  e->header = part.header;
  e->parts.push_back(part);
  e->size = part.header.originalSize;
  e->packedSize = part.header.packedSize;
  // A file that goes on in the next volume: its parts follow at the start of each volume,
  // each saying where in the file it starts.
  while (e->parts.back().header.flags & kVolume) {
    if (!EnterVolume(current_ + 1))
      return Broken("the volume holding the rest of " + part.header.name + " is missing");
    Next r = ReadPart(&part);
    if (r == Next::kBroken) return r;
    if (r != Next::kEntry || !(part.header.flags & kExtFile) ||
        part.header.name != e->header.name || part.header.extFilePos != e->size)
      return Broken("the next volume does not continue " + e->header.name);
    e->parts.push_back(part);
    e->size += part.header.originalSize;
    e->packedSize += part.header.packedSize;
  }
  return Next::kEntry;
}

bool EntryDecoder::StartPart() {
  const Part& p = entry_.parts[part_];
  RandomAccessSource* src = reader_.Volume(p.volume);
  // Each part says where in the file it starts: it must follow the parts before it.
  if (!src || (part_ > 0 && p.header.extFilePos != done_)) return false;
  range_ = std::make_unique<lzh::RangeSource>(*src, p.header.dataOffset, p.header.packedSize);
  DecodeRequest req;
  req.method = p.header.method;
  req.packedSize = p.header.packedSize;
  req.originalSize = p.header.originalSize;
  req.crc = p.header.crc;
  decoder_ = std::make_unique<StreamDecoder>(req, *range_);
  return true;
}

DecodeStatus EntryDecoder::Read(const uint8_t** data, size_t* len) {
  *len = 0;
  while (part_ < entry_.parts.size()) {
    if (!decoder_ && !StartPart()) return DecodeStatus::kCorrupt;
    DecodeStatus st = decoder_->Read(data, len);
    if (st != DecodeStatus::kOk) return st;
    if (*len > 0) {
      done_ += *len;
      return st;
    }
    decoder_.reset();
    ++part_;
  }
  return DecodeStatus::kOk;
}

}  // namespace qvr::arj
