#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// Builds D88 images byte by byte for tests, benchmarks and demos: any disk
// name, media type, track table and sector records, damaged fields
// included, and several disks end to end.
namespace d88build {

using Bytes = std::vector<std::uint8_t>;

constexpr int kHeaderSize = 688;
constexpr int kSectorHeaderSize = 16;
constexpr int kTrackCount = 164;
constexpr std::size_t kDiskSizeOffset = 28;
constexpr std::size_t kTrackTableOffset = 32;

struct SectorRecord {
  std::uint8_t c = 0;
  std::uint8_t h = 0;
  std::uint8_t r = 1;
  std::uint8_t n = 2;
  std::uint8_t deletedMark = 0;  // 0x10: deleted data
  std::uint8_t status = 0;       // the controller's status, 0: read fine
  Bytes data;
  // Raw header fields; when unset they are the record count of the track
  // and the length of `data`.
  std::optional<std::uint16_t> sectorCount;
  std::optional<std::uint16_t> dataSize;
};

struct DiskSpec {
  // Written as raw bytes into the 17-byte name field, cut at 17.
  std::string name;
  std::uint8_t mediaType = 0x00;
  std::uint8_t writeProtect = 0x00;
  // Track index -> records in the order they lie in the file.
  std::map<int, std::vector<SectorRecord>> tracks;
  // Raw track table entries that replace the computed ones.
  std::map<int, std::uint32_t> trackOffsets;
  // Raw disk size field; when unset, the size of the built disk.
  std::optional<std::uint32_t> sizeField;
};

Bytes BuildDisk(const DiskSpec& disk);
// Where BuildDisk puts the header of record `index` of `track`, counted from
// the disk's first byte.
std::size_t RecordOffset(const DiskSpec& disk, int track, std::size_t index);
Bytes BuildImage(const std::vector<DiskSpec>& disks);
void WriteFile(const std::string& path, const Bytes& bytes);
void PutLe32(Bytes& bytes, std::size_t offset, std::uint32_t value);

// Formatted disks as the rippers expect them: track sides 0..tracks-1,
// sectors 1..9 of 512 bytes (N 2), C = track >> 1, H = track & 1, every data
// byte a fingerprint of its track, sector number and offset.
constexpr int kSectorsPerTrack = 9;
constexpr int kSectorSize = 512;
constexpr int kFormattedTracks = 80;

std::uint8_t PatternByte(int track, int r, int offset);
std::vector<SectorRecord> FormattedTrack(int track,
                                         const std::vector<int>& order = {});
DiskSpec FormattedDisk(int tracks = kFormattedTracks);

// Lays every track's sectors in the order given by `order` (sector numbers).
void ReorderSectors(DiskSpec& disk, const std::vector<int>& order);

// Writes a 7-byte signature at bytes 3..9 of the boot sector (track 0, R 1)
// and the disk digit at byte 10.
void SetBootSignature(DiskSpec& disk, const std::string& signature,
                      char digit);

// Steps (track, r) to the sector a run reads after it on a formatted disk:
// the next sector number, or sector 1 of the next track side after 9.
void NextSector(int& track, int& r);

// The bytes a run of `size` bytes from sector R `r` of `track` reads on a
// formatted disk: sectors 1..9 per track side, continuing on the next side.
Bytes ExpectedRun(int track, int r, int size);

}  // namespace d88build
