// d88info: shows what a D88 image holds, disk by disk, in plain ASCII with
// one record per line: for instance to see why a ripper did not recognise
// a disk.
//
//   d88info [--tracks] IMAGE

#include <cstdio>
#include <cstring>

#include "d88/D88Image.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUnreadable = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "Usage: d88info [--tracks] IMAGE\n"
    "Lists the disks of a D88 image: index, name, media type, tracks present\n"
    "and boot sector bytes 3..10. --tracks also lists every present track\n"
    "with the ID fields (C H R N, in hex) of its sectors in file order.\n";

// Boot sector: C 0, H 0, R 1 of track 0; its identifying bytes are 3..10.
constexpr int kBootSectorR = 1;
constexpr int kBootIdOffset = 3;
constexpr int kBootIdLength = 8;
constexpr int kIdSize = 4;
constexpr int kMaxListedSectors = 65536;

D88Image image;
unsigned char ids[kMaxListedSectors * kIdSize];
unsigned char sector[kBootIdOffset + kBootIdLength];

const char* MediaName(int mediaType) {
  switch (mediaType) {
    case 0x00: return "2D";
    case 0x10: return "2DD";
    case 0x20: return "2HD";
    case 0x30: return "1D";
    case 0x40: return "1DD";
    default: return "unknown";
  }
}

// Prints bytes as a quoted string: printable ASCII as it is, everything
// else (and the quote and backslash) escaped.
void PrintQuoted(const unsigned char* bytes, int length) {
  std::putchar('"');
  for (int i = 0; i < length; ++i) {
    const unsigned char byte = bytes[i];
    if (byte == '"' || byte == '\\') {
      std::printf("\\%c", byte);
    } else if (byte >= 0x20 && byte < 0x7f) {
      std::putchar(byte);
    } else {
      std::printf("\\x%02x", byte);
    }
  }
  std::putchar('"');
}

int ListIds(int track) {
  return image.ReadSectorIds(track, ids, sizeof ids) / kIdSize;
}

int CountPresentTracks() {
  int present = 0;
  for (int track = 0; track < D88Image::kTrackCount; ++track) {
    if (image.ReadSectorIds(track, ids, kIdSize) > 0) ++present;
  }
  return present;
}

// Reads the boot sector's bytes 3..10 whatever its size code; gives how
// many arrived.
int ReadBootId() {
  const int count = ListIds(0);
  for (int i = 0; i < count; ++i) {
    const unsigned char* id = ids + i * kIdSize;
    if (id[0] == 0 && id[1] == 0 && id[2] == kBootSectorR) {
      const int got = image.ReadSector(0, 0, 0, kBootSectorR, id[3], sector,
                                       sizeof sector);
      return got > kBootIdOffset ? got - kBootIdOffset : 0;
    }
  }
  return 0;
}

void PrintDisk(int index) {
  std::printf("disk %d name ", index);
  const char* name = image.GetDiskName();
  PrintQuoted(reinterpret_cast<const unsigned char*>(name),
              static_cast<int>(std::strlen(name)));
  const int media = image.GetMediaType();
  std::printf(" media 0x%02x %s tracks %d boot ", media, MediaName(media),
              CountPresentTracks());
  const int bootBytes = ReadBootId();
  if (bootBytes > 0) {
    PrintQuoted(sector + kBootIdOffset, bootBytes);
  } else {
    std::printf("none");
  }
  std::putchar('\n');
}

void PrintTracks(int index) {
  for (int track = 0; track < D88Image::kTrackCount; ++track) {
    const int count = ListIds(track);
    if (count == 0) continue;
    std::printf("disk %d track %d c %d h %d sectors %d ids", index, track,
                track >> 1, track & 1, count);
    for (int i = 0; i < count; ++i) {
      const unsigned char* id = ids + i * kIdSize;
      std::printf(" %02x.%02x.%02x.%02x", id[0], id[1], id[2], id[3]);
    }
    std::putchar('\n');
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool listTracks = false;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      std::fputs(kUsage, stdout);
      return kExitOk;
    }
    if (std::strcmp(argv[i], "--tracks") == 0 && !listTracks) {
      listTracks = true;
    } else if (argv[i][0] != '-' && path == nullptr) {
      path = argv[i];
    } else {
      path = nullptr;
      break;
    }
  }
  if (path == nullptr) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  if (!image.Open(path)) {
    std::fprintf(stderr, "d88info: cannot open %s as a file\n", path);
    return kExitUnreadable;
  }
  std::printf("image disks %d\n", image.GetDiskCount());
  for (int index = 0; index < image.GetDiskCount(); ++index) {
    if (!image.SelectDisk(index)) continue;
    PrintDisk(index);
    if (listTracks) PrintTracks(index);
  }
  return kExitOk;
}
