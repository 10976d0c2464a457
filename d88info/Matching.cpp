#include "d88info/Matching.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "d88/DiskBytes.h"
#include "d88info/Listing.h"
#include "platform/Console.h"

namespace {

constexpr int kHeader = SpanDigests::kVariableHeader;
constexpr int kProtectByte = 26;
constexpr int kNameBytes = 17;      // bytes 0 to 16
constexpr int kReservedStart = 17;  // bytes 17 to 25
constexpr int kReservedBytes = 9;

// A header as a catalogue's copy of the disk may have it.
struct Variant {
  unsigned char header[kHeader];
  char what[48];
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
  const bool named = !AllZero(own, kNameBytes);
  const bool reserved = !AllZero(own + kReservedStart, kReservedBytes);
  std::vector<Variant> variants;
  // Bit 1: write-protect, 2: name, 4: reserved.
  for (const int set : {1, 2, 4, 3, 5, 6, 7}) {
    if (((set & 2) != 0 && !named) || ((set & 4) != 0 && !reserved)) continue;
    const std::size_t ways = (set & 1) != 0 ? protects.size() : 1;
    for (std::size_t way = 0; way < ways; ++way) {
      Variant variant;
      std::memcpy(variant.header, own, kHeader);
      if ((set & 1) != 0) variant.header[kProtectByte] = protects[way];
      if ((set & 2) != 0) std::memset(variant.header, 0, kNameBytes);
      if ((set & 4) != 0) {
        std::memset(variant.header + kReservedStart, 0, kReservedBytes);
      }
      std::snprintf(variant.what, sizeof variant.what, "%s%s%s",
                    (set & 1) != 0 ? "write-protect," : "",
                    (set & 2) != 0 ? "name," : "",
                    (set & 4) != 0 ? "reserved," : "");
      variant.what[std::strlen(variant.what) - 1] = '\0';
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

Outcome MatchDisk(D88Image& image, int index, const SpanDigests& span,
                  const std::vector<CatalogueEntry>& entries,
                  std::vector<DatMatch>& matches, unsigned char* buffer,
                  int bufferSize) {
  Outcome outcome;
  matches.clear();
  const bool variable = span.Length() > kHeader;
  const std::vector<Variant> variants =
      variable ? Variants(span) : std::vector<Variant>();
  // Each variant's SHA-1 is read once, when an entry first needs it: 0 not
  // yet, 1 read, -1 could not be.
  std::vector<int> confirmed(variants.size(), 0);
  std::vector<std::vector<unsigned char>> digests(variants.size());
  for (std::size_t e = 0; e < entries.size(); ++e) {
    const CatalogueEntry& entry = entries[e];
    if (IsExactly(entry, span)) {
      matches.push_back({static_cast<int>(e), true, ""});
      continue;
    }
    if (entry.size != span.Length() || !entry.hasCrc) continue;
    for (std::size_t v = 0; v < variants.size(); ++v) {
      if (variants[v].crc != entry.crc) continue;
      if (entry.hasSha1 && confirmed[v] == 0) {
        VariantSha1 sha1(variants[v].header);
        digests[v].resize(kSha1Size);
        if (!sha1.Start()) outcome.cryptoFailed = true;
        if (!FeedDiskSpan(image, index, sha1, buffer, bufferSize)) {
          outcome.readFailed = true;
          return outcome;
        }
        confirmed[v] = sha1.Finish(digests[v].data()) ? 1 : -1;
        if (confirmed[v] < 0) outcome.cryptoFailed = true;
      }
      if (entry.hasSha1 &&
          (confirmed[v] < 0 ||
           std::memcmp(digests[v].data(), entry.sha1, kSha1Size) != 0)) {
        continue;
      }
      DatMatch match{static_cast<int>(e), false, ""};
      std::snprintf(match.what, sizeof match.what, "%s", variants[v].what);
      matches.push_back(match);
      break;
    }
  }
  return outcome;
}

void PrintMatches(int index, const std::vector<DatMatch>& matches,
                  const std::vector<CatalogueEntry>& entries) {
  ConsoleLine line;
  if (matches.empty()) {
    line.Add("disk %d dat none", index + 1);
    line.End();
  }
  for (const DatMatch& match : matches) {
    const std::string& name = entries[static_cast<std::size_t>(match.entry)].name;
    line.Add("disk %d dat ", index + 1);
    if (match.exact) {
      line.Add("exact ");
    } else {
      line.Add("header %s ", match.what);
    }
    AddQuoted(line, reinterpret_cast<const unsigned char*>(name.data()),
              static_cast<int>(name.size()));
    line.End();
  }
}
