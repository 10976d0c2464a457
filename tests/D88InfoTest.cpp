// d88info run end to end on built images.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <openssl/evp.h>
#include <zlib.h>

#include <filesystem>
#include <regex>
#include <set>

#include "ProgramRun.h"
#include "builder/D88Builder.h"

namespace {

namespace fs = std::filesystem;
using d88build::Bytes;
using d88build::DiskSpec;

class D88Info : public ::testing::Test {
 protected:
  progrun::RunResult RunOn(const Bytes& image,
                           std::vector<std::string> options = {}) {
    const std::string path = (dir / "image.d88").string();
    d88build::WriteFile(path, image);
    options.push_back(path);
    return progrun::Run(progrun::ProgramPath("d88info"), options, dir.path());
  }
  progrun::ScratchDir dir;
};

// The ID fields of a formatted track's sectors, as --tracks lists them.
std::string FormattedIds(int track) {
  char id[16];
  std::string ids;
  for (int r = 1; r <= d88build::kSectorsPerTrack; ++r) {
    std::snprintf(id, sizeof id, " %02x.%02x.%02x.02", track >> 1, track & 1,
                  r);
    ids += id;
  }
  return ids;
}

// A writer's variant: a 672-byte header with 160 table entries, so that
// the first track begins where entries 160 to 163 would be.
Bytes ShortHeaderImage(const DiskSpec& disk) {
  constexpr int kShortHeader = 672;
  constexpr int kShift = d88build::kHeaderSize - kShortHeader;
  Bytes built = d88build::BuildDisk(disk);
  built.erase(built.begin() + kShortHeader,
              built.begin() + d88build::kHeaderSize);
  for (int track = 0; track < d88build::kTrackCount; ++track) {
    const std::size_t entry = d88build::kTrackTableOffset + 4 * track;
    if (entry >= kShortHeader || built[entry] == 0) continue;
    d88build::PutLe32(built, entry,
                      built[entry] + 256u * built[entry + 1] - kShift);
  }
  d88build::PutLe32(built, d88build::kDiskSizeOffset,
                    static_cast<std::uint32_t>(built.size()));
  return built;
}

TEST_F(D88Info, ListsDisksTracksSectorStatusAndMap) {
  DiskSpec boot = d88build::FormattedDisk(3);
  boot.name = "Game\x01\"";
  boot.tracks.erase(1);
  d88build::SetBootSignature(boot, "Pelk_No", '8');
  d88build::ReorderSectors(boot, {2, 1});
  boot.tracks[2][0].status = 0xB0;       // R 2: CRC error in the data
  boot.tracks[2][1].deletedMark = 0x10;  // R 1: deleted data
  DiskSpec foreign;
  foreign.mediaType = 0x99;
  foreign.writeProtect = 0x10;
  for (std::uint8_t status : {0x00, 0xA0, 0xE0, 0xF0, 0x20, 0x10}) {
    d88build::SectorRecord record;
    record.r = static_cast<std::uint8_t>(foreign.tracks[163].size() + 1);
    record.n = 1;
    record.status = status;
    foreign.tracks[163].push_back(record);
  }
  const auto result =
      RunOn(d88build::BuildImage({boot, foreign}), {"--tracks", "--map"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(
      result.out,
      "image disks 2\n"
      "legend . normal, E read error, D deleted data, - not found\n"
      "disk 1 name \"Game\\x01\\\"\" media 0x10 2DD protected no tracks 2 "
      "boot \"Pelk_No8\"\n"
      "disk 1 track 0 c 0 h 0 sectors 2 ids 00.00.02.02 00.00.01.02\n"
      "disk 1 track 2 c 1 h 0 sectors 2 ids 01.00.02.02:data-crc "
      "01.00.01.02:deleted\n"
      "disk 1 track 0 c 0 h 0 n 2 map ..\n"
      "disk 1 track 2 c 1 h 0 n 2 map DE\n"
      "disk 2 name \"\" media 0x99 unknown protected yes tracks 1 boot none\n"
      "disk 2 track 163 c 81 h 1 sectors 6 ids 00.00.01.01 "
      "00.00.02.01:id-crc 00.00.03.01:no-address-mark "
      "00.00.04.01:no-data-mark 00.00.05.01:status-0x20 "
      "00.00.06.01:deleted\n"
      "disk 2 track 163 c 81 h 1 n 1 map ------\n");
}

TEST_F(D88Info, DamagedAndVariantImagesAreListedAsFarAsTheyGo) {
  // An empty image, and bytes that belong to no disk: after a disk whose
  // size cannot reach a next header, and too few for a header of their own.
  DiskSpec small = d88build::FormattedDisk(1);
  small.sizeField = 100;
  const Bytes smallDisk = d88build::BuildImage({small});
  const std::string smallLine =
      "disk 1 name \"FORMATTED\" media 0x10 2DD protected no tracks 0 boot "
      "none\n";
  const std::string unowned =
      std::to_string(smallDisk.size() - d88build::kHeaderSize);
  const struct {
    Bytes image;
    std::string out;
    std::string err;  // after "d88info: IMAGE: "
  } lost[] = {
      {{}, "image disks 0\nimage empty\n", "image is empty\n"},
      {Bytes(1, 0),
       "image disks 0\nimage ends with 1 byte that belongs to no disk\n",
       "ends with 1 byte that belongs to no disk\n"},
      {Bytes(300, 0),
       "image disks 0\nimage ends with 300 bytes that belong to no disk\n",
       "ends with 300 bytes that belong to no disk\n"},
      {smallDisk,
       "image disks 1\n" + smallLine + "image ends with " + unowned +
           " bytes that belong to no disk\n",
       "ends with " + unowned + " bytes that belong to no disk\n"},
  };
  const std::string path = (dir / "image.d88").string();
  for (const auto& image : lost) {
    const auto result = RunOn(image.image);
    EXPECT_EQ(result.out, image.out);
    EXPECT_EQ(result.err, "d88info: " + path + ": " + image.err);
    EXPECT_EQ(result.status, 1);
  }

  DiskSpec disk = d88build::FormattedDisk(2);
  disk.trackOffsets[1] = 0xFFFFFFF0u;  // a negative offset: absent
  disk.tracks[0][0].data[3] = 'O';
  disk.tracks[0][0].data[4] = 0x7f;
  Bytes image = d88build::BuildImage({disk});
  const std::string declared = std::to_string(image.size());
  // The image ends inside the first sector's data.
  image.resize(d88build::kHeaderSize + d88build::kSectorHeaderSize + 5);
  const auto cut = RunOn(image, {"--tracks"});
  EXPECT_EQ(cut.out,
            "image disks 1\n"
            "disk 1 name \"FORMATTED\" media 0x10 2DD protected no tracks 1 "
            "truncated 709/" + declared + " boot \"O\\x7f\"\n"
            "disk 1 track 0 c 0 h 0 sectors 1 ids 00.00.01.02\n");
  EXPECT_EQ(cut.err, "d88info: " + path + ": ends inside disk 1 (709 of " +
                         declared + " bytes)\n");
  EXPECT_EQ(cut.status, 1);

  // Each track lists its own sectors: no track made up from the first
  // sector header of a short header, none running on into the next track
  // when the sector counts are byte-swapped.
  DiskSpec formatted = d88build::FormattedDisk(3);
  d88build::SetBootSignature(formatted, "Pelk_No", '8');
  DiskSpec swapped = formatted;
  for (auto& [track, records] : swapped.tracks) {
    for (d88build::SectorRecord& record : records) record.sectorCount = 0x0900;
  }
  for (const Bytes& variant :
       {ShortHeaderImage(formatted), d88build::BuildImage({swapped})}) {
    std::string expected =
        "image disks 1\n"
        "disk 1 name \"FORMATTED\" media 0x10 2DD protected no tracks 3 boot "
        "\"Pelk_No8\"\n";
    for (int track = 0; track < 3; ++track) {
      expected += "disk 1 track " + std::to_string(track) + " c " +
                  std::to_string(track >> 1) + " h " +
                  std::to_string(track & 1) + " sectors 9 ids" +
                  FormattedIds(track) + "\n";
    }
    EXPECT_EQ(RunOn(variant, {"--tracks"}).out, expected);
  }
}

// "crc32 XXXXXXXX sha1 H" of bytes, as catalogues of known dumps list them.
std::string Checksums(const Bytes& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_sha1(), nullptr);
  char text[64];
  std::snprintf(text, sizeof text, "crc32 %08lx sha1 ",
                crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
  std::string sums = text;
  for (unsigned int i = 0; i < size; ++i) {
    std::snprintf(text, sizeof text, "%02x", digest[i]);
    sums += text;
  }
  return sums;
}

// The data-sha1 of a built disk: for each track in order, each record's
// C, H, R, N, its data's length (LE16) and its data.
std::string DataSha1(const DiskSpec& disk) {
  Bytes made;
  for (const auto& [track, records] : disk.tracks) {
    for (const d88build::SectorRecord& record : records) {
      const std::size_t size = record.data.size();
      made.insert(made.end(), {record.c, record.h, record.r, record.n,
                               static_cast<std::uint8_t>(size & 0xff),
                               static_cast<std::uint8_t>(size >> 8)});
      made.insert(made.end(), record.data.begin(), record.data.end());
    }
  }
  const std::string sums = Checksums(made);
  return sums.substr(sums.find("sha1 ") + 5);
}

// A joined image of one disk in several copies (another name, write
// protection and media byte; a 672-byte header; byte-swapped sector
// counts; other status bytes) and another disk: each disk's hash line
// gives the checksums of its piece, the copies share the data-sha1 that
// the disk's sectors make and no whole-disk sha1, and the pieces joined
// give the image back.
TEST_F(D88Info, HashesAreThoseOfEachDiskAloneAndSplitGivesTheImageBack) {
  DiskSpec original = d88build::FormattedDisk(3);
  original.name = "Original";
  d88build::SetBootSignature(original, "Pelk_No8", '8');
  DiskSpec renamed = original;
  renamed.name = "Copy";
  renamed.writeProtect = 0x10;
  renamed.mediaType = 0x20;
  DiskSpec swapped = original;
  DiskSpec statuses = original;
  for (auto& [track, records] : swapped.tracks) {
    for (auto& record : records) record.sectorCount = 0x0900;
  }
  statuses.tracks[1][4].status = 0xB0;
  const DiskSpec other = d88build::FormattedDisk(2);
  const std::vector<Bytes> disks = {
      d88build::BuildDisk(original), d88build::BuildDisk(renamed),
      ShortHeaderImage(original),    d88build::BuildDisk(swapped),
      d88build::BuildDisk(statuses), d88build::BuildDisk(other)};
  Bytes image;
  for (const Bytes& disk : disks) image.insert(image.end(), disk.begin(), disk.end());

  const auto result = RunOn(image, {"--hash", "--split", "pieces"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  const std::regex line("disk (\\d+) (crc32 \\S+ sha1 \\S+) data-sha1 (\\S+)");
  std::vector<std::pair<std::string, std::string>> hashes;
  for (std::sregex_iterator at(result.out.begin(), result.out.end(), line), end;
       at != end; ++at) {
    EXPECT_EQ((*at)[1], std::to_string(hashes.size() + 1));
    hashes.push_back({(*at)[2], (*at)[3]});
  }
  const auto pieces = progrun::Listing(dir / "pieces");
  ASSERT_EQ(hashes.size(), disks.size());
  ASSERT_EQ(pieces.size(), disks.size());
  Bytes joined;
  std::set<std::string> wholeSums;
  for (std::size_t i = 0; i < disks.size(); ++i) {
    const std::string name = "image-0" + std::to_string(i + 1) + ".d88";
    ASSERT_EQ(pieces.count(name), 1u) << name;
    const Bytes& piece = pieces.at(name);
    EXPECT_EQ(hashes[i].first, Checksums(piece)) << name;
    wholeSums.insert(hashes[i].first);
    joined.insert(joined.end(), piece.begin(), piece.end());
    EXPECT_EQ(hashes[i].second,
              DataSha1(i + 1 < disks.size() ? original : other))
        << name;
  }
  EXPECT_EQ(wholeSums.size(), disks.size());
  EXPECT_TRUE(joined == image);
}

// A track of more records than any table of them holds is listed and
// hashed whole: each of two copies that differ only in the last record's
// data has the data-sha1 of all its records, and --tracks names them all.
TEST_F(D88Info, TrackOfAnyNumberOfRecordsIsListedAndHashedWhole) {
  constexpr int kRecords = 70000;
  DiskSpec disk;
  for (int i = 0; i < kRecords; ++i) {
    d88build::SectorRecord record;
    record.r = static_cast<std::uint8_t>(i % 255 + 1);
    record.n = 0;
    record.sectorCount = 0;  // no count ends the listing early
    record.data = {static_cast<std::uint8_t>(i)};
    disk.tracks[0].push_back(record);
  }
  DiskSpec changed = disk;
  changed.tracks[0].back().data[0] ^= 0xff;
  for (const DiskSpec* copy : {&disk, &changed}) {
    const auto result =
        RunOn(d88build::BuildImage({*copy}), {"--tracks", "--hash"});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find(" data-sha1 " + DataSha1(*copy) + "\n"),
              std::string::npos);
    const std::string start =
        "disk 1 track 0 c 0 h 0 sectors " + std::to_string(kRecords) + " ids";
    const std::size_t at = result.out.find(start);
    ASSERT_NE(at, std::string::npos);
    const std::string line =
        result.out.substr(at, result.out.find('\n', at) - at);
    std::size_t ids = 0;
    for (std::size_t id = line.find(" 00.00."); id != std::string::npos;
         id = line.find(" 00.00.", id + 1)) {
      ++ids;
    }
    EXPECT_EQ(ids, std::size_t{kRecords});
  }
}

// --split: the pieces' names come from the image's file name, never from
// a disk's; the folder is made; an older piece is replaced whole; a disk
// cut short is written, and named as the image's; bytes that belong to no
// disk are named and not written; a piece that cannot be written is named;
// nothing is left beside the pieces. Any of these fails the run.
TEST_F(D88Info, SplitWritesEachDiskAndNamesWhatItCouldNot) {
  DiskSpec named = d88build::FormattedDisk(1);
  named.name = "../x";
  const Bytes one = d88build::BuildImage({named});
  const Bytes two = d88build::BuildImage({named, named});
  Bytes tail = one;
  tail.insert(tail.end(), 300, 0);
  const std::string d88info = progrun::ProgramPath("d88info");
  const struct {
    std::string what;
    std::string image;      // the image's file name
    Bytes bytes;
    std::string blocked;    // a folder in the way of this piece
    std::map<std::string, Bytes> pieces;
    std::string err;        // what standard error holds, in part
  } cases[] = {
      {"a disk named ../x", "a.b.d88", one, "", {{"a.b-01.d88", one}}, ""},
      {"no extension", "plain", two, "",
       {{"plain-01.d88", one}, {"plain-02.d88", one}}, ""},
      {"cut short", "cut.d88", Bytes(two.begin(), two.end() - 100), "",
       {{"cut-01.d88", one},
        {"cut-02.d88", Bytes(one.begin(), one.end() - 100)}},
       "cut.d88: ends inside disk 2 (" + std::to_string(one.size() - 100) +
           " of " + std::to_string(one.size()) + " bytes)\n"},
      {"bytes of no disk", "tail.d88", tail, "", {{"tail-01.d88", one}},
       "tail.d88: ends with 300 bytes that belong to no disk\n"},
      {"a piece in the way", "in.d88", two, "in-01.d88",
       {{"in-02.d88", one}}, "cannot write "},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.what);
    progrun::ScratchDir scratch;
    const fs::path folder = scratch / "top" / "pieces";
    fs::create_directories(folder);
    d88build::WriteFile((folder / "older").string(), Bytes(3, 1));
    for (const auto& [name, bytes] : test.pieces) {
      d88build::WriteFile((folder / name).string(), Bytes(5, 2));
    }
    if (!test.blocked.empty()) fs::create_directory(folder / test.blocked);
    d88build::WriteFile((scratch / test.image).string(), test.bytes);
    const auto result = progrun::Run(
        d88info, {"--split", folder.string(), test.image}, scratch.path());
    EXPECT_EQ(result.status, test.err.empty() ? 0 : 1);
    EXPECT_EQ(result.err.empty(), test.err.empty()) << result.err;
    EXPECT_NE(result.err.find(test.err), std::string::npos) << result.err;
    auto left = progrun::Listing(folder);
    EXPECT_EQ(left.erase("older"), 1u);
    if (!test.blocked.empty()) {
      EXPECT_EQ(left.erase(test.blocked + "/"), 1u);
    }
    EXPECT_EQ(left, test.pieces);
    EXPECT_EQ(progrun::Listing(scratch / "top").size(), 1u);  // pieces/
  }
  // The folder is made (given with or without a closing separator), though
  // not its parent, nor where a file stands, nor for an image with no disk.
  d88build::WriteFile((dir / "one.d88").string(), one);
  d88build::WriteFile((dir / "empty.d88").string(), {});
  const struct {
    std::string folder;
    std::string image;
    std::string err;
  } folders[] = {
      {"made/", "one.d88", ""},
      {"no/such", "one.d88", "d88info: cannot make folder no/such: "},
      {"one.d88", "one.d88", "d88info: cannot make folder one.d88: not a folder\n"},
      {"unmade", "empty.d88", "d88info: empty.d88: image is empty\n"},
  };
  for (const auto& test : folders) {
    const auto result =
        progrun::Run(d88info, {"--split", test.folder, test.image}, dir.path());
    EXPECT_EQ(result.status, test.err.empty() ? 0 : 1) << test.folder;
    EXPECT_EQ(result.err.substr(0, test.err.size()), test.err) << result.err;
    EXPECT_EQ(result.err.empty(), test.err.empty()) << result.err;
  }
  EXPECT_EQ(progrun::Listing(dir / "made").size(), 1u);
  EXPECT_FALSE(fs::exists(dir / "unmade"));
}

// The exit status says whether an image is whole, as a shell loop over a
// folder reads it: `for f in *; do d88info "$f" >/dev/null || echo "$f";
// done` names exactly the files that are not, each with one line saying
// why. A sector the image records as damaged is its faithful record.
TEST_F(D88Info, ExitStatusTellsWhetherTheImageIsWhole) {
  DiskSpec damaged = d88build::FormattedDisk(2);
  damaged.tracks[1][3].status = 0xB0;
  const Bytes whole = d88build::BuildImage({d88build::FormattedDisk(2)});
  Bytes tail = whole;
  tail.insert(tail.end(), 20, 0);
  const struct {
    std::string name;
    Bytes bytes;
    std::string err;  // after "d88info: NAME: "; empty for a whole image
  } files[] = {
      {"whole.d88", whole, ""},
      {"joined.d88", d88build::BuildImage({damaged, d88build::FormattedDisk(1)}), ""},
      {"cut.d88", Bytes(whole.begin(), whole.end() - 10),
       "ends inside disk 1 (" + std::to_string(whole.size() - 10) + " of " +
           std::to_string(whole.size()) + " bytes)"},
      {"tail.d88", tail, "ends with 20 bytes that belong to no disk"},
      {"empty.d88", {}, "image is empty"},
      {"picture.png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'},
       "ends with 8 bytes that belong to no disk"},
      {"notes.txt", Bytes(700, 'x'),  // a size field of "xxxx"
       "ends inside disk 1 (700 of 2021161080 bytes)"},
  };
  const std::string d88info = progrun::ProgramPath("d88info");
  for (const auto& file : files) {
    d88build::WriteFile((dir / file.name).string(), file.bytes);
  }
  for (const auto& file : files) {
    const auto result = progrun::Run(d88info, {file.name}, dir.path());
    EXPECT_EQ(result.status, file.err.empty() ? 0 : 1) << file.name;
    EXPECT_EQ(result.err,
              file.err.empty() ? "" : "d88info: " + file.name + ": " + file.err + "\n");
  }
}

// A disk whose size field is set to where a copy was cut short inside its
// tracks, as a real disk cut before its last track and after one and all
// but one of that track's records, alone and followed by a whole disk:
// the lowest track cut is named on standard error and the status is 1;
// the listing is as it was. A track's records that end where another's
// begin, byte-swapped counts and a 672-byte header are whole.
TEST_F(D88Info, ADiskCutInsideItsTracksIsNamed) {
  // A 2D disk as other tools write it: 80 track sides of 16 sectors of
  // 256 bytes; and the real ones beside the sources, where they are.
  DiskSpec twoD;
  for (int track = 0; track < 80; ++track) {
    for (int r = 1; r <= 16; ++r) {
      d88build::SectorRecord record;
      record.c = static_cast<std::uint8_t>(track >> 1);
      record.h = static_cast<std::uint8_t>(track & 1);
      record.r = static_cast<std::uint8_t>(r);
      record.n = 1;
      record.data.assign(256, static_cast<std::uint8_t>(track + r));
      twoD.tracks[track].push_back(record);
    }
  }
  std::vector<Bytes> disks = {d88build::BuildDisk(twoD)};
  const fs::path samples = fs::path(SOURCE_DIR) / ".." / "shared" / "d88-samples";
  if (fs::is_directory(samples)) {
    for (const auto& entry : fs::directory_iterator(samples)) {
      if (entry.path().extension() == ".d88") {
        disks.push_back(progrun::ReadBytes(entry.path()));
      }
    }
  }
  const std::string path = (dir / "image.d88").string();
  for (const Bytes& whole : disks) {
    const auto listing = RunOn(whole);
    ASSERT_EQ(listing.status, 0) << listing.err;
    // The last track's offset, and its records of 16 + 256 bytes.
    const std::size_t last = d88build::kTrackTableOffset + 4 * 79;
    const std::size_t start = whole[last] | whole[last + 1] << 8 |
                              whole[last + 2] << 16;
    for (const int records : {0, 1, 15}) {
      Bytes cut(whole.begin(), whole.begin() + static_cast<long>(start + 272 * records));
      d88build::PutLe32(cut, d88build::kDiskSizeOffset,
                        static_cast<std::uint32_t>(cut.size()));
      const std::string named =
          records == 0 ? "ends before track 79 of disk 1\n"
                       : "ends inside track 79 of disk 1 (" +
                             std::to_string(records) + " of 16 sectors)\n";
      for (const bool followed : {false, true}) {
        Bytes image = cut;
        if (followed) image.insert(image.end(), whole.begin(), whole.end());
        const auto result = RunOn(image, {"--tracks"});
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, "d88info: " + path + ": " + named);
        // The listing lists what there is of the track.
        EXPECT_EQ(result.out.find("disk 1 track 79 c 39 h 1 sectors " +
                                  std::to_string(records) + " ids") !=
                      std::string::npos,
                  records > 0);
      }
    }
  }
  // Counts of more records than the track holds: on the last track, and on
  // one that ends where the next begins.
  DiskSpec formatted = d88build::FormattedDisk(3);
  for (d88build::SectorRecord& record : formatted.tracks[2]) record.sectorCount = 12;
  DiskSpec early = d88build::FormattedDisk(3);
  for (d88build::SectorRecord& record : early.tracks[1]) record.sectorCount = 12;
  DiskSpec swapped = d88build::FormattedDisk(3);
  for (auto& [track, records] : swapped.tracks) {
    for (d88build::SectorRecord& record : records) record.sectorCount = 0x0900;
  }
  const Bytes counted = d88build::BuildImage({formatted});
  const auto overCount = RunOn(counted);
  EXPECT_EQ(overCount.status, 1);
  EXPECT_EQ(overCount.err, "d88info: " + path +
                               ": ends inside track 2 of disk 1 (9 of 12 sectors)\n");
  for (const Bytes& image : {ShortHeaderImage(d88build::FormattedDisk(3)),
                             d88build::BuildImage({swapped}),
                             d88build::BuildImage({early})}) {
    const auto result = RunOn(image);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
  }
}

// 64 disks are listed; one more is named on standard error and fails, and
// with --split it is named as not written either.
TEST_F(D88Info, DisksPastTheLimitAreNamed) {
  for (const int disks : {64, 65}) {
    for (const bool split : {false, true}) {
      const auto result = RunOn(
          d88build::BuildImage(
              std::vector<DiskSpec>(disks, d88build::FormattedDisk(1))),
          split ? std::vector<std::string>{"--split", "pieces"}
                : std::vector<std::string>{});
      EXPECT_EQ(result.out.rfind("image disks 64\n", 0), 0u);
      EXPECT_NE(result.out.find("\ndisk 64 "), std::string::npos);
      EXPECT_EQ(result.out.find("\ndisk 65 "), std::string::npos);
      EXPECT_EQ(result.status, disks == 64 ? 0 : 1);
      EXPECT_EQ(result.err,
                disks == 64 ? ""
                : split ? "d88info: disks past the 64th were neither listed "
                          "nor written\n"
                        : "d88info: disks past the 64th were not listed\n");
    }
  }
}

TEST_F(D88Info, CommandLineErrorsAndUnreadableImages) {
  const std::string d88info = progrun::ProgramPath("d88info");
  const auto help = progrun::Run(d88info, {"--help"}, dir.path());
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: d88info [--tracks] [--map] [--hash] "
                           "[--dat FILE]...\n",
                           0),
            0u);
  const auto version = progrun::Run(d88info, {"--version"}, dir.path());
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "d88info " D88RIP_VERSION "\n");
  // A wrong command line: one line naming what is wrong, as GNU programs
  // say it, whatever the C library's own words.
  const struct {
    std::vector<std::string> args;
    std::string err;
  } wrongs[] = {
      {{}, "missing operand"},
      {{"--tracks", "--"}, "missing operand"},
      {{"--bogus", "a"}, "unrecognized option '--bogus'"},
      {{"-x", "a"}, "invalid option -- 'x'"},
      {{"a", "--split"}, "option '--split' requires an argument"},
      {{"--spl"}, "option '--split' requires an argument"},
      {{"--tracks=yes", "a"}, "option '--tracks' doesn't allow an argument"},
      {{"--h", "a"},
       "option '--h' is ambiguous; possibilities: '--hash' '--help'"},
  };
  for (const auto& wrong : wrongs) {
    const auto result = progrun::Run(d88info, wrong.args, dir.path());
    EXPECT_EQ(result.status, 2) << wrong.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "d88info: " + wrong.err +
                              "\nTry 'd88info --help' for more information.\n");
  }
  // Repeated flags, abbreviations, --split=FOLDER (the last one wins) and
  // -- before an image named like an option.
  d88build::WriteFile((dir / "-x.d88").string(), d88build::BuildImage({d88build::FormattedDisk(1)}));
  const auto plain = progrun::Run(d88info, {"--hash", "./-x.d88"}, dir.path());
  const auto varied = progrun::Run(
      d88info, {"--ha", "--hash", "--split=first", "--spl", "second", "--", "-x.d88"},
      dir.path());
  EXPECT_EQ(varied.status, 0) << varied.err;
  EXPECT_EQ(varied.out, plain.out);
  EXPECT_TRUE(fs::exists(dir / "second" / "-x-01.d88"));
  EXPECT_FALSE(fs::exists(dir / "first"));
  // Each says why: the folder and what is no file in words of their own,
  // a missing image in the system's.
  fs::create_directory(dir / "folder");
  std::vector<std::pair<std::string, std::string>> paths = {
      {"missing", ""}, {"folder", "is a folder"}};
  if (progrun::TestingWindowsPrograms()) {
    paths.push_back({"NUL", "not a regular file"});  // a device
  } else {
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    paths.push_back({"fifo", "not a regular file"});
    paths.front().second = "No such file or directory";
  }
  for (const auto& [path, reason] : paths) {
    const auto unreadable = progrun::Run(d88info, {path}, dir.path());
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_EQ(unreadable.out, "");
    const std::string start = "d88info: cannot open " + path + ": ";
    ASSERT_EQ(unreadable.err.rfind(start, 0), 0u) << unreadable.err;
    ASSERT_GT(unreadable.err.size(), start.size() + 1) << unreadable.err;
    EXPECT_EQ(unreadable.err.back(), '\n');
    if (!reason.empty()) {
      EXPECT_EQ(unreadable.err, start + reason + "\n");
    }
  }
  // An empty path, where an image, a catalogue or the folder goes, is a
  // missing one, with the system's reason for that.
  const std::string missing = progrun::Run(d88info, {"missing"}, dir.path()).err;
  const std::string reason = missing.substr(missing.find(": ", 20));
  const struct {
    std::vector<std::string> args;
    std::string err;
  } empties[] = {
      {{""}, "d88info: cannot open "},
      {{"--dat=", "./-x.d88"}, "d88info: cannot read catalogue "},
      {{"--split=", "./-x.d88"}, "d88info: cannot make folder "},
  };
  for (const auto& empty : empties) {
    const auto result = progrun::Run(d88info, empty.args, dir.path());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, empty.err + reason);
  }
}

}  // namespace
