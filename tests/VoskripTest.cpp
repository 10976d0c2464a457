// What only the second title's disks show.

#include <gtest/gtest.h>

#include "Titles.h"

namespace {

// KSD.COM ends 92 bytes into sector 2 of track 9: a sector that short is
// enough, and one shorter leaves the file incomplete at 2560 bytes.
TEST(Voskrip, KsdComEndsPartWayIntoASector) {
  const ripcheck::Title& title = ripcheck::VoskTitle();
  for (std::size_t lastSectorBytes : {92, 91}) {
    d88build::DiskSpec disk = ripcheck::TitleDisk(title, '1');
    disk.tracks[9][1].data.resize(lastSectorBytes);  // track 9, R 2

    progrun::ScratchDir dir;
    const auto result =
        ripcheck::RunOn(title, d88build::BuildImage({disk}), dir);
    const d88build::Bytes whole = d88build::ExpectedRun(8, 6, 2652);
    const std::size_t expected = lastSectorBytes == 92 ? 2652 : 2560;
    EXPECT_EQ(progrun::ReadBytes(dir / "KSD.COM"),
              d88build::Bytes(whole.begin(), whole.begin() + expected));
    EXPECT_EQ(result.err,
              expected == 2652 ? "" : ripcheck::Incomplete("KSD.COM", 2560, 2652));
    EXPECT_EQ(result.status, expected == 2652 ? 0 : 1);
  }
}

}  // namespace
