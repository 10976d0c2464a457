#include "d88info/Arguments.h"

#include <getopt.h>

#include <cstring>

#include "d88/D88Format.h"
#include "d88info/TextReport.h"
#include "platform/Console.h"

const char* const kUsage =
    "Usage: d88info [--tracks] [--map] [--hash] [--dat FILE]...\n"
    "               [--split FOLDER] [--json] IMAGE...\n"
    "       d88info --help | --version\n"
    "Lists the disks of D88 images: number, name, media type, write\n"
    "protection, tracks present and boot sector bytes 3..10. Given several\n"
    "images, it takes each in turn as it would alone, each line of the\n"
    "listing after the image's path and \": \".\n"
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
    "  --dat FILE\n"
    "            also names each disk from a catalogue of known dumps (a\n"
    "            Logiqx datafile or a software list, read once for all the\n"
    "            images; may be given again): a line \"disk N dat exact\n"
    "            NAME\" when the disk is the entry's, \"disk N dat header WHAT\n"
    "            NAME\" when it is once its header's write-protect, name or\n"
    "            reserved bytes are set as the entry's copy has them, each\n"
    "            followed by \"game GAME\" and its description where the\n"
    "            catalogue gives them; or \"disk N dat none\"\n"
    "  --split FOLDER\n"
    "            also writes each disk as its own file FOLDER/BASE-NN.d88\n"
    "            (BASE: the image's name without its extension; NN: the\n"
    "            disk's number); FOLDER is made if missing. With --dat, a\n"
    "            disk that is an entry exactly is written under the entry's\n"
    "            name, where that is a plain file name of no other piece\n"
    "  --json    writes each image's listing as one JSON object on one line\n"
    "            (JSON Lines, UTF-8) with every fact of the text lines, the\n"
    "            other options' included; standard error is as without it\n"
    "Options may be abbreviated; --split=FOLDER works too, and -- ends\n"
    "the options. Disks are numbered from 1, in file order. A disk that\n"
    "the image ends inside shows \"truncated PRESENT/DECLARED\" bytes; bytes\n"
    "at the image's end that belong to no disk have a line of their own,\n"
    "and so does an empty image. At most " D88_TEXT(D88_MAX_DISKS)
    " disks are listed.\n"
    "\n"
    "Exit status: 0 when every image is whole; 1 when one is empty, ends\n"
    "inside a disk or a disk's tracks, ends in bytes that belong to no disk\n"
    "or holds more than " D88_TEXT(D88_MAX_DISKS)
    " disks (each named on standard error in one line),\n"
    "cannot be opened or read, a catalogue cannot be read, or a piece or\n"
    "standard output could not be written; 2 on a wrong command line. A\n"
    "closed pipe (| head) ends the listing quietly.\n";

namespace {

// The long options; none has a short form.
enum OptionId { kTracks = 1, kMap, kHash, kJson, kSplit, kDat, kHelp, kVersion };
const option kOptions[] = {
    {"tracks", no_argument, nullptr, kTracks},
    {"map", no_argument, nullptr, kMap},
    {"hash", no_argument, nullptr, kHash},
    {"json", no_argument, nullptr, kJson},
    {"split", required_argument, nullptr, kSplit},
    {"dat", required_argument, nullptr, kDat},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

// Says what is wrong with the command line where getopt_long gave `code`,
// in the words GNU programs use: each C library has words of its own, and
// codes of its own for an option given an argument it takes none of, so
// the option (optopt) and the argument it was in decide. An option that
// begins as two or more do is ambiguous.
void ReportRefused(int code, const char* given) {
  const option* known = nullptr;
  for (const option& each : kOptions) {
    if (each.name != nullptr && each.val == optopt) known = &each;
  }
  if (known != nullptr) {
    const bool attached = std::strchr(given, '=') != nullptr;
    PrintFormat(ConsoleStream::kErr,
                known->has_arg == no_argument && attached
                    ? "d88info: option '--%s' doesn't allow an argument\n"
                    : "d88info: option '--%s' requires an argument\n",
                known->name);
    return;
  }
  if (optopt > ' ' && optopt < 0x7f) {
    PrintFormat(ConsoleStream::kErr, "d88info: invalid option -- '%c'\n",
                optopt);
    return;
  }
  const char* name = given + (std::strncmp(given, "--", 2) == 0 ? 2 : 0);
  const char* equals = std::strchr(name, '=');
  const std::size_t length =
      equals != nullptr ? static_cast<std::size_t>(equals - name)
                        : std::strlen(name);
  int matches = 0;
  for (const option& each : kOptions) {
    if (each.name != nullptr && std::strncmp(each.name, name, length) == 0) {
      ++matches;
    }
  }
  if (code != '?' || matches < 2) {
    PrintText(ConsoleStream::kErr, "d88info: unrecognized option '");
    PrintArgument(ConsoleStream::kErr, given);
    PrintText(ConsoleStream::kErr, "'\n");
    return;
  }
  PrintText(ConsoleStream::kErr, "d88info: option '");
  PrintArgument(ConsoleStream::kErr, given);
  PrintText(ConsoleStream::kErr, "' is ambiguous; possibilities:");
  for (const option& each : kOptions) {
    if (each.name != nullptr && std::strncmp(each.name, name, length) == 0) {
      PrintFormat(ConsoleStream::kErr, " '--%s'", each.name);
    }
  }
  PrintText(ConsoleStream::kErr, "\n");
}

}  // namespace

bool ParseArguments(int argc, char** argv, Options& options) {
  // Messages are this program's own (opterr), and a missing argument is
  // told from an unknown option (the leading ':'). An optind of 0 starts
  // afresh, also for a caller that runs the program more than once.
  opterr = 0;
  optind = 0;
  for (;;) {
    optopt = 0;
    const int code = getopt_long(argc, argv, ":", kOptions, nullptr);
    if (code == -1) break;
    switch (code) {
      case kTracks: options.listTracks = true; break;
      case kMap: options.drawMap = true; break;
      case kHash: options.hash = true; break;
      case kJson: options.json = true; break;
      case kSplit: options.splitFolder = optarg; break;
      case kDat: options.catalogues.push_back(optarg); break;
      case kHelp: options.text = kUsage; return true;
      case kVersion: options.text = "d88info " D88RIP_VERSION "\n"; return true;
      default:
        // The argument refused: getopt_long has gone past it.
        ReportRefused(code, argv[optind > 1 ? optind - 1 : 1]);
        return false;
    }
  }
  if (optind >= argc) {
    PrintText(ConsoleStream::kErr, "d88info: missing operand\n");
    return false;
  }
  options.paths.assign(argv + optind, argv + argc);
  return true;
}
