#include "SevenZipFolderReader.h"

#include <lzma.h>
#include <openssl/evp.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ArcErrors.h"
#include "FdIo.h"
#include "SevenZipIds.h"
#include "Text.h"

namespace qvr::arc {
namespace {

constexpr size_t kChunk = 1u << 20;   // packed bytes read from the file at a time
constexpr unsigned kMostCycles = 24;  // as 7-Zip bounds the key derivation
constexpr unsigned kNoHashing = 0x3F;
// No dictionary beyond what any 7-Zip writes: a forged size never reaches the allocator.
constexpr uint64_t kMostDictionary = uint64_t{1536} << 20;

// The liblzma filter of a 7Z method id; 0 when liblzma has none.
lzma_vli FilterOf(uint64_t id) {
  switch (id) {
    case kMethodLzma:
      return LZMA_FILTER_LZMA1;
    case kMethodLzma2:
      return LZMA_FILTER_LZMA2;
    case kMethodDelta:
      return LZMA_FILTER_DELTA;
    case kMethodX86:
    case kMethodBcjX86:
      return LZMA_FILTER_X86;
    case kMethodPpc:
    case kMethodBcjPpc:
      return LZMA_FILTER_POWERPC;
    case kMethodIa64:
    case kMethodBcjIa64:
      return LZMA_FILTER_IA64;
    case kMethodArm:
    case kMethodBcjArm:
      return LZMA_FILTER_ARM;
    case kMethodArmThumb:
    case kMethodBcjArmThumb:
      return LZMA_FILTER_ARMTHUMB;
    case kMethodSparc:
    case kMethodBcjSparc:
      return LZMA_FILTER_SPARC;
    case kMethodArm64:
      return LZMA_FILTER_ARM64;
    default:
      return 0;
  }
}

}  // namespace

std::array<uint8_t, 32> SevenZipAesKey(const std::string& salt, const std::string& password,
                                       unsigned cycles) {
  std::array<uint8_t, 32> key{};
  if (cycles == kNoHashing) {
    std::string both = (salt + password).substr(0, key.size());
    std::memcpy(key.data(), both.data(), both.size());
    return key;
  }
  // Many rounds at a time: each round is salt, password and its number, hashed as one run.
  const size_t unit = salt.size() + password.size() + 8;
  const size_t perBlock = std::max<size_t>(1, (64u << 10) / unit);
  std::vector<uint8_t> block(perBlock * unit);
  for (size_t i = 0; i < perBlock; ++i) {
    std::memcpy(block.data() + i * unit, salt.data(), salt.size());
    std::memcpy(block.data() + i * unit + salt.size(), password.data(), password.size());
  }
  EVP_MD_CTX* ctx = EVP_MD_CTX_new();
  EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr);
  const uint64_t rounds = uint64_t{1} << cycles;
  for (uint64_t round = 0; round < rounds;) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(perBlock, rounds - round));
    for (size_t i = 0; i < n; ++i, ++round) {
      uint8_t* counter = block.data() + i * unit + unit - 8;
      for (int b = 0; b < 8; ++b) counter[b] = static_cast<uint8_t>(round >> (8 * b));
    }
    EVP_DigestUpdate(ctx, block.data(), n * unit);
  }
  unsigned len = 0;
  EVP_DigestFinal_ex(ctx, key.data(), &len);
  EVP_MD_CTX_free(ctx);
  return key;
}

int32_t SevenZipKeys::Key(const std::string& p, std::array<uint8_t, 32>* key,
                          std::array<uint8_t, 16>* iv, std::string* why) {
  if (p.empty()) {
    *why = "7zAES coder without properties";
    return ERROR_HEADER_BROKEN;
  }
  auto b0 = static_cast<uint8_t>(p[0]);
  unsigned cycles = b0 & 0x3F;
  size_t saltSize = 0, ivSize = 0;
  if (b0 & 0xC0) {
    if (p.size() < 2) {
      *why = "7zAES properties too short";
      return ERROR_HEADER_BROKEN;
    }
    auto b1 = static_cast<uint8_t>(p[1]);
    saltSize = ((b0 >> 7) & 1) + (b1 >> 4);
    ivSize = ((b0 >> 6) & 1) + (b1 & 0x0F);
    if (p.size() != 2 + saltSize + ivSize) {
      *why = "7zAES properties of the wrong length";
      return ERROR_HEADER_BROKEN;
    }
  }
  if (cycles > kMostCycles && cycles != kNoHashing) {
    *why = "7zAES key derivation of 2^" + std::to_string(cycles) + " rounds";
    return ERROR_NOT_SUPPORT;
  }
  if (!asked_) {
    asked_ = true;
    std::string text;
    Take(ask_ && ask_(0, text), text);
  }
  if (!given_) {
    *why = "the archive is encrypted and no password was given";
    return ERROR_PASSWORD_FILE;
  }
  std::string salt = p.size() > 2 ? p.substr(2, saltSize) : "";
  iv->fill(0);
  if (ivSize) std::memcpy(iv->data(), p.data() + 2 + saltSize, ivSize);
  for (const Derived& d : derived_) {
    if (d.salt == salt && d.cycles == cycles) {
      *key = d.key;
      return kOk;
    }
  }
  *key = SevenZipAesKey(salt, password_, cycles);
  if (derived_.size() < 16) derived_.push_back({salt, cycles, *key});
  return kOk;
}

void SevenZipKeys::Take(bool given, const std::string& text) {
  given_ = given;
  password_.clear();
  derived_.clear();
  if (given_) AppendUtf16Le(password_, text);
}

bool SevenZipKeys::AskAgain() {
  if (!asked_ || !given_ || !ask_) return false;
  std::string text;
  Take(ask_(++wrongAnswers_, text), text);
  wrong_ = false;
  return given_;
}

struct SevenZipFolderReader::Crypto {
  EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
  ~Crypto() { EVP_CIPHER_CTX_free(ctx); }
};

struct SevenZipFolderReader::Lzma {
  lzma_stream stream = LZMA_STREAM_INIT;
  ~Lzma() { lzma_end(&stream); }
};

SevenZipFolderReader::SevenZipFolderReader(const PartedFile& file, const SevenZipFolder& folder)
    : file_(file),
      packAt_(folder.packOffset),
      packLeft_(folder.packSize),
      unpackSize_(folder.unpackSize) {}

SevenZipFolderReader::~SevenZipFolderReader() = default;

int32_t SevenZipFolderReader::Open(const PartedFile& file, const SevenZipFolder& folder,
                                   SevenZipKeys& keys, std::unique_ptr<SevenZipFolderReader>* out,
                                   std::string* why) {
  out->reset();
  if (folder.chain.empty() || folder.packedStreams.size() != 1) {
    std::string names;
    for (const SevenZipCoder& c : folder.coders)
      names += (names.empty() ? "" : " ") + SevenZipCoderName(c.id);
    *why = "7Z coders not decoded here (" + names + ")";
    return ERROR_NOT_SUPPORT;
  }
  std::unique_ptr<SevenZipFolderReader> reader(new SevenZipFolderReader(file, folder));
  std::vector<uint32_t> chain = folder.chain;  // from the output to the packed stream
  if (folder.coders[chain.back()].id == kMethodAes) {
    std::array<uint8_t, 32> key;
    std::array<uint8_t, 16> iv;
    if (int32_t r = keys.Key(folder.coders[chain.back()].properties, &key, &iv, why); r != kOk)
      return r;
    if (folder.packSize % 16 != 0) {
      *why = "encrypted data that is no whole number of AES blocks";
      return ERROR_BROKEN_DATA;
    }
    reader->crypto_ = std::make_unique<Crypto>();
    if (!reader->crypto_->ctx || EVP_DecryptInit_ex(reader->crypto_->ctx, EVP_aes_256_cbc(),
                                                    nullptr, key.data(), iv.data()) != 1) {
      *why = "AES is not available";
      return ERROR_NOT_SUPPORT;
    }
    EVP_CIPHER_CTX_set_padding(reader->crypto_->ctx, 0);
    chain.pop_back();
  }
  lzma_filter filters[LZMA_FILTERS_MAX + 1];
  size_t count = 0;
  auto freeFilters = [&] {
    for (size_t i = 0; i < count; ++i) std::free(filters[i].options);
  };
  for (uint32_t index : chain) {
    const SevenZipCoder& c = folder.coders[index];
    if (c.id == kMethodCopy) continue;
    lzma_vli filter = FilterOf(c.id);
    if (filter == 0 || count == LZMA_FILTERS_MAX) {
      freeFilters();
      *why = "7Z coder " + SevenZipCoderName(c.id) + " is not decoded here";
      return ERROR_NOT_SUPPORT;
    }
    filters[count].id = filter;
    filters[count].options = nullptr;
    const auto* props = reinterpret_cast<const uint8_t*>(c.properties.data());
    if (lzma_properties_decode(&filters[count], nullptr, props, c.properties.size()) != LZMA_OK) {
      freeFilters();
      *why = "broken properties of the 7Z coder " + SevenZipCoderName(c.id);
      return ERROR_HEADER_BROKEN;
    }
    ++count;
    if (filter == LZMA_FILTER_LZMA1 || filter == LZMA_FILTER_LZMA2) {
      // The dictionary never needs to exceed what the coder puts out.
      auto* o = static_cast<lzma_options_lzma*>(filters[count - 1].options);
      uint64_t output = folder.unpackSizes[index];
      uint64_t dict = std::min<uint64_t>(o->dict_size, std::max<uint64_t>(output, 4096));
      if (dict > kMostDictionary) {
        freeFilters();
        *why = "an LZMA dictionary of " + std::to_string(o->dict_size >> 20) + " MiB";
        return ERROR_NOT_SUPPORT;
      }
      o->dict_size = static_cast<uint32_t>(dict);
      if (filter == LZMA_FILTER_LZMA1) {
        // LZMA in 7Z has no end mark: the decoder stops at the coder's size, so that a filter
        // above it sees the end there and not the padding of the encryption behind it.
        filters[count - 1].id = LZMA_FILTER_LZMA1EXT;
        o->ext_flags = LZMA_LZMA1EXT_ALLOW_EOPM;
        lzma_set_ext_size(*o, output);
      }
    }
  }
  if (count > 0) {
    filters[count].id = LZMA_VLI_UNKNOWN;
    filters[count].options = nullptr;
    reader->lzma_ = std::make_unique<Lzma>();
    lzma_ret r = lzma_raw_decoder(&reader->lzma_->stream, filters);
    freeFilters();
    if (r != LZMA_OK) {
      *why = r == LZMA_MEM_ERROR ? "not enough memory for the LZMA decoder"
                                 : "7Z coders in an order not decoded here";
      return r == LZMA_MEM_ERROR ? ERROR_BROKEN_DATA : ERROR_NOT_SUPPORT;
    }
  }
  *out = std::move(reader);
  return kOk;
}

int32_t SevenZipFolderReader::FillInput(std::string* why) {
  size_t n = static_cast<size_t>(std::min<uint64_t>(kChunk, packLeft_));
  input_.resize(std::max(input_.size(), n));
  uint8_t* target = input_.data();
  if (crypto_) {
    raw_.resize(std::max(raw_.size(), n));
    target = raw_.data();
  }
  if (file_.ReadAt(target, n, packAt_) != n) {
    *why = "the archive ends inside packed data";
    return ERROR_BROKEN_DATA;
  }
  packAt_ += n;
  packLeft_ -= n;
  if (crypto_) {
    int len = 0;
    if (EVP_DecryptUpdate(crypto_->ctx, input_.data(), &len, raw_.data(), static_cast<int>(n)) !=
            1 ||
        static_cast<size_t>(len) != n) {
      *why = "the encrypted data does not decrypt";
      return ERROR_BROKEN_DATA;
    }
  }
  inputAt_ = 0;
  inputEnd_ = n;
  return kOk;
}

int32_t SevenZipFolderReader::Read(uint8_t* buffer, size_t size, size_t* got, std::string* why) {
  *got = 0;
  size = static_cast<size_t>(std::min<uint64_t>(size, unpackSize_ - produced_));
  while (*got < size) {
    if (inputAt_ == inputEnd_ && packLeft_ > 0) {
      if (int32_t r = FillInput(why); r != kOk) return r;
    }
    size_t before = *got;
    if (!lzma_) {
      size_t n = std::min(size - *got, inputEnd_ - inputAt_);
      std::memcpy(buffer + *got, input_.data() + inputAt_, n);
      inputAt_ += n;
      *got += n;
    } else {
      lzma_stream& s = lzma_->stream;
      s.next_in = input_.data() + inputAt_;
      s.avail_in = inputEnd_ - inputAt_;
      s.next_out = buffer + *got;
      s.avail_out = size - *got;
      lzma_ret r = lzma_code(&s, LZMA_RUN);
      inputAt_ = inputEnd_ - s.avail_in;
      *got = size - s.avail_out;
      if (r == LZMA_STREAM_END && *got < size) {
        produced_ += *got;
        *why = "the compressed data ends before the folder's size";
        return ERROR_BROKEN_DATA;
      }
      if (r != LZMA_OK && r != LZMA_STREAM_END) {
        produced_ += *got;
        *why = r == LZMA_MEM_ERROR ? "not enough memory for the LZMA decoder"
                                   : "the compressed data is broken";
        return ERROR_BROKEN_DATA;
      }
    }
    if (*got == before && inputAt_ == inputEnd_ && packLeft_ == 0) {
      produced_ += *got;
      *why = "the packed data ends before the folder's size";
      return ERROR_BROKEN_DATA;
    }
  }
  produced_ += *got;
  return kOk;
}

int32_t SevenZipFolderReader::Skip(uint64_t count, std::string* why) {
  scratch_.resize(256u << 10);
  while (count > 0) {
    size_t got = 0;
    size_t want = static_cast<size_t>(std::min<uint64_t>(count, scratch_.size()));
    if (int32_t r = Read(scratch_.data(), want, &got, why); r != kOk) return r;
    if (got == 0) {
      *why = "the folder ends before its files";
      return ERROR_BROKEN_DATA;
    }
    count -= got;
  }
  return kOk;
}

}  // namespace qvr::arc
