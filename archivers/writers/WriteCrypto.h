// Encryption of what our writers put out: WinZip AES-256 for ZIP entries (PBKDF2-HMAC-SHA1
// keys, AES in its little-endian counter mode, HMAC-SHA1 over the encrypted bytes) and 7zAES
// for 7Z folders (AES-256-CBC, the key from the SHA-256 derivation the reader shares), both
// through OpenSSL. Salts and IVs are random for every entry or folder.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qvr::writers {

// One ZIP entry's AES-256 stream (vendor's AE-1/AE-2): Begin puts out the salt and the
// password check, Write the encrypted bytes, End the authentication code.
class ZipAesEncryptor {
 public:
  ZipAesEncryptor();
  ~ZipAesEncryptor();
  ZipAesEncryptor(const ZipAesEncryptor&) = delete;
  ZipAesEncryptor& operator=(const ZipAesEncryptor&) = delete;

  // False when the keys could not be made (no randomness, no AES).
  bool Begin(const std::string& password, std::string* prefix);
  // Encrypts in place.
  bool Encrypt(uint8_t* data, size_t size);
  std::string End();  // the 10 bytes after the data

  // Salt, check and code around the data.
  static constexpr uint64_t kOverhead = 16 + 2 + 10;
  // The extra field 0x9901 for the method the entry's data really has.
  static std::string ExtraField(bool crcKept, uint16_t method);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// 7zAES over one folder's packed stream: the coder properties name the IV (no salt, as
// 7-Zip writes them) and the derivation's 2^19 rounds; the key is derived once per archive.
class SevenZipAesEncryptor {
 public:
  explicit SevenZipAesEncryptor(const std::string& password);
  ~SevenZipAesEncryptor();
  SevenZipAesEncryptor(const SevenZipAesEncryptor&) = delete;
  SevenZipAesEncryptor& operator=(const SevenZipAesEncryptor&) = delete;

  // A new folder: a fresh IV; its coder properties. False without randomness or AES.
  bool BeginFolder(std::string* properties);
  // Encrypts what comes onto `out` (cleared first): whole blocks leave at once, the rest
  // waits for more or for the end.
  bool Encrypt(const uint8_t* data, size_t size, std::vector<uint8_t>* out);
  // The last block, padded with zeros, onto `out` (cleared first); *packed is the folder's
  // packed size.
  bool EndFolder(std::vector<uint8_t>* out, uint64_t* packed);

  static constexpr unsigned kCycles = 19;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace qvr::writers
