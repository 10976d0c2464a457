// Writes a sample D88 image holding one formatted disk per BOOTID given, in
// order. A BOOTID is the 8 boot-sector bytes that identify a disk: the
// 7-byte signature followed by the disk digit, such as Pelk_No8 or Pelk_UD1.
// For demos and for trying the rippers without real disks.

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "builder/D88Builder.h"

int main(int argc, char** argv) {
  constexpr std::size_t kBootIdLength = 8;
  bool valid = argc >= 3;
  for (int i = 2; i < argc; ++i) {
    valid = valid && std::string(argv[i]).size() == kBootIdLength;
  }
  if (!valid) {
    std::fprintf(stderr,
                 "Usage: %s OUTPUT BOOTID...\n"
                 "  BOOTID: 7-byte signature and disk digit, e.g. Pelk_No8\n",
                 argc > 0 ? argv[0] : "make_sample_image");
    return 2;
  }
  std::vector<d88build::DiskSpec> disks;
  for (int i = 2; i < argc; ++i) {
    const std::string bootId = argv[i];
    d88build::DiskSpec disk = d88build::FormattedDisk();
    disk.name = "SAMPLE " + bootId;
    d88build::SetBootSignature(disk, bootId.substr(0, 7), bootId[7]);
    disks.push_back(disk);
  }
  try {
    d88build::WriteFile(argv[1], d88build::BuildImage(disks));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s: %s\n", argv[0], error.what());
    return 1;
  }
  return 0;
}
