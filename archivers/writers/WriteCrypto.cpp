#include "WriteCrypto.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <algorithm>

#include "OutFile.h"
#include "SevenZipFolderReader.h"
#include "Text.h"

namespace qvr::writers {

namespace {

constexpr size_t kBlock = 16;
constexpr size_t kStream = 256 * kBlock;  // key stream made at a time
constexpr size_t kZipKey = 32;            // AES-256
constexpr size_t kZipSalt = 16;           // the salt of strength 3
constexpr size_t kZipCode = 10;           // the authentication code kept of HMAC-SHA1
constexpr int kZipIterations = 1000;      // PBKDF2 rounds of the vendor's scheme

struct CipherCtx {
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  ~CipherCtx() { EVP_CIPHER_CTX_free(ctx); }
};

}  // namespace

struct ZipAesEncryptor::State {
  CipherCtx aes;  // AES-256 of single blocks: the counter mode is built on it
  EVP_MAC* mac = nullptr;
  EVP_MAC_CTX* hmac = nullptr;
  uint64_t counter = 0;  // the last block number used (the first block is number 1)
  std::array<uint8_t, kStream> stream{};
  size_t used = kStream;  // bytes of `stream` already used
  ~State() {
    EVP_MAC_CTX_free(hmac);
    EVP_MAC_free(mac);
  }
};

ZipAesEncryptor::ZipAesEncryptor() = default;
ZipAesEncryptor::~ZipAesEncryptor() = default;

bool ZipAesEncryptor::Begin(const std::string& password, std::string* prefix) {
  state_ = std::make_unique<State>();
  uint8_t salt[kZipSalt];
  uint8_t keys[2 * kZipKey + 2];
  if (RAND_bytes(salt, sizeof salt) != 1 ||
      PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt, sizeof salt,
                        kZipIterations, EVP_sha1(), sizeof keys, keys) != 1)
    return false;
  State& s = *state_;
  if (!s.aes.ctx || EVP_EncryptInit_ex(s.aes.ctx, EVP_aes_256_ecb(), nullptr, keys, nullptr) != 1)
    return false;
  EVP_CIPHER_CTX_set_padding(s.aes.ctx, 0);
  s.mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
  s.hmac = s.mac ? EVP_MAC_CTX_new(s.mac) : nullptr;
  char digest[] = "SHA1";
  OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                         OSSL_PARAM_construct_end()};
  if (!s.hmac || EVP_MAC_init(s.hmac, keys + kZipKey, kZipKey, params) != 1) return false;
  prefix->assign(reinterpret_cast<const char*>(salt), sizeof salt);
  prefix->append(reinterpret_cast<const char*>(keys + 2 * kZipKey), 2);  // the password check
  return true;
}

bool ZipAesEncryptor::Encrypt(uint8_t* data, size_t size) {
  State& s = *state_;
  for (size_t i = 0; i < size;) {
    if (s.used == s.stream.size()) {
      // The vendor's counter: 128-bit little-endian block numbers from 1, encrypted in turn
      // (a run of them in one call).
      std::array<uint8_t, kStream> counters{};
      for (size_t at = 0; at < kStream; at += kBlock) {
        ++s.counter;
        for (int b = 0; b < 8; ++b) counters[at + b] = static_cast<uint8_t>(s.counter >> (8 * b));
      }
      int len = 0;
      if (EVP_EncryptUpdate(s.aes.ctx, s.stream.data(), &len, counters.data(), kStream) != 1)
        return false;
      s.used = 0;
    }
    size_t n = std::min(size - i, s.stream.size() - s.used);
    for (size_t k = 0; k < n; ++k) data[i + k] ^= s.stream[s.used + k];
    s.used += n;
    i += n;
  }
  return EVP_MAC_update(s.hmac, data, size) == 1;
}

std::string ZipAesEncryptor::End() {
  uint8_t code[EVP_MAX_MD_SIZE];
  size_t len = 0;
  if (EVP_MAC_final(state_->hmac, code, &len, sizeof code) != 1 || len < kZipCode) return {};
  return std::string(reinterpret_cast<const char*>(code), kZipCode);
}

std::string ZipAesEncryptor::ExtraField(bool crcKept, uint16_t method) {
  std::string f;
  PutLe16(f, 0x9901);
  PutLe16(f, 7);
  PutLe16(f, crcKept ? 1 : 2);  // AE-1 keeps the CRC, AE-2 leaves it 0
  f += "AE";
  f += '\3';  // AES-256
  PutLe16(f, method);
  return f;
}

struct SevenZipAesEncryptor::State {
  std::array<uint8_t, 32> key{};
  CipherCtx cbc;
  std::vector<uint8_t> pending;  // less than a block, waiting for more
  uint64_t packed = 0;
};

SevenZipAesEncryptor::SevenZipAesEncryptor(const std::string& password)
    : state_(std::make_unique<State>()) {
  std::string utf16;
  arc::AppendUtf16Le(utf16, password);
  state_->key = arc::SevenZipAesKey("", utf16, kCycles);
}

SevenZipAesEncryptor::~SevenZipAesEncryptor() = default;

bool SevenZipAesEncryptor::BeginFolder(std::string* properties) {
  State& s = *state_;
  uint8_t iv[kBlock];
  if (RAND_bytes(iv, sizeof iv) != 1 || !s.cbc.ctx ||
      EVP_EncryptInit_ex(s.cbc.ctx, EVP_aes_256_cbc(), nullptr, s.key.data(), iv) != 1)
    return false;
  EVP_CIPHER_CTX_set_padding(s.cbc.ctx, 0);
  s.pending.clear();
  s.packed = 0;
  // The cycles with the "IV given" bit, then the IV's size less one (no salt).
  properties->assign(1, static_cast<char>(kCycles | 0x40));
  *properties += static_cast<char>(kBlock - 1);
  properties->append(reinterpret_cast<const char*>(iv), sizeof iv);
  return true;
}

bool SevenZipAesEncryptor::Encrypt(const uint8_t* data, size_t size, std::vector<uint8_t>* out) {
  State& s = *state_;
  out->clear();
  int len = 0;
  // A block begun by the last call is completed first; the whole blocks after it go straight
  // from the input; what is left waits.
  if (!s.pending.empty()) {
    const size_t take = std::min(size, kBlock - s.pending.size());
    s.pending.insert(s.pending.end(), data, data + take);
    data += take;
    size -= take;
    if (s.pending.size() < kBlock) return true;
    out->resize(kBlock);
    if (EVP_EncryptUpdate(s.cbc.ctx, out->data(), &len, s.pending.data(), kBlock) != 1)
      return false;
    s.pending.clear();
  }
  const size_t whole = size / kBlock * kBlock;
  const size_t at = out->size();
  out->resize(at + whole);
  if (whole > 0 &&
      EVP_EncryptUpdate(s.cbc.ctx, out->data() + at, &len, data, static_cast<int>(whole)) != 1)
    return false;
  s.pending.assign(data + whole, data + size);
  s.packed += out->size();
  return true;
}

bool SevenZipAesEncryptor::EndFolder(std::vector<uint8_t>* out, uint64_t* packed) {
  State& s = *state_;
  out->clear();
  if (!s.pending.empty()) {
    s.pending.resize(kBlock, 0);
    std::vector<uint8_t> last;
    if (!Encrypt(nullptr, 0, &last)) return false;
    *out = std::move(last);
  }
  *packed = s.packed;
  return true;
}

}  // namespace qvr::writers
