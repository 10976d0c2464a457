#include "d88info/Arguments.h"

#include <cstring>

#include "d88/D88Format.h"
#include "d88info/Listing.h"

const char* const kUsage =
    "Usage: d88info [--tracks] [--map] [--hash] [--split FOLDER] IMAGE\n"
    "       d88info --help | --version\n"
    "Lists the disks of a D88 image: number, name, media type, write\n"
    "protection, tracks present and boot sector bytes 3..10.\n"
    "  --tracks  also lists every present track with the ID fields (C.H.R.N,\n"
    "            in hex) of its sectors in file order; a sector the image\n"
    "            records as damaged or deleted has a suffix such as :data-crc\n"
    "  --map     also draws every present track as one character per sector\n"
    "            number, from 1 to the disk's highest, as the rippers find\n"
    "            the sector with the track's own C, H and usual N:\n"
    "            " D88INFO_MAP_MARKS "\n"
    "  --hash    also gives each disk's CRC32 and SHA-1, header included, as\n"
    "            catalogues of known dumps list a disk saved as its own\n"
    "            file, and its data-sha1, which only the sectors' IDs and\n"
    "            data make (the same for copies with other headers)\n"
    "  --split FOLDER\n"
    "            also writes each disk as its own file FOLDER/BASE-NN.d88\n"
    "            (BASE: the image's name without its extension; NN: the\n"
    "            disk's number); FOLDER is made if missing\n"
    "Disks are numbered from 1, in file order. A disk that the image ends\n"
    "inside shows \"truncated PRESENT/DECLARED\" bytes; bytes at the image's\n"
    "end that belong to no disk have a line of their own, and so does an\n"
    "empty image. At most " D88_TEXT(D88_MAX_DISKS)
    " disks are listed; an image holding more says\n"
    "so on standard error and gives exit status 1. With --split, a disk cut\n"
    "short (written with the bytes there are), bytes that belong to no disk\n"
    "(not written), an empty image and a file that could not be written\n"
    "are named on standard error and give exit status 1.\n";

bool ParseArguments(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const char* argument = argv[i];
    if (std::strcmp(argument, "--help") == 0) {
      options.text = kUsage;
      return true;
    }
    if (std::strcmp(argument, "--version") == 0) {
      options.text = "d88info " D88RIP_VERSION "\n";
      return true;
    }
    if (std::strcmp(argument, "--tracks") == 0 && !options.listTracks) {
      options.listTracks = true;
    } else if (std::strcmp(argument, "--map") == 0 && !options.drawMap) {
      options.drawMap = true;
    } else if (std::strcmp(argument, "--hash") == 0 && !options.hash) {
      options.hash = true;
    } else if (std::strcmp(argument, "--split") == 0 &&
               options.splitFolder == nullptr && i + 1 < argc) {
      options.splitFolder = argv[++i];
    } else if (argument[0] != '-' && options.path == nullptr) {
      options.path = argument;
    } else {
      return false;
    }
  }
  return options.path != nullptr;
}
