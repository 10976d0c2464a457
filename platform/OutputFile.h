#pragma once

#include "platform/FileHandle.h"
#include "platform/SystemError.h"

// A file written whole or not at all. Its data goes to a temporary file
// beside it, "NAME.PID.N.tmp", made fresh (never one that exists already)
// and moved over NAME once written and closed, so that an existing file of
// that name is replaced only by complete contents. Every write and the
// close are checked. On failure the temporary file is removed, an existing
// NAME is left as it was and the error says why; an interruption removes
// it too (see platform/Signals.h). One such file is written at a time: the
// temporary's path is kept once, for the calls and for an interruption.
class ReplacingFile {
 public:
  // Longest NAME, in bytes.
  static constexpr int kMaxNameLength = 4096;

  ReplacingFile() = default;
  // A file neither finished nor abandoned is abandoned.
  ~ReplacingFile() { Abandon(); }
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  // Makes the temporary for `name`, a path; gives false when it cannot
  // (`error` says why).
  bool Begin(const char* name, SystemError& error);
  // Appends `size` bytes. A failure is kept for Finish, which reports the
  // first; writes after it do nothing.
  void Write(const unsigned char* data, int size);
  // Closes the temporary and moves it over NAME when every write went
  // through; else removes it. Gives true when NAME now holds exactly the
  // data written.
  bool Finish(SystemError& error);
  // Removes the temporary, leaving NAME as it was.
  void Abandon();

 private:
  FileHandle file = {};
  bool open = false;
  bool failed = false;
  SystemError firstError;
  char name[kMaxNameLength + 1] = {};
};

// Writes `size` bytes to the file `name` through a ReplacingFile. Gives
// true when `name` now holds exactly the data; else `error` says why.
bool WriteFileReplacing(const char* name, const unsigned char* data, int size,
                        SystemError& error);
