#pragma once

#include <vector>

#include "d88/D88Image.h"
#include "d88info/Catalogue.h"
#include "d88info/ImageReport.h"
#include "d88info/Split.h"

// What to find out of each image besides its listing.
struct ExamineOptions {
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
ImageReport ExamineImage(D88Image& image, const char* path,
                         const ExamineOptions& options,
                         const std::vector<PieceName>& pieceNames);

// Why an image could not be planned: it could not be opened, or a read
// of it failed.
struct PlanFailure {
  bool failed = false;
  bool opened = false;
  SystemError error;
};

// With --split, before any piece is written: one entry in `names` for
// each disk of the image at `path` and, with a catalogue, whether the disk
// is exactly one of its entries and the first such entry's name. Gives
// false when the image cannot be opened or a read of it failed, with
// `failure` saying why.
bool PlanImage(D88Image& image, const char* path, const Catalogue* catalogue,
               std::vector<ExactName>& names, PlanFailure& failure);

// The report of an image that could not be planned: it is named as it
// failed then and not opened again, so that no piece goes by a name that
// was not planned.
ImageReport UnplannedImage(const char* path, const PlanFailure& failure);
