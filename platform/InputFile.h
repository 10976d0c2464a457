#pragma once

#include "platform/FileHandle.h"
#include "platform/SystemError.h"

// A file opened for reading at positions. Only a regular file opens, and
// opening never blocks (a FIFO or a device is refused, not waited on). A
// read tells the end of the file from a failure: it gives the bytes that
// arrived, and a failure is also remembered, with its reason, until the
// file is closed.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Gives false, leaving nothing open, when `path` cannot be opened or is
  // not a regular file; Error() then says why. Whatever was open before is
  // closed first, and its failure forgotten.
  bool Open(const char* path);
  void Close();
  bool IsOpen() const;

  // The file's size when it was opened.
  long long Size() const { return size; }

  // Copies up to `length` bytes at `position` into `dest`; gives how many
  // arrived. Interrupted and short reads are retried, so fewer than
  // `length` means the end of the file, or a failure when Failed() says so:
  // a read that fails, or a file that ends before the size it had when it
  // was opened (it shrank while read, kShrunk).
  int ReadAt(long long position, unsigned char* dest, int length);

  // True once a read has failed since Open.
  bool Failed() const { return failed; }
  // Why the last Open or the failed read failed.
  const SystemError& Error() const { return error; }

 private:
  FileHandle file = {};
  bool open = false;
  long long size = 0;
  bool failed = false;
  SystemError error;
};
