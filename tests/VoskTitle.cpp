#include <gtest/gtest.h>

#include "Titles.h"

namespace ripcheck {

// The second title's set as its users know it: which digit is which disk and
// which files each yields, from which track and sector.
const Title& VoskTitle() {
  static const Title title = {
      progrun::ProgramPath("voskrip"),
      "Vosk_No",
      "Vosk_UD",
      {
          {'1',
           "Disk 1 (Demo Disk 1)" + kRecognisedJa + "\n",
           {{"KSD.COM", 8, 6, 2652},
            {"MUS100", 75, 3, 512},
            {"MUS101", 75, 4, 512},
            {"MUS102", 74, 9, 3072},
            {"MUS103", 74, 3, 3072},
            {"VD100", 75, 5, 1024},
            {"VD101", 75, 7, 1024}}},
          {'2',
           "Disk 2 (Demo Disk 2)" + kRecognisedJa + "\n",
           {{"MUS200", 55, 6, 1024},
            {"MUS201", 55, 8, 1536},
            {"MUS202", 56, 6, 2048},
            {"MUS203", 56, 2, 2048},
            {"MUS204", 56, 8, 2048},
            {"VD200", 54, 9, 1024},
            {"VD201", 55, 2, 1024},
            {"VD202", 55, 4, 1024}}},
          {'3',
           "Disk 3 (Demo Disk 3)" + kRecognisedJa + "\n",
           {{"MUS300", 75, 6, 2048},
            {"MUS301", 76, 2, 512},
            {"MUS302", 76, 3, 512},
            {"MUS303", 76, 4, 2048}}},
          {'4',
           "Disk 4 (Program Disk)" + kRecognisedJa + "\n",
           {{"MUS400", 56, 7, 2048}, {"MUS401", 55, 4, 2560},
            {"MUS402", 53, 4, 1536}, {"MUS403", 52, 9, 1024},
            {"MUS404", 53, 9, 2048}, {"MUS405", 57, 4, 2048},
            {"MUS406", 58, 2, 1536}, {"MUS407", 58, 5, 2048},
            {"MUS408", 55, 8, 512},  {"MUS409", 55, 9, 512},
            {"MUS410", 58, 1, 512},  {"MUS411", 56, 4, 512},
            {"MUS412", 60, 7, 1024}, {"MUS413", 54, 4, 1536},
            {"MUS414", 59, 7, 2048}, {"MUS415", 56, 5, 1024},
            {"MUS416", 60, 6, 512},  {"MUS417", 54, 9, 2048},
            {"MUS418", 58, 9, 2048}, {"MUS419", 59, 4, 1536},
            {"MUS420", 60, 2, 2048}, {"MUS421", 56, 3, 512},
            {"VD400", 53, 2, 1024},  {"VD401", 53, 7, 1024},
            {"VD402", 54, 7, 1024},  {"VD403", 56, 1, 1024},
            {"VD404", 57, 2, 1024},  {"VD405", 57, 8, 1024},
            {"VD406", 60, 9, 1024}}},
          {'5', "Disk 5 " + kRecognisedJa + "\n", {}},
          {'6',
           "Disk 6 " + kRecognisedJa + "\n",
           {{"MUS600", 71, 8, 1536},
            {"MUS601", 73, 3, 2048},
            {"MUS602", 72, 7, 1536},
            {"MUS603", 73, 7, 1536},
            {"MUS604", 74, 1, 1536},
            {"MUS605", 74, 6, 2048},
            {"MUS606", 72, 4, 512},
            {"VD600", 72, 5, 1024}}},
          {'7', "", {}},
          {'9', "", {}},
      }};
  return title;
}

}  // namespace ripcheck

// What only the second title's disks show.
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
