// SHA-1 through Windows' own crypto API, BCrypt (platform/Hashes.h).

#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>

#include "platform/Hashes.h"

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
