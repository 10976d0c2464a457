#pragma once

#include <string>
#include <utility>
#include <vector>

#include "d88info/XmlFile.h"
#include "platform/Hashes.h"

// Catalogues of known dumps (--dat): the rom elements of Logiqx datafiles
// and of software lists that give a size and a CRC32, a SHA-1 or both,
// each with the software it belongs to. Anything else is passed over.

// The game, machine or software element an entry stands in: its name
// attribute and the text of its first description child, white space at
// either end removed.
struct CatalogueGame {
  std::string name;         // UTF-8
  std::string description;  // UTF-8; empty for none
};

struct CatalogueEntry {
  std::string name;  // the rom's name, UTF-8
  long long size = 0;
  bool hasCrc = false;
  unsigned long crc = 0;
  bool hasSha1 = false;
  unsigned char sha1[kSha1Size] = {};
  int game = -1;  // index into Catalogue::games; -1: none, or it has no name
};

// Every catalogue of a run, read once, in the order given and, within
// one, the order of its entries.
struct Catalogue {
  std::vector<CatalogueEntry> entries;
  std::vector<CatalogueGame> games;
  // The entries that give a CRC32, by it (CRC32, entry index), sorted; and
  // those that give only a SHA-1, in order.
  std::vector<std::pair<unsigned long, int>> byCrc;
  std::vector<int> sha1Only;

  // The indexes of the entries whose CRC32 is `crc`, in the entries' order.
  void EntriesWithCrc(unsigned long crc, std::vector<int>& into) const;
};

// A catalogue that could not be read or was refused.
struct CatalogueFailure {
  const char* path = nullptr;
  XmlRefusal refusal;
};

// Reads each catalogue in turn into `catalogue`. Gives false at the first
// that cannot be read or is refused, with `failure` saying which and why.
bool ReadCatalogues(const std::vector<const char*>& paths, Catalogue& catalogue,
                    CatalogueFailure& failure);
