#include "platform/Hashes.h"

#include <zlib.h>

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>
#else
#include <openssl/evp.h>
#endif

unsigned long Crc32(unsigned long crc, const unsigned char* data, int size) {
  if (size <= 0) return crc;
  return crc32(crc, data, static_cast<uInt>(size));
}

Sha1::~Sha1() { Release(); }

#ifdef _WIN32

namespace {

// The provider is opened once and kept for the whole run.
BCRYPT_ALG_HANDLE Algorithm() {
  static BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (algorithm == nullptr &&
      !BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(
          &algorithm, BCRYPT_SHA1_ALGORITHM, nullptr, 0))) {
    algorithm = nullptr;
  }
  return algorithm;
}

}  // namespace

bool Sha1::Start() {
  Release();
  BCRYPT_HASH_HANDLE hash = nullptr;
  const BCRYPT_ALG_HANDLE algorithm = Algorithm();
  failed = algorithm == nullptr ||
           !BCRYPT_SUCCESS(
               BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
  state = failed ? nullptr : hash;
  return !failed;
}

void Sha1::Add(const unsigned char* data, int size) {
  if (failed || size <= 0) return;
  failed = !BCRYPT_SUCCESS(
      BCryptHashData(static_cast<BCRYPT_HASH_HANDLE>(state),
                     const_cast<PUCHAR>(data), static_cast<ULONG>(size), 0));
}

bool Sha1::Finish(unsigned char digest[kSha1Size]) {
  const bool done =
      !failed && BCRYPT_SUCCESS(BCryptFinishHash(
                     static_cast<BCRYPT_HASH_HANDLE>(state), digest, kSha1Size,
                     0));
  Release();
  return done;
}

void Sha1::Release() {
  if (state != nullptr) {
    BCryptDestroyHash(static_cast<BCRYPT_HASH_HANDLE>(state));
  }
  state = nullptr;
  failed = true;
}

#else

bool Sha1::Start() {
  Release();
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  state = context;
  failed = context == nullptr ||
           EVP_DigestInit_ex(context, EVP_sha1(), nullptr) != 1;
  return !failed;
}

void Sha1::Add(const unsigned char* data, int size) {
  if (failed || size <= 0) return;
  failed = EVP_DigestUpdate(static_cast<EVP_MD_CTX*>(state), data,
                            static_cast<size_t>(size)) != 1;
}

bool Sha1::Finish(unsigned char digest[kSha1Size]) {
  unsigned int length = 0;
  const bool done =
      !failed &&
      EVP_DigestFinal_ex(static_cast<EVP_MD_CTX*>(state), digest, &length) ==
          1 &&
      length == kSha1Size;
  Release();
  return done;
}

void Sha1::Release() {
  EVP_MD_CTX_free(static_cast<EVP_MD_CTX*>(state));
  state = nullptr;
  failed = true;
}

#endif
