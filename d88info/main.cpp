// d88info: shows what a D88 image holds, disk by disk, in plain ASCII with
// one record per line: for instance to see why a ripper did not recognise
// a disk, or which sectors of a damaged disk the image records as bad.
//
//   d88info [--tracks] [--map] IMAGE

#include <cstdio>
#include <cstring>

#include "d88/D88Image.h"
#include "platform/CommandLine.h"
#include "platform/Console.h"
#include "platform/ConsoleWindow.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "Usage: d88info [--tracks] [--map] IMAGE\n"
    "       d88info --help | --version\n"
    "Lists the disks of a D88 image: index, name, media type, write\n"
    "protection, tracks present and boot sector bytes 3..10.\n"
    "  --tracks  also lists every present track with the ID fields (C.H.R.N,\n"
    "            in hex) of its sectors in file order; a sector the image\n"
    "            records as damaged or deleted has a suffix such as :data-crc\n"
    "  --map     also draws every present track as one character per sector\n"
    "            number, from 1 to the disk's highest, as the rippers find\n"
    "            the sector with the track's own C, H and usual N:\n"
    "            . normal, E read error, D deleted data, - not found\n"
    "A disk that the image ends inside shows \"truncated PRESENT/DECLARED\"\n"
    "bytes. At most 64 disks are listed; an image holding more says so on\n"
    "standard error and gives exit status 1.\n";
constexpr const char* kLegend =
    "legend . normal, E read error, D deleted data, - not found\n";

// The boot sector's identifying bytes: the signature and the digit.
constexpr int kBootIdOffset = kBootSignatureOffset;
constexpr int kBootIdLength = kBootDigitOffset + 1 - kBootSignatureOffset;
constexpr int kReasonTextSize = 512;
constexpr int kMaxListedSectors = 65536;
constexpr int kStatusNameSize = 32;

D88Image image;
SectorInfo sectors[kMaxListedSectors];
unsigned char boot[kBootIdOffset + kBootIdLength];

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

// What the image records of a sector whose read failed, as a suffix word.
const char* ReadErrorName(unsigned char status, char* buffer) {
  switch (StatusKind(status)) {
    case kStatusIdCrcError: return "id-crc";
    case kStatusDataCrcError: return "data-crc";
    case kStatusNoAddressMark: return "no-address-mark";
    case kStatusNoDataMark: return "no-data-mark";
    default:
      std::snprintf(buffer, kStatusNameSize, "status-0x%02x", status);
      return buffer;
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

int ListSectors(int track) {
  return image.ListSectors(track, sectors, kMaxListedSectors);
}

int CountPresentTracks() {
  int present = 0;
  for (int track = 0; track < D88Image::kTrackCount; ++track) {
    if (image.ListSectors(track, sectors, 1) > 0) ++present;
  }
  return present;
}

// Reads the boot sector's bytes 3..10 whatever its size code; gives how
// many arrived.
int ReadBootId() {
  const int count = ListSectors(kBootTrack);
  for (int i = 0; i < count; ++i) {
    const SectorInfo& id = sectors[i];
    if (id.c == 0 && id.h == 0 && id.r == kBootSectorR) {
      const int got = image.ReadSector(kBootTrack, 0, 0, kBootSectorR, id.n,
                                       boot, sizeof boot);
      return got > kBootIdOffset ? got - kBootIdOffset : 0;
    }
  }
  return 0;
}

// Each line is printed only once everything on it was read: a listing cut
// short by a failed read ends with the last line that is true.
void PrintDisk(int index) {
  const int tracks = CountPresentTracks();
  const int bootBytes = ReadBootId();
  if (image.ReadFailed()) return;
  std::printf("disk %d name ", index);
  const char* name = image.GetDiskName();
  PrintQuoted(reinterpret_cast<const unsigned char*>(name),
              static_cast<int>(std::strlen(name)));
  const int media = image.GetMediaType();
  std::printf(" media 0x%02x %s protected %s tracks %d ", media,
              MediaName(media), image.GetWriteProtect() != 0 ? "yes" : "no",
              tracks);
  int present = 0;
  int declared = 0;
  if (image.GetDiskExtent(index, present, declared) && present < declared) {
    std::printf("truncated %d/%d ", present, declared);
  }
  std::printf("boot ");
  if (bootBytes > 0) {
    PrintQuoted(boot + kBootIdOffset, bootBytes);
  } else {
    std::printf("none");
  }
  std::putchar('\n');
}

void PrintTracks(int index) {
  for (int track = 0; track < D88Image::kTrackCount; ++track) {
    const int count = ListSectors(track);
    if (image.ReadFailed()) return;
    if (count == 0) continue;
    std::printf("disk %d track %d c %d h %d sectors %d ids", index, track,
                track >> 1, track & 1, count);
    for (int i = 0; i < count; ++i) {
      const SectorInfo& sector = sectors[i];
      std::printf(" %02x.%02x.%02x.%02x", sector.c, sector.h, sector.r,
                  sector.n);
      if (IsReadError(sector.status)) {
        char buffer[kStatusNameSize];
        std::printf(":%s", ReadErrorName(sector.status, buffer));
      }
      if (IsDeletedData(sector.deletedMark, sector.status)) {
        std::printf(":deleted");
      }
    }
    std::putchar('\n');
  }
}

// The size code most of the track's sectors carry; the first in file order
// of those that tie.
int UsualSizeCode(int count) {
  int seen[256] = {};
  int usual = sectors[0].n;
  for (int i = 0; i < count; ++i) {
    const int n = sectors[i].n;
    if (++seen[n] > seen[usual]) usual = n;
  }
  return usual;
}

int HighestSectorNumber() {
  int highest = 0;
  for (int track = 0; track < D88Image::kTrackCount; ++track) {
    const int count = ListSectors(track);
    for (int i = 0; i < count; ++i) {
      if (sectors[i].r > highest) highest = sectors[i].r;
    }
  }
  return highest;
}

char MapMark(int track, int c, int h, int r, int n) {
  SectorInfo sector;
  if (!image.FindSector(track, c, h, r, n, sector)) return '-';
  if (IsReadError(sector.status)) return 'E';
  if (IsDeletedData(sector.deletedMark, sector.status)) return 'D';
  return '.';
}

void PrintMap(int index) {
  const int highest = HighestSectorNumber();
  for (int track = 0; track < D88Image::kTrackCount; ++track) {
    const int count = ListSectors(track);
    if (image.ReadFailed()) return;
    if (count == 0) continue;
    const int c = track >> 1;
    const int h = track & 1;
    const int n = UsualSizeCode(count);
    // One mark per sector number; a sector number is a byte.
    char marks[256] = {};
    for (int r = 1; r <= highest; ++r) marks[r - 1] = MapMark(track, c, h, r, n);
    if (image.ReadFailed()) return;
    std::printf("disk %d track %d c %d h %d n %d map %s\n", index, track, c, h,
                n, marks);
  }
}

// "d88info: cannot open PATH: REASON", with the system's reason.
void ReportFailure(const char* what, const char* path) {
  char reason[kReasonTextSize];
  PrintText(ConsoleStream::kErr, "d88info: ");
  PrintText(ConsoleStream::kErr, what);
  PrintArgument(ConsoleStream::kErr, path);
  PrintText(ConsoleStream::kErr, ": ");
  PrintArgument(ConsoleStream::kErr,
                DescribeError(image.GetFileError(), reason, sizeof reason));
  PrintText(ConsoleStream::kErr, "\n");
}

int Run(int argc, char** argv) {
  bool listTracks = false;
  bool drawMap = false;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 ||
        std::strcmp(argv[i], "--version") == 0) {
      std::fputs(argv[i][2] == 'h' ? kUsage : "d88info " D88RIP_VERSION "\n",
                 stdout);
      return FinishConsole() ? kExitOk : kExitFailed;
    }
    if (std::strcmp(argv[i], "--tracks") == 0 && !listTracks) {
      listTracks = true;
    } else if (std::strcmp(argv[i], "--map") == 0 && !drawMap) {
      drawMap = true;
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
    ReportFailure("cannot open ", path);
    return kExitFailed;
  }
  if (!image.ReadFailed()) {
    std::printf("image disks %d\n", image.GetDiskCount());
    if (drawMap) std::fputs(kLegend, stdout);
  }
  for (int index = 0; index < image.GetDiskCount() && !image.ReadFailed();
       ++index) {
    if (!image.SelectDisk(index)) continue;
    PrintDisk(index);
    if (listTracks) PrintTracks(index);
    if (drawMap) PrintMap(index);
  }
  int status = kExitOk;
  // A listing cut short by a failed read is no picture of the image.
  if (image.ReadFailed()) {
    ReportFailure("cannot read ", path);
    status = kExitFailed;
  } else if (image.HasUnindexedDisks()) {
    std::fflush(stdout);
    std::fprintf(stderr, "d88info: disks past the %dth were not listed\n",
                 D88Image::kMaxDisks);
    status = kExitFailed;
  }
  if (!FinishConsole()) {
    std::fputs("d88info: cannot write to standard output\n", stderr);
    status = kExitFailed;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  SetUpConsole();
  const CommandLine line = GetCommandLineArguments(argc, argv);
  const int status = Run(line.count, line.arguments);
  HoldOwnConsoleWindow(false);
  return status;
}
