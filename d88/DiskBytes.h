#pragma once

#include "d88/D88Image.h"

// The bytes a disk is made of, given in order to a sink: the disk as it
// lies in the file, or its sectors' IDs and data alone. A checksum, a
// file being written or both at once take them.

class ByteSink {
 public:
  virtual void Add(const unsigned char* data, int size) = 0;

 protected:
  ~ByteSink() = default;
};

// Gives the bytes of disk `index` as they lie in the image file, header
// included (D88Image::GetDiskSpan), read once in pieces of `bufferSize`
// bytes through `buffer`. Gives false when a read failed or the file
// ended before the span did.
bool FeedDiskSpan(D88Image& image, int index, ByteSink& sink,
                  unsigned char* buffer, int bufferSize);

// Gives the bytes of the current disk's sector contents, which its header
// does not change: for each present track in order, each sector record as
// the listing walks it (D88Image::VisitSectors), as C, H, R, N, the number
// of its data bytes within its track, disk and file as two bytes
// little-endian, then those bytes. Every record of every track is given,
// however many a track holds. The data is read through `buffer`, in
// pieces of at most `bufferSize` bytes. Gives false when a read failed.
bool FeedSectorContents(D88Image& image, ByteSink& sink, unsigned char* buffer,
                        int bufferSize);
