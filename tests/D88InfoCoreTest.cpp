// d88info's core in-process: the names of the pieces, the catalogue's
// entries and index, the report of an image and its JSON.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "builder/D88Builder.h"
#include "d88/DiskBytes.h"
#include "d88info/Catalogue.h"
#include "d88info/Examine.h"
#include "d88info/JsonReport.h"
#include "d88info/Matching.h"
#include "d88info/Split.h"

namespace {

namespace fs = std::filesystem;

std::string TempPath(const std::string& name) {
  return (fs::temp_directory_path() / ("d88rip-core-" + name)).string();
}

// A catalogue's name is used where it is a plain file name of no other
// piece of the run, whatever image that piece is of, ignoring case.
TEST(PieceNames, AnEntrysNameIsUsedWhereNoOtherPieceHasIt) {
  const std::vector<const char*> images = {"a.d88", "dir/b.x.d88"};
  const std::vector<std::vector<ExactName>> exact = {
      {{true, "Game.d88"}, {false, ""}, {true, "B.X-01.D88"}},
      {{true, "game.D88"}, {true, "a-01.d88.bak"}, {true, "COM1.txt"},
       {true, "b.x-04.d88"}, {true, ""}}};
  const auto chosen = ChoosePieceNames("pieces", images, exact);
  const struct {
    std::string name;
    const char* fallback;
  } expected[] = {
      {"a-01.d88", "is another piece's name too"},
      {"a-02.d88", nullptr},
      {"a-03.d88", "is another piece's name too"},
      {"b.x-01.d88", "is another piece's name too"},
      {"a-01.d88.bak", nullptr},
      {"b.x-03.d88", "is no plain file name on every system"},
      {"b.x-04.d88", nullptr},  // its own numbered name
      {"b.x-05.d88", "is no plain file name on every system"},
  };
  std::size_t at = 0;
  for (const auto& pieces : chosen) {
    for (const PieceName& piece : pieces) {
      ASSERT_LT(at, std::size(expected));
      EXPECT_EQ(piece.name, expected[at].name) << at;
      EXPECT_STREQ(piece.fallback, expected[at].fallback) << at;
      ++at;
    }
  }
  EXPECT_EQ(at, std::size(expected));
  int first = 0;
  int second = 0;
  EXPECT_FALSE(FindSharedBase(images, first, second));
  EXPECT_TRUE(FindSharedBase({"x/A.d88", "b.d88", "a.img"}, first, second));
  EXPECT_EQ(first * 10 + second, 2);
}

// Entries are read in order with their game and its first description,
// trimmed; the index finds every entry of a CRC32 in that order.
TEST(Catalogue, EntriesKnowTheirGameAndAreFoundByCrc) {
  const std::string path = TempPath("catalogue.xml");
  std::ofstream(path) << "<softwarelist><software name=\"s\"><description> S 1 "
                         "</description><description>2</description>"
                         "<rom name=\"r1\" size=\"10\" crc=\"0000000A\"/></software>"
                         "<machine><rom name=\"r2\" size=\"10\" sha1=\""
                      << std::string(40, 'f')
                      << "\"/></machine><rom name=\"r3\" size=\"10\" "
                         "crc=\"0000000a\"/></softwarelist>";
  Catalogue catalogue;
  CatalogueFailure failure;
  ASSERT_TRUE(ReadCatalogues({path.c_str()}, catalogue, failure));
  ASSERT_EQ(catalogue.entries.size(), 3u);
  EXPECT_EQ(catalogue.entries[0].game, 0);
  EXPECT_EQ(catalogue.games[0].name, "s");
  EXPECT_EQ(catalogue.games[0].description, "S 1");
  EXPECT_EQ(catalogue.entries[1].game, -1);  // a machine without a name
  EXPECT_EQ(catalogue.entries[2].game, -1);
  std::vector<int> found;
  catalogue.EntriesWithCrc(0x0a, found);
  EXPECT_EQ(found, (std::vector<int>{0, 2}));
  EXPECT_EQ(catalogue.sha1Only, (std::vector<int>{1}));
  fs::remove(path);
}

// The digests of the first disk of the image `bytes`, through `reader`.
void Digest(D88Image& reader, const d88build::Bytes& bytes,
            const std::string& name, SpanDigests& digests) {
  const std::string path = TempPath(name);
  d88build::WriteFile(path, bytes);
  static unsigned char buffer[4096];
  EXPECT_TRUE(reader.Open(path.c_str()) && digests.Start() &&
              FeedDiskSpan(reader, 0, digests, buffer, sizeof buffer) &&
              digests.Finish());
}

// A disk matches, in the entries' order, the entries it is as it lies and
// those it is once its header is set as their copy has it, found by CRC32
// or, where an entry gives none, by SHA-1; a variant's SHA-1 must agree.
TEST(Matching, ADiskIsTheEntriesOfItsBytesAndOfItsHeaderVariants) {
  static D88Image reader;
  d88build::DiskSpec disk = d88build::FormattedDisk(1);
  disk.name = "N";
  d88build::Bytes copy = d88build::BuildDisk(disk);
  copy[26] = 0x10;                                // write-protected
  std::fill(copy.begin(), copy.begin() + 17, 0);  // nameless
  SpanDigests variant;
  SpanDigests own;
  Digest(reader, copy, "copy.d88", variant);
  Digest(reader, d88build::BuildDisk(disk), "own.d88", own);
  Catalogue catalogue;
  const auto entry = [&](const SpanDigests& of, bool crc, bool sha1, int flip) {
    CatalogueEntry made;
    made.size = of.Length();
    made.hasCrc = crc;
    made.crc = of.Crc();
    made.hasSha1 = sha1;
    std::copy(of.Sha1Digest(), of.Sha1Digest() + kSha1Size, made.sha1);
    made.sha1[0] ^= flip;
    catalogue.entries.push_back(made);
  };
  entry(variant, true, true, 1);  // the variant's CRC32, another SHA-1
  entry(variant, true, true, 0);
  entry(own, false, true, 0);
  entry(own, true, false, 0);
  CatalogueFailure none;
  ASSERT_TRUE(ReadCatalogues({}, catalogue, none));  // indexes them
  std::vector<DatMatch> matches;
  unsigned char buffer[4096];
  EXPECT_EQ(MatchDisk(reader, 0, own, catalogue, matches, buffer, sizeof buffer),
            MatchOutcome::kDone);
  reader.Close();
  ASSERT_EQ(matches.size(), 3u);
  EXPECT_TRUE(matches[0].entry == 1 && !matches[0].exact &&
              matches[0].parts == (kPartWriteProtect | kPartName));
  EXPECT_TRUE(matches[1].entry == 2 && matches[1].exact);
  EXPECT_TRUE(matches[2].entry == 3 && matches[2].exact);
  EXPECT_EQ(FirstExactEntry(catalogue, own), 2);
  fs::remove(TempPath("copy.d88"));
  fs::remove(TempPath("own.d88"));
}

// The report of an image holds each disk's facts and, in order, what keeps
// the image from being whole; its JSON (checked against the text lines in
// tests/JsonTest.cpp) gives a path's bytes that are no UTF-8 as U+FFFD.
TEST(Report, IsTheImagesFacts) {
  d88build::DiskSpec named = d88build::FormattedDisk(2);
  named.name = "\x81\x20";
  named.tracks[1][0].status = 0xB0;
  d88build::Bytes image = d88build::BuildImage({named, d88build::FormattedDisk(3)});
  image.resize(image.size() - 600);  // inside the second disk's last track
  const std::string path = TempPath("image.d88");
  d88build::WriteFile(path, image);
  static D88Image reader;
  ExamineOptions options;
  options.listTracks = true;
  ImageReport report = ExamineImage(reader, path.c_str(), options, {});
  reader.Close();
  ASSERT_EQ(report.disks.size(), 2u);
  EXPECT_EQ(report.disks[0].name, "\x81\x20");
  EXPECT_EQ(report.disks[0].trackIds[1].sectors[0].status, 0xB0);
  EXPECT_LT(report.disks[1].present, report.disks[1].declared);
  ASSERT_EQ(report.problems.size(), 1u);
  EXPECT_EQ(report.problems[0].kind, Problem::Kind::kEndsInsideDisk);
  EXPECT_EQ(report.Status(), 1);
  report.path = "image\xff.d88";
  EXPECT_NE(JsonOf(report, JsonOptions()).find("\"image\":\"image\xef\xbf\xbd.d88\""),
            std::string::npos);
  fs::remove(path);
}

}  // namespace
