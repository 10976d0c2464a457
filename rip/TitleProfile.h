#pragma once

// Everything a ripper program knows about its title, as plain data: the
// boot-sector signatures, and per disk digit the message to print and the
// files to cut from known sector positions.

#include "d88/D88Format.h"

// "を認識しました" ("... was recognised") in Shift-JIS, for the recognition
// messages: "Disk 3 " RECOGNISED_SJIS ".\n". A macro, so that each message
// stays one string literal.
#define RECOGNISED_SJIS "\x82\xf0\x94\x46\x8e\xaf\x82\xb5\x82\xdc\x82\xb5\x82\xbd"
constexpr int kMaxRecipeSteps = 3;

// One row of a numbered series of files. C and H follow from the track
// index: C = track >> 1, H = track & 1. A row with sector number 0 closes
// the table.
struct SeriesRow {
  int track;
  int r;
  int size;
};

// A single named file starting at sector (track, c, h, r).
struct SingleFile {
  const char* name;
  int track;
  int c;
  int h;
  int r;
  int size;
};

// Files named by applying `nameFormat` (one integer conversion, such as
// "MUS3%02d") to each row's position in `rows`.
struct FileSeries {
  const char* nameFormat;
  const SeriesRow* rows;
};

// One extraction step: exactly one of the two pointers is set. A step with
// neither ends the recipe early.
struct RecipeStep {
  const SingleFile* file;
  const FileSeries* series;
};

struct DiskRecipe {
  char digit;           // boot-sector byte that selects this recipe
  const char* message;  // printed when the disk is recognised
  RecipeStep steps[kMaxRecipeSteps];
};

// How the title's disks are laid out: every track side holds sectors
// firstSector to lastSector, each of size code sizeCode (128 << sizeCode
// bytes), the boot sector included. A file that runs past a side's last
// sector goes on with the next side's first.
struct DiskLayout {
  int firstSector;
  int lastSector;
  int sizeCode;
};

struct TitleProfile {
  const char* signature;      // kBootSignatureLength bytes, no terminator
  const char* userSignature;  // kBootSignatureLength bytes
  DiskLayout layout;
  const DiskRecipe* recipes;
  int recipeCount;
  const char* program;        // the program's name, for --help and --version
  const char* title;          // the title's name, for --help
};
