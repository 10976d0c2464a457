#pragma once

#include <vector>

// d88info's command line.
struct Options {
  bool listTracks = false;
  bool drawMap = false;
  bool hash = false;
  bool json = false;
  const char* splitFolder = nullptr;
  std::vector<const char*> catalogues;  // --dat, in the order given
  std::vector<const char*> paths;       // the images, in the order given
  const char* text = nullptr;  // --help or --version: print this alone
};

// The usage and help text.
extern const char* const kUsage;

// Gives false on a wrong command line, which it names on standard error
// in one line.
bool ParseArguments(int argc, char** argv, Options& options);
