#pragma once

#include <vector>

#include "d88/D88Image.h"
#include "d88info/Catalogue.h"
#include "d88info/Digests.h"
#include "d88info/Outcome.h"

// With --dat, which catalogue entries a disk is: the disk as it lies in the
// image, or the disk once its header's write protection, name or reserved
// bytes are set as the catalogue's copy has them.
struct DatMatch {
  int entry;       // index into the entries
  bool exact;
  char what[48];   // for a header match: "write-protect,name,reserved"
};

// True when the disk whose span `span` took (and was finished) is `entry`
// as it lies in the image: the entry's size, and the CRC32 and SHA-1 it
// gives.
bool IsExactly(const CatalogueEntry& entry, const SpanDigests& span);

// Finds every entry that disk `index`, whose span `span` has taken and
// been finished, matches, in the entries' order; an entry that gives a
// CRC32 is also tried against the header variants, found by size and
// CRC32 without reading the disk, and only a candidate's SHA-1 is
// confirmed by reading the disk once more, through `buffer`.
Outcome MatchDisk(D88Image& image, int index, const SpanDigests& span,
                  const std::vector<CatalogueEntry>& entries,
                  std::vector<DatMatch>& matches, unsigned char* buffer,
                  int bufferSize);

// "disk N dat exact|header WHAT "NAME"", a line each, or "disk N dat none".
void PrintMatches(int index, const std::vector<DatMatch>& matches,
                  const std::vector<CatalogueEntry>& entries);
