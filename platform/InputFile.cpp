#include "platform/InputFile.h"

#include "platform/SystemCalls.h"

#ifdef _WIN32
#include "platform/WidePath.h"
#else
#include <fcntl.h>

#include <cerrno>
#endif

InputFile::~InputFile() { Close(); }

#ifdef _WIN32

bool InputFile::IsOpen() const { return handle != nullptr; }

bool InputFile::Open(const char* path) {
  Close();
  static wchar_t wide[kMaxWidePath];
  if (!ToWidePath(path, wide)) {
    error = LastSystemError();
    return false;
  }
  HANDLE opened = systemCalls.createFile(
      wide, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE) {
    error = LastSystemError();
    // A folder does not open as a file: Windows says only "access denied".
    const DWORD attributes = systemCalls.getFileAttributes(wide);
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      error.reason = SystemError::Reason::kFolder;
    }
    return false;
  }
  // Pipes, consoles and devices open too.
  LARGE_INTEGER fileSize = {};
  if (systemCalls.getFileType(opened) != FILE_TYPE_DISK) {
    error = SystemError{SystemError::Reason::kNotRegularFile, 0};
  } else if (!systemCalls.getFileSize(opened, &fileSize)) {
    error = LastSystemError();
  } else {
    handle = opened;
    size = fileSize.QuadPart;
    failed = false;
    return true;
  }
  systemCalls.closeHandle(opened);
  return false;
}

void InputFile::Close() {
  if (handle != nullptr) systemCalls.closeHandle(static_cast<HANDLE>(handle));
  handle = nullptr;
}

int InputFile::ReadAt(long long position, unsigned char* dest, int length) {
  if (handle == nullptr || position < 0 || length <= 0) return 0;
  int done = 0;
  while (done < length) {
    OVERLAPPED at = {};
    const unsigned long long offset =
        static_cast<unsigned long long>(position) + done;
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!systemCalls.readFile(static_cast<HANDLE>(handle), dest + done,
                              static_cast<DWORD>(length - done), &got, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      error = LastSystemError();
      failed = true;
      break;
    }
    if (got == 0) break;
    done += static_cast<int>(got);
  }
  return done;
}

#else

bool InputFile::IsOpen() const { return fd >= 0; }

bool InputFile::Open(const char* path) {
  Close();
  // Non-blocking, so that a FIFO with no writer is refused at once rather
  // than waited on; a regular file reads the same either way.
  const int opened =
      systemCalls.open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0);
  if (opened < 0) {
    error = LastSystemError();
    return false;
  }
  struct stat status;
  if (systemCalls.fstat(opened, &status) != 0) {
    error = LastSystemError();
  } else if (S_ISDIR(status.st_mode)) {
    error = SystemError{SystemError::Reason::kFolder, 0};
  } else if (!S_ISREG(status.st_mode)) {
    error = SystemError{SystemError::Reason::kNotRegularFile, 0};
  } else {
    fd = opened;
    size = status.st_size;
    failed = false;
    return true;
  }
  systemCalls.close(opened);
  return false;
}

void InputFile::Close() {
  if (fd >= 0) systemCalls.close(fd);
  fd = -1;
}

int InputFile::ReadAt(long long position, unsigned char* dest, int length) {
  if (fd < 0 || position < 0 || length <= 0) return 0;
  int done = 0;
  while (done < length) {
    const ssize_t got =
        systemCalls.pread(fd, dest + done, static_cast<size_t>(length - done),
                          static_cast<off_t>(position + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      error = LastSystemError();
      failed = true;
      break;
    }
    if (got == 0) break;
    done += static_cast<int>(got);
  }
  return done;
}

#endif
