#include "d88/D88Image.h"

#include <climits>
#include <cstring>

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

bool IdMatches(const unsigned char* header, int c, int h, int r, int n) {
  return header[kIdC] == c && header[kIdH] == h && header[kIdR] == r &&
         header[kIdN] == n;
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
  if (file != nullptr) {
    // Never leak the old handle, and never apply the old disk's track table
    // to the new file.
    Close();
    ClearCurrentDisk();
  }
  file = std::fopen(path, "rb");
  if (file == nullptr) return false;

  long long position = 0;
  diskCount = 0;
  while (diskCount < kMaxDisks) {
    unsigned char header[kHeaderSize];
    diskOffsets[diskCount] = static_cast<int>(position);
    const int got = ReadAt(position, header, kHeaderSize);
    if (got < kHeaderSize) {
      // A folder, a pipe or an unreadable device opens but cannot be read as
      // an image at all: that is a failure to open, not an empty image.
      if (position == 0 && std::ferror(file) != 0) {
        Close();
        return false;
      }
      break;
    }
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
  if (file != nullptr) std::fclose(file);
  file = nullptr;
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
  if (file == nullptr) return false;
  ClearCurrentDisk();
  if (index < 0 || index >= diskCount) return false;

  unsigned char header[kHeaderSize];
  if (ReadAt(diskOffsets[index], header, kHeaderSize) < kHeaderSize) {
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
  if (file == nullptr || track < 0 || track >= kTrackCount) return -1;
  const int offset = trackOffsets[track];
  // Zero and negative entries mark absent tracks; an entry past the disk's
  // end belongs to no track of this disk.
  if (offset <= 0 || offset > diskSize) return -1;
  return static_cast<long long>(diskOffset) + offset;
}

int D88Image::ReadAt(long long position, unsigned char* dest, int length) {
  if (position < 0 || position > LONG_MAX || length <= 0) return 0;
  if (std::fseek(file, static_cast<long>(position), SEEK_SET) != 0) return 0;
  return static_cast<int>(
      std::fread(dest, 1, static_cast<std::size_t>(length), file));
}

int D88Image::ReadSector(int track, int c, int h, int r, int n,
                         unsigned char* dest, int limit) {
  if (limit < 0) return 0;
  long long position = TrackStart(track);
  if (position < 0) return 0;

  // The walk ends at a header that does not arrive whole, at a sector count
  // of 0, or once the index reaches the header's count minus 1. The count
  // is at most 65535, so the walk is bounded whatever the image holds.
  for (int i = 0;; ++i) {
    unsigned char header[kSectorHeaderSize];
    if (ReadAt(position, header, kSectorHeaderSize) < kSectorHeaderSize) {
      return 0;
    }
    const int sectorCount = ReadLe16(header + kSectorCountOffset);
    if (sectorCount == 0) return 0;
    const int dataSize = ReadLe16(header + kDataSizeOffset);
    position += kSectorHeaderSize;
    if (IdMatches(header, c, h, r, n)) {
      return ReadAt(position, dest, dataSize < limit ? dataSize : limit);
    }
    position += dataSize;
    if (i >= sectorCount - 1) return 0;
  }
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
    unsigned char header[kSectorHeaderSize];
    if (ReadAt(position, header, kSectorHeaderSize) < kSectorHeaderSize) {
      break;
    }
    std::memcpy(dest + written, header + kIdC, 4);
    written += 4;
    position += kSectorHeaderSize + ReadLe16(header + kDataSizeOffset);
    if (i == ReadLe16(header + kSectorCountOffset) - 1) break;
  }
  return written;
}
