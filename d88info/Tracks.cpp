#include "d88info/Listing.h"

// --tracks and --map.

namespace {

// A track's records are held here while its line is made, so that the
// line is begun only once all of it was read.
constexpr int kHeldRecords = 65536;
SectorInfo held[kHeldRecords];

// The suffix of a sector the image records as damaged or deleted.
void AddStatus(ConsoleLine& line, const SectorInfo& sector) {
  if (IsReadError(sector.status)) {
    const char* word = ReadErrorWord(ReadErrorKindOf(sector.status));
    if (word != nullptr) {
      line.Add(":%s", word);
    } else {
      line.Add(":status-0x%02x", sector.status);
    }
  }
  if (IsDeletedData(sector.deletedMark, sector.status)) line.Add(":deleted");
}

// How many records the track has, and the size code most of them carry
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

}  // namespace

void PrintMapLegend() {
  PrintText(ConsoleStream::kOut,
            "legend " D88INFO_MAP_MARKS "\n");
}

// A track of more records than are held is walked twice: the first walk
// counts them, the second prints them from the same bytes, which the first
// read (a read failing between the two walks cuts that line short).
void ListTracks(D88Image& image, int index) {
  for (int track = 0; track < D88Image::kTrackCount; ++track) {
    int count = 0;
    image.ForEachSector(track, [&](const SectorRecord& record) {
      if (count < kHeldRecords) held[count] = record.sector;
      ++count;
      return true;
    });
    if (image.ReadFailed()) return;
    if (count == 0) continue;
    ConsoleLine line;
    line.Add("disk %d track %d c %d h %d sectors %d ids", index + 1, track,
             track >> 1, track & 1, count);
    const auto add = [&](const SectorInfo& sector) {
      line.Add(" %02x.%02x.%02x.%02x", sector.c, sector.h, sector.r, sector.n);
      AddStatus(line, sector);
      return true;
    };
    if (count <= kHeldRecords) {
      for (int i = 0; i < count; ++i) add(held[i]);
    } else {
      image.ForEachSector(track, [&](const SectorRecord& record) {
        return add(record.sector);
      });
    }
    line.End();
  }
}

void DrawMap(D88Image& image, int index) {
  const int highest = HighestSectorNumber(image);
  for (int track = 0; track < D88Image::kTrackCount; ++track) {
    const TrackSummary summary = Summarise(image, track);
    if (image.ReadFailed()) return;
    if (summary.count == 0) continue;
    const int c = track >> 1;
    const int h = track & 1;
    const int n = summary.usualSizeCode;
    // One mark per sector number; a sector number is a byte.
    char marks[256] = {};
    for (int r = 1; r <= highest; ++r) {
      marks[r - 1] = MapMark(image, track, c, h, r, n);
    }
    if (image.ReadFailed()) return;
    ConsoleLine line;
    line.Add("disk %d track %d c %d h %d n %d map %s", index + 1, track, c, h,
             n, marks);
    line.End();
  }
}
