#pragma once

#include "rip/TitleProfile.h"

// The whole run of a ripper program: checks the command line, opens the D88
// image, recognises each disk by its boot sector and cuts the profile's
// files into the current directory. Every file of a recognised disk that
// is not cut whole is named on standard error, as is an image that ends
// inside a disk or holds disks past the limit. Gives the exit status: 0
// after a walk that cut every file whole (also from sectors the image
// records as unreadable); 1 on a usage error, an image that cannot be
// opened, a read of the image that failed (the walk ends there), a file
// missing or incomplete, an image that is empty, ends inside a disk, ends
// in bytes that belong to no disk or holds more disks than are read, an
// output file that could not be written, or standard output that could not
// be (named with the reason). A closed standard output does not
// stop the walk, and an interruption leaves no temporary file behind.
// A single argument --help or --version prints the help or the version.
int RunRipper(const TitleProfile& profile, int argc, char** argv);

// The same run with the arguments as given, UTF-8 on every platform, where
// RunRipper takes them from the system on Windows; and without holding a
// console window of its own open. For callers that run it in-process.
int RunRipperWithArguments(const TitleProfile& profile, int argc,
                           char** argv);

// What became of one file of a recipe, as a set of flags: a file can be
// incomplete, cut from a damaged sector and not written, all at once.
enum CutOutcome : unsigned {
  kCutWhole = 0,
  kCutMissing = 1 << 0,            // its first sector is not on the disk
  kCutIncomplete = 1 << 1,         // its sectors break off part way
  kCutFromDamagedSector = 1 << 2,  // the image records a sector as unreadable
  kCutWriteFailed = 1 << 3,        // the file could not be written
  kCutReadFailed = 1 << 4,         // a read of the image failed
};

// Reads `size` bytes of the current disk starting at sector
// (track, c, h, r, n), through the sectors that follow it, and writes them
// to the file `name`, replacing it whole. Prints the cutting line first,
// then names on standard error what went wrong, and gives what became of
// the file. A missing first sector makes no file; a partial read writes
// what arrived; a file cut from a sector that the image records as
// unreadable is written and named with the first such sector; a failed
// read of the image makes no file and prints nothing (the caller reports
// it and ends the walk). A cut that does not fit the transfer buffer is
// missing.
unsigned CutFile(const char* name, int track, int c, int h, int r, int n,
                 int size);
