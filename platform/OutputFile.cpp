#include "platform/OutputFile.h"

#include <cstdio>
#include <type_traits>

#include "platform/Signals.h"
#include "platform/SystemCalls.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/WidePath.h"
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace {

constexpr int kTemporaryNameAttempts = 100;

#ifdef _WIN32

using Handle = HANDLE;
const Handle kNoFile = INVALID_HANDLE_VALUE;

long ProcessId() { return static_cast<long>(GetCurrentProcessId()); }

// The temporary's path as the wide calls take it, made once when it is
// created: moving or removing it never hangs on converting it again.
wchar_t temporaryWide[kMaxWidePath];

// Only if nothing of that name exists. Shared for deletion, so that an
// interruption can remove it while it is open.
Handle CreateNew(const char* path) {
  if (!ToWidePath(path, temporaryWide)) return kNoFile;
  return systemCalls.createFile(temporaryWide, GENERIC_WRITE,
                                FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteAll(Handle file, const unsigned char* data, int size) {
  while (size > 0) {
    DWORD written = 0;
    if (!systemCalls.writeFile(file, data, static_cast<DWORD>(size), &written,
                               nullptr)) {
      return false;
    }
    if (written == 0) {
      SetLastError(ERROR_WRITE_FAULT);
      return false;
    }
    data += written;
    size -= static_cast<int>(written);
  }
  return true;
}

bool CloseFile(Handle file) { return systemCalls.closeHandle(file) != 0; }

bool NameTaken(const SystemError& error) {
  return error.code == ERROR_FILE_EXISTS || error.code == ERROR_ALREADY_EXISTS;
}

constexpr unsigned long kNameTooLong = ERROR_FILENAME_EXCED_RANGE;

// Moves the temporary CreateNew made; rename() on Windows refuses to
// replace an existing file.
bool MoveTemporary(const char*, const char* to) {
  static wchar_t wideTo[kMaxWidePath];
  return ToWidePath(to, wideTo) &&
         systemCalls.moveFile(
             temporaryWide, wideTo,
             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveTemporary(const char*) { systemCalls.deleteFile(temporaryWide); }

TemporaryPath PathToMark(const char*) { return temporaryWide; }

#else

using Handle = int;
constexpr Handle kNoFile = -1;

long ProcessId() { return static_cast<long>(getpid()); }

// Only if nothing of that name exists, not even a link to elsewhere.
Handle CreateNew(const char* path) {
  return systemCalls.open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

bool WriteAll(Handle file, const unsigned char* data, int size) {
  while (size > 0) {
    const ssize_t written =
        systemCalls.write(file, data, static_cast<size_t>(size));
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return false;
    if (written == 0) {
      errno = EIO;
      return false;
    }
    data += written;
    size -= static_cast<int>(written);
  }
  return true;
}

bool CloseFile(Handle file) { return systemCalls.close(file) == 0; }

bool NameTaken(const SystemError& error) { return error.code == EEXIST; }

constexpr unsigned long kNameTooLong = ENAMETOOLONG;

bool MoveTemporary(const char* from, const char* to) {
  return systemCalls.rename(from, to) == 0;
}

void RemoveTemporary(const char* path) { systemCalls.unlink(path); }

TemporaryPath PathToMark(const char* path) { return path; }

#endif

// Creates a temporary file next to `name` that did not exist before, and
// marks it for removal on interruption. The process id keeps it apart from
// what other runs, or runs killed outright, left behind. Names that are
// taken are passed over; any other failure ends the attempts.
Handle CreateTemporary(const char* name, char* temporaryName, int size,
                       SystemError& error) {
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    const int length =
        std::snprintf(temporaryName, static_cast<std::size_t>(size),
                      "%s.%ld.%d.tmp", name, ProcessId(), attempt);
    if (length < 0 || length >= size) {
      error = SystemError{SystemError::Reason::kSystem, kNameTooLong};
      return kNoFile;
    }
    HoldInterruptions();
    const Handle file = CreateNew(temporaryName);
    error = LastSystemError();
    if (file != kNoFile) MarkTemporary(PathToMark(temporaryName));
    ReleaseInterruptions();
    if (file != kNoFile) return file;
    if (!NameTaken(error)) return kNoFile;
  }
  return kNoFile;  // every name taken: `error` says so
}

}  // namespace

static_assert(std::is_same<ReplacingFile::Native, Handle>::value,
              "the class keeps the system's own handle");

bool ReplacingFile::Begin(const char* path, SystemError& error) {
  Abandon();
  const int length = std::snprintf(name, sizeof name, "%s", path);
  if (length < 0 || length >= static_cast<int>(sizeof name)) {
    error = SystemError{SystemError::Reason::kSystem, kNameTooLong};
    return false;
  }
  file = CreateTemporary(name, temporaryName, sizeof temporaryName, error);
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
  const bool moved = written && MoveTemporary(temporaryName, name);
  if (written && !moved) error = LastSystemError();
  if (!moved) RemoveTemporary(temporaryName);
  MarkTemporary(nullptr);
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
