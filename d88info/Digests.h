#pragma once

#include "d88/D88Image.h"
#include "d88/DiskBytes.h"
#include "platform/Hashes.h"

// The checksums by which d88info names a disk (--hash, --dat).

// The CRC32 and SHA-1 of a disk's span, header included, as catalogues
// list a disk saved as its own file; it takes the span's bytes as they
// are read (FeedDiskSpan), together with the piece --split writes.
class SpanDigests : public ByteSink {
 public:
  // The header bytes a catalogue's copy of a disk may have otherwise:
  // its name, the reserved bytes and the write-protect byte.
  static constexpr int kVariableHeader = 27;

  // Gives false when the crypto library cannot hash.
  bool Start();
  void Add(const unsigned char* data, int size) override;
  // The span's CRC32, once finished.
  unsigned long Crc() const { return crc; }
  // The span's first kVariableHeader bytes (fewer in a shorter span), the
  // CRC-32 of all after them, and the span's length.
  const unsigned char* Header() const { return header; }
  unsigned long CrcAfterHeader() const { return crcAfterHeader; }
  long long Length() const { return length; }
  // Ends the checksums once the span has been taken; gives false when
  // any step of the SHA-1 failed.
  bool Finish();
  const unsigned char* Sha1Digest() const { return digest; }

 private:
  unsigned long crc = 0;
  unsigned long crcAfterHeader = 0;
  long long length = 0;
  unsigned char header[kVariableHeader] = {};
  Sha1 sha1;
  unsigned char digest[kSha1Size] = {};
};

// What computing a digest came to.
enum class DigestOutcome { kDone, kReadFailed, kCryptoFailed };

// The data-sha1 of the current disk, which reads every sector record's
// data once more (FeedSectorContents), through `buffer`.
DigestOutcome DataSha1(D88Image& image, unsigned char digest[kSha1Size],
                       unsigned char* buffer, int bufferSize);
