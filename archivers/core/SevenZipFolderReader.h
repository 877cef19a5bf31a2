// Decoding one folder of a 7Z archive: its packed stream read from the file, decrypted
// (7zAES: AES-256-CBC through OpenSSL, the key from SHA-256 over salt and password) and
// decompressed by liblzma's raw decoder (LZMA, LZMA2 and the filters before them: BCJ for
// x86, ARM, ARM64, ARM Thumb, PowerPC, IA-64 and SPARC, Delta), or copied as stored. Other
// coders (BCJ2, PPMd, BZip2, Deflate...) are refused with ERROR_NOT_SUPPORT.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "SevenZipDirectory.h"

namespace qvr::arc {

// The archive's password, asked when a key is first needed and again after each answer
// that proved wrong, and the AES keys derived from it (one derivation per salt and cycle
// count: the folders of an archive share them).
class SevenZipKeys {
 public:
  using Ask = std::function<bool(int wrong, std::string& password)>;
  explicit SevenZipKeys(Ask ask) : ask_(std::move(ask)) {}
  // The key for a 7zAES coder's properties; ERROR_PASSWORD_FILE when no password is given,
  // ERROR_NOT_SUPPORT for properties not decoded here, ERROR_HEADER_BROKEN for ones that do
  // not hold together.
  int32_t Key(const std::string& properties, std::array<uint8_t, 32>* key,
              std::array<uint8_t, 16>* iv, std::string* why);
  bool asked() const { return asked_; }
  // The answer proved wrong: asks again, saying so; false when no other is given.
  bool AskAgain();
  // Set once data decrypted with the password failed: the password is wrong.
  void MarkWrong() { wrong_ = true; }
  bool wrong() const { return wrong_; }

 private:
  void Take(bool given, const std::string& text);

  Ask ask_;
  bool asked_ = false;
  bool given_ = false;
  bool wrong_ = false;
  int wrongAnswers_ = 0;
  std::string password_;  // UTF-16LE, as the key derivation takes it
  struct Derived {
    std::string salt;
    unsigned cycles;
    std::array<uint8_t, 32> key;
  };
  std::vector<Derived> derived_;
};

// The SHA-256 key derivation of 7zAES: salt + password (UTF-16LE) + a 64-bit counter,
// repeated 2^cycles times; cycles 0x3F is no hashing (salt and password as the key).
std::array<uint8_t, 32> SevenZipAesKey(const std::string& salt, const std::string& password,
                                       unsigned cycles);

class SevenZipFolderReader {
 public:
  // kOk, or ERROR_NOT_SUPPORT for coders not decoded here, ERROR_PASSWORD_FILE when the
  // folder is encrypted and no password is given.
  static int32_t Open(const PartedFile& file, const SevenZipFolder& folder, SevenZipKeys& keys,
                      std::unique_ptr<SevenZipFolderReader>* out, std::string* why);
  ~SevenZipFolderReader();
  SevenZipFolderReader(const SevenZipFolderReader&) = delete;
  SevenZipFolderReader& operator=(const SevenZipFolderReader&) = delete;

  // Up to `size` next bytes of the folder's output; *got 0 at its end. kOk, or
  // ERROR_BROKEN_DATA (the data does not decode or ends early), ERROR_CANNOT_READ.
  int32_t Read(uint8_t* buffer, size_t size, size_t* got, std::string* why);
  // Reads and drops `count` bytes of output.
  int32_t Skip(uint64_t count, std::string* why);
  uint64_t position() const { return produced_; }

 private:
  struct Crypto;
  struct Lzma;
  SevenZipFolderReader(const PartedFile& file, const SevenZipFolder& folder);
  // Fills input_ from the file (decrypted where the folder is encrypted).
  int32_t FillInput(std::string* why);

  const PartedFile& file_;
  uint64_t packAt_;
  uint64_t packLeft_;
  uint64_t unpackSize_;
  uint64_t produced_ = 0;
  std::unique_ptr<Crypto> crypto_;
  std::unique_ptr<Lzma> lzma_;
  std::vector<uint8_t> raw_;    // read from the file, before decryption
  std::vector<uint8_t> input_;  // what the decompressor (or the copy) takes next
  size_t inputAt_ = 0;
  size_t inputEnd_ = 0;
  std::vector<uint8_t> scratch_;
};

}  // namespace qvr::arc
