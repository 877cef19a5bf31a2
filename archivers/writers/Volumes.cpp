#include "Volumes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "ArchiveTemp.h"
#include "FdIo.h"
#include "OutFile.h"
#include "ZipDirectory.h"
#include "ZipWriter.h"
#include "qvr/VolumeNames.h"

namespace qvr::writers {

namespace {

struct Piece {
  std::string name;
  uint64_t offset;
  uint64_t size;
};

// Writes each piece of the file (through a temporary file of its own, renamed when whole);
// on a failure the pieces already written go again.
WriteResult WritePieces(int fd, const std::vector<Piece>& pieces) {
  std::vector<std::string> written;
  for (const Piece& piece : pieces) {
    ArchiveTemp temp(piece.name);
    WriteResult r = temp.Open();
    OutFile out(temp.fd());
    if (r.ok() && (!out.CopyFrom(fd, piece.offset, piece.size) || !out.Flush()))
      r = Fail(WriteErrorCode(out.error()), SystemReport("cannot write", piece.name, out.error()));
    if (r.ok()) r = temp.Commit();
    if (!r.ok()) {
      for (const std::string& name : written) std::remove(name.c_str());
      return r;
    }
    written.push_back(piece.name);
  }
  return {};
}

// Parts numbered past the new set's last, left by an earlier set of that name.
void RemoveStaleParts(const VolumeSetName& set, int from) {
  for (int n = from;; ++n) {
    std::string part = VolumePartName(set, n);
    if (std::remove(part.c_str()) != 0) break;
  }
}

WriteResult OpenWhole(const std::string& path, arc::UniqueFd* fd, uint64_t* size) {
  fd->reset(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st {};
  if (!fd->valid() || fstat(fd->get(), &st) != 0) {
    int err = errno;
    return Fail(ERROR_CANNOT_READ, SystemReport("cannot read", path, err));
  }
  *size = static_cast<uint64_t>(st.st_size);
  return {};
}

// Pieces of `volume` bytes of a file of `size` bytes named by `nameOf(index, last)`.
template <typename NameOf>
std::vector<Piece> Cut(uint64_t size, uint64_t volume, NameOf nameOf) {
  std::vector<Piece> pieces;
  const uint64_t count = size == 0 ? 1 : (size + volume - 1) / volume;
  for (uint64_t i = 0; i < count; ++i)
    pieces.push_back(
        {nameOf(int(i), i + 1 == count), i * volume, std::min(volume, size - i * volume)});
  return pieces;
}

}  // namespace

uint64_t VolumeSizeOf(const std::string& value) {
  size_t digits = 0;
  while (digits < value.size() && std::isdigit(static_cast<unsigned char>(value[digits]))) ++digits;
  if (digits == 0 || digits > 12) return 0;
  const std::string unit = value.substr(digits);
  const uint64_t n = std::stoull(value.substr(0, digits));
  if (unit.empty() || unit == "m" || unit == "M") return n << 20;
  if (unit == "k" || unit == "K") return n << 10;
  if (unit == "g" || unit == "G") return n << 30;
  if (unit == "b" || unit == "B") return n;
  return 0;
}

WriteResult SplitSevenZip(const std::string& archivePath, uint64_t volumeSize) {
  arc::UniqueFd fd;
  uint64_t size = 0;
  if (WriteResult r = OpenWhole(archivePath, &fd, &size); !r.ok()) return r;
  const VolumeSetName set = VolumeSetOf(archivePath + ".001");
  std::vector<Piece> pieces =
      Cut(size, volumeSize, [&](int i, bool) { return VolumePartName(set, i + 1); });
  if (WriteResult r = WritePieces(fd.get(), pieces); !r.ok()) return r;
  RemoveStaleParts(set, int(pieces.size()) + 1);
  std::remove(archivePath.c_str());
  return {};
}

WriteResult SplitZip(const std::string& archivePath, uint64_t volumeSize) {
  arc::UniqueFd fd;
  uint64_t size = 0;
  if (WriteResult r = OpenWhole(archivePath, &fd, &size); !r.ok()) return r;
  arc::ZipDirectory dir;
  std::string why;
  if (int32_t code = arc::ReadZipDirectory(fd.get(), size, &dir, &why); code != 0)
    return Fail(code, why + ": " + archivePath);
  // The split archive: the spanning mark, the entries as written, the directory and the end
  // records anew, each record naming the part and offset it lies at.
  ArchiveTemp temp(archivePath);
  if (WriteResult r = temp.Open(); !r.ok()) return r;
  OutFile out(temp.fd());
  std::string mark;
  PutLe32(mark, 0x08074b50);
  uint64_t dataEnd = 0;
  for (const auto& e : dir.entries) dataEnd = std::max(dataEnd, e.spanEnd);
  if (!out.Write(mark) || !out.CopyFrom(fd.get(), 0, dataEnd))
    return Fail(WriteErrorCode(out.error()),
                SystemReport("cannot write", archivePath, out.error()));
  // A part stays below 4 GiB, so the offsets in it need no Zip64 field; the records' sizes
  // then do not depend on where they point.
  uint64_t centralSize = 0;
  for (auto e : dir.entries) {
    e.localOffset = 0;
    centralSize += ZipCentralRecord(e).size();
  }
  const uint64_t endSize = ZipEndRecords(dir.entries.size(), 0, centralSize, dir.comment).size();
  const uint64_t total = 4 + dataEnd + centralSize + endSize;
  // Each part as long as the others, and the end records whole in the last: the part size
  // comes down from the chosen one until they do not straddle two parts.
  uint64_t volume = std::clamp<uint64_t>(volumeSize, 64 * 1024, (uint64_t{4} << 30) - (1 << 20));
  while (total % volume != 0 && total % volume < endSize && volume > 4096) --volume;
  const uint64_t centralAt = 4 + dataEnd;
  std::string central;
  for (auto e : dir.entries) {
    const uint64_t at = 4 + e.localOffset;
    e.diskStart = static_cast<uint16_t>(at / volume);
    e.localOffset = at % volume;
    central += ZipCentralRecord(e);
  }
  const uint64_t parts = (total + volume - 1) / volume;
  const std::string end =
      ZipEndRecords(dir.entries.size(), centralAt % volume, central.size(), dir.comment,
                    uint32_t(parts - 1), uint32_t(centralAt / volume));
  if (!out.Write(central) || !out.Write(end) || !out.Flush())
    return Fail(WriteErrorCode(out.error()),
                SystemReport("cannot write", archivePath, out.error()));
  arc::UniqueFd whole;
  uint64_t splitSize = 0;
  if (WriteResult r = OpenWhole(temp.path(), &whole, &splitSize); !r.ok()) return r;
  const VolumeSetName set = VolumeSetOf(archivePath);
  std::vector<Piece> pieces = Cut(splitSize, volume, [&](int i, bool last) {
    return last ? archivePath : VolumePartName(set, i + 1);
  });
  if (WriteResult r = WritePieces(whole.get(), pieces); !r.ok()) return r;
  RemoveStaleParts(set, int(pieces.size()));
  return {};
}

}  // namespace qvr::writers
