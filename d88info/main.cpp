// d88info: shows what a D88 image holds, disk by disk, in plain ASCII with
// one record per line: for instance to see why a ripper did not recognise
// a disk, or which sectors of a damaged disk the image records as bad.
//
//   d88info [--tracks] [--map] [--hash] [--split FOLDER] IMAGE
//
// This file runs the jobs, each in a file of its own (the command line,
// the listing, the digests, the split), and folds what each gives back
// into the exit status.

#include "d88/D88Image.h"
#include "d88info/Arguments.h"
#include "d88info/Catalogue.h"
#include "d88info/DiskPass.h"
#include "d88info/Listing.h"
#include "d88info/Outcome.h"
#include "d88info/Report.h"
#include "d88info/Split.h"
#include "platform/CommandLine.h"
#include "platform/Console.h"
#include "platform/ConsoleWindow.h"
#include "platform/Signals.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

D88Image image;

// Lists the image, disk by disk; ends early at a failed read.
Outcome List(const Options& options, DiskPass& pass) {
  Outcome outcome = pass.NamePieces();
  if (outcome.readFailed) return outcome;
  ListImage(image);
  if (options.drawMap) PrintMapLegend();
  const bool splitting = options.splitFolder != nullptr;
  for (int index = 0; index < image.GetDiskCount() && !outcome.readFailed;
       ++index) {
    // Nothing more reaches a reader that is gone; pieces are still written.
    if (!splitting && StandardOutputClosed()) break;
    if (!image.SelectDisk(index)) continue;
    ListDisk(image, index);
    if (pass.Needed()) {
      outcome.Add(pass.Run(index));
      if (outcome.readFailed) break;
    }
    if (options.listTracks) ListTracks(image, index);
    if (options.drawMap) DrawMap(image, index);
    outcome.readFailed = image.ReadFailed();
  }
  ListUnownedBytes(image);
  return outcome;
}

// What keeps the image from being whole and what the run could not do, on
// standard error; gives the status.
int Report(const Options& options, const Outcome& outcome) {
  int status = kExitOk;
  // A listing cut short by a failed read is no picture of the image.
  if (image.ReadFailed()) {
    ReportFailure("cannot read ", options.path, image.GetFileError());
    status = kExitFailed;
  } else if (options.path != nullptr &&
             ReportWhatTheImageLacks(image, options.path,
                                     options.splitFolder != nullptr)) {
    status = kExitFailed;
  }
  if (outcome.cryptoFailed) {
    PrintText(ConsoleStream::kErr,
              "d88info: the system's crypto library could not hash\n");
  }
  if (outcome.writeFailed || outcome.cryptoFailed) status = kExitFailed;
  SystemError error;
  if (!FinishConsole(error)) {
    // A reader that stopped reading (| head) is told nothing; where pieces
    // were written, the lost listing is a failure to name.
    if (options.splitFolder != nullptr || !IsClosedPipe(error)) {
      ReportFailure("cannot write to standard output", nullptr, error);
    }
    status = kExitFailed;
  }
  return status;
}

int Run(int argc, char** argv) {
  Options options;
  if (!ParseArguments(argc, argv, options)) {
    PrintText(ConsoleStream::kErr,
              "Try 'd88info --help' for more information.\n");
    return kExitUsage;
  }
  if (options.text != nullptr) {
    PrintText(ConsoleStream::kOut, options.text);
    return Report(options, Outcome());
  }
  // Every catalogue is read before the image.
  std::vector<CatalogueEntry> entries;
  if (!ReadCatalogues(options.catalogues, entries)) return kExitFailed;
  if (!image.Open(options.path)) {
    ReportFailure("cannot open ", options.path, image.GetFileError());
    return kExitFailed;
  }
  if (options.splitFolder != nullptr) {
    // Files are written whole or not at all, also when interrupted.
    RemoveTemporaryOnInterruption();
    ReportFailedWritesAsErrors();
    // The folder is made once the image is known to hold a disk to write.
    if (image.GetDiskCount() > 0 && !image.ReadFailed() &&
        !MakeSplitFolder(options.splitFolder)) {
      return kExitFailed;
    }
  }
  // A failed read while the image was indexed leaves nothing to list.
  DiskPass pass(image, options, entries);
  const Outcome outcome =
      image.ReadFailed() ? Outcome() : List(options, pass);
  return Report(options, outcome);
}

}  // namespace

int main(int argc, char** argv) {
  SetUpConsole();
  const CommandLine line = GetCommandLineArguments(argc, argv);
  const int status = Run(line.count, line.arguments);
  HoldOwnConsoleWindow(false);
  return status;
}
