#include "rip/RunRipper.h"

#include <cstdio>
#include <cstring>

#include "d88/D88Image.h"
#include "platform/CommandLine.h"
#include "platform/Console.h"
#include "platform/ConsoleWindow.h"
#include "platform/OutputFile.h"
#include "platform/Signals.h"
#include "rip/TransferBuffer.h"

namespace {

// Console texts. The Japanese parts are Shift-JIS (CP932) bytes.
// "Usage: %s [d88file]\n", the program's invocation name between the parts.
constexpr const char* kUsageStart = "Usage: ";
constexpr const char* kUsageEnd = " [d88file]\n";
// "ファイルをオープンできません.\n"
constexpr const char* kOpenFailed =
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x83\x49\x81\x5b\x83\x76\x83\x93"
    "\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1.\n";
// "ファイルを読み込めません (", the system's reason, ").\n"
constexpr const char* kReadFailedStart =
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x93\xc7\x82\xdd\x8d\x9e"
    "\x82\xdf\x82\xdc\x82\xb9\x82\xf1 (";
constexpr const char* kReasonEnd = ").\n";
// "User Diskを認識しました.\n"
constexpr const char* kUserDiskFound = "User Disk" RECOGNISED_SJIS ".\n";
// "認識できないディスクです.\n"
constexpr const char* kDiskNotRecognised =
    "\x94\x46\x8e\xaf\x82\xc5\x82\xab\x82\xc8\x82\xa2\x83\x66\x83\x42\x83\x58"
    "\x83\x4e\x82\xc5\x82\xb7.\n";
constexpr const char* kCuttingFormat = "cutting ... %s\n";
// "%s は不完全です (%d/%d バイト).\n"
constexpr const char* kIncompleteFormat =
    "%s \x82\xcd\x95\x73\x8a\xae\x91\x53\x82\xc5\x82\xb7 (%d/%d "
    "\x83\x6f\x83\x43\x83\x67).\n";
// "%s を書き込めません (", the system's reason, ").\n"
constexpr const char* kWriteFailedStart =
    "%s \x82\xf0\x8f\x91\x82\xab\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1 (";
// "%s は見つかりません (C %d H %d R %d).\n", with the file's first sector
constexpr const char* kMissingFormat =
    "%s \x82\xcd\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1"
    " (C %d H %d R %d).\n";
// "イメージは %d 枚目のディスクの途中で終わっています (%d/%d バイト).\n":
// the image ends inside its Nth disk, with the bytes present and declared
constexpr const char* kImageEndsInsideDiskFormat =
    "\x83\x43\x83\x81\x81\x5b\x83\x57\x82\xcd %d "
    "\x96\x87\x96\xda\x82\xcc\x83\x66\x83\x42\x83\x58\x83\x4e\x82\xcc\x93\x72"
    "\x92\x86\x82\xc5\x8f\x49\x82\xed\x82\xc1\x82\xc4\x82\xa2\x82\xdc\x82\xb7"
    " (%d/%d \x83\x6f\x83\x43\x83\x67).\n";
// "%d 枚目より後のディスクは読み込んでいません.\n": disks past the limit
constexpr const char* kDisksLeftOutFormat =
    "%d \x96\x87\x96\xda\x82\xe6\x82\xe8\x8c\xe3\x82\xcc\x83\x66\x83\x42"
    "\x83\x58\x83\x4e\x82\xcd\x93\xc7\x82\xdd\x8d\x9e\x82\xf1\x82\xc5\x82\xa2"
    "\x82\xdc\x82\xb9\x82\xf1.\n";
// "%s は読み取りエラーを含みます (C %d H %d R %d: %s).\n", with what the
// image records of the first damaged sector.
constexpr const char* kReadErrorFormat =
    "%s \x82\xcd\x93\xc7\x82\xdd\x8e\xe6\x82\xe8\x83\x47\x83\x89\x81\x5b"
    "\x82\xf0\x8a\xdc\x82\xdd\x82\xdc\x82\xb7 (C %d H %d R %d: %s).\n";
// "ID の CRC エラー"
constexpr const char* kIdCrcError = "ID \x82\xcc CRC \x83\x47\x83\x89\x81\x5b";
// "データの CRC エラー"
constexpr const char* kDataCrcError =
    "\x83\x66\x81\x5b\x83\x5e\x82\xcc CRC \x83\x47\x83\x89\x81\x5b";
// "アドレスマークなし"
constexpr const char* kNoAddressMark =
    "\x83\x41\x83\x68\x83\x8c\x83\x58\x83\x7d\x81\x5b\x83\x4e\x82\xc8"
    "\x82\xb5";
// "データマークなし"
constexpr const char* kNoDataMark =
    "\x83\x66\x81\x5b\x83\x5e\x83\x7d\x81\x5b\x83\x4e\x82\xc8\x82\xb5";
// "ステータス 0x%02x", for any other status the controller gave
constexpr const char* kOtherStatusFormat =
    "\x83\x58\x83\x65\x81\x5b\x83\x5e\x83\x58 0x%02x";
// "標準出力に書き込めません (", the system's reason, ").\n"
constexpr const char* kOutputLostStart =
    "\x95\x57\x8f\x80\x8f\x6f\x97\xcd\x82\xc9\x8f\x91\x82\xab\x8d\x9e\x82\xdf"
    "\x82\xdc\x82\xb9\x82\xf1 (";
// "イメージの最後の %lld バイトはどのディスクにも属しません.\n": bytes at
// the image's end that belong to no disk
constexpr const char* kUnownedBytesFormat =
    "\x83\x43\x83\x81\x81\x5b\x83\x57\x82\xcc\x8d\xc5\x8c\xe3\x82\xcc %lld "
    "\x83\x6f\x83\x43\x83\x67\x82\xcd\x82\xc7\x82\xcc\x83\x66\x83\x42\x83\x58"
    "\x83\x4e\x82\xc9\x82\xe0\x91\xae\x82\xb5\x82\xdc\x82\xb9\x82\xf1.\n";
// "イメージは空です.\n"
constexpr const char* kImageEmpty =
    "\x83\x43\x83\x81\x81\x5b\x83\x57\x82\xcd\x8b\xf3\x82\xc5\x82\xb7.\n";

constexpr int kBootBytesNeeded = kBootDigitOffset + 1;

constexpr int kNameBufferSize = 260;
constexpr int kStatusTextSize = 64;

// --help: the usage line and the title, then the rest, which is longer
// than one formatted message may be.
constexpr const char* kHelpFormat =
    "Usage: %s [d88file]\n"
    "Cuts the data files out of the %s disks held in the D88 disk image\n";
constexpr const char* kHelpText =
    "d88file and writes them, byte for byte, into the current folder,\n"
    "replacing files of the same names. Each disk is recognised by its boot\n"
    "sector. Standard output names each disk found and each file cut;\n"
    "standard error names each file that is missing, incomplete, cut from\n"
    "sectors the image records as unreadable, or could not be written.\n"
    "At most " D88_TEXT(D88_MAX_DISKS) " disks of an image are read.\n"
    "\n"
    "Exit status: 0 when every file of the recognised disks was cut whole\n"
    "(also from sectors recorded as unreadable); 1 when a file is missing\n"
    "or incomplete, the image is empty, ends inside a disk, ends in bytes\n"
    "that belong to no disk or holds more than " D88_TEXT(D88_MAX_DISKS)
    " disks, or the image, a\n"
    "file or standard output could not be read or written, and on a usage\n"
    "error.\n"
    "\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "An image named --help or --version is given as ./--help.\n";
constexpr const char* kVersionFormat = "%s " D88RIP_VERSION "\n";

D88Image image;

// What the disk walk could not do, tallied from each file's outcome.
struct WalkTally {
  bool failed = false;      // a file not written, or not cut whole
  bool readFailed = false;  // a read of the image failed: the walk ends

  // A file cut from a damaged sector is the image's faithful record.
  void Add(unsigned outcome) {
    if ((outcome & ~unsigned{kCutFromDamagedSector}) != 0) failed = true;
    if ((outcome & kCutReadFailed) != 0) readFailed = true;
  }
};

// Says what the image records of a sector whose read failed; `buffer`
// holds the text when it is not one of the fixed ones.
const char* DescribeReadError(unsigned char status, char* buffer) {
  switch (ReadErrorKindOf(status)) {
    case ReadErrorKind::kIdCrc: return kIdCrcError;
    case ReadErrorKind::kDataCrc: return kDataCrcError;
    case ReadErrorKind::kNoAddressMark: return kNoAddressMark;
    case ReadErrorKind::kNoDataMark: return kNoDataMark;
    case ReadErrorKind::kOther: break;
  }
  std::snprintf(buffer, kStatusTextSize, kOtherStatusFormat, status);
  return buffer;
}

void ReportReadError(const char* name, const SectorInfo& sector) {
  char buffer[kStatusTextSize];
  PrintFormat(ConsoleStream::kErr, kReadErrorFormat, name, sector.c, sector.h,
              sector.r, DescribeReadError(sector.status, buffer));
}

// Ends a message with the system's reason, printed as command-line text:
// the system's words are no Shift-JIS.
void EndWithReason(const SystemError& error) {
  char reason[kMaxReasonText];
  PrintArgument(ConsoleStream::kErr,
                DescribeError(error, reason, sizeof reason));
  PrintText(ConsoleStream::kErr, kReasonEnd);
}

bool SignatureIs(const unsigned char* boot, const char* signature) {
  return std::memcmp(boot + kBootSignatureOffset, signature,
                     kBootSignatureLength) == 0;
}

const DiskRecipe* FindRecipe(const TitleProfile& profile, char digit) {
  for (int i = 0; i < profile.recipeCount; ++i) {
    if (profile.recipes[i].digit == digit) return &profile.recipes[i];
  }
  return nullptr;
}

void CutSeries(const FileSeries& series, int n, WalkTally& tally) {
  for (int k = 0; series.rows[k].r != 0 && !tally.readFailed; ++k) {
    const SeriesRow& row = series.rows[k];
    char name[kNameBufferSize];
    std::snprintf(name, sizeof name, series.nameFormat, k);
    tally.Add(CutFile(name, row.track, row.track >> 1, row.track & 1, row.r, n,
                      row.size));
  }
}

void RunRecipe(const DiskRecipe& recipe, int n, WalkTally& tally) {
  PrintText(ConsoleStream::kOut, recipe.message);
  for (const RecipeStep& step : recipe.steps) {
    if (tally.readFailed) break;
    if (step.file != nullptr) {
      const SingleFile& file = *step.file;
      tally.Add(CutFile(file.name, file.track, file.c, file.h, file.r, n,
                        file.size));
    } else if (step.series != nullptr) {
      CutSeries(*step.series, n, tally);
    } else {
      break;
    }
  }
}

// Recognises the current disk by its boot sector and cuts its files.
void IdentifyAndRip(const TitleProfile& profile, WalkTally& tally) {
  const int n = profile.layout.sizeCode;
  const int got = image.ReadSector(kBootTrack, 0, 0, kBootSectorR, n,
                                   TransferBuffer, 128 << n);
  // Also a failed read of the disk's header, which left no disk current.
  if (image.ReadFailed()) {
    tally.readFailed = true;
    return;
  }
  // Judge the disk only by bytes its own boot sector supplied, never by what
  // an earlier read left in the buffer.
  const unsigned char* boot = TransferBuffer;
  if (got < kBootBytesNeeded) {
    PrintText(ConsoleStream::kOut, kDiskNotRecognised);
  } else if (SignatureIs(boot, profile.signature)) {
    const DiskRecipe* recipe =
        FindRecipe(profile, static_cast<char>(boot[kBootDigitOffset]));
    if (recipe != nullptr) RunRecipe(*recipe, n, tally);
  } else if (SignatureIs(boot, profile.userSignature)) {
    PrintText(ConsoleStream::kOut, kUserDiskFound);
  } else {
    PrintText(ConsoleStream::kOut, kDiskNotRecognised);
  }
}

}  // namespace

unsigned CutFile(const char* name, int track, int c, int h, int r, int n,
                 int size) {
  const bool fits = size >= 0 && size <= kTransferBufferSize;
  // The bytes of whole chunks that arrived, never more than asked.
  const int available =
      fits ? image.ReadSectors(track, c, h, r, n, TransferBuffer, size) : 0;
  // Only sectors whose bytes go into the file count.
  SectorInfo damaged;
  const bool hasReadError =
      available > 0 &&
      image.FindReadError(track, c, h, r, n, 0, available, damaged);
  // What a failed read of the image cut short is no file to keep.
  if (image.ReadFailed()) return kCutReadFailed;
  if (available == 0) {
    PrintFormat(ConsoleStream::kErr, kMissingFormat, name, c, h, r);
    return kCutMissing;
  }

  unsigned outcome = kCutWhole;
  PrintFormat(ConsoleStream::kOut, kCuttingFormat, name);
  SystemError error;
  const bool written =
      WriteFileReplacing(name, TransferBuffer, available, error);
  if (available < size) {
    PrintFormat(ConsoleStream::kErr, kIncompleteFormat, name, available, size);
    outcome |= kCutIncomplete;
  }
  if (hasReadError) {
    ReportReadError(name, damaged);
    outcome |= kCutFromDamagedSector;
  }
  if (!written) {
    PrintFormat(ConsoleStream::kErr, kWriteFailedStart, name);
    EndWithReason(error);
    outcome |= kCutWriteFailed;
  }
  return outcome;
}

namespace {

// Names each disk that the image ends inside, the disks past the limit
// that were not read, bytes that belong to no disk, and an image with
// nothing in it. Gives true when there was any.
bool ReportWhatTheImageLacks() {
  bool lacking = false;
  if (image.IsEmpty()) {
    PrintText(ConsoleStream::kErr, kImageEmpty);
    return true;
  }
  for (int i = 0; i < image.GetDiskCount(); ++i) {
    int present = 0;
    int declared = 0;
    if (image.GetDiskExtent(i, present, declared) && present < declared) {
      PrintFormat(ConsoleStream::kErr, kImageEndsInsideDiskFormat, i + 1,
                  present, declared);
      lacking = true;
    }
  }
  if (image.HasUnindexedDisks()) {
    PrintFormat(ConsoleStream::kErr, kDisksLeftOutFormat, D88Image::kMaxDisks);
    lacking = true;
  }
  if (image.GetUnownedBytes() > 0) {
    PrintFormat(ConsoleStream::kErr, kUnownedBytesFormat,
                image.GetUnownedBytes());
    lacking = true;
  }
  return lacking;
}

// Ends what goes to standard output. Progress that never reached it is a
// failure to report, with its reason; the files are written all the same.
bool FinishOutput() {
  SystemError error;
  if (FinishConsole(error)) return true;
  PrintText(ConsoleStream::kErr, kOutputLostStart);
  EndWithReason(error);
  return false;
}

// --help and --version; any other argument is an image's path.
bool IsOption(const char* argument, const TitleProfile& profile, int& status) {
  const bool help = std::strcmp(argument, "--help") == 0;
  if (!help && std::strcmp(argument, "--version") != 0) return false;
  PrintFormat(ConsoleStream::kOut, help ? kHelpFormat : kVersionFormat,
              profile.program, profile.title);
  if (help) PrintText(ConsoleStream::kOut, kHelpText);
  status = FinishOutput() ? 0 : 1;
  return true;
}

int Run(const TitleProfile& profile, int argc, char** argv) {
  int status = 0;
  if (argc == 2 && IsOption(argv[1], profile, status)) return status;
  if (argc != 2) {
    PrintText(ConsoleStream::kErr, kUsageStart);
    if (argc > 0 && argv[0] != nullptr) {
      PrintArgument(ConsoleStream::kErr, argv[0]);
    }
    PrintText(ConsoleStream::kErr, kUsageEnd);
    return 1;
  }
  if (!image.Open(argv[1])) {
    PrintText(ConsoleStream::kErr, kOpenFailed);
    return 1;
  }
  WalkTally tally;
  // A failed read ends the walk; the files cut before it stay.
  for (int i = 0; i < image.GetDiskCount() && !tally.readFailed; ++i) {
    image.SelectDisk(i);
    image.SetSectorRange(profile.layout.firstSector, profile.layout.lastSector);
    IdentifyAndRip(profile, tally);
  }
  bool failed = tally.failed;
  // Also a read that failed while the image was indexed.
  if (image.ReadFailed()) {
    PrintText(ConsoleStream::kErr, kReadFailedStart);
    EndWithReason(image.GetFileError());
    failed = true;
  }
  if (ReportWhatTheImageLacks()) failed = true;
  if (!FinishOutput()) failed = true;
  return failed ? 1 : 0;
}

}  // namespace

int RunRipperWithArguments(const TitleProfile& profile, int argc,
                           char** argv) {
  SetUpConsole();
  ReportFailedWritesAsErrors();
  RemoveTemporaryOnInterruption();
  const int status = Run(profile, argc, argv);
  // Nothing is read after the walk; a caller that goes on (a test) may
  // then remove the image, which Windows refuses while it is open.
  image.Close();
  return status;
}

int RunRipper(const TitleProfile& profile, int argc, char** argv) {
  const CommandLine line = GetCommandLineArguments(argc, argv);
  const int status = RunRipperWithArguments(profile, line.count, line.arguments);
  HoldOwnConsoleWindow(line.count == 2);
  return status;
}
