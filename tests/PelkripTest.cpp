// What only the first title's disks show.

#include <gtest/gtest.h>

#include "Titles.h"

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
