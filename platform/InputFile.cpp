#include "platform/InputFile.h"

#include "platform/SystemCalls.h"

#ifdef _WIN32
#include "platform/WidePath.h"
#else
#include <fcntl.h>

#include <cerrno>
#endif

// Each system's primitives, then the one algorithm over them, as
// platform/OutputFile does.
namespace {

enum class Kind { kRegular, kFolder, kOther, kUnknown };
enum class Outcome { kRead, kInterrupted, kFailed };

#ifdef _WIN32

using Handle = HANDLE;
const Handle kNoFile = INVALID_HANDLE_VALUE;

// Gives the open file, or kNoFile with `error` saying why: a folder does
// not open as a file, and Windows says only "access denied" of it.
Handle OpenForReading(const char* path, SystemError& error) {
  static wchar_t wide[kMaxWidePath];
  if (!ToWidePath(path, wide)) {
    error = LastSystemError();
    return kNoFile;
  }
  const Handle opened = systemCalls.createFile(
      wide, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == kNoFile) {
    error = LastSystemError();
    const DWORD attributes = systemCalls.getFileAttributes(wide);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      error = SystemError{SystemError::Reason::kFolder, 0};
    }
  }
  return opened;
}

// Pipes, consoles and devices open too; only a disk file is an image.
Kind KindOf(Handle file, long long& size, SystemError& error) {
  if (systemCalls.getFileType(file) != FILE_TYPE_DISK) return Kind::kOther;
  LARGE_INTEGER fileSize = {};
  if (!systemCalls.getFileSize(file, &fileSize)) {
    error = LastSystemError();
    return Kind::kUnknown;
  }
  size = fileSize.QuadPart;
  return Kind::kRegular;
}

Outcome ReadSome(Handle file, long long position, unsigned char* dest,
                 int length, int& got) {
  OVERLAPPED at = {};
  const unsigned long long offset = static_cast<unsigned long long>(position);
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  got = 0;
  if (!systemCalls.readFile(file, dest, static_cast<DWORD>(length), &read,
                            &at)) {
    // A read that starts at the end says so as a failure.
    return GetLastError() == ERROR_HANDLE_EOF ? Outcome::kRead
                                              : Outcome::kFailed;
  }
  got = static_cast<int>(read);
  return Outcome::kRead;
}

void CloseFile(Handle file) { systemCalls.closeHandle(file); }

#else

using Handle = int;
constexpr Handle kNoFile = -1;

// Non-blocking, so that a FIFO with no writer is refused at once rather
// than waited on; a regular file reads the same either way.
Handle OpenForReading(const char* path, SystemError& error) {
  const Handle opened =
      systemCalls.open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0);
  if (opened == kNoFile) error = LastSystemError();
  return opened;
}

Kind KindOf(Handle file, long long& size, SystemError& error) {
  struct stat status;
  if (systemCalls.fstat(file, &status) != 0) {
    error = LastSystemError();
    return Kind::kUnknown;
  }
  if (S_ISDIR(status.st_mode)) return Kind::kFolder;
  if (!S_ISREG(status.st_mode)) return Kind::kOther;
  size = status.st_size;
  return Kind::kRegular;
}

Outcome ReadSome(Handle file, long long position, unsigned char* dest,
                 int length, int& got) {
  const ssize_t read = systemCalls.pread(file, dest, static_cast<size_t>(length),
                                         static_cast<off_t>(position));
  got = read > 0 ? static_cast<int>(read) : 0;
  if (read >= 0) return Outcome::kRead;
  return errno == EINTR ? Outcome::kInterrupted : Outcome::kFailed;
}

void CloseFile(Handle file) { systemCalls.close(file); }

#endif

}  // namespace

InputFile::~InputFile() { Close(); }

bool InputFile::IsOpen() const { return open; }

bool InputFile::Open(const char* path) {
  Close();
  const Handle opened = OpenForReading(path, error);
  if (opened == kNoFile) return false;
  long long fileSize = 0;
  switch (KindOf(opened, fileSize, error)) {
    case Kind::kRegular:
      file = opened;
      open = true;
      size = fileSize;
      failed = false;
      return true;
    case Kind::kFolder:
      error = SystemError{SystemError::Reason::kFolder, 0};
      break;
    case Kind::kOther:
      error = SystemError{SystemError::Reason::kNotRegularFile, 0};
      break;
    case Kind::kUnknown: break;  // `error` holds the system's reason
  }
  CloseFile(opened);
  return false;
}

void InputFile::Close() {
  if (open) CloseFile(file);
  open = false;
}

int InputFile::ReadAt(long long position, unsigned char* dest, int length) {
  if (!open || position < 0 || length <= 0) return 0;
  int done = 0;
  while (done < length) {
    int got = 0;
    const Outcome outcome =
        ReadSome(file, position + done, dest + done, length - done, got);
    if (outcome == Outcome::kInterrupted) continue;
    if (outcome == Outcome::kFailed) {
      error = LastSystemError();
      failed = true;
      break;
    }
    if (got == 0) break;  // the end of the file
    done += got;
  }
  return done;
}
