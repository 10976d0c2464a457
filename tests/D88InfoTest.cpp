// d88info run end to end on built images.

#include <gtest/gtest.h>

#include <filesystem>

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
    return progrun::Run(D88INFO_PATH, options, dir.path());
  }
  progrun::ScratchDir dir;
};

TEST_F(D88Info, ListsEveryDiskWithItsTracksAndSectorIds) {
  DiskSpec boot = d88build::FormattedDisk(3);
  boot.name = "Game\x01\"";
  boot.tracks.erase(1);
  d88build::SetBootSignature(boot, "Pelk_No", '8');
  d88build::ReorderSectors(boot, {2, 1});
  DiskSpec foreign;
  foreign.mediaType = 0x99;
  foreign.tracks[163] = {d88build::SectorRecord{}};
  foreign.tracks[163][0].n = 1;
  const auto result = RunOn(d88build::BuildImage({boot, foreign}), {"--tracks"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            "image disks 2\n"
            "disk 0 name \"Game\\x01\\\"\" media 0x10 2DD tracks 2 boot "
            "\"Pelk_No8\"\n"
            "disk 0 track 0 c 0 h 0 sectors 2 ids 00.00.02.02 00.00.01.02\n"
            "disk 0 track 2 c 1 h 0 sectors 2 ids 01.00.02.02 01.00.01.02\n"
            "disk 1 name \"\" media 0x99 unknown tracks 1 boot none\n"
            "disk 1 track 163 c 81 h 1 sectors 1 ids 00.00.01.01\n");
}

TEST_F(D88Info, EmptyAndDamagedImagesAreListedAsFarAsTheyGo) {
  EXPECT_EQ(RunOn({}).out, "image disks 0\n");

  DiskSpec disk = d88build::FormattedDisk(2);
  disk.trackOffsets[1] = 0xFFFFFFF0u;  // a negative offset: absent
  disk.tracks[0][0].data[3] = 'O';
  disk.tracks[0][0].data[4] = 0x7f;
  Bytes image = d88build::BuildImage({disk});
  image.resize(688 + 16 + 5);  // ends inside the first sector's data
  const auto result = RunOn(image, {"--tracks"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out,
            "image disks 1\n"
            "disk 0 name \"FORMATTED\" media 0x10 2DD tracks 1 boot "
            "\"O\\x7f\"\n"
            "disk 0 track 0 c 0 h 0 sectors 1 ids 00.00.01.02\n");
}

TEST_F(D88Info, CommandLineErrorsAndUnreadableImages) {
  const auto help = progrun::Run(D88INFO_PATH, {"--help"}, dir.path());
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: d88info [--tracks] IMAGE\n", 0), 0u);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"--tracks"}, {"a", "b"}, {"--bogus", "a"}}) {
    const auto wrong = progrun::Run(D88INFO_PATH, args, dir.path());
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err, help.out);
  }
  fs::create_directory(dir / "folder");
  for (const char* path : {"missing", "folder"}) {
    const auto unreadable = progrun::Run(D88INFO_PATH, {path}, dir.path());
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_EQ(unreadable.out, "");
    EXPECT_EQ(unreadable.err,
              std::string("d88info: cannot open ") + path + " as a file\n");
  }
}

}  // namespace
