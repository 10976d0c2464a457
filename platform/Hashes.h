#pragma once

// The checksums by which catalogues of known dumps list a file: CRC-32, from
// zlib, and SHA-1, from the system's own crypto library (OpenSSL's
// libcrypto on POSIX systems, BCrypt on Windows). Only d88info links this.

constexpr int kSha1Size = 20;

// CRC-32 of `size` more bytes, going on from `crc` (0 to begin).
unsigned long Crc32(unsigned long crc, const unsigned char* data, int size);

// The CRC-32 of two runs of bytes one after the other, from each run's own
// CRC-32 and the second's length, without the bytes.
unsigned long Crc32Combine(unsigned long first, unsigned long second,
                           long long secondLength);

// SHA-1 of the bytes given to Add between Start and Finish.
class Sha1 {
 public:
  Sha1() = default;
  ~Sha1();
  Sha1(const Sha1&) = delete;
  Sha1& operator=(const Sha1&) = delete;

  // Gives false when the library cannot hash (Finish then gives false).
  bool Start();
  void Add(const unsigned char* data, int size);
  // Writes the digest; gives false when any step failed.
  bool Finish(unsigned char digest[kSha1Size]);

 private:
  void Release();

  void* state = nullptr;  // the library's own
  bool failed = true;
};
