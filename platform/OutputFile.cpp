#include "platform/OutputFile.h"

#include <cstdio>

#include "platform/Primitives.h"
#include "platform/Signals.h"

// Temporary then rename, over each system's primitives
// (platform/Primitives.h).

namespace {

constexpr int kTemporaryNameAttempts = 100;

// Creates a temporary file next to `name` that did not exist before, and
// marks it for removal on interruption. The process id keeps it apart from
// what other runs, or runs killed outright, left behind. Names that are
// taken are passed over; any other failure ends the attempts.
FileHandle CreateTemporaryFor(const char* name, SystemError& error) {
  char temporaryName[kMaxTemporaryPath];
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    const int length =
        std::snprintf(temporaryName, sizeof temporaryName, "%s.%ld.%d.tmp",
                      name, ProcessId(), attempt);
    if (length < 0 || length >= static_cast<int>(sizeof temporaryName)) {
      error = SystemError{SystemError::Reason::kSystem, kNameTooLongCode};
      return kNoFile;
    }
    HoldInterruptions();
    const FileHandle file = CreateTemporary(temporaryName);
    error = LastSystemError();
    ReleaseInterruptions();
    if (file != kNoFile) return file;
    if (!NameTaken(error)) return kNoFile;
  }
  return kNoFile;  // every name taken: `error` says so
}

}  // namespace

bool ReplacingFile::Begin(const char* path, SystemError& error) {
  Abandon();
  const int length = std::snprintf(name, sizeof name, "%s", path);
  if (length < 0 || length >= static_cast<int>(sizeof name)) {
    error = SystemError{SystemError::Reason::kSystem, kNameTooLongCode};
    return false;
  }
  file = CreateTemporaryFor(name, error);
  if (file == kNoFile) return false;
  open = true;
  failed = false;
  return true;
}

void ReplacingFile::Write(const unsigned char* data, int size) {
  if (!open || failed || size <= 0) return;
  if (!WriteAll(file, data, size)) {
    firstError = LastSystemError();
    failed = true;
  }
}

bool ReplacingFile::Finish(SystemError& error) {
  if (!open) return false;
  open = false;
  // The first failure is the one to report.
  bool written = !failed;
  if (!written) error = firstError;
  if (!CloseFile(file) && written) {
    error = LastSystemError();
    written = false;
  }
  HoldInterruptions();
  const bool moved = written && MoveTemporary(name);
  if (written && !moved) error = LastSystemError();
  if (!moved) RemoveTemporary();
  ForgetTemporary();
  ReleaseInterruptions();
  return moved;
}

void ReplacingFile::Abandon() {
  if (!open) return;
  failed = true;
  SystemError ignored;
  Finish(ignored);
}

bool WriteFileReplacing(const char* name, const unsigned char* data, int size,
                        SystemError& error) {
  // One file at a time: its names outlive no call.
  static ReplacingFile file;
  if (size < 0 || !file.Begin(name, error)) return false;
  file.Write(data, size);
  return file.Finish(error);
}
