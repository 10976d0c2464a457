#pragma once

#include <string>

#include "d88info/Catalogue.h"
#include "d88info/ImageReport.h"

// An image's report as one JSON object (--json), written on one line of
// standard output: JSON Lines, UTF-8, so that a run over several images
// gives one object per image, in order. It holds every fact the text
// lines give, the members of an option that was not given left out:
//
//   format, image, status, problems [{kind, ...}], disks [{disk, offset,
//   size, present, name_bytes, name, media, media_type, protected,
//   tracks, boot, crc32, sha1, data_sha1 (--hash), track_ids (--tracks),
//   track_map (--map), dat (--dat), piece, fallback (--split)}]
//
// The man page gives each member. Strings are valid UTF-8 (bytes of a
// path that are not are U+FFFD), hex is lower case, numbers are numbers.

struct JsonOptions {
  bool listTracks = false;  // --tracks
  bool drawMap = false;     // --map
  bool hash = false;        // --hash
  const Catalogue* catalogue = nullptr;  // --dat
  bool splitting = false;   // --split
};

// The object, without its line end.
std::string JsonOf(const ImageReport& report, const JsonOptions& options);

// Writes the object and a line end to standard output.
void RenderJson(const ImageReport& report, const JsonOptions& options);
