// The POSIX systems' file and folder primitives (platform/Primitives.h).

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Primitives.h"
#include "platform/SystemCalls.h"

const FileHandle kNoFile = -1;

bool CloseFile(FileHandle file) { return systemCalls.close(file) == 0; }

// Non-blocking, so that a FIFO with no writer is refused at once rather
// than waited on; a regular file reads the same either way.
FileHandle OpenForReading(const char* path, SystemError& error) {
  const FileHandle opened =
      systemCalls.open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0);
  if (opened == kNoFile) error = LastSystemError();
  return opened;
}

FileKind KindOf(FileHandle file, long long& size, SystemError& error) {
  struct stat status;
  if (systemCalls.fstat(file, &status) != 0) {
    error = LastSystemError();
    return FileKind::kUnknown;
  }
  if (S_ISDIR(status.st_mode)) return FileKind::kFolder;
  if (!S_ISREG(status.st_mode)) return FileKind::kOther;
  size = status.st_size;
  return FileKind::kRegular;
}

ReadOutcome ReadSome(FileHandle file, long long position, unsigned char* dest,
                     int length, int& got) {
  const ssize_t read = systemCalls.pread(file, dest, static_cast<size_t>(length),
                                         static_cast<off_t>(position));
  got = read > 0 ? static_cast<int>(read) : 0;
  if (read >= 0) return ReadOutcome::kRead;
  return errno == EINTR ? ReadOutcome::kInterrupted : ReadOutcome::kFailed;
}

bool WriteAll(FileHandle file, const unsigned char* data, int size) {
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

long ProcessId() { return static_cast<long>(getpid()); }

bool NameTaken(const SystemError& error) { return error.code == EEXIST; }

const unsigned long kNameTooLongCode = ENAMETOOLONG;

bool CreateFolder(const char* path, SystemError& error) {
  if (systemCalls.mkdir(path, 0777) == 0) return true;
  error = LastSystemError();
  return false;
}

bool IsFolder(const char* path) {
  struct stat status;
  return systemCalls.stat(path, &status) == 0 && S_ISDIR(status.st_mode);
}

const char* const kPathSeparator = "/";

bool IsPathSeparator(char c) { return c == '/'; }
