#pragma once

#include <string>
#include <vector>

#include "d88/D88Image.h"
#include "d88info/Matching.h"
#include "d88info/Split.h"
#include "platform/Hashes.h"
#include "platform/SystemError.h"

// What d88info finds in one image, computed whole before anything is
// printed (ExamineImage): the facts of every line the image gives, on
// standard output and on standard error, which the renderers turn into
// text or JSON. A read that fails part way ends it: it holds what was
// found before, every line of it true.

// --tracks: one present track's records, in file order.
struct TrackIds {
  int track;
  std::vector<SectorInfo> sectors;
};

// --map: one present track's marks, one per sector number from 1 to the
// disk's highest: '.' normal, 'E' read error, 'D' deleted data, '-' not
// found, looked up with the track's own C and H and its usual size code.
struct TrackMap {
  int track;
  int n;
  std::string marks;
};

struct DiskReport {
  int index = 0;            // from 0, in file order
  long long offset = 0;     // of its first header byte in the file
  int declared = 0;         // its size field
  int present = 0;          // the bytes the file holds of it, at most declared
  std::string name;         // its name's bytes, up to the first NUL, at most 16
  int media = 0;
  bool writeProtected = false;
  int tracks = 0;           // tracks present
  std::string boot;         // boot sector bytes 3..10 that arrived; may be empty
  bool hasBoot = false;     // false: no boot sector

  bool hashed = false;      // --hash: the three digests below
  unsigned long crc = 0;
  unsigned char sha1[kSha1Size] = {};
  unsigned char dataSha1[kSha1Size] = {};

  bool matched = false;     // --dat: the entries it matches, none for none
  std::vector<DatMatch> matches;

  // Where the disk's declared end cuts its tracks, when the file holds it
  // whole (track -1: none).
  D88Image::TrackCut trackCut;

  std::vector<TrackIds> trackIds;  // --tracks
  std::vector<TrackMap> trackMap;  // --map

  // --split: the piece's name as chosen, why an entry's name was not used,
  // and whether the piece was written (the path) or not (a problem says
  // why, after this disk).
  PieceName pieceName;
  std::string piece;
};

// What keeps an image from being whole, or what could not be done, each a
// line on standard error.
struct Problem {
  enum class Kind {
    kOpenFailed,      // error
    kReadFailed,      // error
    kEmpty,
    kEndsInsideDisk,  // disk, present, declared
    kEndsInsideTrack, // disk, track, whole, count
    kEndsBeforeTrack, // disk, track
    kPastLimit,       // disks past the 64th
    kUnownedBytes,    // bytes
    kWriteFailed,     // disk, failure (said right after that disk's lines)
    kCryptoFailed,
  };
  explicit Problem(Kind kind, int disk = -1) : kind(kind), disk(disk) {}
  Kind kind;
  int disk = -1;
  long long present = 0;
  long long declared = 0;
  long long bytes = 0;
  int track = -1;
  int whole = 0;
  int count = 0;
  SystemError error;
  WriteFailure failure;
};

// What the image records of a sector whose read failed or whose data is
// deleted, as the listing marks it: "data-crc", "status-0x20", "deleted",
// "id-crc:deleted"; empty for a sector read fine.
std::string SectorMark(const SectorInfo& sector);

// The header parts a match set, in order: "write-protect", "name",
// "reserved"; and joined with commas.
std::vector<const char*> HeaderPartNames(unsigned parts);
std::string JoinedParts(unsigned parts);

struct ImageReport {
  std::string path;  // as given
  bool listed = false;  // opened and indexed: the listing begins
  int diskCount = 0;
  bool empty = false;
  std::vector<DiskReport> disks;  // the disks listed
  long long unownedBytes = 0;     // listed when the read did not fail
  std::vector<Problem> problems;  // in the order they are named

  // The exit status this image alone would give.
  int Status() const { return problems.empty() ? 0 : 1; }
};
