#pragma once

#include <vector>

#include "d88/D88Image.h"
#include "d88info/Catalogue.h"
#include "d88info/ImageReport.h"
#include "d88info/Split.h"

// What to find out of each image besides its listing.
struct InspectOptions {
  bool listTracks = false;  // --tracks
  bool drawMap = false;     // --map
  bool hash = false;        // --hash
  const Catalogue* catalogue = nullptr;  // --dat: the entries, else null
  const char* splitFolder = nullptr;     // --split: the folder, else null
};

// Opens the image at `path` with `image` and finds what its listing and
// the options ask for, writing each disk's piece with --split under the
// name `pieceNames` gives it (BASE-NN.d88 where it gives none). Prints
// nothing.
ImageReport InspectImage(D88Image& image, const char* path,
                         const InspectOptions& options,
                         const std::vector<PieceName>& pieceNames);

// With --split, before any piece is written: one entry in `names` for
// each disk of the image at `path` and, with a catalogue, whether the disk
// is exactly one of its entries and the first such entry's name. An image
// that cannot be opened has none. Gives false when a read of the image
// failed, with `error` saying why.
bool PlanImage(D88Image& image, const char* path, const Catalogue* catalogue,
               std::vector<ExactName>& names, SystemError& error);

// The report of an image whose read failed while its pieces were planned:
// it is named and not read again.
ImageReport UnreadImage(const char* path, const SystemError& error);
