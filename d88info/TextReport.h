#pragma once

#include "d88info/Catalogue.h"
#include "d88info/ImageReport.h"
#include "platform/SystemError.h"

// An image's report as text: its listing on standard output, in plain
// ASCII with one record per line, and what keeps it from being whole or
// could not be done on standard error, each line in its place. Disks are
// numbered from 1, as the rippers count them.

// What the map's marks mean, for the map's legend line and the help.
#define D88INFO_MAP_MARKS ". normal, E read error, D deleted data, - not found"

struct TextOptions {
  // Several images: each line of standard output begins with the image's
  // path and ": ", and each line on standard error about the image names
  // it.
  bool several = false;
  bool drawMap = false;    // --map: the legend after the image's line
  bool splitting = false;  // --split: disks past the limit were not written
  const Catalogue* catalogue = nullptr;  // --dat
};

void RenderText(const ImageReport& report, const TextOptions& options);

// The report's lines on standard error alone, as RenderText gives them, in
// their order: for a run whose standard output is another rendering.
void ReportProblems(const ImageReport& report, const TextOptions& options);

// "d88info: WHAT PATH: REASON" on standard error, with the system's
// reason; without PATH when it is null. WHAT ends with the space before
// PATH.
void ReportFailure(const char* what, const char* path,
                   const SystemError& error);

// A catalogue that could not be read or was refused, in one line.
void ReportCatalogueFailure(const CatalogueFailure& failure);
