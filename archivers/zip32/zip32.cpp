// zip32.so: the program only checks that this library is present beside zip32j.so (ZIP
// writing needs both); it offers the version entries and nothing else.
#include <cstdint>

#define QVR_ZIP32_EXPORT extern "C" __attribute__((visibility("default")))

QVR_ZIP32_EXPORT uint16_t ZipGetVersion(void) {
  return 100;
}
QVR_ZIP32_EXPORT uint16_t ZipGetSubVersion(void) {
  return 0;
}
