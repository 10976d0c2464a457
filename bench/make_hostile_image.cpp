// Writes the image that makes track walks as long as they can be: 64 disks
// whose track 0 holds a boot sector with the given BOOTID (7-byte signature
// and digit) and whose every other track table entry points at one chain of
// CHAIN empty sector headers that match no sector a ripper asks for.
//
//   make_hostile_image OUTPUT BOOTID CHAIN

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "builder/D88Builder.h"

int main(int argc, char** argv) {
  if (argc != 4 || std::string(argv[2]).size() != 8 || std::atoi(argv[3]) < 1) {
    std::fprintf(stderr, "Usage: %s OUTPUT BOOTID CHAIN\n", argv[0]);
    return 2;
  }
  constexpr int kDisks = 64;
  const std::string bootId = argv[2];
  const int chain = std::atoi(argv[3]);

  d88build::DiskSpec disk = d88build::FormattedDisk(1);
  d88build::SetBootSignature(disk, bootId.substr(0, 7), bootId[7]);
  // Track 1 holds the chain; every other track's entry points at it too.
  d88build::SectorRecord empty;
  empty.c = empty.h = empty.r = empty.n = 0xFF;
  empty.sectorCount = 0xFFFF;
  disk.tracks[1].assign(static_cast<std::size_t>(chain), empty);
  // The builder lays the tracks out in index order: the chain follows the
  // nine sectors of track 0.
  const std::uint32_t chainStart =
      d88build::kHeaderSize +
      d88build::kSectorsPerTrack *
          (d88build::kSectorHeaderSize + d88build::kSectorSize);
  for (int track = 2; track < d88build::kTrackCount; ++track) {
    disk.trackOffsets[track] = chainStart;
  }
  try {
    const std::vector<d88build::DiskSpec> disks(kDisks, disk);
    d88build::WriteFile(argv[1], d88build::BuildImage(disks));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
    return 1;
  }
  return 0;
}
