#include "d88info/Examine.h"

#include <cstring>

#include "d88/DiskBytes.h"
#include "d88info/Digests.h"
#include "d88info/Matching.h"

namespace {

// Disks are read in pieces of this many bytes.
constexpr int kChunkSize = 65536;
unsigned char chunk[kChunkSize];

// The boot sector's identifying bytes: the signature and the digit.
constexpr int kBootIdOffset = kBootSignatureOffset;
constexpr int kBootIdLength = kBootDigitOffset + 1 - kBootSignatureOffset;

bool HasSectors(D88Image& image, int track) {
  bool found = false;
  image.ForEachSector(track, [&](const SectorRecord&) {
    found = true;
    return false;
  });
  return found;
}

int CountPresentTracks(D88Image& image) {
  int present = 0;
  for (int track = 0; track < D88Image::kTrackCount; ++track) {
    if (HasSectors(image, track)) ++present;
  }
  return present;
}

// Reads the boot sector's bytes 3..10 into `boot`, whatever its size
// code: that of the first record with its ID. Gives how many arrived.
int ReadBootId(D88Image& image, unsigned char* boot, int size) {
  int n = -1;
  image.ForEachSector(kBootTrack, [&](const SectorRecord& record) {
    const SectorInfo& id = record.sector;
    if (id.c != 0 || id.h != 0 || id.r != kBootSectorR) return true;
    n = id.n;
    return false;
  });
  if (n < 0) return 0;
  const int got =
      image.ReadSector(kBootTrack, 0, 0, kBootSectorR, n, boot, size);
  return got > kBootIdOffset ? got - kBootIdOffset : 0;
}

// The current disk's line: name, media, protection, tracks present, how
// far the image holds it, and boot sector bytes 3..10. Gives false when a
// read failed.
bool ListDisk(D88Image& image, int index, DiskReport& disk) {
  unsigned char boot[kBootIdOffset + kBootIdLength];
  disk.index = index;
  disk.tracks = CountPresentTracks(image);
  const int bootBytes = ReadBootId(image, boot, sizeof boot);
  if (image.ReadFailed()) return false;
  long long length = 0;
  image.GetDiskSpan(index, disk.offset, length);
  image.GetDiskExtent(index, disk.present, disk.declared);
  disk.name = image.GetDiskName();
  disk.media = image.GetMediaType();
  disk.writeProtected = image.GetWriteProtect() != 0;
  disk.hasBoot = bootBytes > 0;
  disk.boot.assign(reinterpret_cast<const char*>(boot) + kBootIdOffset,
                   static_cast<std::size_t>(bootBytes));
  image.FindTrackCut(disk.trackCut);
  return !image.ReadFailed();
}

// --tracks: each present track's records, until a read fails.
void ListTracks(D88Image& image, DiskReport& disk) {
  for (int track = 0; track < D88Image::kTrackCount; ++track) {
    TrackIds ids{track, {}};
    image.ForEachSector(track, [&](const SectorRecord& record) {
      ids.sectors.push_back(record.sector);
      return true;
    });
    if (image.ReadFailed()) return;
    if (!ids.sectors.empty()) disk.trackIds.push_back(std::move(ids));
  }
}

// How many records a track has, and the size code most of them carry
// (the first in file order of those that tie).
struct TrackSummary {
  int count = 0;
  int usualSizeCode = 0;
};

TrackSummary Summarise(D88Image& image, int track) {
  TrackSummary summary;
  int seen[256] = {};
  image.ForEachSector(track, [&](const SectorRecord& record) {
    const int n = record.sector.n;
    if (summary.count++ == 0) summary.usualSizeCode = n;
    if (++seen[n] > seen[summary.usualSizeCode]) summary.usualSizeCode = n;
    return true;
  });
  return summary;
}

int HighestSectorNumber(D88Image& image) {
  int highest = 0;
  for (int track = 0; track < D88Image::kTrackCount; ++track) {
    image.ForEachSector(track, [&](const SectorRecord& record) {
      if (record.sector.r > highest) highest = record.sector.r;
      return true;
    });
  }
  return highest;
}

char MapMark(D88Image& image, int track, int c, int h, int r, int n) {
  SectorInfo sector;
  if (!image.FindSector(track, c, h, r, n, sector)) return '-';
  if (IsReadError(sector.status)) return 'E';
  if (IsDeletedData(sector.deletedMark, sector.status)) return 'D';
  return '.';
}

// --map: each present track's marks, until a read fails.
void DrawMap(D88Image& image, DiskReport& disk) {
  const int highest = HighestSectorNumber(image);
  for (int track = 0; track < D88Image::kTrackCount; ++track) {
    const TrackSummary summary = Summarise(image, track);
    if (image.ReadFailed()) return;
    if (summary.count == 0) continue;
    TrackMap map{track, summary.usualSizeCode, std::string()};
    for (int r = 1; r <= highest; ++r) {
      map.marks += MapMark(image, track, track >> 1, track & 1, r, map.n);
    }
    if (image.ReadFailed()) return;
    disk.trackMap.push_back(std::move(map));
  }
}

// The span's bytes go to whichever of the two takes them.
class SpanSinks : public ByteSink {
 public:
  SpanSinks(ByteSink* digests, ByteSink* piece)
      : digests(digests), piece(piece) {}
  void Add(const unsigned char* data, int size) override {
    if (digests != nullptr) digests->Add(data, size);
    if (piece != nullptr) piece->Add(data, size);
  }

 private:
  ByteSink* digests;
  ByteSink* piece;
};

// What the pass over one disk's span came to.
struct PassOutcome {
  bool stopped = false;  // a read came up short: the listing ends
  bool cryptoFailed = false;
};

// The digests (--hash, --dat), catalogue matches (--dat) and piece
// (--split) of disk `index`, the current disk. One read of its span,
// header included, gives its bytes to the CRC32 and SHA-1 and to the
// piece; the data-sha1 then reads each sector record's data once more,
// and a header variant's SHA-1, where a catalogue entry needs it, the
// span once more.
PassOutcome PassOverDisk(D88Image& image, const ExamineOptions& options,
                         const std::string& pieceName, DiskReport& disk,
                         ImageReport& report) {
  PassOutcome outcome;
  const int index = disk.index;
  Piece piece;
  WriteFailure failure;
  const bool splitting = options.splitFolder != nullptr;
  const bool writing =
      splitting && piece.Begin(options.splitFolder, pieceName, failure);
  if (splitting && !writing) {
    Problem problem(Problem::Kind::kWriteFailed, index);
    problem.failure = failure;
    report.problems.push_back(problem);
  }
  const bool hashing = options.hash || options.catalogue != nullptr;
  SpanDigests digests;
  if (hashing && !digests.Start()) outcome.cryptoFailed = true;
  SpanSinks sinks(hashing ? &digests : nullptr, writing ? &piece : nullptr);
  if (!FeedDiskSpan(image, index, sinks, chunk, kChunkSize)) {
    piece.Abandon();
    outcome.stopped = true;
    return outcome;
  }
  if (writing) {
    if (piece.Finish(failure)) {
      disk.piece = piece.Path();
    } else {
      Problem problem(Problem::Kind::kWriteFailed, index);
      problem.failure = failure;
      report.problems.push_back(problem);
    }
  }
  if (hashing && !digests.Finish()) {
    outcome.cryptoFailed = true;
    return outcome;
  }
  if (options.hash) {
    switch (DataSha1(image, disk.dataSha1, chunk, kChunkSize)) {
      case DigestOutcome::kReadFailed: outcome.stopped = true; return outcome;
      case DigestOutcome::kCryptoFailed:
        outcome.cryptoFailed = true;
        return outcome;
      case DigestOutcome::kDone: break;
    }
    disk.hashed = true;
    disk.crc = digests.Crc();
    std::memcpy(disk.sha1, digests.Sha1Digest(), kSha1Size);
  }
  if (options.catalogue != nullptr) {
    switch (MatchDisk(image, index, digests, *options.catalogue, disk.matches,
                      chunk, kChunkSize)) {
      case MatchOutcome::kReadFailed: outcome.stopped = true; return outcome;
      case MatchOutcome::kCryptoFailed: outcome.cryptoFailed = true; break;
      case MatchOutcome::kDone: break;
    }
    disk.matched = true;
  }
  return outcome;
}

// Names what keeps the image from being whole: empty, ending inside a
// disk or inside a disk's tracks, ending in bytes that belong to no disk,
// or holding disks past the limit.
void FindWhatTheImageLacks(const D88Image& image, ImageReport& report) {
  if (image.IsEmpty()) {
    report.problems.emplace_back(Problem::Kind::kEmpty);
    return;
  }
  for (const DiskReport& disk : report.disks) {
    const D88Image::TrackCut& cut = disk.trackCut;
    if (disk.present < disk.declared) {
      Problem problem(Problem::Kind::kEndsInsideDisk, disk.index);
      problem.present = disk.present;
      problem.declared = disk.declared;
      report.problems.push_back(problem);
    } else if (cut.track >= 0) {
      Problem problem(cut.before ? Problem::Kind::kEndsBeforeTrack
                                 : Problem::Kind::kEndsInsideTrack,
                      disk.index);
      problem.track = cut.track;
      problem.whole = cut.whole;
      problem.count = cut.count;
      report.problems.push_back(problem);
    }
  }
  if (image.HasUnindexedDisks()) {
    report.problems.emplace_back(Problem::Kind::kPastLimit);
  }
  if (image.GetUnownedBytes() > 0) {
    Problem problem(Problem::Kind::kUnownedBytes);
    problem.bytes = image.GetUnownedBytes();
    report.problems.push_back(problem);
  }
}

}  // namespace

ImageReport ExamineImage(D88Image& image, const char* path,
                         const ExamineOptions& options,
                         const std::vector<PieceName>& pieceNames) {
  ImageReport report;
  report.path = path;
  if (!image.Open(path)) {
    Problem problem(Problem::Kind::kOpenFailed);
    problem.error = image.GetFileError();
    report.problems.push_back(problem);
    return report;
  }
  bool cryptoFailed = false;
  // A failed read while the image was indexed leaves nothing to list.
  if (!image.ReadFailed()) {
    report.listed = true;
    report.diskCount = image.GetDiskCount();
    report.empty = image.IsEmpty();
    const bool passing = options.hash || options.catalogue != nullptr ||
                         options.splitFolder != nullptr;
    bool stopped = false;
    for (int index = 0; index < image.GetDiskCount() && !stopped; ++index) {
      if (!image.SelectDisk(index)) continue;
      DiskReport disk;
      if (!ListDisk(image, index, disk)) break;
      if (static_cast<std::size_t>(index) < pieceNames.size()) {
        disk.pieceName = pieceNames[static_cast<std::size_t>(index)];
      } else {
        disk.pieceName.name = NumberedName(path, index);
      }
      if (passing) {
        const PassOutcome pass =
            PassOverDisk(image, options, disk.pieceName.name, disk, report);
        cryptoFailed = cryptoFailed || pass.cryptoFailed;
        stopped = pass.stopped;
      }
      if (!stopped && options.listTracks) ListTracks(image, disk);
      if (!stopped && options.drawMap) DrawMap(image, disk);
      report.disks.push_back(std::move(disk));
      stopped = stopped || image.ReadFailed();
    }
    if (!image.ReadFailed()) report.unownedBytes = image.GetUnownedBytes();
  }
  if (image.ReadFailed()) {
    Problem problem(Problem::Kind::kReadFailed);
    problem.error = image.GetFileError();
    report.problems.push_back(problem);
  } else {
    FindWhatTheImageLacks(image, report);
  }
  if (cryptoFailed) report.problems.emplace_back(Problem::Kind::kCryptoFailed);
  return report;
}

bool PlanImage(D88Image& image, const char* path, const Catalogue* catalogue,
               std::vector<ExactName>& names, PlanFailure& failure) {
  names.clear();
  failure = PlanFailure();
  if (!image.Open(path)) {
    failure = {true, false, image.GetFileError()};
    return false;
  }
  for (int index = 0; index < image.GetDiskCount() && !image.ReadFailed();
       ++index) {
    ExactName name;
    SpanDigests digests;
    // Only the exact entries count; no variant is tried or read.
    if (catalogue != nullptr && digests.Start() &&
        FeedDiskSpan(image, index, digests, chunk, kChunkSize) &&
        digests.Finish()) {
      const int entry = FirstExactEntry(*catalogue, digests);
      if (entry >= 0) {
        name.has = true;
        name.name = catalogue->entries[static_cast<std::size_t>(entry)].name;
      }
    }
    names.push_back(name);
  }
  if (!image.ReadFailed()) return true;
  failure = {true, true, image.GetFileError()};
  return false;
}

ImageReport UnplannedImage(const char* path, const PlanFailure& failure) {
  ImageReport report;
  report.path = path;
  Problem problem(failure.opened ? Problem::Kind::kReadFailed
                                 : Problem::Kind::kOpenFailed);
  problem.error = failure.error;
  report.problems.push_back(problem);
  return report;
}
