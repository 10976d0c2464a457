#pragma once

#include <string>
#include <vector>

#include "platform/Hashes.h"

// The entries of catalogues of known dumps (--dat): the rom elements of
// Logiqx datafiles and of software lists that give a size and a CRC32, a
// SHA-1 or both. Anything else is passed over.
struct CatalogueEntry {
  std::string name;  // the rom's name, UTF-8
  long long size = 0;
  bool hasCrc = false;
  unsigned long crc = 0;
  bool hasSha1 = false;
  unsigned char sha1[kSha1Size] = {};
};

// Reads each catalogue in turn into `entries`, in the order given and,
// within one, the order of its entries. Gives false at the first that
// cannot be read or is refused, naming it and why in one line.
bool ReadCatalogues(const std::vector<const char*>& paths,
                    std::vector<CatalogueEntry>& entries);
