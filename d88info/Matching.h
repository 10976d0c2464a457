#pragma once

#include <vector>

#include "d88/D88Image.h"
#include "d88info/Catalogue.h"
#include "d88info/Digests.h"

// With --dat, which catalogue entries a disk is: the disk as it lies in the
// image, or the disk once its header's write protection, name or reserved
// bytes are set as the catalogue's copy has them.

// The header bytes that a header match may set, a bit each.
enum HeaderPart : unsigned {
  kPartWriteProtect = 1,
  kPartName = 2,
  kPartReserved = 4,
};

struct DatMatch {
  int entry;       // index into the catalogue's entries
  bool exact;
  unsigned parts;  // for a header match: the HeaderParts set
};

// True when the disk whose span `span` took (and was finished) is `entry`
// as it lies in the image: the entry's size, and the CRC32 and SHA-1 it
// gives.
bool IsExactly(const CatalogueEntry& entry, const SpanDigests& span);

// The first entry that the disk is exactly, or -1.
int FirstExactEntry(const Catalogue& catalogue, const SpanDigests& span);

// What finding the matches came to.
enum class MatchOutcome { kDone, kReadFailed, kCryptoFailed };

// Finds every entry that disk `index`, whose span `span` has taken and
// been finished, matches, in the entries' order. The entries are found by
// their CRC32 (or, for those without one, their SHA-1) among those of the
// disk and its header variants, computed without reading the disk; only a
// variant's SHA-1, where a candidate gives one, is confirmed by reading
// the disk once more, through `buffer`. Matches found before a failure are
// kept; a crypto failure leaves out only the variants it could not
// confirm.
MatchOutcome MatchDisk(D88Image& image, int index, const SpanDigests& span,
                       const Catalogue& catalogue,
                       std::vector<DatMatch>& matches, unsigned char* buffer,
                       int bufferSize);
