#include "d88/D88Image.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <numeric>

#include "d88/ByteOrder.h"

namespace {

// Disk header fields.
constexpr int kDiskNameOffset = 0;
constexpr int kDiskNameLength = 16;
constexpr int kMediaTypeOffset = 27;
constexpr int kDiskSizeOffset = 28;
constexpr int kTrackTableOffset = 32;
constexpr int kTrackEntrySize = 4;

// Sector header fields.
constexpr int kIdC = 0;
constexpr int kIdH = 1;
constexpr int kIdR = 2;
constexpr int kIdN = 3;
constexpr int kSectorCountOffset = 4;
constexpr int kDataSizeOffset = 14;

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

}  // namespace

D88Image::~D88Image() { Close(); }

bool D88Image::Open(const char* path) {
  if (path == nullptr) return Close();
  if (file.IsOpen()) {
    // Never apply the old disk's track table to the new file.
    Close();
    ClearCurrentDisk();
  }
  if (!file.Open(path)) return false;

  long long position = 0;
  diskCount = 0;
  while (diskCount < kMaxDisks) {
    unsigned char header[kHeaderSize];
    diskOffsets[diskCount] = static_cast<int>(position);
    if (file.Read(position, header, kHeaderSize) < kHeaderSize) break;
    ++diskCount;
    const int size = ReadLe32(header + kDiskSizeOffset);
    // A size that cannot reach a following header, or that would carry the
    // next offset out of range, ends the image after this disk.
    if (size < kHeaderSize || position + size > INT_MAX) break;
    position += size;
  }
  return true;
}

bool D88Image::Close() {
  file.Close();
  walk.start = -1;
  diskCount = 0;
  currentDisk = -1;
  mediaType = -1;
  return true;
}

void D88Image::ClearCurrentDisk() {
  diskOffset = -1;
  currentDisk = -1;
  mediaType = -1;
  diskSize = 0;
  std::memset(diskName, 0, sizeof diskName);
  std::memset(trackOffsets, 0, sizeof trackOffsets);
}

bool D88Image::SelectDisk(int index) {
  if (!file.IsOpen()) return false;
  ClearCurrentDisk();
  if (index < 0 || index >= diskCount) return false;

  unsigned char header[kHeaderSize];
  if (file.Read(diskOffsets[index], header, kHeaderSize) < kHeaderSize) {
    return false;
  }
  for (int track = 0; track < kTrackCount; ++track) {
    trackOffsets[track] =
        ReadLe32(header + kTrackTableOffset + track * kTrackEntrySize);
  }
  diskOffset = diskOffsets[index];
  diskSize = ReadLe32(header + kDiskSizeOffset);
  mediaType = header[kMediaTypeOffset];
  // The name ends at its first NUL or after 16 bytes; the rest of diskName
  // was cleared above, so it stays NUL-terminated.
  const unsigned char* name = header + kDiskNameOffset;
  for (int i = 0; i < kDiskNameLength && name[i] != 0; ++i) {
    diskName[i] = static_cast<char>(name[i]);
  }
  currentDisk = index;
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
// header that does not arrive whole, at a sector count of 0, or once the
// index reaches the header's count minus 1. The count is at most 65535, so
// the walk is bounded whatever the image holds. The result depends only on
// the file and `start`, so it is reused until either changes.
const D88Image::TrackWalk& D88Image::WalkTrack(long long start) {
  if (walk.start == start) return walk;
  walk.start = start;
  walk.count = 0;
  long long position = start;
  for (int i = 0;; ++i) {
    const unsigned char* header = file.View(position, kSectorHeaderSize);
    if (header == nullptr) break;
    const int sectorCount = ReadLe16(header + kSectorCountOffset);
    if (sectorCount == 0) break;
    const int dataSize = ReadLe16(header + kDataSizeOffset);
    position += kSectorHeaderSize;
    walk.ids[walk.count] = PackId(header[kIdC], header[kIdH], header[kIdR],
                                  header[kIdN]);
    walk.dataSizes[walk.count] = static_cast<unsigned short>(dataSize);
    ++walk.count;
    position += dataSize;
    if (i >= sectorCount - 1) break;
  }
  return walk;
}

int D88Image::ReadSector(int track, int c, int h, int r, int n,
                         unsigned char* dest, int limit) {
  if (limit < 0) return 0;
  if (!IsByte(c) || !IsByte(h) || !IsByte(r) || !IsByte(n)) return 0;
  const long long start = TrackStart(track);
  if (start < 0) return 0;

  const TrackWalk& headers = WalkTrack(start);
  const unsigned int* end = headers.ids + headers.count;
  const unsigned int* match = std::find(headers.ids, end, PackId(c, h, r, n));
  if (match == end) return 0;
  // The sector's data follows its header; the records before it each take
  // a header and their data.
  const long long index = match - headers.ids;
  const long long dataPosition =
      start + (index + 1) * kSectorHeaderSize +
      std::accumulate(headers.dataSizes, headers.dataSizes + index, 0LL);
  const int dataSize = headers.dataSizes[index];
  return file.Read(dataPosition, dest, dataSize < limit ? dataSize : limit);
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
    if (r == lastSector) {
      ++track;
      if (h == 0) {
        h = 1;
      } else {
        h = 0;
        ++c;
      }
      r = firstSector;
    } else {
      ++r;
    }
  }
  return done;
}

int D88Image::ReadSectorIds(int track, unsigned char* dest, int limit) {
  long long position = TrackStart(track);
  if (position < 0) return 0;

  // Ends at `limit`, at a header that does not arrive whole, or at a header
  // whose count minus 1 equals the index.
  int written = 0;
  for (int i = 0; written < limit && written <= INT_MAX - 4; ++i) {
    const unsigned char* header = file.View(position, kSectorHeaderSize);
    if (header == nullptr) break;
    std::memcpy(dest + written, header + kIdC, 4);
    written += 4;
    position += kSectorHeaderSize + ReadLe16(header + kDataSizeOffset);
    if (i == ReadLe16(header + kSectorCountOffset) - 1) break;
  }
  return written;
}
