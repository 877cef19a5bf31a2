#include "SevenZipHeader.h"

#include <sys/stat.h>
#include <zlib.h>

#include "OutFile.h"
#include "SevenZipIds.h"
#include "Text.h"

namespace qvr::writers {

namespace {

using namespace qvr::arc::sevenzip;

uint32_t Crc(const std::string& bytes) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

// Bits from the high bit of the first byte down, as the format stores boolean vectors.
std::string BitVector(const std::vector<bool>& bits) {
  std::string out((bits.size() + 7) / 8, '\0');
  for (size_t i = 0; i < bits.size(); ++i)
    if (bits[i]) out[i / 8] = static_cast<char>(out[i / 8] | (0x80 >> (i % 8)));
  return out;
}

// A file property: its id, the size of its data, the data.
void PutProperty(std::string& out, uint8_t id, const std::string& data) {
  out += static_cast<char>(id);
  PutNumber(out, data.size());
  out += data;
}

// A name in UTF-16LE with its terminating zero unit.
void PutUtf16(std::string& out, const std::string& text) {
  qvr::arc::AppendUtf16Le(out, text);
  PutLe16(out, 0);
}

void PutDigests(std::string& out, const std::vector<uint32_t>& crcs) {
  out += static_cast<char>(kCrc);
  out += '\1';  // all defined
  for (uint32_t crc : crcs) PutLe32(out, crc);
}

void PutPackInfo(std::string& out, const std::vector<SevenZipFolder>& folders, uint64_t packPos) {
  out += static_cast<char>(kPackInfo);
  PutNumber(out, packPos);
  PutNumber(out, folders.size());
  out += static_cast<char>(kSize);
  for (const auto& folder : folders) PutNumber(out, folder.packSize);
  out += static_cast<char>(kEnd);
}

void PutCoder(std::string& out, const SevenZipFolder& folder) {
  const bool encrypted = !folder.aesProperties.empty();
  PutNumber(out, encrypted ? 2 : 1);
  if (encrypted) {  // as 7-Zip lists them: the AES coder first, the one it feeds second
    out += '\x24';  // an id of four bytes, with properties
    out += std::string("\x06\xF1\x07\x01", 4);
    PutNumber(out, folder.aesProperties.size());
    out += folder.aesProperties;
  }
  if (folder.copy) {
    out += '\x01';  // an id of one byte, no properties
    out += '\x00';  // Copy
    return;
  }
  out += '\x21';  // an id of one byte, with properties
  out += '\x21';  // LZMA2
  PutNumber(out, 1);
  out += static_cast<char>(folder.dictionaryProp);
}

// After the coders of an encrypted folder: the second coder's input (in-stream 1) is the
// AES coder's output (out-stream 0).
void PutBindPairs(std::string& out, const SevenZipFolder& folder) {
  if (folder.aesProperties.empty()) return;
  PutNumber(out, 1);
  PutNumber(out, 0);
}

void PutUnpackInfo(std::string& out, const std::vector<SevenZipFolder>& folders) {
  out += static_cast<char>(kUnpackInfo);
  out += static_cast<char>(kFolder);
  PutNumber(out, folders.size());
  out += '\0';  // not external
  for (const auto& folder : folders) {
    PutCoder(out, folder);
    PutBindPairs(out, folder);
  }
  out += static_cast<char>(kCodersUnpackSize);
  for (const auto& folder : folders) {
    if (!folder.aesProperties.empty()) PutNumber(out, folder.codedSize);
    PutNumber(out, folder.unpackSize);
  }
  std::vector<uint32_t> crcs;
  for (const auto& folder : folders)
    if (folder.crc) crcs.push_back(*folder.crc);
  if (!crcs.empty() && crcs.size() == folders.size()) PutDigests(out, crcs);
  out += static_cast<char>(kEnd);
}

// How the files' data divide the folders; every file's CRC is given here.
void PutSubStreams(std::string& out, const std::vector<SevenZipFolder>& folders,
                   const std::vector<SevenZipFile>& files) {
  std::vector<const SevenZipFile*> streams;
  for (const auto& file : files)
    if (file.hasData) streams.push_back(&file);
  out += static_cast<char>(kSubStreamsInfo);
  bool allSingle = true;
  for (const auto& folder : folders) allSingle = allSingle && folder.streams == 1;
  if (!allSingle) {
    out += static_cast<char>(kNumUnpackStream);
    for (const auto& folder : folders) PutNumber(out, folder.streams);
    // Each folder's sizes but its last, which follows from the folder's size.
    out += static_cast<char>(kSize);
    size_t next = 0;
    for (const auto& folder : folders) {
      for (size_t i = 0; i + 1 < folder.streams; ++i) PutNumber(out, streams[next + i]->size);
      next += folder.streams;
    }
  }
  std::vector<uint32_t> crcs;
  for (const SevenZipFile* file : streams) crcs.push_back(file->crc);
  PutDigests(out, crcs);
  out += static_cast<char>(kEnd);
}

void PutFilesInfo(std::string& out, const std::vector<SevenZipFile>& files) {
  out += static_cast<char>(kFilesInfo);
  PutNumber(out, files.size());
  std::vector<bool> emptyStream, emptyFile;
  for (const auto& file : files) {
    emptyStream.push_back(!file.hasData);
    if (!file.hasData) emptyFile.push_back(!file.folder);
  }
  if (!emptyFile.empty()) {
    PutProperty(out, kEmptyStream, BitVector(emptyStream));
    bool anyEmptyFile = false;
    for (bool b : emptyFile) anyEmptyFile = anyEmptyFile || b;
    if (anyEmptyFile) PutProperty(out, kEmptyFile, BitVector(emptyFile));
  }
  std::string names(1, '\0');  // not external
  for (const auto& file : files) PutUtf16(names, file.name);
  PutProperty(out, kName, names);
  std::string times("\1\0", 2);  // all defined, not external
  for (const auto& file : files) PutLe64(times, file.mtime);
  PutProperty(out, kMTime, times);
  std::string attributes("\1\0", 2);
  for (const auto& file : files) PutLe32(attributes, file.attributes);
  PutProperty(out, kWinAttributes, attributes);
  out += static_cast<char>(kEnd);
}

}  // namespace

void PutNumber(std::string& out, uint64_t value) {
  // The first byte's leading ones count the bytes that follow; its other bits hold the top.
  int extra = 0;
  while (extra < 8 && value >= (uint64_t{1} << (7 * (extra + 1)))) ++extra;
  uint8_t first = static_cast<uint8_t>(0xFF00 >> extra);
  if (extra < 8) first |= static_cast<uint8_t>(value >> (8 * extra));
  out += static_cast<char>(first);
  for (int i = 0; i < extra; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string SevenZipMainHeader(const std::vector<SevenZipFolder>& folders,
                               const std::vector<SevenZipFile>& files) {
  std::string out(1, static_cast<char>(kHeader));
  if (!folders.empty()) {
    out += static_cast<char>(kMainStreamsInfo);
    PutPackInfo(out, folders, 0);
    PutUnpackInfo(out, folders);
    PutSubStreams(out, folders, files);
    out += static_cast<char>(kEnd);
  }
  if (!files.empty()) PutFilesInfo(out, files);
  out += static_cast<char>(kEnd);
  return out;
}

std::string SevenZipEncodedHeader(const SevenZipFolder& folder, uint64_t packPos) {
  std::string out(1, static_cast<char>(kEncodedHeader));
  PutPackInfo(out, {folder}, packPos);
  PutUnpackInfo(out, {folder});
  out += static_cast<char>(kEnd);
  return out;
}

std::string SevenZipSignature(uint64_t nextHeaderOffset, uint64_t nextHeaderSize,
                              uint32_t nextHeaderCrc) {
  std::string start;
  PutLe64(start, nextHeaderOffset);
  PutLe64(start, nextHeaderSize);
  PutLe32(start, nextHeaderCrc);
  std::string out("7z\xBC\xAF\x27\x1C\x00\x04", 8);
  PutLe32(out, Crc(start));
  return out + start;
}

uint32_t SevenZipAttributes(uint32_t mode, bool folder) {
  uint32_t attributes = folder ? kAttrDirectory : kAttrArchive;
  if (!(mode & S_IWUSR)) attributes |= kAttrReadOnly;
  return attributes | kAttrUnixExtension | (mode << 16);
}

uint64_t SevenZipTime(int64_t seconds, long nanoseconds) {
  int64_t ticks = (seconds + arc::sevenzip::kFileTimeEpochSeconds) * 10000000 + nanoseconds / 100;
  return ticks < 0 ? 0 : static_cast<uint64_t>(ticks);
}

}  // namespace qvr::writers
