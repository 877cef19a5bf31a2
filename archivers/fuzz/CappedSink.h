// The fuzz targets' output sink: takes at most 8 MiB, so that a header promising gigabytes
// stays quick.
#pragma once

#include <cstddef>
#include <cstdint>

#include "LzhIo.h"

class CappedSink : public qvr::lzh::ByteSink {
 public:
  bool Write(const uint8_t*, size_t n) override {
    total_ += n;
    return total_ <= (8u << 20);
  }

 private:
  size_t total_ = 0;
};
