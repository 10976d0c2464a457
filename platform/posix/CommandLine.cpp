#include "platform/CommandLine.h"

// argv is the command line as the system gave it.
CommandLine GetCommandLineArguments(int argc, char** argv) {
  return {argc, argv};
}
