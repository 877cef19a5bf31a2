// Copies a byte range of one file into another, in the kernel where the file systems allow
// (copy_file_range), else through a buffer. Updating an archive copies its untouched
// entries this way, so adding one small file to a large archive reads nothing into us.
#pragma once

#include <cstdint>

namespace qvr::arc {

// Copies size bytes at inOffset of inFd to outFd: at *outOffset when given (advanced by
// the copy), else at outFd's file offset. 0 on success, else the errno (EIO when the source
// ended early).
int CopyFileRange(int inFd, uint64_t inOffset, int outFd, uint64_t* outOffset, uint64_t size);

}  // namespace qvr::arc
