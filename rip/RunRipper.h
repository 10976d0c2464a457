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

// Reads skip + size bytes of the current disk starting at sector
// (track, c, h, r, n) and writes the `size` bytes after the first `skip` to
// the file `name`, replacing it whole. Prints the cutting line first.
// Gives false when the first sector could not be read (the file is named
// as missing, and no file is made), when a read of the image failed (no
// message, no file: the caller reports it and ends the walk) or when the
// file could not be written (named with the system's reason); a partial
// read writes what arrived and names the file as incomplete. A file cut
// from a sector that the image records as unreadable is written too, and
// named on standard error with the first such sector.
bool CutFile(const char* name, int track, int c, int h, int r, int n,
             int skip, int size);
