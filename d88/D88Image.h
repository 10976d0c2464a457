#pragma once

#include "d88/BlockReader.h"
#include "d88/D88Format.h"

// What the image records of one sector: its ID fields and how reading it
// went when the image was made.
struct SectorInfo {
  unsigned char c;
  unsigned char h;
  unsigned char r;
  unsigned char n;
  unsigned char deletedMark;  // kDeletedDataMark for deleted data
  unsigned char status;       // the controller's status; see IsReadError
};

// One sector record as a track's listing walks it: what the image records
// of the sector, and where its data lies in the image file: its first byte,
// and how many of its bytes lie within its track, its disk and the file.
struct SectorRecord {
  SectorInfo sector;
  long long dataPosition;
  int dataLength;
};

// Is given a track's records one at a time (D88Image::VisitSectors).
class SectorVisitor {
 public:
  // Gives false to end the walk there.
  virtual bool Visit(const SectorRecord& record) = 0;

 protected:
  ~SectorVisitor() = default;
};

// Reader for D88 floppy disk image files. A file may hold several disk images
// laid end to end; Open indexes them, SelectDisk makes one current, and the
// read operations find sectors of the current disk by their ID fields
// (C, H, R, N). The image is only ever read.
class D88Image {
 public:
  static constexpr int kMaxDisks = D88_MAX_DISKS;
  static constexpr int kTrackCount = 164;
  static constexpr int kHeaderSize = sizeof(D88DiskHeader);
  static constexpr int kSectorHeaderSize = sizeof(D88SectorHeader);
  static constexpr int kDiskNameSize = kDiskNameLength + 1;

  D88Image() = default;
  ~D88Image();
  D88Image(const D88Image&) = delete;
  D88Image& operator=(const D88Image&) = delete;

  // Opens the file and indexes its disks. Gives false only when the file
  // cannot be opened or is not a regular file (GetFileError says why); a
  // short or damaged image opens with fewer disks, and one whose reading
  // fails opens with the disks indexed before the failure (see
  // ReadFailed). A null path closes the image and gives true. Whatever was
  // open before is closed first, and no disk is current until SelectDisk.
  bool Open(const char* path);
  // Closes the file; no disk is current and every read gives 0 afterwards.
  bool Close();
  int GetDiskCount() const { return diskCount; }

  // True once a read of the image file has failed since Open (an I/O
  // error, not the end of the file). Until then a count below what was
  // asked means the image ends or lacks the data; after it, the count says
  // nothing of the image, and a caller should stop trusting what it reads.
  bool ReadFailed() const { return file.ReadFailed(); }
  // Why Open gave false, or why the failed read failed.
  const SystemError& GetFileError() const { return file.Error(); }

  // True when Open indexed kMaxDisks disks and the file holds a whole
  // header where the next disk would begin: disks past the limit were not
  // indexed.
  bool HasUnindexedDisks() const { return unindexedDisks; }

  // How many bytes at the image's end belong to no indexed disk: those
  // past the last disk's declared end (too few for another header), or
  // past its header when its size field cannot reach a next header. 0
  // when disks past the limit follow (HasUnindexedDisks says so) and after
  // a failed read.
  long long GetUnownedBytes() const { return unownedBytes; }
  // True when the image file holds no byte at all.
  bool IsEmpty() const { return file.IsOpen() && file.Size() == 0; }

  // For disk `index`, the bytes its size field declares and the bytes the
  // file holds from the disk's first byte on, at most as many as declared.
  // Gives false for an index outside the indexed disks. `present` below
  // `declared` means the image ends inside the disk; a negative size
  // field declares nothing.
  bool GetDiskExtent(int index, int& present, int& declared) const;

  // Where disk `index` lies in the file: from its first header byte to its
  // declared end, or to the end of its header when its size field cannot
  // reach a next header; cut at the end of the file. Gives false for an
  // index outside the indexed disks.
  bool GetDiskSpan(int index, long long& offset, long long& length) const;

  // Copies up to `length` bytes of the image file at `position`, whatever
  // disk they belong to; gives how many arrived (see ReadFailed).
  int ReadImage(long long position, unsigned char* dest, int length) {
    return file.Read(position, dest, length);
  }

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

  // The record of the sector that ReadSector finds for this ID. Gives false
  // when it finds none.
  bool FindSector(int track, int c, int h, int r, int n, SectorInfo& sector);

  // Where the current disk's declared end cuts its tracks, for a disk that
  // the file holds whole and whose size field holds its header: the
  // lowest-index present track (of the table as the listing takes it) that
  // the table places at or past that end, or whose records (as the listing
  // walks them) stop there before the sector count of their first record,
  // a count from 1 to 255 (a byte-swapped count is no count). Gives false
  // when no track is cut.
  struct TrackCut {
    int track = -1;
    bool before = false;  // the track begins at or past the end
    int whole = 0;        // else: the records that lie whole within it
    int count = 0;        // and the count its first record gives
  };
  bool FindTrackCut(TrackCut& cut);

  // Looks at the sectors whose data a ReadSectors run from (c, h, r, n)
  // puts into bytes `from` to `to` (exclusive) of its destination, and
  // gives the first that the image records as a read error. Gives false
  // when none is, or when the run does not reach that far.
  bool FindReadError(int track, int c, int h, int r, int n, int from, int to,
                     SectorInfo& sector);

  // What the last SelectDisk loaded: the disk's name (at most 16
  // characters; empty before the first SelectDisk and after one that
  // failed, kept by Close and Open), its media type byte and its
  // write-protect byte (each -1 when no disk is current).
  const char* GetDiskName() const { return diskName; }
  int GetMediaType() const { return mediaType; }
  int GetWriteProtect() const { return writeProtect; }

  // Gives each record of the track's listing, in the order the records lie
  // in the file, to `visitor`, until it gives false or the listing ends;
  // there is no limit on their number. Unlike the sector lookup, the
  // listing goes on past a header whose sector count is 0; it ends where
  // the next track's records or the disk begin, or at a header whose count
  // minus 1 is its index. Gives how many it took (those before the one it
  // refused).
  int VisitSectors(int track, SectorVisitor& visitor);

  // The same, for any callable taking a const SectorRecord& and giving
  // bool.
  template <typename Call>
  int ForEachSector(int track, Call call) {
    struct Adapter final : SectorVisitor {
      explicit Adapter(Call& call) : call(call) {}
      bool Visit(const SectorRecord& record) override { return call(record); }
      Call& call;
    } adapter(call);
    return VisitSectors(track, adapter);
  }


 private:
  // The headers a sector lookup visits on one track, in file order, up to
  // where the lookup's walk ends.
  struct TrackWalk {
    static constexpr int kMaxHeaders = 65535;
    long long start = -1;  // file position of the first header; -1: none
    int count = 0;
    unsigned int ids[kMaxHeaders] = {};  // C, H, R, N packed by PackId
    unsigned short dataSizes[kMaxHeaders] = {};
    unsigned char deletedMarks[kMaxHeaders] = {};
    unsigned char statuses[kMaxHeaders] = {};
  };

  void LeaveRestUnowned(long long from);
  void ForgetTrackTable();
  void ClearCurrentDisk();
  long long TrackStart(int track) const;
  long long ListingEnd(long long start) const;
  int DataWithinDisk(long long position, int size) const;
  const TrackWalk& WalkTrack(long long start);
  int FindInWalk(int track, int c, int h, int r, int n, long long& start);
  void StepToNextSector(int& track, int& c, int& h, int& r) const;
  template <typename Visit>
  void WalkListing(int track, Visit visit);

  BlockReader file;
  TrackWalk walk;
  int diskCount = 0;
  int firstSector = 1;
  int lastSector = 16;
  bool unindexedDisks = false;
  long long unownedBytes = 0;
  int diskOffsets[kMaxDisks] = {};
  int diskSizes[kMaxDisks] = {};
  long long diskEnds[kMaxDisks] = {};  // where each disk's span ends
  int diskSize = 0;
  int diskOffset = 0;
  // Where the current disk's bytes end: its declared end, or the file's
  // if that comes first. Nothing of the disk is read from past it.
  long long diskEnd = 0;
  int trackOffsets[kTrackCount] = {};
  int mediaType = -1;
  int writeProtect = -1;
  char diskName[kDiskNameSize] = {};
};
