#pragma once

#include <string>
#include <vector>

#include "d88/D88Image.h"
#include "d88info/Arguments.h"
#include "d88info/Catalogue.h"
#include "d88info/Outcome.h"

// What d88info does with each disk after its line, from one read of the
// disk's span: its hash line (--hash), its catalogue names (--dat) and its
// piece (--split).
class DiskPass {
 public:
  DiskPass(D88Image& image, const Options& options,
           const std::vector<CatalogueEntry>& entries)
      : image(image), options(options), entries(entries) {}

  // Whether there is anything to do per disk.
  bool Needed() const;

  // With --split and --dat, reads every disk's span before anything is
  // written, to give each piece the name of its exact entry where it may
  // (ChoosePieceNames). Gives what went wrong.
  Outcome NamePieces();

  // The hash line, the catalogue lines and the piece of disk `index`, the
  // current disk. One read of its span, header included, gives its bytes
  // to the CRC32 and SHA-1 and to the piece; the data-sha1 then reads each
  // sector record's data once more, and a header variant's SHA-1, where a
  // catalogue entry needs it, the span once more.
  Outcome Run(int index);

 private:
  D88Image& image;
  const Options& options;
  const std::vector<CatalogueEntry>& entries;
  std::vector<std::string> pieceNames;  // empty: BASE-NN.d88
};
