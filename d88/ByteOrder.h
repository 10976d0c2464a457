#pragma once

// Little-endian field decoding, independent of the host's byte order.
// Results are signed 32-bit: 16-bit fields give 0..65535, 32-bit fields give
// the raw bit pattern, so a field of 2^31 or more comes out negative.

inline int ReadLe16(const unsigned char* bytes) {
  return bytes[0] | (bytes[1] << 8);
}

inline int ReadLe32(const unsigned char* bytes) {
  const unsigned int value = static_cast<unsigned int>(bytes[0]) |
                             (static_cast<unsigned int>(bytes[1]) << 8) |
                             (static_cast<unsigned int>(bytes[2]) << 16) |
                             (static_cast<unsigned int>(bytes[3]) << 24);
  // Converting an out-of-range unsigned value to int is two's complement in
  // C++20 and on every compiler this builds with before it.
  return static_cast<int>(value);
}
