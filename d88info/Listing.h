#pragma once

#include "d88/D88Image.h"
#include "platform/Console.h"

// The listing on standard output: the image's line, and for each disk its
// line, its tracks' sector IDs and its map. Each line is begun only once
// everything on it was read: a listing cut short by a failed read (the
// caller asks the image) ends with the last line that is true. Disks are
// numbered from 1, as the rippers count them.

// What the map's marks mean, for the map's legend line and the help.
#define D88INFO_MAP_MARKS ". normal, E read error, D deleted data, - not found"

// "image disks N", and "image empty" for an empty file.
void ListImage(const D88Image& image);

// The legend of the map's marks, printed once before the first disk.
void PrintMapLegend();

// The current disk's line: name, media, protection, tracks present, how
// far the image holds it, and boot sector bytes 3..10.
void ListDisk(D88Image& image, int index);

// With --tracks: a line for each present track, with every record's ID.
void ListTracks(D88Image& image, int index);

// With --map: a line for each present track, with one mark per sector
// number from 1 to the disk's highest.
void DrawMap(D88Image& image, int index);

// "image ends with N bytes that belong to no disk", when it does.
void ListUnownedBytes(const D88Image& image);

// Prints bytes as a quoted string: printable ASCII as it is, everything
// else (and the quote and backslash) escaped.
void AddQuoted(ConsoleLine& line, const unsigned char* bytes, int length);

// One byte as AddQuoted gives it, in `text`.
const char* QuotedByte(unsigned char byte, char (&text)[5]);
