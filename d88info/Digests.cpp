#include "d88info/Digests.h"

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

}  // namespace

bool SpanDigests::Start() {
  crc = 0;
  crcAfterHeader = 0;
  length = 0;
  return sha1.Start();
}

// The CRC32 of the bytes after the header's variable ones is taken as they
// arrive, that of the whole span made from it once at the end.
void SpanDigests::Add(const unsigned char* data, int size) {
  sha1.Add(data, size);
  int skip = 0;
  while (length + skip < kVariableHeader && skip < size) {
    header[length + skip] = data[skip];
    ++skip;
  }
  crcAfterHeader = Crc32(crcAfterHeader, data + skip, size - skip);
  length += size;
}

bool SpanDigests::Finish() {
  const long long headerLength =
      length < kVariableHeader ? length : kVariableHeader;
  crc = Crc32Combine(Crc32(0, header, static_cast<int>(headerLength)),
                     crcAfterHeader, length - headerLength);
  return sha1.Finish(digest);
}

DigestOutcome DataSha1(D88Image& image, unsigned char digest[kSha1Size],
                       unsigned char* buffer, int bufferSize) {
  Sha1 data;
  const bool started = data.Start();
  Sha1Sink sink(data);
  if (!FeedSectorContents(image, sink, buffer, bufferSize)) {
    return DigestOutcome::kReadFailed;
  }
  return data.Finish(digest) && started ? DigestOutcome::kDone
                                        : DigestOutcome::kCryptoFailed;
}
