// The ARJ decoder on byte buffers: every method and the volumes of the archives that arj
// made, and damaged, cut and foreign data, which must fail and never pass as whole.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QCryptographicHash>
#include <map>

#include "ArjArchive.h"
#include "FixtureManifest.h"
#include "TempDir.h"

namespace qvr::test {
namespace {

using arj::ArchiveReader;
using arj::DecodeStatus;

std::string Sha256(const std::string& data) {
  return QCryptographicHash::hash(QByteArray::fromStdString(data), QCryptographicHash::Sha256)
      .toHex()
      .toStdString();
}

// The volumes of a set as byte buffers.
class Buffers {
 public:
  explicit Buffers(std::vector<std::string> data) : data_(std::move(data)) {}
  arj::VolumeOpener Opener() {
    return [this](unsigned v) -> std::unique_ptr<lzh::RandomAccessSource> {
      if (v >= data_.size()) return nullptr;
      return std::make_unique<lzh::MemorySource>(data_[v]);
    };
  }
  std::vector<std::string> data_;
};

struct Read {
  bool opened = false;
  std::map<std::string, std::string> files;  // name -> data
  std::vector<uint8_t> methods;
  ArchiveReader::Next end = ArchiveReader::Next::kEnd;
  DecodeStatus status = DecodeStatus::kOk;  // the first failure of an entry's data
};

Read ReadAll(Buffers& buffers) {
  Read r;
  ArchiveReader reader(buffers.Opener());
  r.opened = reader.Open();
  if (!r.opened) return r;
  arj::Entry e;
  for (int n = 0; n < 1000; ++n) {
    r.end = reader.NextEntry(&e);
    if (r.end != ArchiveReader::Next::kEntry) break;
    r.methods.push_back(e.header.method);
    arj::EntryDecoder dec(reader, e);
    std::string data;
    for (;;) {
      const uint8_t* p = nullptr;
      size_t len = 0;
      DecodeStatus st = dec.Read(&p, &len);
      if (st != DecodeStatus::kOk) {
        if (r.status == DecodeStatus::kOk) r.status = st;
        data.clear();
        break;
      }
      if (len == 0) {
        r.files[e.header.name] = data;
        break;
      }
      data.append(reinterpret_cast<const char*>(p), len);
    }
  }
  return r;
}

std::vector<std::string> VolumesOf(const Fixture& f) {
  std::vector<std::string> v;
  if (f.volumes.empty()) return {ReadFile(FixturePath(f.file))};
  for (const std::string& name : f.volumes) v.push_back(ReadFile(FixturePath(name)));
  // The set's order: x.arj, then x.a01, x.a02...
  std::rotate(v.begin(), v.end() - 1, v.end());
  return v;
}

std::vector<Fixture> ArjFixtures() {
  std::vector<Fixture> out;
  for (const Fixture& f : LoadManifest())
    if (f.format == "arj") out.push_back(f);
  return out;
}

std::string Cp932ToUtf8(const std::string& name) {
  // The one CP932 name of the test archives.
  return name == std::string("\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x96\xbc\x91\x4f.txt")
             ? "日本語の名前.txt"
             : name;
}

TEST(ArjArchive, EveryArchiveOfArjReadsToItsSourceFiles) {
  std::vector<Fixture> fixtures = ArjFixtures();
  ASSERT_GE(fixtures.size(), 9u);
  std::set<uint8_t> methods;
  for (const Fixture& f : fixtures) {
    SCOPED_TRACE(f.file);
    Buffers buffers(VolumesOf(f));
    Read r = ReadAll(buffers);
    ASSERT_TRUE(r.opened);
    EXPECT_EQ(r.end, ArchiveReader::Next::kEnd);
    EXPECT_EQ(r.status, DecodeStatus::kOk);
    ASSERT_EQ(r.files.size(), f.expected.size());
    for (const auto& [name, data] : r.files) {
      auto it = std::find_if(f.expected.begin(), f.expected.end(),
                             [&](const ExpectedFile& e) { return e.path == Cp932ToUtf8(name); });
      ASSERT_NE(it, f.expected.end()) << name;
      EXPECT_EQ(Sha256(data), it->sha256) << name;
    }
    methods.insert(r.methods.begin(), r.methods.end());
  }
  EXPECT_EQ(methods, (std::set<uint8_t>{0, 1, 2, 3, 4}));
}

// Where bytes of an archive are changed or cut: the header CRC, the data, the end.
TEST(ArjArchive, DamagedHeadersDataAndCutsNeverPassAsWhole) {
  const std::string m1 = ReadFile(FixturePath("arj_m1.arj"));
  const std::string m4 = ReadFile(FixturePath("arj_m4.arj"));
  ASSERT_FALSE(m1.empty());
  size_t readme = m1.find("readme.txt");
  ASSERT_NE(readme, std::string::npos);
  struct Case {
    const char* what;
    std::string data;
    bool opens;
    bool headerBreaks;  // the walk ends in kBroken
  };
  auto flip = [](std::string s, size_t at) {
    s[at] = static_cast<char>(s[at] ^ 0x21);
    return s;
  };
  const Case cases[] = {
      {"main header's CRC", flip(m1, 10), false, false},
      {"first entry's name", flip(m1, readme), true, true},
      {"method 1 data", flip(m1, readme + 200), true, false},
      {"method 4 data", flip(m4, m4.find("readme.txt") + 300), true, false},
      {"cut in the data", m1.substr(0, m1.size() / 2), true, true},
      {"cut in a header", m1.substr(0, readme + 3), true, true},
      {"no end mark", m1.substr(0, m1.size() - 4), true, true},
      {"empty", "", false, false},
      {"a ZIP file", ReadFile(FixturePath("zip_stored.zip")), false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Buffers buffers({c.data});
    Read r = ReadAll(buffers);
    EXPECT_EQ(r.opened, c.opens);
    if (!c.opens) continue;
    if (c.headerBreaks) {
      EXPECT_EQ(r.end, ArchiveReader::Next::kBroken);
    } else {
      EXPECT_NE(r.status, DecodeStatus::kOk);
      EXPECT_FALSE(r.files.count("readme.txt"));
    }
  }
}

TEST(ArjArchive, VolumesMustFollowInTheirOrder) {
  Fixture set;
  for (const Fixture& f : ArjFixtures())
    if (!f.volumes.empty()) set = f;
  ASSERT_GE(set.volumes.size(), 3u);
  std::vector<std::string> v = VolumesOf(set);
  struct Case {
    const char* what;
    std::vector<std::string> volumes;
  };
  const Case cases[] = {
      {"the last missing", std::vector<std::string>(v.begin(), v.end() - 1)},
      {"the second missing", {v[0], v[2]}},
      {"the first twice", {v[0], v[0], v[2]}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Buffers buffers(c.volumes);
    Read r = ReadAll(buffers);
    ASSERT_TRUE(r.opened);
    EXPECT_EQ(r.end, ArchiveReader::Next::kBroken);
  }
}

// Method 4 on a stream written by hand: literals, a match of the shortest length, one of
// the longest (a length prefix of seven ones, no closing zero); then the stream cut short,
// and a CRC that does not match.
TEST(ArjDecoder, Method4Stream) {
  struct Bits {
    std::string out;
    uint32_t acc = 0;
    int n = 0;
    void Put(int count, uint32_t v) {
      for (int i = count - 1; i >= 0; --i) {
        acc = (acc << 1) | ((v >> i) & 1);
        if (++n == 8) {
          out += static_cast<char>(acc);
          acc = 0;
          n = 0;
        }
      }
    }
  };
  Bits b;
  for (char c : std::string("abc")) b.Put(1, 0), b.Put(8, static_cast<uint8_t>(c));
  b.Put(2, 0b10), b.Put(1, 0);         // length code 1: 3 bytes
  b.Put(1, 0), b.Put(9, 2);            // distance 3
  b.Put(7, 0b1111111), b.Put(7, 127);  // length code 127 + 127: 256 bytes
  b.Put(1, 0), b.Put(9, 0);            // distance 1
  b.Put(8 - b.n, 0);
  const std::string packed = b.out;
  const std::string expected = "abcabc" + std::string(256, 'c');
  uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(expected.data()),
                                             static_cast<uInt>(expected.size())));
  struct Case {
    std::string packed;
    uint32_t crc;
    DecodeStatus status;
  };
  const Case cases[] = {
      {packed, crc, DecodeStatus::kOk},
      {packed.substr(0, 3), crc, DecodeStatus::kTruncated},
      {packed, crc ^ 0x100, DecodeStatus::kCrcMismatch},
  };
  for (const Case& c : cases) {
    lzh::MemorySource src(c.packed);
    lzh::MemorySink sink;
    arj::DecodeRequest req{4, c.packed.size(), expected.size(), c.crc};
    EXPECT_EQ(arj::Decode(req, src, sink), c.status);
    if (c.status == DecodeStatus::kOk) {
      EXPECT_EQ(sink.data, expected);
    }
  }
}

TEST(ArjDecoder, StoredCrcAndUnknownMethods) {
  const std::string data = "stored bytes of an ARJ entry";
  uint32_t crc = static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
  struct Case {
    uint8_t method;
    uint32_t crc;
    size_t packed;
    DecodeStatus status;
  };
  const Case cases[] = {
      {0, crc, data.size(), DecodeStatus::kOk},
      {0, crc ^ 1, data.size(), DecodeStatus::kCrcMismatch},
      {0, crc, data.size() - 1, DecodeStatus::kTruncated},
      {5, crc, data.size(), DecodeStatus::kUnsupported},
      {1, crc, data.size(), DecodeStatus::kCorrupt},  // plain text is no Huffman block
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.method));
    std::string packed = data.substr(0, c.packed);
    lzh::MemorySource src(packed);
    lzh::MemorySink sink;
    arj::DecodeRequest req{c.method, packed.size(), data.size(), c.crc};
    DecodeStatus st = arj::Decode(req, src, sink);
    if (c.status == DecodeStatus::kCorrupt) {
      EXPECT_NE(st, DecodeStatus::kOk);
    } else {
      EXPECT_EQ(st, c.status);
    }
  }
}

}  // namespace
}  // namespace qvr::test
