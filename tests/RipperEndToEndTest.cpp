// The real ripper programs, run end to end in scratch folders on built
// images: standard output and error byte for byte, exit status, and every
// file left behind. Each test runs for every title.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <map>
#include <random>

#include "Titles.h"

namespace {

namespace fs = std::filesystem;
using d88build::Bytes;
using d88build::BuildImage;
using d88build::DiskSpec;
using progrun::ScratchDir;
using ripcheck::ExpectedDisk;
using ripcheck::ExpectedFile;
using ripcheck::Title;

class RipperEndToEnd : public ::testing::TestWithParam<const Title*> {
 protected:
  const Title& title() const { return *GetParam(); }
  progrun::RunResult RunOn(const Bytes& image) {
    return ripcheck::RunOn(title(), image, dir);
  }
  // The recognised disk that yields the most files.
  const ExpectedDisk& LargestDisk() const {
    const ExpectedDisk* largest = &title().disks.front();
    for (const ExpectedDisk& disk : title().disks) {
      if (disk.files.size() > largest->files.size()) largest = &disk;
    }
    return *largest;
  }
  // A disk recognised without files; null for a title that has none, whose
  // tests of it are skipped.
  const ExpectedDisk* MessageOnlyDisk() const {
    for (const ExpectedDisk& disk : title().disks) {
      if (!disk.message.empty() && disk.files.empty()) return &disk;
    }
    return nullptr;
  }
  // A disk holding nothing but its boot sector.
  DiskSpec BootOnlyDisk(char digit) const {
    DiskSpec disk = d88build::FormattedDisk(1);
    d88build::SetBootSignature(disk, title().signature, digit);
    return disk;
  }

  ScratchDir dir;
};

// A wrong argument count, --help and --version, and an image that is
// merely named like an option.
TEST_P(RipperEndToEnd, CommandLine) {
  const std::string name = fs::path(title().program).stem().string();
  const struct {
    std::vector<std::string> args;
    int status;
    std::string outStart;
    std::string err;
  } cases[] = {
      {{}, 1, "", "Usage: " + progrun::InvocationName(title().program) +
                      " [d88file]\n"},
      {{"a", "b"}, 1, "", "Usage: " + progrun::InvocationName(title().program) +
                              " [d88file]\n"},
      {{"--help"}, 0, "Usage: " + name + " [d88file]\n", ""},
      {{"--version"}, 0, name + " " D88RIP_VERSION "\n", ""},
      {{"./--help"}, 1, "", ripcheck::kOpenFailed},
  };
  for (const auto& test : cases) {
    const auto result = progrun::Run(title().program, test.args, dir.path());
    EXPECT_EQ(result.status, test.status);
    EXPECT_EQ(result.out.rfind(test.outStart, 0), 0u) << result.out;
    EXPECT_TRUE(!test.outStart.empty() || result.out.empty()) << result.out;
    EXPECT_EQ(result.err, test.err);
  }
  EXPECT_TRUE(progrun::Listing(dir.path()).empty());
}

// A FIFO with no writer would block an open that waits for one.
TEST_P(RipperEndToEnd, UnopenableImageIsAnOpenFailure) {
  fs::create_directory(dir / "folder.d88");
  std::vector<std::string> paths = {(dir / "missing.d88").string(),
                                    (dir / "folder.d88").string()};
  if (!progrun::TestingWindowsPrograms()) {
    ASSERT_EQ(mkfifo((dir / "fifo.d88").c_str(), 0600), 0);
    paths.push_back((dir / "fifo.d88").string());
  }
  for (const std::string& path : paths) {
    const auto result = progrun::Run(title().program, {path}, dir.path());
    EXPECT_EQ(result.status, 1) << path;
    EXPECT_EQ(result.out, "") << path;
    EXPECT_EQ(result.err, ripcheck::kOpenFailed) << path;
  }
  fs::remove(dir / "fifo.d88");
  EXPECT_EQ(progrun::Listing(dir.path()).size(), 1u);
}

TEST_P(RipperEndToEnd, EachDiskAloneYieldsItsFiles) {
  for (const ExpectedDisk& disk : title().disks) {
    SCOPED_TRACE(std::string("digit ") + disk.digit);
    ScratchDir diskDir;
    const auto result = ripcheck::RunOn(
        title(), BuildImage({ripcheck::TitleDisk(title(), disk.digit)}),
        diskDir);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, ripcheck::ExpectedOutput(disk));
    EXPECT_EQ(result.err, "");
    ripcheck::ExpectExactlyFiles(diskDir.path(), disk.files);
  }
}

// The whole set plus a user disk, a foreign disk and digits with no recipe,
// in one image with trailing bytes after the last disk (named: they belong
// to no disk), with the sectors of every track in file order, interleaved,
// and reversed.
TEST_P(RipperEndToEnd, WholeSetInOneImageInAnySectorOrder) {
  const std::vector<std::vector<int>> orders = {
      {1, 2, 3, 4, 5, 6, 7, 8, 9},
      {1, 4, 7, 2, 5, 8, 3, 6, 9},
      {9, 8, 7, 6, 5, 4, 3, 2, 1}};
  for (const std::vector<int>& order : orders) {
    ScratchDir setDir;
    std::vector<DiskSpec> disks;
    std::string expectedOut;
    std::vector<ExpectedFile> expectedFiles;
    for (const ExpectedDisk& disk : title().disks) {
      disks.push_back(ripcheck::TitleDisk(title(), disk.digit));
      expectedOut += ripcheck::ExpectedOutput(disk);
      expectedFiles.insert(expectedFiles.end(), disk.files.begin(),
                           disk.files.end());
    }
    disks.push_back(ripcheck::UserDisk(title()));
    expectedOut += ripcheck::kUserDisk;
    DiskSpec foreign = d88build::FormattedDisk(2);
    d88build::SetBootSignature(foreign, "Other_No", '1');
    disks.push_back(foreign);
    expectedOut += ripcheck::kNotRecognised;
    disks.push_back(ripcheck::TitleDisk(title(), '0'));
    disks.push_back(ripcheck::TitleDisk(title(), '\xff'));
    for (DiskSpec& disk : disks) d88build::ReorderSectors(disk, order);

    Bytes image = BuildImage(disks);
    image.insert(image.end(), 687, 0xE5);
    const auto result = ripcheck::RunOn(title(), image, setDir);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, expectedOut);
    EXPECT_EQ(result.err, ripcheck::Unowned(687));
    ripcheck::ExpectExactlyFiles(setDir.path(), expectedFiles);
  }
}

// Existing files, a second run, and an image holding the same disk twice:
// every file is replaced whole each time.
TEST_P(RipperEndToEnd, SecondRunReplacesEveryFileWhole) {
  const ExpectedDisk& disk = LargestDisk();
  for (const ExpectedFile& file : disk.files) {
    d88build::WriteFile((dir / file.name).string(), Bytes(9000, 0x55));
  }
  const DiskSpec titleDisk = ripcheck::TitleDisk(title(), disk.digit);
  const std::string once = ripcheck::ExpectedOutput(disk);
  const Bytes single = BuildImage({titleDisk});
  const struct {
    Bytes image;
    std::string out;
  } runs[] = {{single, once},
              {single, once},
              {BuildImage({titleDisk, titleDisk}), once + once}};
  for (const auto& run : runs) {
    const auto result = RunOn(run.image);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, run.out);
    EXPECT_EQ(result.err, "");
  }
  ripcheck::ExpectExactlyFiles(dir.path(), disk.files);
}

// A disk whose boot sector is missing is not taken for the disk before it,
// whose boot sector and files are still in the buffer.
TEST_P(RipperEndToEnd, DiskWithoutBootSectorIsNotRecognised) {
  const ExpectedDisk& disk = LargestDisk();
  DiskSpec headless = ripcheck::TitleDisk(title(), disk.digit);
  headless.tracks.erase(0);
  DiskSpec shortBoot = ripcheck::TitleDisk(title(), disk.digit);
  shortBoot.tracks[0][0].data.resize(10);
  const auto result =
      RunOn(BuildImage({ripcheck::TitleDisk(title(), disk.digit), headless,
                        shortBoot}));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, ripcheck::ExpectedOutput(disk) +
                            ripcheck::kNotRecognised +
                            ripcheck::kNotRecognised);
}

// Missing sectors: a file whose first sector is missing is left out and
// named as missing, and the numbering goes on; a file whose run breaks off later, at
// a short sector, is written with the bytes that were read and reported as
// incomplete. A damaged sector past the break gave nothing to the file, so
// it is not named.
TEST_P(RipperEndToEnd, MissingSectorsLeaveGapsAndIncompleteFiles) {
  const ExpectedDisk& disk = LargestDisk();
  const ExpectedFile* multiSector = nullptr;
  for (const ExpectedFile& file : disk.files) {
    if (file.size > 2 * d88build::kSectorSize) {
      multiSector = &file;
      break;
    }
  }
  ASSERT_NE(multiSector, nullptr);
  const ExpectedFile& skipped = disk.files.front().name == multiSector->name
                                    ? disk.files.back()
                                    : disk.files.front();

  // Remove the first sector of `skipped`, shorten the second of
  // `multiSector` and damage its third.
  int secondTrack = multiSector->track;
  int secondR = multiSector->r;
  d88build::NextSector(secondTrack, secondR);
  int thirdTrack = secondTrack;
  int thirdR = secondR;
  d88build::NextSector(thirdTrack, thirdR);
  constexpr int kShortSector = 100;
  DiskSpec damaged = ripcheck::TitleDisk(title(), disk.digit);
  damaged.tracks[secondTrack][secondR - 1].data.resize(kShortSector);
  damaged.tracks[thirdTrack][thirdR - 1].status = 0xB0;
  auto& records = damaged.tracks[skipped.track];
  records.erase(records.begin() + (skipped.r - 1));

  const auto result = RunOn(BuildImage({damaged}));
  EXPECT_NE(result.err, "");
  ripcheck::ExpectDamagedRun(result, dir.path(), disk, [&](int track, int r) {
    if (track == skipped.track && r == skipped.r) return 0;
    if (track == secondTrack && r == secondR) return kShortSector;
    return d88build::kSectorSize;
  });
}

// Images that end inside a sector header, inside sector data, and inside
// the second track of a run across tracks.
TEST_P(RipperEndToEnd, ImageEndingPartWayGivesWhatArrived) {
  const ExpectedDisk& disk = LargestDisk();
  const DiskSpec whole = ripcheck::TitleDisk(title(), disk.digit);
  const Bytes image = BuildImage({whole});
  const ExpectedFile& first = disk.files.front();
  // A file that runs on into the next track side.
  const ExpectedFile* crossing = nullptr;
  for (const ExpectedFile& file : disk.files) {
    if ((file.r - 1) * d88build::kSectorSize + file.size >
        d88build::kSectorsPerTrack * d88build::kSectorSize) {
      crossing = &file;
    }
  }
  ASSERT_NE(crossing, nullptr);

  struct Cut {
    const char* where;
    int track;
    int record;     // sectors lie in order, so record i holds R i + 1
    int intoRecord; // bytes of that record that arrive
  };
  const Cut cuts[] = {
      {"inside a header", first.track, first.r, 8},
      {"inside sector data", first.track, first.r,
       d88build::kSectorHeaderSize + 100},
      {"inside a run across tracks", crossing->track + 1, 0,
       d88build::kSectorHeaderSize + 300},
  };
  for (const Cut& cut : cuts) {
    SCOPED_TRACE(cut.where);
    const std::size_t end =
        d88build::RecordOffset(whole, cut.track, cut.record) + cut.intoRecord;
    ScratchDir cutDir;
    const auto result = ripcheck::RunOn(
        title(), Bytes(image.begin(), image.begin() + end), cutDir);
    const auto available = [&](int track, int r) {
      const int record = r - 1;
      if (track != cut.track)
        return track < cut.track ? d88build::kSectorSize : 0;
      if (record != cut.record)
        return record < cut.record ? d88build::kSectorSize : 0;
      return std::max(cut.intoRecord - d88build::kSectorHeaderSize, 0);
    };
    ripcheck::ExpectDamagedRun(
        result, cutDir.path(), disk, available,
        ripcheck::ImageEndsInsideDisk(1, static_cast<int>(end),
                                      static_cast<int>(image.size())));
  }
}

// Disk size fields that cannot lead on to a next disk end the image after
// their own disk's header, and what follows is named as belonging to no
// disk; a disk whose size is smaller than its track offsets has no
// readable track, so not even a boot sector.
TEST_P(RipperEndToEnd, ImplausibleDiskSizesEndTheImage) {
  const ExpectedDisk* messageOnly = MessageOnlyDisk();
  if (messageOnly == nullptr) GTEST_SKIP() << "no disk recognised without files";
  const ExpectedDisk& disk = *messageOnly;
  for (std::uint32_t size : {0u, 100u, 687u, 0x80000000u, 0xFFFFFFFFu}) {
    DiskSpec broken = BootOnlyDisk(disk.digit);
    broken.sizeField = size;
    const Bytes image = BuildImage({broken, BootOnlyDisk(disk.digit)});
    const auto result = RunOn(image);
    EXPECT_EQ(result.status, 1) << size;
    EXPECT_EQ(result.out, ripcheck::kNotRecognised) << size;
    EXPECT_EQ(result.err, ripcheck::Unowned(static_cast<long long>(
                              image.size() - d88build::kHeaderSize)))
        << size;
  }
  DiskSpec huge = BootOnlyDisk(disk.digit);
  huge.sizeField = 0x7FFFFFFFu;
  const Bytes hugeImage = BuildImage({huge, BootOnlyDisk(disk.digit)});
  const auto result = RunOn(hugeImage);
  EXPECT_EQ(result.out, disk.message);
  EXPECT_EQ(result.err,
            ripcheck::ImageEndsInsideDisk(1, static_cast<int>(hugeImage.size()),
                                          0x7FFFFFFF));
  EXPECT_EQ(result.status, 1);

  // A lone header is a disk with no tracks.
  Bytes header(d88build::kHeaderSize, 0);
  d88build::PutLe32(header, d88build::kDiskSizeOffset, d88build::kHeaderSize);
  EXPECT_EQ(RunOn(header).out, ripcheck::kNotRecognised);
}

// Nothing is read from past a disk's declared end, whatever follows it: a
// disk cut short inside a file's last sector, or just after it, whose size
// field says where it now ends, gives the same messages, files and
// d88info listing alone and followed by another disk; the file is whole
// when its last sector ends at the disk's end.
TEST_P(RipperEndToEnd, NothingIsReadFromPastADisksEnd) {
  const ExpectedDisk& disk = LargestDisk();
  const Bytes whole = d88build::BuildDisk(ripcheck::TitleDisk(title(), disk.digit));
  const Bytes other = d88build::BuildDisk(d88build::FormattedDisk());
  const std::string d88info = progrun::ProgramPath("d88info");
  // Every third file; the Windows programs, each start of which under wine
  // costs a fraction of a second, with the first file only.
  const std::size_t step =
      progrun::TestingWindowsPrograms() ? disk.files.size() : 3;
  for (std::size_t k = 0; k < disk.files.size(); k += step) {
    const ExpectedFile& file = disk.files[k];
    const int last = file.r - 1 + (file.size - 1) / d88build::kSectorSize;
    const std::size_t end =
        d88build::RecordOffset(ripcheck::TitleDisk(title(), disk.digit),
                               file.track + last / d88build::kSectorsPerTrack,
                               last % d88build::kSectorsPerTrack) +
        d88build::kSectorHeaderSize + d88build::kSectorSize;
    for (const std::size_t cut : {end - d88build::kSectorSize / 2, end}) {
      SCOPED_TRACE(file.name + " cut at " + std::to_string(cut));
      Bytes alone(whole.begin(), whole.begin() + cut);
      d88build::PutLe32(alone, d88build::kDiskSizeOffset,
                        static_cast<std::uint32_t>(cut));
      Bytes joined = alone;
      joined.insert(joined.end(), other.begin(), other.end());
      ScratchDir aloneDir;
      ScratchDir joinedDir;
      const auto a = ripcheck::RunOn(title(), alone, aloneDir);
      const auto j = ripcheck::RunOn(title(), joined, joinedDir);
      EXPECT_EQ(j.out, a.out + ripcheck::kNotRecognised);
      EXPECT_EQ(j.err, a.err);
      EXPECT_EQ(j.status, a.status);
      const auto files = progrun::Listing(aloneDir.path());
      EXPECT_TRUE(files == progrun::Listing(joinedDir.path()));
      if (cut == end) {
        EXPECT_TRUE(files.count(file.name) &&
                    files.at(file.name) ==
                        d88build::ExpectedRun(file.track, file.r, file.size));
      } else {  // named as incomplete, or as missing if it is one sector
        EXPECT_NE(a.err.find(file.name + " \x82\xcd"), std::string::npos);
        EXPECT_FALSE(files.count(file.name) &&
                     files.at(file.name).size() == std::size_t(file.size));
      }
      // d88info lists the first disk alike: all that follows the image's
      // line alone stands in the joined listing.
      const auto list = [&](const Bytes& image) {
        ScratchDir at;
        d88build::WriteFile((at / "image.d88").string(), image);
        return progrun::Run(d88info, {"--tracks", "--map", "--hash", "image.d88"},
                            at.path());
      };
      const auto listedAlone = list(alone);
      ASSERT_EQ(listedAlone.out.rfind("image disks 1\n", 0), 0u)
          << listedAlone.status << " " << listedAlone.signal << " "
          << listedAlone.err;
      const std::string firstDisk =
          listedAlone.out.substr(listedAlone.out.find('\n'));
      const auto listedJoined = list(joined);
      EXPECT_NE(listedJoined.out.find(firstDisk), std::string::npos)
          << listedJoined.status << " " << listedJoined.signal << " "
          << listedJoined.err << "\n" << listedJoined.out.size() << " of "
          << listedAlone.out.size();
    }
  }
}

// An output name taken by a folder, and a folder the user may not write:
// each file not written is named with the system's reason, the folder
// stays untouched, the walk goes on, and the run ends with status 1.
TEST_P(RipperEndToEnd, UnwritableOutputIsReportedWithItsReason) {
  const ExpectedDisk& disk = LargestDisk();
  const ExpectedFile& blocked = disk.files.front();
  fs::create_directory(dir / blocked.name);
  d88build::WriteFile((dir / blocked.name / "keep").string(), Bytes(3, 1));

  const Bytes image = BuildImage({ripcheck::TitleDisk(title(), disk.digit)});
  const auto result = RunOn(image);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, ripcheck::ExpectedOutput(disk));
  EXPECT_EQ(ripcheck::MaskReasons(result.err),
            ripcheck::WriteFailed(blocked.name, "*"));
  EXPECT_EQ(progrun::Listing(dir / blocked.name).size(), 1u);
  fs::remove_all(dir / blocked.name);
  std::vector<ExpectedFile> rest(disk.files.begin() + 1, disk.files.end());
  ripcheck::ExpectExactlyFiles(dir.path(), rest);

  // Root writes anywhere; the run drops to an ordinary user for this.
  if (progrun::TestingWindowsPrograms() || getuid() != 0) return;
  ScratchDir readOnly;
  fs::permissions(readOnly.path(), fs::perms(0555));
  // The image and a copy of the program where that user reaches them.
  ScratchDir shared;
  fs::permissions(shared.path(), fs::perms(0755));
  const std::string path = (shared / "image.d88").string();
  d88build::WriteFile(path, image);
  const fs::path program = shared / fs::path(title().program).filename();
  fs::copy_file(title().program, program);
  progrun::RunOptions asNobody;
  asNobody.beforeStart = [] {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(99);
  };
  const auto denied =
      progrun::Run(program.string(), {path}, readOnly.path(), asNobody);
  std::string expectedErr;
  for (const ExpectedFile& file : disk.files) {
    expectedErr += ripcheck::WriteFailed(file.name, "Permission denied");
  }
  EXPECT_EQ(denied.status, 1);
  EXPECT_EQ(denied.err, expectedErr);
  EXPECT_TRUE(progrun::Listing(readOnly.path()).empty());
}

// 64 disks are walked; a 65th is named and fails the run.
TEST_P(RipperEndToEnd, DisksPastTheLimitAreNamed) {
  const ExpectedDisk* messageOnly = MessageOnlyDisk();
  if (messageOnly == nullptr) GTEST_SKIP() << "no disk recognised without files";
  const ExpectedDisk& disk = *messageOnly;
  for (const int disks : {64, 65}) {
    const auto result = RunOn(
        BuildImage(std::vector<DiskSpec>(disks, BootOnlyDisk(disk.digit))));
    std::string expectedOut;
    for (int i = 0; i < 64; ++i) expectedOut += disk.message;
    EXPECT_EQ(result.out, expectedOut);
    EXPECT_EQ(result.err, disks == 64 ? "" : ripcheck::kDisksLeftOut);
    EXPECT_EQ(result.status, disks == 64 ? 0 : 1);
  }
}

// Sectors the image records as unreadable: each file cut from one is named
// once, with its first such sector; the files and standard output are as
// from a sound image. Deleted data alone is no read error.
TEST_P(RipperEndToEnd, ReadErrorsNameTheFilesCutFromThem) {
  struct Damage {
    std::uint8_t status;
    std::uint8_t deletedMark;
    const char* what;  // nullptr: no read error
  };
  const Damage damages[] = {
      {0xA0, 0,
       "ID \x82\xcc CRC \x83\x47\x83\x89\x81\x5b"},  // ID の CRC エラー
      {0xB0, 0,
       "\x83\x66\x81\x5b\x83\x5e\x82\xcc CRC \x83\x47\x83\x89\x81\x5b"},
      {0xE1, 0,
       "\x83\x41\x83\x68\x83\x8c\x83\x58\x83\x7d\x81\x5b\x83\x4e\x82\xc8"
       "\x82\xb5"},  // アドレスマークなし
      {0xF0, 0,
       "\x83\x66\x81\x5b\x83\x5e\x83\x7d\x81\x5b\x83\x4e\x82\xc8\x82\xb5"},
      {0x20, 0, "\x83\x58\x83\x65\x81\x5b\x83\x5e\x83\x58 0x20"},  // ステータス
      {0xD3, 0, "\x83\x58\x83\x65\x81\x5b\x83\x5e\x83\x58 0xd3"},
      {0x00, 0x10, nullptr},
      {0x10, 0x00, nullptr},
      {0x05, 0x00, nullptr},
  };
  const ExpectedDisk& disk = LargestDisk();
  if (disk.files.size() < std::size(damages)) {
    GTEST_SKIP() << "fewer files on a disk than kinds of damage";
  }
  // Damage k lies in the last sector of file k, which for a file that ends
  // part way into a sector holds only some of its bytes.
  DiskSpec damaged = ripcheck::TitleDisk(title(), disk.digit);
  std::map<std::pair<int, int>, const Damage*> where;
  for (std::size_t k = 0; k < std::size(damages); ++k) {
    const ExpectedFile& file = disk.files[k];
    int track = file.track;
    int r = file.r;
    for (int at = d88build::kSectorSize; at < file.size;
         at += d88build::kSectorSize) {
      d88build::NextSector(track, r);
    }
    d88build::SectorRecord& record = damaged.tracks[track][r - 1];
    record.status = damages[k].status;
    record.deletedMark = damages[k].deletedMark;
    where[{track, r}] = &damages[k];
  }
  // Oracle: the first damaged sector of each file, in cutting order.
  std::string expectedErr;
  for (const ExpectedFile& file : disk.files) {
    int track = file.track;
    int r = file.r;
    for (int at = 0; at < file.size; at += d88build::kSectorSize) {
      const auto found = where.find({track, r});
      if (found != where.end() && found->second->what != nullptr) {
        expectedErr += ripcheck::ReadError(file.name, track >> 1, track & 1, r,
                                           found->second->what);
        break;
      }
      d88build::NextSector(track, r);
    }
  }
  const auto result = RunOn(BuildImage({damaged}));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, ripcheck::ExpectedOutput(disk));
  EXPECT_EQ(result.err, expectedErr);
  ripcheck::ExpectExactlyFiles(dir.path(), disk.files);
}

// Images of three disks cut short anywhere (at each field boundary of
// every header, and at random), with a disk whose size field cannot reach
// the next disk, or with bytes after the last: each file of a recognised
// disk is named exactly once, by its cutting line or as missing or
// incomplete; every byte lost is named once (an empty image, bytes that
// belong to no disk, a disk the image ends inside); the run fails exactly
// when any of these messages appears. Every file written is the start of
// what the whole image yields.
TEST_P(RipperEndToEnd, DamagedImagesAccountForEveryFileAndByte) {
  std::vector<DiskSpec> disks;
  std::map<std::string, const ExpectedFile*> files;
  std::vector<const ExpectedDisk*> expected;
  for (const ExpectedDisk& disk : title().disks) {
    if (disk.files.empty() || expected.size() == 3) continue;
    disks.push_back(ripcheck::TitleDisk(title(), disk.digit));
    expected.push_back(&disk);
    for (const ExpectedFile& file : disk.files) files[file.name] = &file;
  }
  // A second disk, of no title, where the title has only one with files.
  if (disks.size() == 1) disks.push_back(d88build::FormattedDisk());
  const Bytes whole = BuildImage(disks);
  const std::size_t diskSize = whole.size() / disks.size();
  struct Variant {
    std::string what;
    Bytes image;
    std::string lost;  // the message naming the bytes lost, if any
  };
  std::vector<Variant> variants;
  const auto cutAt = [&](std::size_t cut) {
    const int into = static_cast<int>(cut % diskSize);
    const std::string lost =
        cut == 0 ? ripcheck::kImageEmpty
        : into >= d88build::kHeaderSize
            ? ripcheck::ImageEndsInsideDisk(static_cast<int>(cut / diskSize + 1),
                                            into, static_cast<int>(diskSize))
        : into > 0 ? ripcheck::Unowned(into)
                   : "";
    variants.push_back({"cut at " + std::to_string(cut),
                        Bytes(whole.begin(), whole.begin() + cut), lost});
  };
  for (std::size_t disk = 0; disk < disks.size(); ++disk) {
    for (const std::size_t field : {0, 1, 27, 28, 31, 32, 687, 688}) {
      cutAt(disk * diskSize + field);
    }
  }
  std::mt19937 random(12345);
  for (int i = 0; i < 24; ++i) cutAt(random() % whole.size());
  for (const std::uint32_t size : {0u, 100u}) {
    Bytes image = whole;
    d88build::PutLe32(image, diskSize + d88build::kDiskSizeOffset, size);
    variants.push_back({"second disk's size " + std::to_string(size), image,
                        ripcheck::Unowned(static_cast<long long>(
                            whole.size() - diskSize - d88build::kHeaderSize))});
  }
  Bytes trailing = whole;
  trailing.insert(trailing.end(), 300, 0);
  variants.push_back({"trailing bytes", trailing, ripcheck::Unowned(300)});

  const auto count = [](const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos;
         at = text.find(part, at + 1)) {
      ++n;
    }
    return n;
  };
  for (const Variant& variant : variants) {
    SCOPED_TRACE(variant.what);
    ScratchDir runDir;
    const auto result = ripcheck::RunOn(title(), variant.image, runDir);
    if (!variant.lost.empty()) {
      EXPECT_EQ(count(result.err, variant.lost), 1u);
    }
    for (const ExpectedDisk* disk : expected) {
      if (result.out.find(disk->message) == std::string::npos) continue;
      for (const ExpectedFile& file : disk->files) {
        const std::size_t cutting =
            count(result.out, "cutting ... " + file.name + "\n");
        EXPECT_EQ(cutting + count(result.err,
                                  ripcheck::Missing(file.name, file.track >> 1,
                                                    file.track & 1, file.r)),
                  1u)
            << file.name;
        // "NAME は不" begins the incomplete message.
        EXPECT_LE(count(result.err, file.name + " \x82\xcd\x95\x73"), cutting)
            << file.name;
      }
    }
    EXPECT_EQ(result.status, result.err.empty() ? 0 : 1) << result.err;
    for (const auto& [name, bytes] : progrun::Listing(runDir.path())) {
      ASSERT_EQ(files.count(name), 1u) << name;
      const ExpectedFile& file = *files[name];
      const Bytes full = d88build::ExpectedRun(file.track, file.r, file.size);
      ASSERT_LE(bytes.size(), full.size()) << name;
      EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), full.begin())) << name;
    }
  }
}

// Images with random bytes overwritten end by themselves with status 0 or
// 1, write no file larger than its recipe says, and leave no temporary.
TEST_P(RipperEndToEnd, CorruptedImagesEndCleanly) {
  const ExpectedDisk& disk = LargestDisk();
  const Bytes whole = BuildImage({ripcheck::TitleDisk(title(), disk.digit),
                                  ripcheck::TitleDisk(title(), disk.digit)});
  std::mt19937 random(12345);
  for (int i = 0; i < 12; ++i) {
    Bytes corrupt = whole;
    for (int flip = 0; flip < 40; ++flip) {
      // Mostly the headers and track tables, where damage matters most.
      const std::size_t at = flip % 2 ? random() % (2 * d88build::kHeaderSize)
                                      : random() % corrupt.size();
      corrupt[at] = static_cast<std::uint8_t>(random());
    }
    ScratchDir runDir;
    const auto result = ripcheck::RunOn(title(), corrupt, runDir);
    EXPECT_TRUE(result.status == 0 || result.status == 1) << "image " << i;
    for (const auto& [name, bytes] : progrun::Listing(runDir.path())) {
      // Corruption may turn the disk into another disk of the set; only
      // the size bound and the names can be checked then.
      EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
      for (const ExpectedFile& file : disk.files) {
        EXPECT_TRUE(file.name != name || bytes.size() <= std::size_t(file.size))
            << name;
      }
    }
  }
}

std::string ProgramName(const ::testing::TestParamInfo<const Title*>& info) {
  return fs::path(info.param->program).stem().string();
}

INSTANTIATE_TEST_SUITE_P(Titles, RipperEndToEnd,
                         ::testing::ValuesIn(ripcheck::AllTitles()),
                         ProgramName);

}  // namespace
