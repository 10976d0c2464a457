// Writes the fuzzers' seed corpus, made with the tests' image builder:
// clean disks of every title, several disks end to end, interleaved and
// damaged tracks, sectors recorded as unreadable or deleted; and catalogues.
// The reader's seeds go to SEEDS_DIR/reader, the catalogues to
// SEEDS_DIR/catalogue, each title's to SEEDS_DIR/NAME.
//
//   make_seed_corpus SEEDS_DIR

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "builder/D88Builder.h"
#include "d88rip/TitleList.h"

namespace {

using d88build::BuildImage;
using d88build::DiskSpec;

// The tracks the rippers read: the boot track, KSD.COM's and the series' of
// the titles the seeds were first made for, and each track a file of this
// title's profile begins on.
DiskSpec TitleDisk(const TitleProfile& profile, char digit) {
  DiskSpec disk;
  const auto add = [&](int track) {
    disk.tracks[track] = d88build::FormattedTrack(track);
  };
  for (int track : {0, 8, 9, 12, 13}) add(track);
  for (int track = 52; track <= 77; ++track) add(track);
  for (int i = 0; i < profile.recipeCount; ++i) {
    for (const RecipeStep& step : profile.recipes[i].steps) {
      if (step.file != nullptr) add(step.file->track);
      if (step.series == nullptr) continue;
      for (const SeriesRow* row = step.series->rows; row->r != 0; ++row) {
        add(row->track);
      }
    }
  }
  d88build::SetBootSignature(
      disk, std::string(profile.signature, kBootSignatureLength), digit);
  return disk;
}

void Write(const std::string& dir, const std::string& name,
           const d88build::Bytes& bytes) {
  d88build::WriteFile(dir + "/" + name, bytes);
}

void WriteTitleSeeds(const std::string& dir, const TitleProfile& profile) {
  std::vector<DiskSpec> all;
  for (int i = 0; i < profile.recipeCount; ++i) {
    const char digit = profile.recipes[i].digit;
    DiskSpec disk = TitleDisk(profile, digit);
    Write(dir, std::string("disk-") + digit, BuildImage({disk}));
    all.push_back(disk);
  }
  Write(dir, "two-disks", BuildImage({all[0], all[1]}));

  DiskSpec interleaved = all[0];
  d88build::ReorderSectors(interleaved, {1, 4, 7, 2, 5, 8, 3, 6, 9});
  Write(dir, "interleaved", BuildImage({interleaved}));

  DiskSpec damaged = all[0];
  damaged.tracks.erase(damaged.tracks.find(53));
  damaged.tracks[54][2].dataSize = 0xFFFF;
  damaged.tracks[55][0].sectorCount = 0;
  damaged.trackOffsets[56] = 0x80000000u;
  damaged.tracks[12][1].status = 0xB0;
  damaged.tracks[72][3].status = 0xA0;
  damaged.tracks[74][5].deletedMark = 0x10;
  d88build::Bytes truncated = BuildImage({damaged});
  Write(dir, "damaged", truncated);
  truncated.resize(truncated.size() / 2);
  Write(dir, "truncated", truncated);

  DiskSpec user = TitleDisk(profile, '1');
  d88build::SetBootSignature(
      user, std::string(profile.userSignature, kBootSignatureLength), '1');
  user.tracks.erase(user.tracks.find(52), user.tracks.end());
  Write(dir, "user-and-boot-only", BuildImage({user, user}));
}

// Catalogues as the tests make them: a datafile with a DOCTYPE and
// entities, a software list with CDATA and a commented-out entry, and the
// kinds the reader refuses.
void WriteCatalogueSeeds(const std::string& dir) {
  const std::string rom =
      "<rom name=\"Disk &amp; one.d88\" size=\"348848\" crc=\"c6de4f86\" "
      "sha1=\"7778AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA\"/>";
  const std::pair<const char*, std::string> seeds[] = {
      {"datafile.dat",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE datafile PUBLIC \"-//Logiqx//DTD "
       "ROM Management Datafile//EN\" \"http://www.logiqx.com/Dats/"
       "datafile.dtd\">\n<datafile><header><name>a &lt;b&gt;</name></header>"
       "<game name=\"A\"><rom name=\"m\" size=\"1\" md5=\"00\"/>" +
           rom + "</game></datafile>\n"},
      {"softwarelist.xml",
       "<?xml version=\"1.0\"?>\n<!DOCTYPE softwarelist SYSTEM "
       "\"softwarelist.dtd\">\n<softwarelist name=\"x\"><software name=\"y\">"
       "<notes><![CDATA[<rom/>]]></notes><!--rom name=\"j\"/--><part "
       "name=\"flop1\"><dataarea name=\"flop\">" +
           rom + "</dataarea></part></software></softwarelist>\n"},
      {"cut.xml", "<a><rom name=\"x\" si"},
      {"subset.xml", "<!DOCTYPE a [<!ENTITY x \"y\">]>\n<a/>"},
      {"entity.xml", "<!DOCTYPE a SYSTEM \"a.dtd\">\n<a><rom name=\"&x;\"/></a>"},
  };
  for (const auto& [name, text] : seeds) {
    Write(dir, name, d88build::Bytes(text.begin(), text.end()));
  }
}

void WriteReaderSeeds(const std::string& dir) {
  DiskSpec small = d88build::FormattedDisk(4);
  Write(dir, "formatted", BuildImage({small}));
  DiskSpec interleaved = small;
  d88build::ReorderSectors(interleaved, {9, 1, 8, 2, 7, 3, 6, 4, 5});
  interleaved.name = "INTERLEAVED";
  Write(dir, "several", BuildImage({interleaved, small, interleaved}));
  DiskSpec odd = small;
  odd.tracks[1][0].n = 1;
  odd.tracks[1][3].sectorCount = 0;
  odd.tracks[2][1].dataSize = 100;
  odd.tracks[3].resize(2);
  odd.trackOffsets[4] = 0xFFFFFFFFu;
  odd.sizeField = 0;
  odd.tracks[2][4].status = 0xE0;
  odd.tracks[2][5].deletedMark = 0x10;
  Write(dir, "damaged", BuildImage({odd, small}));
  // Byte-swapped sector counts, so that each walk runs on through the
  // tracks after its own.
  DiskSpec swapped = small;
  for (auto& [track, records] : swapped.tracks) {
    for (d88build::SectorRecord& record : records) record.sectorCount = 0x0900;
  }
  Write(dir, "swapped-counts", BuildImage({swapped}));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: %s SEEDS_DIR\n", argv[0]);
    return 2;
  }
  const std::string seeds = argv[1];
  const auto folder = [&](const std::string& name) {
    const std::string dir = seeds + "/" + name;
    std::filesystem::create_directories(dir);
    return dir;
  };
  WriteReaderSeeds(folder("reader"));
  WriteCatalogueSeeds(folder("catalogue"));
#define WRITE_SEEDS(name, Name, program, profile) \
  WriteTitleSeeds(folder(#name), profile);
  D88RIP_FOR_EACH_TITLE(WRITE_SEEDS)
  return 0;
}
