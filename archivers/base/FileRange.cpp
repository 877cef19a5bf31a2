#include "FileRange.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "FdIo.h"

namespace qvr::arc {

int CopyFileRange(int inFd, uint64_t inOffset, int outFd, uint64_t* outOffset, uint64_t size) {
  auto in = static_cast<off_t>(inOffset);
  uint64_t left = size;
  while (left > 0) {
    off_t out = outOffset ? static_cast<off_t>(*outOffset) : 0;
    ssize_t n = copy_file_range(inFd, &in, outFd, outOffset ? &out : nullptr, left, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // not supported here, or the source ended early: copy by hand
    left -= static_cast<uint64_t>(n);
    if (outOffset) *outOffset += static_cast<uint64_t>(n);
  }
  std::vector<uint8_t> chunk;
  while (left > 0) {
    chunk.resize(std::min<uint64_t>(left, 1 << 20));
    ssize_t n = PreadSome(inFd, chunk.data(), chunk.size(), static_cast<uint64_t>(in));
    if (n <= 0) return n == 0 ? EIO : errno;
    auto got = static_cast<size_t>(n);
    int error = outOffset ? PwriteAll(outFd, chunk.data(), got, *outOffset)
                          : WriteAll(outFd, chunk.data(), got);
    if (error) return error;
    if (outOffset) *outOffset += got;
    in += n;
    left -= got;
  }
  return 0;
}

}  // namespace qvr::arc
