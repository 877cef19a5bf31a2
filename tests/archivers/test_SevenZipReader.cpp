// Our own 7Z reader (archivers/core/SevenZip*) on the encrypted archives 7zz made: entries
// and data byte for byte with the password, ERROR_PASSWORD_FILE without it or with a wrong
// one (asked once), coders it does not decode refused cleanly, the 7zAES key derivation, and
// headers that lie about their counts refused before anything is allocated.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <QCryptographicHash>
#include <algorithm>
#include <map>

#include "ArcErrors.h"
#include "ByteOrder.h"
#include "EntrySource.h"
#include "FdIo.h"
#include "FixtureManifest.h"
#include "SevenZipDirectory.h"
#include "SevenZipFolderReader.h"
#include "TempDir.h"
#include "Text.h"

namespace qvr::test {
namespace {

using namespace qvr::arc;

std::vector<Fixture> Encrypted7z() {
  std::vector<Fixture> out;
  for (const Fixture& f : LoadManifest())
    if (f.format == "7z" && !f.password.empty() && f.file != "7z_aes_ppmd.7z") out.push_back(f);
  return out;
}

struct Opened {
  std::unique_ptr<EntrySource> source;
  int32_t error = kOk;
  int asked = 0;
};

Opened Open(const std::string& path, const std::string& password, bool give = true) {
  Opened o;
  int* asked = &o.asked;
  SourceOptions options{path, kFormat7z | kFormatZip, [=](int wrong, std::string& pw) {
                          ++*asked;
                          pw = password;
                          return give && wrong == 0;
                        }};
  o.source = OpenSevenZipSource(options, o.error);
  return o;
}

// Reads the current entry's data whole; the result code of the read that ended it.
int32_t ReadAll(EntrySource& source, std::string* data) {
  for (;;) {
    const void* p = nullptr;
    size_t len = 0;
    int32_t r = source.Read(&p, &len);
    if (r != kOk || len == 0) return r;
    data->append(static_cast<const char*>(p), len);
  }
}

std::string Sha256(const std::string& data) {
  return QCryptographicHash::hash(QByteArray::fromStdString(data), QCryptographicHash::Sha256)
      .toHex()
      .toStdString();
}

class EncryptedFixture : public ::testing::TestWithParam<Fixture> {};

TEST_P(EncryptedFixture, ReadsEveryEntryWithThePasswordAskedOnce) {
  const Fixture& f = GetParam();
  Opened o = Open(FixturePath(f.file), "secret");
  ASSERT_TRUE(o.source) << std::hex << o.error;
  std::map<std::string, std::string> files;
  std::vector<std::string> folders;
  Entry e;
  int entries = 0;
  while (o.source->Next(e) == kOk) {
    ++entries;
    if (e.kind == Entry::Kind::Folder) {
      EXPECT_EQ(e.path.back(), '/');
      folders.push_back(e.path.substr(0, e.path.size() - 1));
      continue;
    }
    std::string data;
    ASSERT_EQ(ReadAll(*o.source, &data), kOk) << e.path << ": " << o.source->ErrorWords();
    EXPECT_TRUE(e.sizeDeclared);
    EXPECT_EQ(e.size, static_cast<int64_t>(data.size())) << e.path;
    EXPECT_TRUE(e.mtimeSet);
    // The stamps of the two source trees (the shared fixtures' and our own test data's).
    EXPECT_EQ(e.mtime, f.file.rfind("7z_aes_", 0) == 0 ? 1700000000 : 1078664710) << e.path;
    files[e.path] = data;
  }
  EXPECT_EQ(entries, f.entryCount);
  EXPECT_EQ(o.asked, 1);
  ASSERT_EQ(files.size(), f.expected.size());
  for (const ExpectedFile& x : f.expected) {
    ASSERT_TRUE(files.count(x.path)) << x.path;
    EXPECT_EQ(Sha256(files[x.path]), x.sha256) << x.path;
  }
  std::sort(folders.begin(), folders.end());
  EXPECT_EQ(folders, f.expectedDirs);
}

// A wrong answer is asked again, saying it was wrong, before anything is handed out; the
// right one then reads every file.
TEST_P(EncryptedFixture, AWrongAnswerIsAskedAgainThenEveryFileReads) {
  const Fixture& f = GetParam();
  std::vector<int> asked;  // the `wrong` count of each question
  SourceOptions options{FixturePath(f.file), kFormat7z | kFormatZip,
                        [&](int wrong, std::string& pw) {
                          asked.push_back(wrong);
                          pw = wrong == 0 ? "guess" : "secret";
                          return true;
                        }};
  int32_t error = kOk;
  auto source = OpenSevenZipSource(options, error);
  ASSERT_TRUE(source) << std::hex << error;
  std::map<std::string, std::string> files;
  Entry e;
  while (source->Next(e) == kOk) {
    EXPECT_EQ(asked, (std::vector<int>{0, 1})) << e.path;
    if (e.kind != Entry::Kind::File) continue;
    ASSERT_EQ(ReadAll(*source, &files[e.path]), kOk) << e.path << ": " << source->ErrorWords();
  }
  ASSERT_EQ(files.size(), f.expected.size());
  for (const ExpectedFile& x : f.expected) EXPECT_EQ(Sha256(files[x.path]), x.sha256) << x.path;
}

TEST_P(EncryptedFixture, WrongOrMissingPasswordFailsEveryFile) {
  const Fixture& f = GetParam();
  for (bool give : {true, false}) {
    SCOPED_TRACE(give ? "wrong password" : "no password");
    Opened o = Open(FixturePath(f.file), "guess", give);
    // A wrong answer is asked again, once declined the reader gives up.
    const int asks = give ? 2 : 1;
    EXPECT_EQ(o.asked, f.headerEncrypted ? asks : 0);  // the header needs it at once
    if (f.headerEncrypted) {
      EXPECT_FALSE(o.source);
      EXPECT_EQ(o.error, ERROR_PASSWORD_FILE);
      continue;
    }
    ASSERT_TRUE(o.source);
    Entry e;
    // A command's first entry proves the password: nothing is handed out before it.
    EXPECT_EQ(o.source->Next(e), ERROR_PASSWORD_FILE);
    EXPECT_EQ(o.asked, asks);
    int failed = 0;
    while (o.source->Next(e) == kOk) {
      if (e.kind != Entry::Kind::File) continue;
      std::string data;
      EXPECT_EQ(ReadAll(*o.source, &data), ERROR_PASSWORD_FILE) << e.path;
      EXPECT_TRUE(data.empty()) << e.path;  // nothing handed out before the proof
      ++failed;
    }
    EXPECT_EQ(failed, static_cast<int>(f.expected.size()));
    EXPECT_EQ(o.asked, asks);
  }
}

// Once the encrypted header has proven the password, damaged data is broken data (CRC or
// decoder error), not a wrong password.
TEST(SevenZipReader, DamagedDataBehindAProvenPasswordIsBrokenData) {
  for (double at : {0.1, 0.5, 0.9}) {
    SCOPED_TRACE(at);
    std::string data = ReadFile(FixturePath("7z_aes_header.7z"));
    size_t p = static_cast<size_t>(static_cast<double>(data.size()) * at);
    data[p] = static_cast<char>(data[p] ^ 0x5A);
    TempDir tmp;
    WriteFile(tmp.file("damaged.7z"), data);
    Opened o = Open(tmp.file("damaged.7z"), "secret");
    ASSERT_TRUE(o.source);
    Entry e;
    int broken = 0;
    while (o.source->Next(e) == kOk) {
      if (e.kind != Entry::Kind::File) continue;
      std::string got;
      int32_t r = ReadAll(*o.source, &got);
      EXPECT_NE(r, ERROR_PASSWORD_FILE) << e.path;
      broken += r == ERROR_BROKEN_DATA || r == ERROR_FILE_CRC;
    }
    EXPECT_GE(broken, 1);
  }
}

// The listing opener hands out every entry of archives whose names are readable without
// asking anything; an encrypted header asks once.
TEST_P(EncryptedFixture, ListingAsksOnlyForEncryptedNames) {
  const Fixture& f = GetParam();
  int asked = 0;
  SourceOptions options{FixturePath(f.file), kFormat7z | kFormatZip, [&](int, std::string& pw) {
                          ++asked;
                          pw = "secret";
                          return true;
                        }};
  int32_t error = kOk;
  auto source = OpenSevenZipListSource(options, error);
  ASSERT_TRUE(source) << std::hex << error;
  Entry e;
  int n = 0;
  while (source->Next(e) == kOk) ++n;
  EXPECT_EQ(n, f.entryCount);
  EXPECT_EQ(asked, f.headerEncrypted ? 1 : 0);
}

// Entries left unread (not selected, or kept on "No") are decoded past in solid folders.
TEST_P(EncryptedFixture, SkippedEntriesLeaveTheFollowingOnesWhole) {
  const Fixture& f = GetParam();
  Opened o = Open(FixturePath(f.file), "secret");
  ASSERT_TRUE(o.source);
  Entry e;
  bool skip = false;
  int read = 0;
  while (o.source->Next(e) == kOk) {
    if (e.kind != Entry::Kind::File || e.size == 0) continue;
    skip = !skip;
    if (skip) continue;
    std::string data;
    ASSERT_EQ(ReadAll(*o.source, &data), kOk) << e.path;
    auto x = std::find_if(f.expected.begin(), f.expected.end(),
                          [&](const ExpectedFile& x) { return x.path == e.path; });
    ASSERT_NE(x, f.expected.end());
    EXPECT_EQ(Sha256(data), x->sha256) << e.path;
    ++read;
  }
  EXPECT_GE(read, 1);
}

INSTANTIATE_TEST_SUITE_P(Manifest, EncryptedFixture, ::testing::ValuesIn(Encrypted7z()),
                         [](const ::testing::TestParamInfo<Fixture>& i) {
                           std::string n = i.param.file;
                           for (char& c : n)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

TEST(SevenZipReader, CodersNotDecodedHereFailCleanly) {
  Opened o = Open(FixturePath("7z_aes_ppmd.7z"), "secret");
  ASSERT_TRUE(o.source);
  Entry e;
  EXPECT_EQ(o.source->Next(e), ERROR_NOT_SUPPORT);  // before the first entry
  int files = 0;
  while (o.source->Next(e) == kOk) {
    if (e.kind != Entry::Kind::File) continue;
    std::string data;
    EXPECT_EQ(ReadAll(*o.source, &data), ERROR_NOT_SUPPORT) << e.path;
    EXPECT_NE(o.source->ErrorWords().find("PPMd"), std::string::npos) << o.source->ErrorWords();
    ++files;
  }
  EXPECT_EQ(files, 8);
}

// Folders whose coders we do not decode, or whose 7zAES properties ask too much, are refused
// before anything is read (no file is opened here: fd -1).
TEST(SevenZipReader, FolderShapesNotDecodedHere) {
  auto coder = [](uint64_t id, std::string props = "", uint32_t in = 1) {
    SevenZipCoder c;
    c.id = id;
    c.inStreams = in;
    c.properties = std::move(props);
    return c;
  };
  auto folder = [](std::vector<SevenZipCoder> coders, std::vector<uint32_t> chain) {
    SevenZipFolder f;
    f.coders = std::move(coders);
    f.chain = std::move(chain);
    f.packedStreams = {f.chain.empty() ? 0u : f.chain.back()};
    f.unpackSizes.assign(f.coders.size(), 100);
    f.unpackSize = 100;
    f.packSize = 32;
    return f;
  };
  const std::string aes19("\xD3\x10" + std::string(2 + 16, '\x11'), 2 + 2 + 16);
  struct Case {
    const char* what;
    SevenZipFolder f;
    int32_t code;
  } cases[] = {
      // BCJ2 takes four streams: no single chain.
      {"BCJ2", folder({coder(0x0303011B, "", 4), coder(0x030101, "\x5D\0\0\1\0")}, {}),
       ERROR_NOT_SUPPORT},
      {"BZip2", folder({coder(0x040202)}, {0}), ERROR_NOT_SUPPORT},
      {"Deflate", folder({coder(0x040108)}, {0}), ERROR_NOT_SUPPORT},
      {"PPMd", folder({coder(0x030401, "\x06\0\0\0\1")}, {0}), ERROR_NOT_SUPPORT},
      {"7zAES not at the packed end",
       folder({coder(0x06F10701, aes19), coder(0x21, "\x10")}, {0, 1}), ERROR_NOT_SUPPORT},
      {"7zAES of 2^30 rounds", folder({coder(0x21, "\x10"), coder(0x06F10701, "\x1E")}, {0, 1}),
       ERROR_NOT_SUPPORT},
      {"7zAES properties of the wrong length",
       folder({coder(0x21, "\x10"), coder(0x06F10701, "\xD3\x10\x11")}, {0, 1}),
       ERROR_HEADER_BROKEN},
      {"broken LZMA2 properties", folder({coder(0x21, "\x7F")}, {0}), ERROR_HEADER_BROKEN},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    int asked = 0;
    SevenZipKeys keys([&](int, std::string& pw) {
      ++asked;
      pw = "secret";
      return true;
    });
    std::unique_ptr<SevenZipFolderReader> reader;
    std::string why;
    EXPECT_EQ(SevenZipFolderReader::Open(PartedFile(), c.f, keys, &reader, &why), c.code) << why;
    EXPECT_FALSE(reader);
    EXPECT_FALSE(why.empty());
  }
}

// Archives libarchive reads (no encryption) stay with libarchive, which names the method
// "7Z"; ours takes the encrypted ones and names the coder.
TEST(SevenZipReader, OnlyWhatLibarchiveRefusesComesToOurReader) {
  for (const char* file : {"7z_lzma2.7z", "7z_header_uncompressed.7z", "7z_aes_lzma.7z"}) {
    SCOPED_TRACE(file);
    Opened o = Open(FixturePath(file), "secret");
    ASSERT_TRUE(o.source);
    Entry e;
    bool any = false;
    while (!any && o.source->Next(e) == kOk) any = e.kind == Entry::Kind::File && e.size > 0;
    ASSERT_TRUE(any);
    EXPECT_EQ(e.method, std::string(file) == "7z_aes_lzma.7z" ? "LZMA" : "7Z");
  }
}

TEST(SevenZipReader, KeyDerivation) {
  struct Case {
    std::string salt;
    std::string password;  // UTF-8
    unsigned cycles;
    const char* key;  // hex
  } cases[] = {
      {std::string("\0\1\2\3\4\5\6\7", 8), "secret", 4,
       "bb6cee9741773f9f04040e1064dd78d1376e29988da6b5623c9796258581c435"},
      {"", "パスワード", 19, "d8e3c92a516cd8ebe3649154304e2c64deab4f495466b62f97bd74c49317192f"},
      // No hashing: salt and password side by side, zeros after them.
      {"ab", "pw", 0x3F, "6162700077000000000000000000000000000000000000000000000000000000"},
  };
  for (const Case& c : cases) {
    std::string utf16;
    AppendUtf16Le(utf16, c.password);
    std::array<uint8_t, 32> key = SevenZipAesKey(c.salt, utf16, c.cycles);
    std::string hex;
    for (uint8_t b : key) {
      char two[3];
      std::snprintf(two, sizeof two, "%02x", b);
      hex += two;
    }
    EXPECT_EQ(hex, c.key) << c.password;
  }
}

// The plain header of 7z_header_uncompressed.7z with one number replaced (and the CRCs made
// right again): counts beyond the header are refused as broken headers.
TEST(SevenZipReader, CountsBeyondTheHeaderAreRefused) {
  std::string data = ReadFile(FixturePath("7z_header_uncompressed.7z"));
  ASSERT_GT(data.size(), 64u);
  const auto* p = reinterpret_cast<const uint8_t*>(data.data());
  uint64_t at = 32 + GetLe64(p + 12), size = GetLe64(p + 20);
  ASSERT_LE(at + size, data.size());
  std::string header = data.substr(at, size);
  // FilesInfo: its id, then the number of files (7), then the empty-stream property.
  size_t files = header.find("\x05\x07\x0E");
  ASSERT_NE(files, std::string::npos);
  struct Forge {
    const char* what;
    std::string number;  // in the 7Z number form
  } forges[] = {{"a quarter billion files", "\xEF\xFF\xFF\xFF"},
                {"more files than the header could name", "\xC0\xFF\xFF"}};
  for (const Forge& forge : forges) {
    SCOPED_TRACE(forge.what);
    std::string h = header;
    h.replace(files + 1, 1, forge.number);
    std::string a = data.substr(0, at) + h;
    auto crc = [](const std::string& s, size_t from, size_t n) {
      return static_cast<uint32_t>(
          crc32(0, reinterpret_cast<const Bytef*>(s.data()) + from, static_cast<uInt>(n)));
    };
    std::string fields;
    PutLe64(fields, at - 32);
    PutLe64(fields, h.size());
    PutLe32(fields, crc(h, 0, h.size()));
    a.replace(12, 20, fields);
    std::string start;
    PutLe32(start, crc(a, 12, 20));
    a.replace(8, 4, start);
    TempDir tmp;
    WriteFile(tmp.file("forged.7z"), a);
    UniqueFd fd(open(tmp.file("forged.7z").c_str(), O_RDONLY | O_CLOEXEC));
    SevenZipKeys keys(nullptr);
    SevenZipArchive archive;
    std::string why;
    EXPECT_EQ(ReadSevenZipArchive(PartedFile(fd.get()), keys, &archive, &why), ERROR_HEADER_BROKEN)
        << why;
    EXPECT_TRUE(archive.items.empty());
  }
}

}  // namespace
}  // namespace qvr::test
