// The headers of a 7Z archive, read on their own: the signature header with its CRCs, the
// header at the end (also where it is packed and encrypted), the packed streams, the folders
// with their coders, the substreams and the files. Read where libarchive refuses an archive
// (7zAES); every count and size is checked against the file before anything is allocated.
#pragma once

#include "FdIo.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qvr::arc {

class SevenZipKeys;

struct SevenZipCoder {
  uint64_t id = 0;  // the method id's bytes, big-endian (0x21 LZMA2, 0x06F10701 7zAES...)
  uint32_t inStreams = 1;
  uint32_t outStreams = 1;
  std::string properties;
};

struct SevenZipFolder {
  std::vector<SevenZipCoder> coders;
  std::vector<std::pair<uint32_t, uint32_t>> bindPairs;  // (in stream, out stream)
  std::vector<uint32_t> packedStreams;                   // the in streams read from the file
  std::vector<uint64_t> unpackSizes;                     // one per out stream
  std::optional<uint32_t> crc;                           // of the folder's whole output
  // From the pack info: where the folder's packed streams lie in the file.
  uint64_t packOffset = 0;
  uint64_t packSize = 0;  // of its first packed stream
  // The coders from the folder's output to its packed stream, when they form one chain of
  // single-stream coders (the only shape decoded here); empty otherwise.
  std::vector<uint32_t> chain;
  uint64_t unpackSize = 0;  // the folder's output
  // The substreams: the files' data one after the other in the folder's output.
  std::vector<uint64_t> streamSizes;
  std::vector<std::optional<uint32_t>> streamCrcs;
  bool encrypted = false;  // a coder is 7zAES
};

struct SevenZipItem {
  std::string name;  // UTF-8 as stored ("/" or "\" between folders)
  bool hasStream = false;
  bool folder = false;
  bool anti = false;  // marks a deletion in an update; never extracted
  uint64_t size = 0;
  std::optional<uint32_t> crc;
  std::optional<uint64_t> mtime;  // FILETIME: 100 ns units since 1601-01-01
  std::optional<uint32_t> attributes;
  uint32_t folderIndex = 0;  // with hasStream: its folder and its substream there
  uint32_t streamIndex = 0;
  uint64_t offset = 0;  // where its data starts in the folder's output
};

struct SevenZipArchive {
  std::vector<SevenZipFolder> folders;
  std::vector<SevenZipItem> items;
  bool headerEncrypted = false;
  bool dataEncrypted = false;  // a folder of the files' data is encrypted
};

// The 7Z signature at the start of the file (the first part of a set).
bool SevenZipSignatureAt(const PartedFile& file);

// Reads the archive's headers. An encrypted header takes the password from `keys` (asked
// there once). kOk; ERROR_NOT_ARC_FILE (no 7Z signature), ERROR_HEADER_BROKEN (a header or
// CRC that does not hold together), ERROR_PASSWORD_FILE (no password or a wrong one for an
// encrypted header), ERROR_NOT_SUPPORT (a header coded in a way not decoded here);
// `why` gets the words for the report. The file may be the parts of a volume set.
int32_t ReadSevenZipArchive(const PartedFile& file, SevenZipKeys& keys, SevenZipArchive* out,
                            std::string* why);

// The method name of a folder for the listing ("LZMA2", "LZMA", "Copy", "PPMd"...).
std::string SevenZipMethodName(const SevenZipFolder& folder);

}  // namespace qvr::arc
