#include "rip/RunRipper.h"

#include <cstdio>
#include <cstring>

#include "d88/D88Image.h"
#include "rip/OutputFile.h"
#include "rip/TransferBuffer.h"

namespace {

// Console texts. The Japanese parts are Shift-JIS (CP932) bytes.
constexpr const char* kUsageFormat = "Usage: %s [d88file]\n";
// "ファイルをオープンできません.\n"
constexpr const char* kOpenFailed =
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x83\x49\x81\x5b\x83\x76\x83\x93"
    "\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1.\n";
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
// "%s を書き込めません.\n"
constexpr const char* kWriteFailedFormat =
    "%s \x82\xf0\x8f\x91\x82\xab\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1.\n";

// The boot sector: C 0, H 0, R 1, N 2 of track 0. The signature lies at
// bytes 3..9 and the disk digit at byte 10.
constexpr int kBootTrack = 0;
constexpr int kBootSectorR = 1;
constexpr int kSizeCode = 2;
constexpr int kBootSectorSize = 512;
constexpr int kSignatureOffset = 3;
constexpr int kDigitOffset = 10;
constexpr int kBootBytesNeeded = kDigitOffset + 1;

// Every disk of both titles has sectors 1..9 on each track side.
constexpr int kFirstSector = 1;
constexpr int kLastSector = 9;

constexpr int kNameBufferSize = 260;

D88Image image;
int writeFailures = 0;

// Flushing first keeps the two streams in order when they share a terminal
// or a file.
void ReportIncomplete(const char* name, int got, int size) {
  std::fflush(stdout);
  std::fprintf(stderr, kIncompleteFormat, name, got, size);
}

void ReportWriteFailed(const char* name) {
  std::fflush(stdout);
  std::fprintf(stderr, kWriteFailedFormat, name);
}

bool SignatureIs(const unsigned char* boot, const char* signature) {
  return std::memcmp(boot + kSignatureOffset, signature, kSignatureLength) ==
         0;
}

const DiskRecipe* FindRecipe(const TitleProfile& profile, char digit) {
  for (int i = 0; i < profile.recipeCount; ++i) {
    if (profile.recipes[i].digit == digit) return &profile.recipes[i];
  }
  return nullptr;
}

void CutSeries(const FileSeries& series) {
  for (int k = 0; series.rows[k].r != 0; ++k) {
    const SeriesRow& row = series.rows[k];
    char name[kNameBufferSize];
    std::snprintf(name, sizeof name, series.nameFormat, k);
    CutFile(name, row.track, row.track >> 1, row.track & 1, row.r, kSizeCode,
            0, row.size);
  }
}

void RunRecipe(const DiskRecipe& recipe) {
  std::fputs(recipe.message, stdout);
  for (const RecipeStep& step : recipe.steps) {
    if (step.file != nullptr) {
      const SingleFile& file = *step.file;
      CutFile(file.name, file.track, file.c, file.h, file.r, kSizeCode, 0,
              file.size);
    } else if (step.series != nullptr) {
      CutSeries(*step.series);
    } else {
      break;
    }
  }
}

void IdentifyAndRip(const TitleProfile& profile) {
  const int got = image.ReadSector(kBootTrack, 0, 0, kBootSectorR, kSizeCode,
                                   TransferBuffer, kBootSectorSize);
  // Judge the disk only by bytes its own boot sector supplied, never by what
  // an earlier read left in the buffer.
  const unsigned char* boot = TransferBuffer;
  if (got < kBootBytesNeeded) {
    std::fputs(kDiskNotRecognised, stdout);
  } else if (SignatureIs(boot, profile.signature)) {
    const DiskRecipe* recipe =
        FindRecipe(profile, static_cast<char>(boot[kDigitOffset]));
    if (recipe != nullptr) RunRecipe(*recipe);
  } else if (SignatureIs(boot, profile.userSignature)) {
    std::fputs(kUserDiskFound, stdout);
  } else {
    std::fputs(kDiskNotRecognised, stdout);
  }
}

}  // namespace

bool CutFile(const char* name, int track, int c, int h, int r, int n,
             int skip, int size) {
  if (skip < 0 || size < 0 || skip > kTransferBufferSize - size) return false;
  const int got =
      image.ReadSectors(track, c, h, r, n, TransferBuffer, skip + size);
  if (got == 0) return false;
  std::printf(kCuttingFormat, name);

  int available = got - skip;
  if (available < 0) available = 0;
  if (available > size) available = size;
  const bool written =
      WriteFileReplacing(name, TransferBuffer + skip, available);
  if (available < size) ReportIncomplete(name, available, size);
  if (!written) {
    ReportWriteFailed(name);
    ++writeFailures;
  }
  return written;
}

int RunRipper(const TitleProfile& profile, int argc, char** argv) {
  if (argc != 2) {
    const char* program = (argc > 0 && argv[0] != nullptr) ? argv[0] : "";
    std::fprintf(stderr, kUsageFormat, program);
    return 1;
  }
  if (!image.Open(argv[1])) {
    std::fputs(kOpenFailed, stderr);
    return 1;
  }
  writeFailures = 0;
  for (int i = 0; i < image.GetDiskCount(); ++i) {
    image.SelectDisk(i);
    image.SetSectorRange(kFirstSector, kLastSector);
    IdentifyAndRip(profile);
  }
  std::fflush(stdout);
  return writeFailures == 0 ? 0 : 1;
}
