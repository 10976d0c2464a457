// d88info: shows what a D88 image holds, disk by disk, in plain ASCII with
// one record per line: for instance to see why a ripper did not recognise
// a disk, or which sectors of a damaged disk the image records as bad.
//
//   d88info [--tracks] [--map] [--hash] [--split FOLDER] IMAGE

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "d88/D88Image.h"
#include "platform/CommandLine.h"
#include "platform/Console.h"
#include "platform/ConsoleWindow.h"
#include "platform/Folder.h"
#include "platform/Hashes.h"
#include "platform/OutputFile.h"
#include "platform/Signals.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "Usage: d88info [--tracks] [--map] [--hash] [--split FOLDER] IMAGE\n"
    "       d88info --help | --version\n"
    "Lists the disks of a D88 image: number, name, media type, write\n"
    "protection, tracks present and boot sector bytes 3..10.\n"
    "  --tracks  also lists every present track with the ID fields (C.H.R.N,\n"
    "            in hex) of its sectors in file order; a sector the image\n"
    "            records as damaged or deleted has a suffix such as :data-crc\n"
    "  --map     also draws every present track as one character per sector\n"
    "            number, from 1 to the disk's highest, as the rippers find\n"
    "            the sector with the track's own C, H and usual N:\n"
    "            . normal, E read error, D deleted data, - not found\n"
    "  --hash    also gives each disk's CRC32 and SHA-1, header included, as\n"
    "            catalogues of known dumps list a disk saved as its own\n"
    "            file, and its data-sha1, which only the sectors' IDs and\n"
    "            data make (the same for copies with other headers)\n"
    "  --split FOLDER\n"
    "            also writes each disk as its own file FOLDER/BASE-NN.d88\n"
    "            (BASE: the image's name without its extension; NN: the\n"
    "            disk's number); FOLDER is made if missing\n"
    "Disks are numbered from 1, in file order. A disk that the image ends\n"
    "inside shows \"truncated PRESENT/DECLARED\" bytes; bytes at the image's\n"
    "end that belong to no disk have a line of their own, and so does an\n"
    "empty image. At most 64 disks are listed; an image holding more says\n"
    "so on standard error and gives exit status 1. With --split, a disk cut\n"
    "short (written with the bytes there are), bytes that belong to no disk\n"
    "(not written), an empty image and a file that could not be written\n"
    "are named on standard error and give exit status 1.\n";
constexpr const char* kLegend =
    "legend . normal, E read error, D deleted data, - not found\n";

// The boot sector's identifying bytes: the signature and the digit.
constexpr int kBootIdOffset = kBootSignatureOffset;
constexpr int kBootIdLength = kBootDigitOffset + 1 - kBootSignatureOffset;
constexpr int kReasonTextSize = 512;
constexpr int kMaxListedSectors = 65536;
constexpr int kStatusNameSize = 32;
// A line is printed in pieces of at most this many bytes.
constexpr int kLinePieceSize = 1024;
// The image is hashed and split in pieces of this many bytes.
constexpr int kChunkSize = 65536;

D88Image image;
SectorInfo sectors[kMaxListedSectors];
SectorData sectorData[kMaxListedSectors];
unsigned char chunk[kChunkSize];
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

// Standard output through the console layer, which keeps its lines in
// order with standard error's and notes a failed write. A line of many
// sectors is longer than one message, so it goes out in pieces; each line
// is only begun once everything on it was read.
char piece[kLinePieceSize];
int pieceLength = 0;

void Flush() {
  if (pieceLength == 0) return;
  piece[pieceLength] = '\0';
  PrintText(ConsoleStream::kOut, piece);
  pieceLength = 0;
}

void Print(const char* format, ...) __attribute__((format(printf, 1, 2)));
void Print(const char* format, ...) {
  // Every item is far shorter than a piece.
  if (pieceLength > kLinePieceSize / 2) Flush();
  va_list arguments;
  va_start(arguments, format);
  const int length =
      std::vsnprintf(piece + pieceLength,
                     static_cast<std::size_t>(kLinePieceSize - pieceLength),
                     format, arguments);
  va_end(arguments);
  if (length > 0) pieceLength += length;
  if (pieceLength >= kLinePieceSize) pieceLength = kLinePieceSize - 1;
}

// Ends the line and sends it.
void EndLine() {
  Print("\n");
  Flush();
}

// Prints bytes as a quoted string: printable ASCII as it is, everything
// else (and the quote and backslash) escaped.
void PrintQuoted(const unsigned char* bytes, int length) {
  Print("\"");
  for (int i = 0; i < length; ++i) {
    const unsigned char byte = bytes[i];
    if (byte == '"' || byte == '\\') {
      Print("\\%c", byte);
    } else if (byte >= 0x20 && byte < 0x7f) {
      Print("%c", byte);
    } else {
      Print("\\x%02x", byte);
    }
  }
  Print("\"");
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
// short by a failed read ends with the last line that is true. Disks are
// numbered from 1, as the rippers count them.
void PrintDisk(int index) {
  const int tracks = CountPresentTracks();
  const int bootBytes = ReadBootId();
  if (image.ReadFailed()) return;
  Print("disk %d name ", index + 1);
  const char* name = image.GetDiskName();
  PrintQuoted(reinterpret_cast<const unsigned char*>(name),
              static_cast<int>(std::strlen(name)));
  const int media = image.GetMediaType();
  Print(" media 0x%02x %s protected %s tracks %d ", media, MediaName(media),
        image.GetWriteProtect() != 0 ? "yes" : "no", tracks);
  int present = 0;
  int declared = 0;
  if (image.GetDiskExtent(index, present, declared) && present < declared) {
    Print("truncated %d/%d ", present, declared);
  }
  Print("boot ");
  if (bootBytes > 0) {
    PrintQuoted(boot + kBootIdOffset, bootBytes);
  } else {
    Print("none");
  }
  EndLine();
}

void PrintTracks(int index) {
  for (int track = 0; track < D88Image::kTrackCount; ++track) {
    const int count = ListSectors(track);
    if (image.ReadFailed()) return;
    if (count == 0) continue;
    Print("disk %d track %d c %d h %d sectors %d ids", index + 1, track,
          track >> 1, track & 1, count);
    for (int i = 0; i < count; ++i) {
      const SectorInfo& sector = sectors[i];
      Print(" %02x.%02x.%02x.%02x", sector.c, sector.h, sector.r, sector.n);
      if (IsReadError(sector.status)) {
        char buffer[kStatusNameSize];
        Print(":%s", ReadErrorName(sector.status, buffer));
      }
      if (IsDeletedData(sector.deletedMark, sector.status)) Print(":deleted");
    }
    EndLine();
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
    Print("disk %d track %d c %d h %d n %d map %s", index + 1, track, c, h, n,
          marks);
    EndLine();
  }
}

// "d88info: WHAT PATH: REASON", with the system's reason.
void ReportFailure(const char* what, const char* path,
                   const SystemError& error) {
  char reason[kReasonTextSize];
  PrintText(ConsoleStream::kErr, "d88info: ");
  PrintText(ConsoleStream::kErr, what);
  if (path != nullptr) {
    PrintArgument(ConsoleStream::kErr, path);
  }
  PrintText(ConsoleStream::kErr, ": ");
  PrintArgument(ConsoleStream::kErr,
                DescribeError(error, reason, sizeof reason));
  PrintText(ConsoleStream::kErr, "\n");
}

struct Options {
  bool listTracks = false;
  bool drawMap = false;
  bool hash = false;
  const char* splitFolder = nullptr;
  const char* path = nullptr;
  const char* text = nullptr;  // --help or --version: print this alone
};

// Gives false on a wrong command line.
bool ParseArguments(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (std::strcmp(argument, "--help") == 0) {
      options.text = kUsage;
      return true;
    }
    if (std::strcmp(argument, "--version") == 0) {
      options.text = "d88info " D88RIP_VERSION "\n";
      return true;
    }
    if (std::strcmp(argument, "--tracks") == 0 && !options.listTracks) {
      options.listTracks = true;
    } else if (std::strcmp(argument, "--map") == 0 && !options.drawMap) {
      options.drawMap = true;
    } else if (std::strcmp(argument, "--hash") == 0 && !options.hash) {
      options.hash = true;
    } else if (std::strcmp(argument, "--split") == 0 &&
               options.splitFolder == nullptr && i + 1 < argc) {
      options.splitFolder = argv[++i];
    } else if (argument[0] != '-' && options.path == nullptr) {
      options.path = argument;
    } else {
      return false;
    }
  }
  return options.path != nullptr;
}

// What the hashes and the split found wrong; any of it fails the run.
bool splitFailed = false;
bool hashFailed = false;

// Where disk `index` goes with --split: FOLDER/BASE-NN.d88, BASE being the
// image's file name without its last extension. Nothing of the disk's own
// header (its name) reaches the path.
bool PiecePath(const Options& options, int index, char* path, int size) {
  char name[ReplacingFile::kMaxNameLength + 1];
  const char* file = FileNameOf(options.path);
  const char* dot = std::strrchr(file, '.');
  const int baseLength = static_cast<int>(
      dot != nullptr && dot != file ? dot - file : std::strlen(file));
  const int length = std::snprintf(name, sizeof name, "%.*s-%02d.d88",
                                   baseLength, file, index + 1);
  return length > 0 && length < static_cast<int>(sizeof name) &&
         JoinPath(options.splitFolder, name, path, size);
}

// "d88info: cannot write PATH: REASON".
void ReportWriteFailure(const char* path, const SystemError& error) {
  ReportFailure("cannot write ", path, error);
  splitFailed = true;
}

// Reads disk `index` as it lies in the file, header included, into the
// CRC32 and SHA-1 when `crc` and `sha1` are given, and into `piece` when
// it is given. Gives false when a read failed.
bool ReadSpan(int index, unsigned long* crc, Sha1* sha1,
              ReplacingFile* piece) {
  long long offset = 0;
  long long length = 0;
  image.GetDiskSpan(index, offset, length);
  for (long long done = 0; done < length;) {
    const int want =
        length - done < kChunkSize ? static_cast<int>(length - done) : kChunkSize;
    const int got = image.ReadImage(offset + done, chunk, want);
    if (got < want) return false;
    if (crc != nullptr) *crc = Crc32(*crc, chunk, got);
    if (sha1 != nullptr) sha1->Add(chunk, got);
    if (piece != nullptr) piece->Write(chunk, got);
    done += got;
  }
  return true;
}

// The data-sha1 of the selected disk: for each present track in order,
// each sector record as the listing walks it: C, H, R, N, the number of
// data bytes as two bytes little-endian, then those bytes.
bool HashSectorData(Sha1& sha1) {
  for (int track = 0; track < D88Image::kTrackCount; ++track) {
    const int count =
        image.ListSectors(track, sectors, kMaxListedSectors, sectorData);
    for (int i = 0; i < count; ++i) {
      const SectorInfo& sector = sectors[i];
      const SectorData& data = sectorData[i];
      const unsigned char record[] = {
          sector.c, sector.h, sector.r, sector.n,
          static_cast<unsigned char>(data.length & 0xff),
          static_cast<unsigned char>(data.length >> 8)};
      sha1.Add(record, sizeof record);
      if (image.ReadImage(data.position, chunk, data.length) < data.length) {
        return false;
      }
      sha1.Add(chunk, data.length);
    }
  }
  return !image.ReadFailed();
}

void PrintDigest(const unsigned char* digest) {
  for (int i = 0; i < kSha1Size; ++i) Print("%02x", digest[i]);
}

// With --hash, the disk's hash line; with --split, its file. One read of
// the disk serves both. Gives false when a read of the image failed.
bool HashAndSplit(const Options& options, int index) {
  char path[ReplacingFile::kMaxNameLength + 1];
  ReplacingFile piece;
  bool writing = false;
  if (options.splitFolder != nullptr) {
    SystemError error;
    if (!PiecePath(options, index, path, sizeof path)) {
      ReportWriteFailure(options.splitFolder,
                         SystemError{SystemError::Reason::kTooLong, 0});
    } else if (!piece.Begin(path, error)) {
      ReportWriteFailure(path, error);
    } else {
      writing = true;
    }
  }
  unsigned long crc = 0;
  Sha1 whole;
  if (options.hash && !whole.Start()) hashFailed = true;
  if (!ReadSpan(index, options.hash ? &crc : nullptr,
                options.hash ? &whole : nullptr, writing ? &piece : nullptr)) {
    piece.Abandon();
    return false;
  }
  if (writing) {
    SystemError error;
    if (!piece.Finish(error)) ReportWriteFailure(path, error);
  }
  if (options.hash) {
    unsigned char wholeDigest[kSha1Size];
    unsigned char dataDigest[kSha1Size];
    Sha1 data;
    if (!data.Start()) hashFailed = true;
    if (!HashSectorData(data)) return false;
    if (!whole.Finish(wholeDigest) || !data.Finish(dataDigest)) {
      hashFailed = true;
    } else {
      Print("disk %d crc32 %08lx sha1 ", index + 1, crc);
      PrintDigest(wholeDigest);
      Print(" data-sha1 ");
      PrintDigest(dataDigest);
      EndLine();
    }
  }
  int present = 0;
  int declared = 0;
  if (writing && image.GetDiskExtent(index, present, declared) &&
      present < declared) {
    PrintText(ConsoleStream::kErr, "d88info: ");
    PrintArgument(ConsoleStream::kErr, path);
    PrintFormat(ConsoleStream::kErr,
                " holds %d bytes of disk %d, which declares %d: the image "
                "ends inside it\n",
                present, index + 1, declared);
    splitFailed = true;
  }
  return true;
}

// Lists the image, disk by disk; ends early at a failed read.
void List(const Options& options) {
  Print("image disks %d", image.GetDiskCount());
  EndLine();
  if (image.IsEmpty()) {
    Print("image empty");
    EndLine();
  }
  if (options.drawMap) PrintText(ConsoleStream::kOut, kLegend);
  for (int index = 0; index < image.GetDiskCount() && !image.ReadFailed();
       ++index) {
    if (!image.SelectDisk(index)) continue;
    PrintDisk(index);
    if ((options.hash || options.splitFolder != nullptr) &&
        !HashAndSplit(options, index)) {
      return;
    }
    if (options.listTracks) PrintTracks(index);
    if (options.drawMap) PrintMap(index);
  }
  if (!image.ReadFailed() && image.GetUnownedBytes() > 0) {
    Print("image ends with %lld bytes that belong to no disk",
          image.GetUnownedBytes());
    EndLine();
  }
}

// What the listing could not show, on standard error; gives the status.
int Report(const Options& options) {
  int status = kExitOk;
  // A listing cut short by a failed read is no picture of the image.
  if (image.ReadFailed()) {
    ReportFailure("cannot read ", options.path, image.GetFileError());
    status = kExitFailed;
  } else if (image.HasUnindexedDisks()) {
    PrintFormat(ConsoleStream::kErr,
                "d88info: disks past the %dth were not listed\n",
                D88Image::kMaxDisks);
    status = kExitFailed;
  }
  if (options.splitFolder != nullptr && !image.ReadFailed()) {
    if (image.GetUnownedBytes() > 0) {
      PrintFormat(ConsoleStream::kErr,
                  "d88info: the last %lld bytes of the image belong to no "
                  "disk and were not written\n",
                  image.GetUnownedBytes());
      splitFailed = true;
    } else if (image.IsEmpty()) {
      PrintText(ConsoleStream::kErr,
                "d88info: the image is empty; nothing was written\n");
      splitFailed = true;
    }
  }
  if (hashFailed) {
    PrintText(ConsoleStream::kErr,
              "d88info: the system's crypto library could not hash\n");
  }
  if (splitFailed || hashFailed) status = kExitFailed;
  SystemError error;
  if (!FinishConsole(error)) {
    ReportFailure("cannot write to standard output", nullptr, error);
    status = kExitFailed;
  }
  return status;
}

int Run(int argc, char** argv) {
  Options options;
  if (!ParseArguments(argc, argv, options)) {
    PrintText(ConsoleStream::kErr, kUsage);
    return kExitUsage;
  }
  if (options.text != nullptr) {
    PrintText(ConsoleStream::kOut, options.text);
    return Report(options);
  }
  if (!image.Open(options.path)) {
    ReportFailure("cannot open ", options.path, image.GetFileError());
    return kExitFailed;
  }
  if (options.splitFolder != nullptr) {
    // Files are written whole or not at all, also when interrupted.
    RemoveTemporaryOnInterruption();
    ReportFailedWritesAsErrors();
    SystemError error;
    if (!MakeFolder(options.splitFolder, error)) {
      ReportFailure("cannot make folder ", options.splitFolder, error);
      return kExitFailed;
    }
  }
  // A failed read while the image was indexed leaves nothing to list.
  if (!image.ReadFailed()) List(options);
  return Report(options);
}

}  // namespace

int main(int argc, char** argv) {
  SetUpConsole();
  const CommandLine line = GetCommandLineArguments(argc, argv);
  const int status = Run(line.count, line.arguments);
  HoldOwnConsoleWindow(false);
  return status;
}
