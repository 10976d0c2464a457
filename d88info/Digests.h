#pragma once

#include "d88/D88Image.h"
#include "d88/DiskBytes.h"
#include "d88info/Outcome.h"
#include "platform/Hashes.h"

// With --hash, each disk's line "disk N crc32 C sha1 S data-sha1 D".

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
  unsigned long Crc() const { return crc; }
  // The span's first kVariableHeader bytes (fewer in a shorter span), the
  // CRC-32 of all after them, and the span's length.
  const unsigned char* Header() const { return header; }
  unsigned long CrcAfterHeader() const { return crcAfterHeader; }
  long long Length() const { return length; }
  // Ends the SHA-1 once the span has been taken; gives false when any
  // step of it failed.
  bool Finish() { return sha1.Finish(digest); }
  const unsigned char* Sha1Digest() const { return digest; }

 private:
  unsigned long crc = 0;
  unsigned long crcAfterHeader = 0;
  long long length = 0;
  unsigned char header[kVariableHeader] = {};
  Sha1 sha1;
  unsigned char digest[kSha1Size] = {};
};

// Once `span` has taken the whole span of disk `index`, the current disk,
// and been finished: computes its data-sha1, which reads every sector
// record's data once more (FeedSectorContents), through `buffer`, and
// prints the line.
Outcome PrintHashLine(D88Image& image, int index, SpanDigests& span,
                      unsigned char* buffer, int bufferSize);
