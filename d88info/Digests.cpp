#include "d88info/Digests.h"

#include "platform/Console.h"

namespace {

// The data-sha1 takes the sector contents as they are given.
class Sha1Sink : public ByteSink {
 public:
  explicit Sha1Sink(Sha1& sha1) : sha1(sha1) {}
  void Add(const unsigned char* data, int size) override {
    sha1.Add(data, size);
  }

 private:
  Sha1& sha1;
};

void AddDigest(ConsoleLine& line, const unsigned char* digest) {
  for (int i = 0; i < kSha1Size; ++i) line.Add("%02x", digest[i]);
}

}  // namespace

bool SpanDigests::Start() {
  crc = 0;
  crcAfterHeader = 0;
  length = 0;
  return sha1.Start();
}

void SpanDigests::Add(const unsigned char* data, int size) {
  crc = Crc32(crc, data, size);
  sha1.Add(data, size);
  int skip = 0;
  while (length + skip < kVariableHeader && skip < size) {
    header[length + skip] = data[skip];
    ++skip;
  }
  crcAfterHeader = Crc32(crcAfterHeader, data + skip, size - skip);
  length += size;
}

Outcome PrintHashLine(D88Image& image, int index, SpanDigests& span,
                      unsigned char* buffer, int bufferSize) {
  Outcome outcome;
  Sha1 data;
  if (!data.Start()) outcome.cryptoFailed = true;
  Sha1Sink sink(data);
  if (!FeedSectorContents(image, sink, buffer, bufferSize)) {
    outcome.readFailed = true;
    return outcome;
  }
  unsigned char dataDigest[kSha1Size];
  if (!data.Finish(dataDigest)) {
    outcome.cryptoFailed = true;
    return outcome;
  }
  ConsoleLine line;
  line.Add("disk %d crc32 %08lx sha1 ", index + 1, span.Crc());
  AddDigest(line, span.Sha1Digest());
  line.Add(" data-sha1 ");
  AddDigest(line, dataDigest);
  line.End();
  return outcome;
}
