#pragma once

#include "d88/BlockReader.h"

// Reader for D88 floppy disk image files. A file may hold several disk images
// laid end to end; Open indexes them, SelectDisk makes one current, and the
// read operations find sectors of the current disk by their ID fields
// (C, H, R, N). The image is only ever read.
class D88Image {
 public:
  static constexpr int kMaxDisks = 64;
  static constexpr int kTrackCount = 164;
  static constexpr int kHeaderSize = 688;
  static constexpr int kSectorHeaderSize = 16;
  static constexpr int kDiskNameSize = 17;

  D88Image() = default;
  ~D88Image();
  D88Image(const D88Image&) = delete;
  D88Image& operator=(const D88Image&) = delete;

  // Opens the file and indexes its disks. Gives false only when the file
  // cannot be opened or read at all; a short or damaged image opens with
  // fewer disks. A null path closes the image and gives true.
  bool Open(const char* path);
  bool Close();
  int GetDiskCount() const { return diskCount; }

  // Makes disk `index` (0-based, file order) current. Gives false with no
  // file open (nothing changes), or for an index outside the indexed disks or
  // an unreadable header (no disk is current afterwards).
  bool SelectDisk(int index);

  // Sector numbers of the first and last sector of a track side, used by
  // ReadSectors to step from one track to the next.
  void SetSectorRange(int first, int last);

  // Copies at most `limit` bytes of the sector with ID (c, h, r, n) on
  // `track` of the current disk into `dest`. Gives the bytes copied.
  int ReadSector(int track, int c, int h, int r, int n, unsigned char* dest,
                 int limit);

  // Copies `length` bytes starting at sector (c, h, r, n) and continuing
  // through the following sectors, across tracks. Gives the bytes of whole
  // chunks completed; a short or missing sector ends the run.
  int ReadSectors(int track, int c, int h, int r, int n, unsigned char* dest,
                  int length);

  // What the last SelectDisk loaded: the disk's name (at most 16
  // characters, empty when no disk is current), its media type byte (-1
  // when none is current) and its index (-1 when none is current).
  const char* GetDiskName() const { return diskName; }
  int GetMediaType() const { return mediaType; }
  int GetCurrentDisk() const { return currentDisk; }

  // Writes the C, H, R, N bytes of each sector of `track`, 4 bytes per
  // sector in the order the records lie in the file, starting an entry
  // whenever fewer than `limit` bytes have been written (so `dest` must
  // hold `limit` rounded up to a multiple of 4). Unlike the sector lookup,
  // the listing goes on past a header whose sector count is 0. Gives the
  // bytes written.
  int ReadSectorIds(int track, unsigned char* dest, int limit);

 private:
  // The headers a sector lookup visits on one track, in file order, up to
  // where the lookup's walk ends.
  struct TrackWalk {
    static constexpr int kMaxHeaders = 65535;
    long long start = -1;  // file position of the first header; -1: none
    int count = 0;
    unsigned int ids[kMaxHeaders] = {};  // C, H, R, N packed by PackId
    unsigned short dataSizes[kMaxHeaders] = {};
  };

  void ClearCurrentDisk();
  long long TrackStart(int track) const;
  const TrackWalk& WalkTrack(long long start);

  BlockReader file;
  TrackWalk walk;
  int currentDisk = -1;
  int diskCount = 0;
  int firstSector = 1;
  int lastSector = 16;
  int diskOffsets[kMaxDisks] = {};
  int diskSize = 0;
  int diskOffset = 0;
  int trackOffsets[kTrackCount] = {};
  int mediaType = -1;
  char diskName[kDiskNameSize] = {};
};
