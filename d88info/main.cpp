// d88info: shows what D88 images hold, disk by disk, in plain ASCII with
// one record per line: for instance to see why a ripper did not recognise
// a disk, which sectors of a damaged disk the image records as bad, or
// which known dumps the disks are.
//
//   d88info [--tracks] [--map] [--hash] [--dat FILE]... [--split FOLDER]
//           IMAGE...
//
// The run itself is d88info/Run.cpp.

#include "d88info/Run.h"
#include "platform/CommandLine.h"
#include "platform/Console.h"
#include "platform/ConsoleWindow.h"

int main(int argc, char** argv) {
  SetUpConsole();
  const CommandLine line = GetCommandLineArguments(argc, argv);
  const int status = RunD88Info(line.count, line.arguments);
  HoldOwnConsoleWindow(false);
  return status;
}
