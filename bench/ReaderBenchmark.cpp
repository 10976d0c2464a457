// The reader's operations on images built for the purpose.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "builder/D88Builder.h"
#include "d88/D88Image.h"

namespace {

namespace fs = std::filesystem;

D88Image image;
unsigned char buffer[368640];

std::string WriteImage(const std::string& name,
                       const std::vector<d88build::DiskSpec>& disks) {
  const fs::path path = fs::temp_directory_path() / ("d88rip-bench-" + name);
  d88build::WriteFile(path.string(), d88build::BuildImage(disks));
  return path.string();
}

const std::string& FormattedImage() {
  static const std::string path = WriteImage(
      "formatted.d88",
      std::vector<d88build::DiskSpec>(64, d88build::FormattedDisk()));
  return path;
}

const std::string& ChainImage() {
  static const std::string path = [] {
    d88build::DiskSpec disk;
    d88build::SectorRecord empty;
    empty.r = 0xFF;
    empty.sectorCount = 0xFFFF;
    disk.tracks[0].assign(65535, empty);
    return WriteImage("chain.d88", {disk});
  }();
  return path;
}

void BM_OpenAndIndex64Disks(benchmark::State& state) {
  FormattedImage();
  for (auto _ : state) {
    image.Open(FormattedImage().c_str());
    benchmark::DoNotOptimize(image.GetDiskCount());
  }
}
BENCHMARK(BM_OpenAndIndex64Disks);

// Every sector of a disk, one track run at a time.
void BM_ReadWholeDisk(benchmark::State& state) {
  image.Open(FormattedImage().c_str());
  int disk = 0;
  for (auto _ : state) {
    image.SelectDisk(disk++ % 64);
    image.SetSectorRange(1, 9);
    for (int track = 0; track < 80; ++track) {
      benchmark::DoNotOptimize(image.ReadSectors(
          track, track >> 1, track & 1, 1, 2, buffer, 9 * 512));
    }
  }
  state.SetBytesProcessed(state.iterations() * 80 * 9 * 512);
}
BENCHMARK(BM_ReadWholeDisk);

// A lookup that matches nothing on a track of 65535 empty headers; the
// walk is taken once per selected disk.
void BM_LookupOnLongChain(benchmark::State& state) {
  ChainImage();
  image.Open(ChainImage().c_str());
  for (auto _ : state) {
    image.SelectDisk(0);
    for (int r = 1; r <= state.range(0); ++r) {
      benchmark::DoNotOptimize(image.ReadSector(0, 0, 0, r, 2, buffer, 512));
    }
  }
}
BENCHMARK(BM_LookupOnLongChain)->Arg(1)->Arg(64);

}  // namespace

BENCHMARK_MAIN();
