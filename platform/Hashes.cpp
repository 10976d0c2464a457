#include "platform/Hashes.h"

#include <zlib.h>

// CRC-32 from zlib on every system; SHA-1 is each system's
// (platform/posix/Sha1.cpp, platform/windows/Sha1.cpp).

unsigned long Crc32(unsigned long crc, const unsigned char* data, int size) {
  if (size <= 0) return crc;
  return crc32(crc, data, static_cast<uInt>(size));
}

unsigned long Crc32Combine(unsigned long first, unsigned long second,
                           long long secondLength) {
  return crc32_combine(first, second, static_cast<z_off_t>(secondLength));
}

Sha1::~Sha1() { Release(); }
