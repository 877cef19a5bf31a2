// Byte sources and sinks the LZH codec reads from and writes to. The codec never touches the
// file system: the plugin adapts files to these, the tests adapt byte buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qvr::lzh {

// A forward stream of bytes. Read returns how many bytes it placed in buf (0 = end or error).
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual size_t Read(uint8_t* buf, size_t n) = 0;
  // True when the end came from a read error rather than the end of the data.
  virtual bool Failed() const { return false; }
};

// A forward stream that can start over; the -jma helper and the stored fallback read twice.
class SeekableSource : public ByteSource {
 public:
  virtual bool Rewind() = 0;
};

// Random access to a whole archive (header scan, raw copies of entries).
class RandomAccessSource {
 public:
  virtual ~RandomAccessSource() = default;
  virtual uint64_t Size() const = 0;
  // Reads up to n bytes at offset; returns how many were read.
  virtual size_t ReadAt(uint64_t offset, uint8_t* buf, size_t n) = 0;
};

// Where output goes. Write returns false when the bytes could not be taken (disk full...).
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Write(const uint8_t* p, size_t n) = 0;
};

// An archive being written: headers are patched once the entry's sizes and CRC are known,
// and an entry that did not shrink is cut away and stored instead.
class ArchiveSink : public ByteSink {
 public:
  virtual uint64_t Tell() const = 0;
  virtual bool WriteAt(uint64_t offset, const uint8_t* p, size_t n) = 0;
  virtual bool Truncate(uint64_t size) = 0;
  // Appends size bytes of src at offset unchanged (an entry kept by an update). A sink over
  // a file copies file to file without reading the bytes in.
  virtual bool CopyFrom(RandomAccessSource& src, uint64_t offset, uint64_t size);
};

// Counts bytes and drops them (the -jma trial runs).
class CountingSink : public ByteSink {
 public:
  bool Write(const uint8_t*, size_t n) override {
    count += n;
    return true;
  }
  uint64_t count = 0;
};

// A byte buffer as every kind of source.
class MemorySource : public SeekableSource, public RandomAccessSource {
 public:
  explicit MemorySource(const std::string& data) : data_(data) {}
  size_t Read(uint8_t* buf, size_t n) override;
  bool Rewind() override {
    pos_ = 0;
    return true;
  }
  uint64_t Size() const override { return data_.size(); }
  size_t ReadAt(uint64_t offset, uint8_t* buf, size_t n) override;

 private:
  const std::string& data_;
  size_t pos_ = 0;
};

// A growing byte buffer as an archive sink.
class MemorySink : public ArchiveSink {
 public:
  bool Write(const uint8_t* p, size_t n) override;
  uint64_t Tell() const override { return data.size(); }
  bool WriteAt(uint64_t offset, const uint8_t* p, size_t n) override;
  bool Truncate(uint64_t size) override;
  std::string data;
};

}  // namespace qvr::lzh
