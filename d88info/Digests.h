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
  // Gives false when the crypto library cannot hash.
  bool Start();
  void Add(const unsigned char* data, int size) override;
  unsigned long Crc() const { return crc; }
  // Gives false when any step of the SHA-1 failed.
  bool FinishSha1(unsigned char digest[kSha1Size]) {
    return sha1.Finish(digest);
  }

 private:
  unsigned long crc = 0;
  Sha1 sha1;
};

// Once `span` has taken the whole span of disk `index`, the current disk:
// computes its data-sha1, which reads every sector record's data once more
// (FeedSectorContents), through `buffer`, and prints the line.
Outcome PrintHashLine(D88Image& image, int index, SpanDigests& span,
                      unsigned char* buffer, int bufferSize);
