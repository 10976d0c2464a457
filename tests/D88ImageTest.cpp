// The image reader on images built byte by byte.

#include "d88/D88Image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>

#include "ProgramRun.h"
#include "builder/D88Builder.h"

namespace {

namespace fs = std::filesystem;
using d88build::Bytes;
using d88build::BuildImage;
using d88build::DiskSpec;
using d88build::SectorRecord;

SectorRecord Sector(int c, int h, int r, int n, std::size_t size,
                    std::uint8_t fill) {
  SectorRecord record;
  record.c = static_cast<std::uint8_t>(c);
  record.h = static_cast<std::uint8_t>(h);
  record.r = static_cast<std::uint8_t>(r);
  record.n = static_cast<std::uint8_t>(n);
  record.data.assign(size, fill);
  return record;
}

class D88ImageTest : public ::testing::Test {
 protected:
  // Writes `bytes` to a file in the scratch folder and opens it.
  bool OpenBytes(const Bytes& bytes, const std::string& name = "image.d88") {
    path = (dir / name).string();
    d88build::WriteFile(path, bytes);
    return image.Open(path.c_str());
  }
  bool OpenDisks(const std::vector<DiskSpec>& disks) {
    return OpenBytes(BuildImage(disks));
  }
  // Opens a single formatted disk and makes it current with sectors 1..9.
  void OpenFormatted(int tracks = d88build::kFormattedTracks) {
    ASSERT_TRUE(OpenDisks({d88build::FormattedDisk(tracks)}));
    ASSERT_TRUE(image.SelectDisk(0));
    image.SetSectorRange(1, 9);
  }

  progrun::ScratchDir dir;
  std::string path;
  D88Image image;
  unsigned char buffer[8192] = {};
};

TEST_F(D88ImageTest, IndexesDisksEndToEndAndIgnoresShortTrailingData) {
  Bytes two = BuildImage({d88build::FormattedDisk(2),
                          d88build::FormattedDisk(3)});
  Bytes trailing = two;
  trailing.insert(trailing.end(), 687, 0);
  ASSERT_TRUE(OpenBytes(trailing));
  EXPECT_EQ(image.GetDiskCount(), 2);

  // 688 trailing bytes or more make up one more disk.
  Bytes extra = two;
  Bytes header(d88build::kHeaderSize, 0);
  d88build::PutLe32(header, d88build::kDiskSizeOffset, d88build::kHeaderSize);
  extra.insert(extra.end(), header.begin(), header.end());
  ASSERT_TRUE(OpenBytes(extra, "extra.d88"));
  EXPECT_EQ(image.GetDiskCount(), 3);
}

TEST_F(D88ImageTest, FilesWithoutWholeHeaderOpenWithNoDisks) {
  for (std::size_t size : {0, 687}) {
    ASSERT_TRUE(OpenBytes(Bytes(size, 0x20)));
    EXPECT_EQ(image.GetDiskCount(), 0);
    EXPECT_FALSE(image.SelectDisk(0));
  }
}

TEST_F(D88ImageTest, OpenFailsForMissingFilesAndFolders) {
  EXPECT_FALSE(image.Open((dir / "missing").c_str()));
  fs::create_directory(dir / "folder");
  EXPECT_FALSE(image.Open((dir / "folder").c_str()));
  EXPECT_FALSE(image.SelectDisk(0));
  EXPECT_TRUE(image.Open(nullptr));
}

// Disks past the 64th are not indexed, and a whole header where the 65th
// would begin says that there are such disks.
TEST_F(D88ImageTest, IndexesAtMost64DisksAndTellsOfMore) {
  const struct {
    int disks;
    std::size_t trailing;
    bool more;
  } cases[] = {{64, 0, false}, {64, 687, false}, {65, 0, true}, {70, 0, true}};
  for (const auto& test : cases) {
    Bytes bytes = BuildImage(std::vector<DiskSpec>(test.disks, DiskSpec()));
    bytes.insert(bytes.end(), test.trailing, 0);
    ASSERT_TRUE(OpenBytes(bytes));
    EXPECT_EQ(image.GetDiskCount(), 64);
    EXPECT_TRUE(image.SelectDisk(63));
    EXPECT_FALSE(image.SelectDisk(64));
    EXPECT_EQ(image.HasUnindexedDisks(), test.more) << test.disks;
  }
  image.Close();
  EXPECT_FALSE(image.HasUnindexedDisks());
}

// A size field that cannot lead to another header, or that would carry the
// next offset out of range, ends the index after its own disk.
TEST_F(D88ImageTest, ImplausibleDiskSizeEndsTheIndex) {
  for (std::uint32_t size :
       {0u, 1u, 687u, 0x80000000u, 0xFFFFFFFFu, 0x7FFFFFFFu}) {
    DiskSpec broken = d88build::FormattedDisk(1);
    broken.sizeField = size;
    ASSERT_TRUE(OpenDisks({d88build::FormattedDisk(1), broken,
                           d88build::FormattedDisk(1)}));
    EXPECT_EQ(image.GetDiskCount(), 2) << size;
  }
}

TEST_F(D88ImageTest, FindsSectorsByAllFourIdFields) {
  DiskSpec disk;
  disk.tracks[3] = {Sector(1, 1, 7, 2, 512, 0x11), Sector(1, 1, 2, 1, 256, 0x22),
                    Sector(1, 1, 2, 2, 512, 0x33)};
  ASSERT_TRUE(OpenDisks({disk}));
  ASSERT_TRUE(image.SelectDisk(0));

  EXPECT_EQ(image.ReadSector(3, 1, 1, 2, 2, buffer, 512), 512);
  EXPECT_EQ(buffer[0], 0x33);
  EXPECT_EQ(image.ReadSector(3, 1, 1, 2, 1, buffer, 512), 256);
  EXPECT_EQ(buffer[0], 0x22);
  EXPECT_EQ(image.ReadSector(3, 1, 1, 7, 1, buffer, 512), 0);
  EXPECT_EQ(image.ReadSector(3, 1, 0, 7, 2, buffer, 512), 0);
  EXPECT_EQ(image.ReadSector(3, 1, 1, 7, 2, buffer, 100), 100);
  EXPECT_EQ(image.ReadSector(3, 1, 1, 7, 2, buffer, 0), 0);
  EXPECT_EQ(image.ReadSector(3, 1, 1, 7, 2, buffer, -1), 0);
  for (int track : {-1, 2, 4, 164, 1000}) {
    EXPECT_EQ(image.ReadSector(track, 1, 1, 7, 2, buffer, 512), 0) << track;
  }
}

TEST_F(D88ImageTest, TrackTableEntriesOutsideTheDiskAreAbsentTracks) {
  DiskSpec disk = d88build::FormattedDisk(2);
  const std::uint32_t size =
      static_cast<std::uint32_t>(d88build::BuildDisk(disk).size());
  DiskSpec next = d88build::FormattedDisk(1);
  for (std::uint32_t entry : {size + 1, 0x80000000u, 0xFFFFFFF0u}) {
    disk.trackOffsets[1] = entry;
    ASSERT_TRUE(OpenDisks({disk, next}));
    ASSERT_TRUE(image.SelectDisk(0));
    EXPECT_EQ(image.ReadSector(1, 0, 1, 1, 2, buffer, 512), 0) << entry;
  }
  // An entry equal to the disk size passes the table's check, but its
  // records lie past the disk's end, where nothing is the disk's: here the
  // size field ends the disk where its last track begins.
  disk.trackOffsets.erase(1);
  disk.sizeField = static_cast<std::uint32_t>(d88build::RecordOffset(disk, 1, 0));
  ASSERT_TRUE(OpenDisks({disk}));
  ASSERT_TRUE(image.SelectDisk(0));
  EXPECT_EQ(image.ReadSector(1, 0, 1, 1, 2, buffer, 512), 0);
  EXPECT_EQ(image.ReadSector(0, 0, 0, 1, 2, buffer, 512), 512);
}

TEST_F(D88ImageTest, WalkEndsAtCountZeroAndAtTheHeadersCount) {
  DiskSpec disk;
  SectorRecord empty = Sector(0, 0, 1, 2, 0, 0);
  empty.sectorCount = 0;
  disk.tracks[0] = {empty, Sector(0, 0, 2, 2, 512, 0x44)};
  // The first header says its track has one sector: the walk stops there.
  SectorRecord single = Sector(0, 1, 1, 2, 512, 0x55);
  single.sectorCount = 1;
  disk.tracks[1] = {single, Sector(0, 1, 2, 2, 512, 0x66)};
  // A later header whose count the index has already passed ends the walk
  // too, not only one whose count minus 1 equals the index.
  SectorRecord passed = Sector(1, 0, 2, 2, 512, 0x77);
  passed.sectorCount = 1;
  disk.tracks[2] = {Sector(1, 0, 1, 2, 512, 0x76), passed,
                    Sector(1, 0, 3, 2, 512, 0x78)};
  ASSERT_TRUE(OpenDisks({disk}));
  ASSERT_TRUE(image.SelectDisk(0));
  EXPECT_EQ(image.ReadSector(0, 0, 0, 2, 2, buffer, 512), 0);
  EXPECT_EQ(image.ReadSector(1, 0, 1, 1, 2, buffer, 512), 512);
  EXPECT_EQ(image.ReadSector(1, 0, 1, 2, 2, buffer, 512), 0);
  EXPECT_EQ(image.ReadSector(2, 1, 0, 2, 2, buffer, 512), 512);
  EXPECT_EQ(image.ReadSector(2, 1, 0, 3, 2, buffer, 512), 0);
}

// Headers whose counts keep growing past the walk index cannot stretch the
// walk beyond the file: it ends where the file ends.
TEST_F(D88ImageTest, WalkEndsAtTheEndOfTheFile) {
  DiskSpec disk;
  for (int i = 0; i < 300; ++i) {
    SectorRecord record = Sector(9, 9, 9, 2, 0, 0);
    record.sectorCount = static_cast<std::uint16_t>(65535);
    disk.tracks[0].push_back(record);
  }
  ASSERT_TRUE(OpenDisks({disk}));
  ASSERT_TRUE(image.SelectDisk(0));
  EXPECT_EQ(image.ReadSector(0, 0, 0, 1, 2, buffer, 512), 0);
}

// A file cut inside a sector header or its data: only bytes that arrived
// are counted.
TEST_F(D88ImageTest, TruncatedFileGivesOnlyTheBytesThatArrived) {
  const Bytes whole = BuildImage({d88build::FormattedDisk(1)});
  const std::size_t firstData =
      d88build::kHeaderSize + d88build::kSectorHeaderSize;
  ASSERT_TRUE(OpenBytes(Bytes(whole.begin(), whole.begin() + firstData + 100)));
  ASSERT_TRUE(image.SelectDisk(0));
  EXPECT_EQ(image.ReadSector(0, 0, 0, 1, 2, buffer, 512), 100);
  EXPECT_EQ(buffer[99], d88build::PatternByte(0, 1, 99));
  EXPECT_EQ(image.ReadSectors(0, 0, 0, 1, 2, buffer, 512), 0);

  ASSERT_TRUE(OpenBytes(
      Bytes(whole.begin(), whole.begin() + d88build::kHeaderSize + 10)));
  ASSERT_TRUE(image.SelectDisk(0));
  EXPECT_EQ(image.ReadSector(0, 0, 0, 1, 2, buffer, 512), 0);
}

TEST_F(D88ImageTest, RunsContinueAcrossTrackSides) {
  OpenFormatted();
  // Sectors 5..9 of track 12.
  ASSERT_EQ(image.ReadSectors(12, 6, 0, 5, 2, buffer, 2560), 2560);
  EXPECT_EQ(Bytes(buffer, buffer + 2560), d88build::ExpectedRun(12, 5, 2560));
  // Sectors 6..9 of track 8, 1 of track 9 and 92 bytes of its sector 2.
  ASSERT_EQ(image.ReadSectors(8, 4, 0, 6, 2, buffer, 2652), 2652);
  EXPECT_EQ(Bytes(buffer, buffer + 2652), d88build::ExpectedRun(8, 6, 2652));
  // From head 1 the run goes on at the next cylinder's head 0.
  ASSERT_EQ(image.ReadSectors(9, 4, 1, 9, 2, buffer, 1024), 1024);
  EXPECT_EQ(Bytes(buffer, buffer + 1024), d88build::ExpectedRun(9, 9, 1024));
}

TEST_F(D88ImageTest, RunsStopAtTheFirstMissingOrShortSector) {
  DiskSpec disk = d88build::FormattedDisk(2);
  disk.tracks[1].erase(disk.tracks[1].begin() + 1);  // track 1, R 2
  disk.tracks[0][6].data.resize(100);                // track 0, R 7
  ASSERT_TRUE(OpenDisks({disk}));
  ASSERT_TRUE(image.SelectDisk(0));
  image.SetSectorRange(1, 9);
  EXPECT_EQ(image.ReadSectors(0, 0, 0, 5, 2, buffer, 2048), 1024);
  EXPECT_EQ(image.ReadSectors(0, 0, 0, 9, 2, buffer, 2048), 1024);
  EXPECT_EQ(image.ReadSectors(1, 0, 1, 1, 2, buffer, 1024), 512);
  // A sector number above the range never wraps to the next track.
  image.SetSectorRange(1, 8);
  EXPECT_EQ(image.ReadSectors(0, 0, 0, 9, 2, buffer, 2048), 512);
  EXPECT_EQ(image.ReadSectors(0, 0, 0, 1, 2, buffer, -5), 0);
  EXPECT_EQ(image.ReadSectors(0, 0, 0, 1, -1, buffer, 512), 0);
  EXPECT_EQ(image.ReadSectors(0, 0, 0, 1, 40, buffer, 512), 0);
}

TEST_F(D88ImageTest, LongerSectorsGiveOnlyTheirNominalSize) {
  DiskSpec disk;
  disk.tracks[0] = {Sector(0, 0, 1, 1, 512, 0x77), Sector(0, 0, 2, 1, 256, 0x88)};
  ASSERT_TRUE(OpenDisks({disk}));
  ASSERT_TRUE(image.SelectDisk(0));
  EXPECT_EQ(image.ReadSectors(0, 0, 0, 1, 1, buffer, 512), 512);
  EXPECT_EQ(buffer[255], 0x77);
  EXPECT_EQ(buffer[256], 0x88);
}

TEST_F(D88ImageTest, SelectDiskOutOfRangeLeavesNoDiskCurrent) {
  OpenFormatted(1);
  EXPECT_FALSE(image.SelectDisk(1));
  EXPECT_EQ(image.ReadSector(0, 0, 0, 1, 2, buffer, 512), 0);
  EXPECT_FALSE(image.SelectDisk(-1));
  EXPECT_TRUE(image.SelectDisk(0));
  EXPECT_EQ(image.ReadSector(0, 0, 0, 1, 2, buffer, 512), 512);
  image.Close();
  EXPECT_FALSE(image.SelectDisk(0));
  EXPECT_EQ(image.ReadSector(0, 0, 0, 1, 2, buffer, 512), 0);
}

// Opening another file closes the first and forgets its current disk, so its
// track table is never applied to the new file.
TEST_F(D88ImageTest, OpenReplacesTheFileAndForgetsTheCurrentDisk) {
  OpenFormatted(1);
  const auto openFiles = [] {
    return std::distance(fs::directory_iterator("/proc/self/fd"),
                         fs::directory_iterator{});
  };
  const auto before = openFiles();
  for (int i = 0; i < 20; ++i) {
    ASSERT_TRUE(OpenBytes(BuildImage({d88build::FormattedDisk(1)}),
                          "other" + std::to_string(i)));
    EXPECT_EQ(image.ReadSector(0, 0, 0, 1, 2, buffer, 512), 0);
  }
  EXPECT_EQ(openFiles(), before);

  // Open after Close: B has no track 0, but a record at the offset where
  // A's track 0 began. Reads give 0 until B's own table is loaded.
  ASSERT_TRUE(image.SelectDisk(0));
  image.Close();
  DiskSpec other;
  other.tracks[5] = {Sector(0, 0, 1, 2, 512, 0x5A)};
  ASSERT_TRUE(OpenDisks({other}));
  EXPECT_EQ(image.ReadSector(0, 0, 0, 1, 2, buffer, 512), 0);
  EXPECT_EQ(image.ReadSector(5, 0, 0, 1, 2, buffer, 512), 0);
  EXPECT_STREQ(image.GetDiskName(), "FORMATTED");  // kept until SelectDisk
  ASSERT_TRUE(image.SelectDisk(0));
  EXPECT_EQ(image.ReadSector(0, 0, 0, 1, 2, buffer, 512), 0);
  EXPECT_EQ(image.ReadSector(5, 0, 0, 1, 2, buffer, 512), 512);
}

// The status of a run's sectors: only those whose bytes fall in the range
// asked for count, and a short sector that ended the run is not among them.
TEST_F(D88ImageTest, FindsSectorStatusAndTheFirstReadErrorOfARun) {
  DiskSpec disk = d88build::FormattedDisk(2);
  disk.tracks[0][2].status = 0xB0;       // R 3
  disk.tracks[0][3].deletedMark = 0x10;  // R 4: deleted, not an error
  disk.tracks[0][8].status = 0x10;       // R 9: normal, deleted data
  disk.tracks[1][0].status = 0xE3;       // track 1, R 1
  disk.tracks[1][1].status = 0xA0;       // track 1, R 2, cut short
  disk.tracks[1][1].data.resize(100);
  ASSERT_TRUE(OpenDisks({disk}));
  ASSERT_TRUE(image.SelectDisk(0));
  image.SetSectorRange(1, 9);

  SectorInfo sector{};
  ASSERT_TRUE(image.FindSector(0, 0, 0, 4, 2, sector));
  EXPECT_EQ(sector.r, 4);
  EXPECT_EQ(sector.deletedMark, 0x10);
  EXPECT_EQ(sector.status, 0);
  EXPECT_FALSE(image.FindSector(0, 0, 0, 4, 1, sector));

  struct Case {
    int r, from, to;
    int errorTrack, errorR;  // -1: no read error in that range
  };
  const Case cases[] = {
      {1, 0, 1024, -1, -1},  // R 1, 2
      {1, 0, 1025, 0, 3},    // one byte of R 3 is enough
      {3, 512, 4096, 1, 1},  // R 3 skipped, the run goes on to track 1
      {4, 0, 2560, -1, -1},  // R 4..8
      {9, 0, 512, -1, -1},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.r * 10000 + test.to);
    const bool found =
        image.FindReadError(0, 0, 0, test.r, 2, test.from, test.to, sector);
    EXPECT_EQ(found, test.errorTrack >= 0);
    if (found) {
      EXPECT_EQ(sector.h * 100 + sector.r, test.errorTrack * 100 + test.errorR);
    }
  }
  const int got = image.ReadSectors(1, 0, 1, 1, 2, buffer, 1024);
  EXPECT_EQ(got, 512);
  EXPECT_TRUE(image.FindReadError(1, 0, 1, 1, 2, 0, got, sector));
  EXPECT_EQ(sector.status, 0xE3);
  EXPECT_FALSE(image.FindReadError(1, 0, 1, 1, 2, 512, got, sector));
}

TEST_F(D88ImageTest, SelectDiskLoadsNameAndMediaType) {
  DiskSpec named;
  named.name = "ABCDEFGHIJKLMNOPQ";  // 17 bytes: only 16 are the name
  named.mediaType = 0x20;
  DiskSpec shortName;
  shortName.name = std::string("AB\0CD", 5);
  ASSERT_TRUE(OpenDisks({named, shortName}));
  EXPECT_EQ(image.GetMediaType(), -1);
  ASSERT_TRUE(image.SelectDisk(0));
  EXPECT_STREQ(image.GetDiskName(), "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(image.GetMediaType(), 0x20);
  ASSERT_TRUE(image.SelectDisk(1));
  EXPECT_STREQ(image.GetDiskName(), "AB");
  EXPECT_EQ(std::string(image.GetDiskName(), 17), std::string(17, '\0').replace(0, 2, "AB"));
  EXPECT_FALSE(image.SelectDisk(2));
  EXPECT_STREQ(image.GetDiskName(), "");
  EXPECT_EQ(image.GetMediaType(), -1);
}

// The C, H, R, N of each record a track's listing gives, in order.
Bytes ListedIds(D88Image& image, int track) {
  Bytes ids;
  image.ForEachSector(track, [&](const ::SectorRecord& record) {
    ids.insert(ids.end(), {record.sector.c, record.sector.h, record.sector.r,
                           record.sector.n});
    return true;
  });
  return ids;
}

TEST_F(D88ImageTest, ListsSectorIdsInFileOrder) {
  DiskSpec disk = d88build::FormattedDisk(2);
  d88build::ReorderSectors(disk, {1, 4, 7, 2, 5, 8, 3, 6, 9});
  ASSERT_TRUE(OpenDisks({disk}));
  ASSERT_TRUE(image.SelectDisk(0));
  Bytes expected;
  for (int r : {1, 4, 7, 2, 5, 8, 3, 6, 9}) {
    expected.insert(expected.end(), {0, 1, static_cast<std::uint8_t>(r), 2});
  }
  EXPECT_EQ(ListedIds(image, 1), expected);
  EXPECT_EQ(ListedIds(image, 2), Bytes());
  image.Close();
  EXPECT_EQ(image.GetMediaType(), -1);
  EXPECT_EQ(ListedIds(image, 1), Bytes());
}

// The listing goes on past a header whose count is 0, where a sector lookup
// stops; it ends at the end of the file with whole headers only.
TEST_F(D88ImageTest, ListingPassesCountZeroAndStopsAtTheEndOfTheFile) {
  DiskSpec disk;
  SectorRecord empty = Sector(5, 5, 5, 5, 0, 0);
  empty.sectorCount = 0;
  SectorRecord last = Sector(6, 6, 6, 2, 4, 0);
  last.sectorCount = 0xFFFF;
  disk.tracks[0] = {empty, Sector(1, 2, 3, 2, 512, 0), last};
  Bytes bytes = BuildImage({disk});
  bytes.resize(bytes.size() + 10);  // a partial fourth header
  ASSERT_TRUE(OpenBytes(bytes));
  ASSERT_TRUE(image.SelectDisk(0));
  EXPECT_EQ(ListedIds(image, 0), Bytes({5, 5, 5, 5, 1, 2, 3, 2, 6, 6, 6, 2}));
  EXPECT_EQ(image.ReadSector(0, 1, 2, 3, 2, buffer, 512), 0);
}

// Lookups reuse a track's walk; these are the cases where reusing it
// wrongly would show.
TEST_F(D88ImageTest, RepeatedLookupsGiveWhatAFreshWalkGives) {
  DiskSpec first;
  first.tracks[0] = {Sector(0, 0, 1, 2, 512, 0x01), Sector(0, 0, 2, 2, 512, 0x02),
                     Sector(0, 0, 1, 2, 512, 0x03)};
  DiskSpec second = first;
  second.tracks[0][0].data.assign(512, 0x11);
  second.tracks[0][1].data.assign(256, 0x12);
  // Track 5 of the first disk shares track 0's chain.
  first.trackOffsets[5] = d88build::kHeaderSize;
  ASSERT_TRUE(OpenDisks({first, second}));

  ASSERT_TRUE(image.SelectDisk(0));
  EXPECT_EQ(image.ReadSector(0, 0, 0, 1, 2, buffer, 512), 512);
  EXPECT_EQ(buffer[0], 0x01);  // the first of two equal IDs, in file order
  EXPECT_EQ(image.ReadSector(5, 0, 0, 2, 2, buffer, 512), 512);
  EXPECT_EQ(buffer[0], 0x02);
  EXPECT_EQ(image.ReadSector(0, 0, 0, 2, 2, buffer, 100), 100);

  // Same table entries, other disk: its own sectors.
  ASSERT_TRUE(image.SelectDisk(1));
  EXPECT_EQ(image.ReadSector(0, 0, 0, 1, 2, buffer, 512), 512);
  EXPECT_EQ(buffer[0], 0x11);
  EXPECT_EQ(image.ReadSector(0, 0, 0, 2, 2, buffer, 512), 256);
  EXPECT_EQ(buffer[0], 0x12);
  EXPECT_EQ(image.ReadSector(5, 0, 0, 2, 2, buffer, 512), 0);

  // Another file at the same path and offsets: its own sectors.
  second.tracks[0][0].data.assign(512, 0x21);
  ASSERT_TRUE(OpenDisks({second}));
  EXPECT_EQ(image.ReadSector(0, 0, 0, 1, 2, buffer, 512), 0);
  ASSERT_TRUE(image.SelectDisk(0));
  EXPECT_EQ(image.ReadSector(0, 0, 0, 1, 2, buffer, 512), 512);
  EXPECT_EQ(buffer[0], 0x21);
}

}  // namespace
