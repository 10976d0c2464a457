#include "D88Builder.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace d88build {

namespace {

constexpr std::size_t kNameField = 17;
constexpr std::size_t kWriteProtectOffset = 26;
constexpr std::size_t kMediaTypeOffset = 27;

void PutLe16(Bytes& bytes, std::size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}

void AppendRecord(Bytes& out, const SectorRecord& record,
                  std::size_t recordsInTrack) {
  const std::size_t at = out.size();
  out.resize(at + kSectorHeaderSize, 0);
  out[at + 0] = record.c;
  out[at + 1] = record.h;
  out[at + 2] = record.r;
  out[at + 3] = record.n;
  out[at + 7] = record.deletedMark;
  out[at + 8] = record.status;
  PutLe16(out, at + 4,
          record.sectorCount.value_or(
              static_cast<std::uint16_t>(recordsInTrack)));
  PutLe16(out, at + 14,
          record.dataSize.value_or(
              static_cast<std::uint16_t>(record.data.size())));
  out.insert(out.end(), record.data.begin(), record.data.end());
}

}  // namespace

void PutLe32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) {
    bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
}

Bytes BuildDisk(const DiskSpec& disk) {
  Bytes out(kHeaderSize, 0);
  std::copy_n(disk.name.begin(), std::min(disk.name.size(), kNameField),
              out.begin());
  out[kWriteProtectOffset] = disk.writeProtect;
  out[kMediaTypeOffset] = disk.mediaType;
  for (const auto& [track, records] : disk.tracks) {
    if (track < 0 || track >= kTrackCount) {
      throw std::invalid_argument("track index out of range");
    }
    PutLe32(out, kTrackTableOffset + 4 * track,
            static_cast<std::uint32_t>(out.size()));
    for (const SectorRecord& record : records) {
      AppendRecord(out, record, records.size());
    }
  }
  for (const auto& [track, offset] : disk.trackOffsets) {
    PutLe32(out, kTrackTableOffset + 4 * track, offset);
  }
  PutLe32(out, kDiskSizeOffset,
          disk.sizeField.value_or(static_cast<std::uint32_t>(out.size())));
  return out;
}

std::size_t RecordOffset(const DiskSpec& disk, int track, std::size_t index) {
  std::size_t offset = kHeaderSize;
  for (const auto& [built, records] : disk.tracks) {
    for (std::size_t i = 0; i < records.size(); ++i) {
      if (built == track && i == index) return offset;
      offset += kSectorHeaderSize + records[i].data.size();
    }
  }
  throw std::invalid_argument("no such record");
}

Bytes BuildImage(const std::vector<DiskSpec>& disks) {
  Bytes image;
  for (const DiskSpec& disk : disks) {
    const Bytes built = BuildDisk(disk);
    image.insert(image.end(), built.begin(), built.end());
  }
  return image;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::uint8_t PatternByte(int track, int r, int offset) {
  std::uint32_t x = static_cast<std::uint32_t>(track) * 2654435761u ^
                    static_cast<std::uint32_t>(r) * 40503u ^
                    static_cast<std::uint32_t>(offset) * 2246822519u;
  x ^= x >> 15;
  x *= 2246822519u;
  x ^= x >> 13;
  return static_cast<std::uint8_t>(x);
}

std::vector<SectorRecord> FormattedTrack(int track,
                                         const std::vector<int>& order) {
  std::vector<int> numbers = order;
  if (numbers.empty()) {
    for (int r = 1; r <= kSectorsPerTrack; ++r) numbers.push_back(r);
  }
  std::vector<SectorRecord> records;
  for (int r : numbers) {
    SectorRecord record;
    record.c = static_cast<std::uint8_t>(track >> 1);
    record.h = static_cast<std::uint8_t>(track & 1);
    record.r = static_cast<std::uint8_t>(r);
    record.n = 2;
    record.data.resize(kSectorSize);
    for (int i = 0; i < kSectorSize; ++i) {
      record.data[i] = PatternByte(track, r, i);
    }
    records.push_back(record);
  }
  return records;
}

DiskSpec FormattedDisk(int tracks) {
  DiskSpec disk;
  disk.name = "FORMATTED";
  disk.mediaType = 0x10;
  for (int track = 0; track < tracks; ++track) {
    disk.tracks[track] = FormattedTrack(track);
  }
  return disk;
}

void ReorderSectors(DiskSpec& disk, const std::vector<int>& order) {
  for (auto& [track, records] : disk.tracks) {
    std::vector<SectorRecord> reordered;
    for (int r : order) {
      for (const SectorRecord& record : records) {
        if (record.r == r) reordered.push_back(record);
      }
    }
    records = reordered;
  }
}

void SetBootSignature(DiskSpec& disk, const std::string& signature,
                      char digit) {
  for (SectorRecord& record : disk.tracks.at(0)) {
    if (record.r != 1) continue;
    std::copy_n(signature.begin(), 7, record.data.begin() + 3);
    record.data[10] = static_cast<std::uint8_t>(digit);
  }
}

Bytes ExpectedRun(int track, int r, int size) {
  Bytes bytes;
  while (static_cast<int>(bytes.size()) < size) {
    for (int i = 0; i < kSectorSize && static_cast<int>(bytes.size()) < size;
         ++i) {
      bytes.push_back(PatternByte(track, r, i));
    }
    NextSector(track, r);
  }
  return bytes;
}

void NextSector(int& track, int& r) {
  if (r == kSectorsPerTrack) {
    ++track;
    r = 1;
  } else {
    ++r;
  }
}

}  // namespace d88build
