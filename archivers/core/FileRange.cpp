#include "FileRange.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace qvr::arc {
namespace {

int WriteAll(int fd, uint64_t* offset, const uint8_t* p, size_t n) {
  while (n > 0) {
    ssize_t w = offset ? pwrite(fd, p, n, static_cast<off_t>(*offset)) : write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return w == 0 ? EIO : errno;
    p += w;
    n -= static_cast<size_t>(w);
    if (offset) *offset += static_cast<uint64_t>(w);
  }
  return 0;
}

}  // namespace

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
    ssize_t n = pread(inFd, chunk.data(), chunk.size(), in);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0 ? EIO : errno;
    if (int error = WriteAll(outFd, outOffset, chunk.data(), static_cast<size_t>(n))) return error;
    in += n;
    left -= static_cast<uint64_t>(n);
  }
  return 0;
}

}  // namespace qvr::arc
