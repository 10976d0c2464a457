// SHA-1 through the system's crypto library, OpenSSL's libcrypto
// (platform/Hashes.h).

#include <openssl/evp.h>

#include "platform/Hashes.h"

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
