// The write floor of a ripper run: performs exactly the file writes the run
// performs (same names, sizes and order, the same replace through a
// temporary file and a rename) and reads nothing.
//
//   write_floor LIST REPEAT
//
// LIST holds one "NAME SIZE" line per file, in the order the run writes
// them; the whole list is written REPEAT times.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/OutputFile.h"
#include "rip/TransferBuffer.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "Usage: %s LIST REPEAT\n", argv[0]);
    return 2;
  }
  std::vector<std::pair<std::string, int>> files;
  std::ifstream list(argv[1]);
  std::string name;
  int size = 0;
  while (list >> name >> size) files.emplace_back(name, size);
  const int repeat = std::atoi(argv[2]);
  for (int i = 0; i < repeat; ++i) {
    for (const auto& [fileName, fileSize] : files) {
      SystemError error;
      if (!WriteFileReplacing(fileName.c_str(), TransferBuffer, fileSize,
                              error)) {
        char reason[512];
        std::fprintf(stderr, "%s: cannot write %s: %s\n", argv[0],
                     fileName.c_str(),
                     DescribeError(error, reason, sizeof reason));
        return 1;
      }
    }
  }
  return 0;
}
