#include "d88/D88Image.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <numeric>

#include "d88/ByteOrder.h"

static_assert(sizeof(D88DiskHeader::trackTable) /
                      sizeof(D88DiskHeader::trackTable[0]) ==
                  D88Image::kTrackCount,
              "one table entry per track side");

namespace {

constexpr int kTrackTableOffset = offsetof(D88DiskHeader, trackTable);
constexpr int kTrackEntrySize = sizeof(D88DiskHeader::trackTable[0]);

// Largest size code whose nominal size (128 << n) fits an int.
constexpr int kMaxShiftableSizeCode = 23;

bool IsByte(int value) { return value >= 0 && value <= 0xFF; }

unsigned int PackId(int c, int h, int r, int n) {
  return static_cast<unsigned int>(c) | static_cast<unsigned int>(h) << 8 |
         static_cast<unsigned int>(r) << 16 |
         static_cast<unsigned int>(n) << 24;
}

// 0 for a negative code, which no sector header can carry.
int NominalSectorSize(int n) {
  if (n < 0) return 0;
  if (n > kMaxShiftableSizeCode) return INT_MAX;
  return 128 << n;
}

// How many table entries lie before the first track's records. Writers put
// the first track right after their header, so a first entry below the
// usual header size shows a shorter table: entries from that offset on are
// the first sector header's bytes, not track offsets.
int TableEntries(const D88DiskHeader& header) {
  for (int track = 0; track < D88Image::kTrackCount; ++track) {
    const int entry = ReadLe32(header.trackTable[track]);
    if (entry <= 0) continue;
    if (entry >= D88Image::kHeaderSize) break;
    return std::max(0, (entry - kTrackTableOffset) / kTrackEntrySize);
  }
  return D88Image::kTrackCount;
}

D88SectorHeader ToSectorHeader(const unsigned char* bytes) {
  D88SectorHeader header;
  std::memcpy(&header, bytes, sizeof header);
  return header;
}

}  // namespace

D88Image::~D88Image() { Close(); }

bool D88Image::Open(const char* path) {
  // Never apply a table loaded from an earlier file to this one.
  Close();
  if (path == nullptr) return true;
  if (!file.Open(path)) return false;

  long long position = 0;
  D88DiskHeader header;
  const auto readHeader = [&] {
    return file.Read(position, reinterpret_cast<unsigned char*>(&header),
                     kHeaderSize) == kHeaderSize;
  };
  while (diskCount < kMaxDisks) {
    diskOffsets[diskCount] = static_cast<int>(position);
    if (!readHeader()) {
      LeaveRestUnowned(position);
      return true;
    }
    const int size = ReadLe32(header.diskSize);
    diskSizes[diskCount++] = size;
    // A size that cannot reach a following header, or that would carry the
    // next offset out of range, ends the image after this disk, which is
    // then its header alone.
    if (size < kHeaderSize || position + size > INT_MAX) {
      diskEnds[diskCount - 1] = position + kHeaderSize;
      LeaveRestUnowned(position + kHeaderSize);
      return true;
    }
    position += size;
    diskEnds[diskCount - 1] = position;
  }
  // One more header where the next disk would begin: disks left out, which
  // say what the rest is. Anything shorter belongs to no disk.
  unindexedDisks = readHeader();
  if (!unindexedDisks) LeaveRestUnowned(position);
  return true;
}

void D88Image::LeaveRestUnowned(long long from) {
  // After a failed read the file's end is unknown; the failure is what
  // the caller reports.
  if (file.ReadFailed() || file.Size() <= from) return;
  unownedBytes = file.Size() - from;
}

bool D88Image::Close() {
  file.Close();
  walk.start = -1;
  diskCount = 0;
  unindexedDisks = false;
  unownedBytes = 0;
  mediaType = -1;
  writeProtect = -1;
  ForgetTrackTable();
  return true;
}

bool D88Image::GetDiskExtent(int index, int& present, int& declared) const {
  if (index < 0 || index >= diskCount) return false;
  declared = diskSizes[index];
  const long long rest = file.Size() - diskOffsets[index];
  present = rest < declared ? static_cast<int>(rest) : declared;
  return true;
}

bool D88Image::GetDiskSpan(int index, long long& offset,
                           long long& length) const {
  if (index < 0 || index >= diskCount) return false;
  offset = diskOffsets[index];
  length = std::min(diskEnds[index], file.Size()) - offset;
  if (length < 0) length = 0;
  return true;
}

void D88Image::ForgetTrackTable() {
  diskOffset = -1;
  diskSize = 0;
  diskEnd = 0;
  std::memset(trackOffsets, 0, sizeof trackOffsets);
}

void D88Image::ClearCurrentDisk() {
  ForgetTrackTable();
  mediaType = -1;
  writeProtect = -1;
  std::memset(diskName, 0, sizeof diskName);
}

bool D88Image::SelectDisk(int index) {
  if (!file.IsOpen()) return false;
  ClearCurrentDisk();
  if (index < 0 || index >= diskCount) return false;

  D88DiskHeader header;
  if (file.Read(diskOffsets[index], reinterpret_cast<unsigned char*>(&header),
                kHeaderSize) < kHeaderSize) {
    return false;
  }
  const int entries = TableEntries(header);
  for (int track = 0; track < entries; ++track) {
    trackOffsets[track] = ReadLe32(header.trackTable[track]);
  }
  diskOffset = diskOffsets[index];
  diskSize = ReadLe32(header.diskSize);
  diskEnd = std::min(static_cast<long long>(diskOffset) + std::max(diskSize, 0),
                     file.Size());
  // A walk ends at its disk's end: none of another disk's is kept.
  walk.start = -1;
  mediaType = header.mediaType;
  writeProtect = header.writeProtect;
  // The name ends at its first NUL or after 16 bytes; the rest of diskName
  // was cleared above, so it stays NUL-terminated.
  for (int i = 0; i < kDiskNameLength && header.name[i] != 0; ++i) {
    diskName[i] = static_cast<char>(header.name[i]);
  }
  return true;
}

void D88Image::SetSectorRange(int first, int last) {
  firstSector = first;
  lastSector = last;
}

long long D88Image::TrackStart(int track) const {
  if (!file.IsOpen() || track < 0 || track >= kTrackCount) return -1;
  const int offset = trackOffsets[track];
  // Zero and negative entries mark absent tracks; an entry past the disk's
  // end belongs to no track of this disk.
  if (offset <= 0 || offset > diskSize) return -1;
  return static_cast<long long>(diskOffset) + offset;
}

// Walks the header chain at `start` as a sector lookup does: it ends at a
// header that does not lie whole within the disk or does not arrive whole,
// at a sector count of 0, or once the index reaches the header's count
// minus 1. The count is at most 65535, so
// the walk is bounded whatever the image holds. The result depends only on
// the file and `start`, so it is reused until either changes.
const D88Image::TrackWalk& D88Image::WalkTrack(long long start) {
  if (walk.start == start) return walk;
  walk.start = start;
  walk.count = 0;
  long long position = start;
  for (int i = 0;; ++i) {
    if (position + kSectorHeaderSize > diskEnd) break;
    const unsigned char* bytes = file.View(position, kSectorHeaderSize);
    if (bytes == nullptr) break;
    const D88SectorHeader header = ToSectorHeader(bytes);
    const int sectorCount = ReadLe16(header.sectorCount);
    if (sectorCount == 0) break;
    const int dataSize = ReadLe16(header.dataSize);
    position += kSectorHeaderSize;
    walk.ids[walk.count] = PackId(header.c, header.h, header.r, header.n);
    walk.dataSizes[walk.count] = static_cast<unsigned short>(dataSize);
    walk.deletedMarks[walk.count] = header.deletedMark;
    walk.statuses[walk.count] = header.status;
    ++walk.count;
    position += dataSize;
    if (i >= sectorCount - 1) break;
  }
  return walk;
}

// Gives the index in the track's walk of the first header with this ID, or
// -1; `start` is set to the track's first header.
int D88Image::FindInWalk(int track, int c, int h, int r, int n,
                         long long& start) {
  if (!IsByte(c) || !IsByte(h) || !IsByte(r) || !IsByte(n)) return -1;
  start = TrackStart(track);
  if (start < 0) return -1;
  const TrackWalk& headers = WalkTrack(start);
  const unsigned int* end = headers.ids + headers.count;
  const unsigned int* match = std::find(headers.ids, end, PackId(c, h, r, n));
  return match == end ? -1 : static_cast<int>(match - headers.ids);
}

int D88Image::ReadSector(int track, int c, int h, int r, int n,
                         unsigned char* dest, int limit) {
  if (limit < 0) return 0;
  long long start = 0;
  const int index = FindInWalk(track, c, h, r, n, start);
  if (index < 0) return 0;
  // The sector's data follows its header; the records before it each take
  // a header and their data.
  const long long dataPosition =
      start + (index + 1LL) * kSectorHeaderSize +
      std::accumulate(walk.dataSizes, walk.dataSizes + index, 0LL);
  // Bytes past the disk's end are not the sector's, whatever follows.
  const int dataSize = DataWithinDisk(dataPosition, walk.dataSizes[index]);
  return file.Read(dataPosition, dest, dataSize < limit ? dataSize : limit);
}

bool D88Image::FindSector(int track, int c, int h, int r, int n,
                          SectorInfo& sector) {
  long long start = 0;
  const int index = FindInWalk(track, c, h, r, n, start);
  if (index < 0) return false;
  sector = {static_cast<unsigned char>(c), static_cast<unsigned char>(h),
            static_cast<unsigned char>(r), static_cast<unsigned char>(n),
            walk.deletedMarks[index], walk.statuses[index]};
  return true;
}

// The sector a run reads after (track, c, h, r): the next sector number,
// or the first sector of the next track side after the last.
void D88Image::StepToNextSector(int& track, int& c, int& h, int& r) const {
  if (r != lastSector) {
    ++r;
    return;
  }
  ++track;
  if (h == 0) {
    h = 1;
  } else {
    h = 0;
    ++c;
  }
  r = firstSector;
}

int D88Image::ReadSectors(int track, int c, int h, int r, int n,
                          unsigned char* dest, int length) {
  int chunk = NominalSectorSize(n);
  if (chunk <= 0) return 0;
  int done = 0;
  while (done < length) {
    if (length - done < chunk) chunk = length - done;
    if (ReadSector(track, c, h, r, n, dest + done, chunk) < chunk) return done;
    done += chunk;
    StepToNextSector(track, c, h, r);
  }
  return done;
}

bool D88Image::FindReadError(int track, int c, int h, int r, int n, int from,
                             int to, SectorInfo& sector) {
  const int chunk = NominalSectorSize(n);
  if (chunk <= 0) return false;
  // Sector k of the run fills bytes k * chunk up to (k + 1) * chunk.
  for (long long begin = 0; begin < to; begin += chunk) {
    if (!FindSector(track, c, h, r, n, sector)) return false;
    if (begin + chunk > from && IsReadError(sector.status)) return true;
    StepToNextSector(track, c, h, r);
  }
  return false;
}

// How many of `size` data bytes at `position` lie within the disk.
int D88Image::DataWithinDisk(long long position, int size) const {
  const long long room = diskEnd - position;
  if (room <= 0) return 0;
  return room < size ? static_cast<int>(room) : size;
}

// The first record of any other track of the disk, or the disk's end,
// whichever comes first after `start`: a track's listing never runs on
// into records that are not its own, whatever its sector counts say.
long long D88Image::ListingEnd(long long start) const {
  long long end = diskEnd;
  for (int track = 0; track < kTrackCount; ++track) {
    const long long other = TrackStart(track);
    if (other > start && other < end) end = other;
  }
  return end;
}

// Calls `visit` with each header of the track's listing, in file order,
// and the position of its data, until it gives false. The listing ends at a
// header that does not arrive whole or does not lie whole before
// ListingEnd, or at a header whose count minus 1 equals the index; `end`
// is where it must end at the latest.
template <typename Visit>
void D88Image::WalkListing(int track, Visit visit) {
  long long position = TrackStart(track);
  if (position < 0) return;
  const long long end = ListingEnd(position);
  for (int i = 0; position + kSectorHeaderSize <= end; ++i) {
    const unsigned char* bytes = file.View(position, kSectorHeaderSize);
    if (bytes == nullptr) break;
    const D88SectorHeader header = ToSectorHeader(bytes);
    if (!visit(header, position + kSectorHeaderSize, end)) break;
    position += kSectorHeaderSize + ReadLe16(header.dataSize);
    if (i == ReadLe16(header.sectorCount) - 1) break;
  }
}

bool D88Image::FindTrackCut(TrackCut& cut) {
  constexpr int kMostCounted = 255;
  // A size field too small for a header declares no tracks: what follows
  // the header belongs to no disk.
  if (!file.IsOpen() || diskSize < kHeaderSize ||
      diskEnd < static_cast<long long>(diskOffset) + diskSize) {
    return false;
  }
  for (int track = 0; track < kTrackCount; ++track) {
    const int offset = trackOffsets[track];
    if (offset <= 0) continue;
    // A first record that does not begin whole within the disk: nothing
    // of the track is there.
    if (offset > diskSize - kSectorHeaderSize) {
      cut = {track, true, 0, 0};
      return true;
    }
    const long long start = static_cast<long long>(diskOffset) + offset;
    // A listing that ends where another track's records begin is not cut.
    if (ListingEnd(start) < diskEnd) continue;
    int whole = 0;
    int count = 0;
    bool atEnd = false;
    WalkListing(track, [&](const D88SectorHeader& header, long long position,
                           long long end) {
      const int records = ReadLe16(header.sectorCount);
      const long long dataEnd = position + ReadLe16(header.dataSize);
      if (whole == 0) count = records;
      if (dataEnd > end) {
        atEnd = true;
        return false;
      }
      ++whole;
      // The listing ends here by its count, or goes on if the next
      // header fits before the end.
      atEnd = whole != records && dataEnd + kSectorHeaderSize > end;
      return true;
    });
    if (file.ReadFailed()) return false;
    if (atEnd && count > 0 && count <= kMostCounted && whole < count) {
      cut = {track, false, whole, count};
      return true;
    }
  }
  return false;
}

int D88Image::VisitSectors(int track, SectorVisitor& visitor) {
  int count = 0;
  // The data stops at the listing's end, which is at the disk's and the
  // file's at the latest.
  WalkListing(track, [&](const D88SectorHeader& header, long long position,
                         long long end) {
    const long long room = end - position;
    const int size = ReadLe16(header.dataSize);
    const SectorRecord record = {
        {header.c, header.h, header.r, header.n, header.deletedMark,
         header.status},
        position,
        static_cast<int>(std::max(0LL, std::min<long long>(size, room)))};
    if (count == INT_MAX || !visitor.Visit(record)) return false;
    ++count;
    return true;
  });
  return count;
}
