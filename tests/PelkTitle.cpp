#include <gtest/gtest.h>

#include "Titles.h"

namespace ripcheck {

namespace {

std::string Message(const std::string& disk) {
  return disk + " " + kRecognisedJa + "\n";
}

}  // namespace

// The first title's set as its users know it: which digit is which disk and
// which files each yields, from which track and sector.
const Title& PelkTitle() {
  static const Title title = {
      progrun::ProgramPath("pelkrip"),
      "Pelk_No",
      "Pelk_UD",
      {
          {'8',
           Message("Disk 1"),
           {{"MUS100", 72, 4, 512},
            {"MUS101", 72, 5, 2048},
            {"MUS102", 55, 9, 2048},
            {"MUS103", 72, 9, 1536},
            {"MUS104", 74, 2, 512},
            {"MUS105", 74, 3, 2048},
            {"MUS106", 74, 7, 2048},
            {"MUS107", 75, 2, 1024},
            {"MUS108", 75, 6, 512},
            {"MUS109", 75, 7, 512},
            {"VD100", 56, 4, 1024},
            {"VD101", 72, 2, 1024},
            {"VD102", 75, 4, 1024}}},
          {'9', Message("Disk 2"), {}},
          {'1',
           Message("Disk 3"),
           {{"KSD.COM", 12, 5, 2560},
            {"MUS300", 53, 5, 1024},
            {"MUS301", 54, 9, 512},
            {"MUS302", 53, 8, 512},
            {"MUS303", 54, 2, 1536},
            {"MUS304", 54, 7, 1536},
            {"MUS305", 53, 9, 1024},
            {"MUS306", 52, 8, 512},
            {"MUS307", 52, 9, 512},
            {"MUS308", 53, 1, 1024},
            {"MUS309", 52, 3, 1536},
            {"MUS310", 53, 7, 512},
            {"VD300", 52, 6, 1024},
            {"VD301", 53, 3, 1024},
            {"VD302", 54, 5, 1024}}},
          {'2',
           Message("Disk 4"),
           {{"MUS400", 65, 7, 2048},
            {"MUS401", 66, 5, 512},
            {"MUS402", 66, 6, 1536},
            {"MUS403", 65, 4, 512},
            {"MUS404", 66, 4, 512}}},
          {'3',
           Message("Disk 5"),
           {{"MUS500", 73, 5, 1024},
            {"MUS501", 73, 9, 1536},
            {"MUS502", 73, 2, 512},
            {"MUS503", 74, 3, 1536},
            {"MUS504", 74, 6, 1536},
            {"MUS505", 74, 9, 512},
            {"MUS506", 75, 1, 512},
            {"MUS507", 75, 2, 1024}}},
          {'4',
           Message("Disk 6"),
           {{"MUS600", 76, 8, 2048},
            {"MUS601", 77, 2, 512},
            {"MUS602", 77, 3, 2048}}},
          {'5',
           Message("Disk 7"),
           {{"MUS700", 69, 2, 512},
            {"MUS701", 71, 9, 1536},
            {"MUS702", 72, 8, 1024},
            {"MUS703", 69, 5, 1024},
            {"MUS704", 70, 3, 1536},
            {"MUS705", 70, 8, 1024},
            {"MUS706", 69, 8, 1024},
            {"MUS707", 71, 1, 1536},
            {"MUS708", 70, 6, 1024},
            {"MUS709", 72, 3, 512},
            {"MUS710", 72, 4, 2048}}},
          {'6', "", {}},
          {'7', "", {}},
      }};
  return title;
}

}  // namespace ripcheck

// What only the first title's disks show.
namespace {

// Without track 52, Disk 3 loses MUS306, MUS307, MUS309 and VD300, each
// named as missing; the names after each gap keep their numbers.
TEST(Pelkrip, AbsentTrackLeavesGapsInTheNumbering) {
  const ripcheck::Title& title = ripcheck::PelkTitle();
  d88build::DiskSpec disk = ripcheck::TitleDisk(title, '1');
  disk.tracks.erase(52);

  progrun::ScratchDir dir;
  const auto result = ripcheck::RunOn(title, d88build::BuildImage({disk}), dir);
  ripcheck::ExpectDamagedRun(result, dir.path(), title.Disk('1'),
                             [](int track, int) {
                               return track == 52 ? 0 : d88build::kSectorSize;
                             });
}

// The digit is not the disk number, and "9" is recognised without files.
TEST(Pelkrip, DigitsNameTheDisksOfTheSet) {
  const ripcheck::Title& title = ripcheck::PelkTitle();
  progrun::ScratchDir dir;
  const auto result = ripcheck::RunOn(
      title,
      d88build::BuildImage({ripcheck::TitleDisk(title, '9'),
                            ripcheck::TitleDisk(title, '6'),
                            ripcheck::TitleDisk(title, '7')}),
      dir);
  EXPECT_EQ(result.out, "Disk 2 " + ripcheck::kRecognisedJa + "\n");
  EXPECT_TRUE(progrun::Listing(dir.path()).empty());
}

}  // namespace
