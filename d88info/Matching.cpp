#include "d88info/Matching.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "d88/DiskBytes.h"

namespace {

constexpr int kHeader = SpanDigests::kVariableHeader;
constexpr int kProtectByte = offsetof(D88DiskHeader, writeProtect);
constexpr int kNameStart = offsetof(D88DiskHeader, name);
constexpr int kNameBytes = sizeof(D88DiskHeader::name);
constexpr int kReservedStart = offsetof(D88DiskHeader, reserved);
constexpr int kReservedBytes = sizeof(D88DiskHeader::reserved);
static_assert(kProtectByte + 1 == kHeader,
              "the bytes a copy may have otherwise end with the write protection");

// A header as a catalogue's copy of the disk may have it.
struct Variant {
  unsigned char header[kHeader];
  unsigned parts;
  unsigned long crc;  // of the whole disk with this header
};

bool AllZero(const unsigned char* bytes, int count) {
  for (int i = 0; i < count; ++i) {
    if (bytes[i] != 0) return false;
  }
  return true;
}

// Every header that sets one or more of the write-protect byte, the name
// and the reserved bytes as a catalogue's copy may have them, and differs
// from the disk's own, in the order of the smallest set first and, within
// one size, write-protect, name, reserved.
std::vector<Variant> Variants(const SpanDigests& span) {
  const unsigned char* own = span.Header();
  std::vector<unsigned char> protects;
  for (const unsigned char protect : {0x00, 0x10}) {
    if (own[kProtectByte] != protect) protects.push_back(protect);
  }
  const bool named = !AllZero(own + kNameStart, kNameBytes);
  const bool reserved = !AllZero(own + kReservedStart, kReservedBytes);
  std::vector<Variant> variants;
  for (const unsigned parts : std::initializer_list<unsigned>{
           kPartWriteProtect, kPartName, kPartReserved,
        kPartWriteProtect | kPartName, kPartWriteProtect | kPartReserved,
        kPartName | kPartReserved,
        kPartWriteProtect | kPartName | kPartReserved}) {
    if (((parts & kPartName) != 0 && !named) ||
        ((parts & kPartReserved) != 0 && !reserved)) {
      continue;
    }
    const std::size_t ways =
        (parts & kPartWriteProtect) != 0 ? protects.size() : 1;
    for (std::size_t way = 0; way < ways; ++way) {
      Variant variant;
      std::memcpy(variant.header, own, kHeader);
      if ((parts & kPartWriteProtect) != 0) {
        variant.header[kProtectByte] = protects[way];
      }
      if ((parts & kPartName) != 0) {
        std::memset(variant.header + kNameStart, 0, kNameBytes);
      }
      if ((parts & kPartReserved) != 0) {
        std::memset(variant.header + kReservedStart, 0, kReservedBytes);
      }
      variant.parts = parts;
      variant.crc = Crc32Combine(Crc32(0, variant.header, kHeader),
                                 span.CrcAfterHeader(),
                                 span.Length() - kHeader);
      variants.push_back(variant);
    }
  }
  return variants;
}

// The SHA-1 of the disk as it lies in the image but for its first bytes,
// which are `header`'s.
class VariantSha1 : public ByteSink {
 public:
  explicit VariantSha1(const unsigned char* header) : header(header) {}
  bool Start() { return sha1.Start(); }
  void Add(const unsigned char* data, int size) override {
    const int fromHeader =
        at < kHeader ? static_cast<int>(std::min<long long>(kHeader - at, size))
                     : 0;
    if (fromHeader > 0) sha1.Add(header + at, fromHeader);
    sha1.Add(data + fromHeader, size - fromHeader);
    at += size;
  }
  bool Finish(unsigned char digest[kSha1Size]) { return sha1.Finish(digest); }

 private:
  const unsigned char* header;
  long long at = 0;
  Sha1 sha1;
};

}  // namespace

bool IsExactly(const CatalogueEntry& entry, const SpanDigests& span) {
  return entry.size == span.Length() &&
         (!entry.hasCrc || entry.crc == span.Crc()) &&
         (!entry.hasSha1 ||
          std::memcmp(entry.sha1, span.Sha1Digest(), kSha1Size) == 0);
}

int FirstExactEntry(const Catalogue& catalogue, const SpanDigests& span) {
  std::vector<int> candidates;
  catalogue.EntriesWithCrc(span.Crc(), candidates);
  candidates.insert(candidates.end(), catalogue.sha1Only.begin(),
                    catalogue.sha1Only.end());
  int first = -1;
  for (const int e : candidates) {
    if ((first < 0 || e < first) &&
        IsExactly(catalogue.entries[static_cast<std::size_t>(e)], span)) {
      first = e;
    }
  }
  return first;
}

MatchOutcome MatchDisk(D88Image& image, int index, const SpanDigests& span,
                       const Catalogue& catalogue,
                       std::vector<DatMatch>& matches, unsigned char* buffer,
                       int bufferSize) {
  matches.clear();
  const std::vector<Variant> variants =
      span.Length() > kHeader ? Variants(span) : std::vector<Variant>();
  // The entries the disk or a variant may be, by CRC32, and those that
  // give no CRC32, in the entries' order.
  std::vector<int> candidates;
  catalogue.EntriesWithCrc(span.Crc(), candidates);
  for (const Variant& variant : variants) {
    catalogue.EntriesWithCrc(variant.crc, candidates);
  }
  candidates.insert(candidates.end(), catalogue.sha1Only.begin(),
                    catalogue.sha1Only.end());
  std::sort(candidates.begin(), candidates.end());
  candidates.erase(std::unique(candidates.begin(), candidates.end()),
                   candidates.end());
  MatchOutcome outcome = MatchOutcome::kDone;
  // Each variant's SHA-1 is read once, when an entry first needs it: 0 not
  // yet, 1 read, -1 could not be.
  std::vector<int> confirmed(variants.size(), 0);
  std::vector<std::vector<unsigned char>> digests(variants.size());
  for (const int e : candidates) {
    const CatalogueEntry& entry = catalogue.entries[static_cast<std::size_t>(e)];
    if (IsExactly(entry, span)) {
      matches.push_back({e, true, 0});
      continue;
    }
    if (entry.size != span.Length() || !entry.hasCrc) continue;
    for (std::size_t v = 0; v < variants.size(); ++v) {
      if (variants[v].crc != entry.crc) continue;
      if (entry.hasSha1 && confirmed[v] == 0) {
        VariantSha1 sha1(variants[v].header);
        digests[v].resize(kSha1Size);
        if (!sha1.Start()) outcome = MatchOutcome::kCryptoFailed;
        if (!FeedDiskSpan(image, index, sha1, buffer, bufferSize)) {
          return MatchOutcome::kReadFailed;
        }
        confirmed[v] = sha1.Finish(digests[v].data()) ? 1 : -1;
        if (confirmed[v] < 0) outcome = MatchOutcome::kCryptoFailed;
      }
      if (entry.hasSha1 &&
          (confirmed[v] < 0 ||
           std::memcmp(digests[v].data(), entry.sha1, kSha1Size) != 0)) {
        continue;
      }
      matches.push_back({e, false, variants[v].parts});
      break;
    }
  }
  return outcome;
}
