// A minimal archiver plugin for the host benchmark: UnlhaCheckArchive reads the first
// bytes of the file and answers 1 when they hold an LZH header ("-lh" at offset 2).
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

extern "C" __attribute__((visibility("default"))) int32_t UnlhaCheckArchive(const char* path,
                                                                            int32_t) {
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char header[32] = {};
  ssize_t got = read(fd, header, sizeof header);
  close(fd);
  return got >= 7 && std::memcmp(header + 2, "-lh", 3) == 0 ? 1 : 0;
}
