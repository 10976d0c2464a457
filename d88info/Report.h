#pragma once

#include "d88/D88Image.h"
#include "platform/SystemError.h"

// "d88info: PATH: ", which begins each line about a file as a whole (the
// image, a catalogue).
void BeginFileLine(const char* path);

// "d88info: WHAT PATH: REASON" on standard error, with the system's reason;
// without PATH when it is null. WHAT ends with the space before PATH.
void ReportFailure(const char* what, const char* path,
                   const SystemError& error);

// Names on standard error, one line each, what keeps the image from being
// whole: empty, ending inside a disk, ending in bytes that belong to no
// disk, or holding disks past the limit (which `splitting` also left
// unwritten). Gives true when there is any.
bool ReportWhatTheImageLacks(const D88Image& image, const char* path,
                             bool splitting);
