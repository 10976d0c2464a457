#include "platform/Hashes.h"

#include <zlib.h>

// CRC-32 from zlib on every system; SHA-1 is each system's
// (platform/posix/Sha1.cpp, platform/windows/Sha1.cpp).

unsigned long Crc32(unsigned long crc, const unsigned char* data, int size) {
  if (size <= 0) return crc;
  return crc32(crc, data, static_cast<uInt>(size));
}

Sha1::~Sha1() { Release(); }
