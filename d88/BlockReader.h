#pragma once

#include "platform/InputFile.h"

// Reads a file through one fixed block, so that walking a chain of small
// records costs one read call per block rather than one seek and one read
// per record. Never allocates.
class BlockReader {
 public:
  static constexpr int kBlockSize = 65536;

  BlockReader() = default;
  ~BlockReader();
  BlockReader(const BlockReader&) = delete;
  BlockReader& operator=(const BlockReader&) = delete;

  // Gives false when the file cannot be opened or is not a regular file;
  // then nothing is open.
  bool Open(const char* path);
  void Close();
  bool IsOpen() const { return file.IsOpen(); }

  // Copies up to `length` bytes at `position` into `dest`; gives how many
  // arrived (fewer at the end of the file or after a failed read).
  int Read(long long position, unsigned char* dest, int length);

  // True once a read of the file has failed since Open: a short count
  // was then no end of the file.
  bool ReadFailed() const { return file.Failed(); }
  // Why the last Open or the failed read failed.
  const SystemError& Error() const { return file.Error(); }
  // The file's size when it was opened.
  long long Size() const { return file.Size(); }

  // Points at `length` bytes (at most kBlockSize) at `position`, valid until
  // the next call; null when they do not all arrive.
  const unsigned char* View(long long position, int length);

 private:
  bool InBlock(long long position, int length) const;
  void LoadBlock(long long position);

  InputFile file;
  long long blockStart = -1;
  int blockLength = 0;
  unsigned char block[kBlockSize] = {};
};
