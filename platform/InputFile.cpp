#include "platform/InputFile.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/WidePath.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

InputFile::~InputFile() { Close(); }

#ifdef _WIN32

bool InputFile::IsOpen() const { return handle != nullptr; }

bool InputFile::Open(const char* path) {
  Close();
  static wchar_t wide[kMaxWidePath];
  if (!ToWidePath(path, wide)) return false;
  HANDLE opened = CreateFileW(wide, GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return false;
  // A folder does not open this way; pipes, consoles and devices do.
  if (GetFileType(opened) != FILE_TYPE_DISK) {
    CloseHandle(opened);
    return false;
  }
  handle = opened;
  failed = false;
  return true;
}

void InputFile::Close() {
  if (handle != nullptr) CloseHandle(static_cast<HANDLE>(handle));
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
    if (!ReadFile(static_cast<HANDLE>(handle), dest + done,
                  static_cast<DWORD>(length - done), &got, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
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
  const int opened = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (opened < 0) return false;
  struct stat status;
  if (fstat(opened, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(opened);
    return false;
  }
  fd = opened;
  failed = false;
  return true;
}

void InputFile::Close() {
  if (fd >= 0) close(fd);
  fd = -1;
}

int InputFile::ReadAt(long long position, unsigned char* dest, int length) {
  if (fd < 0 || position < 0 || length <= 0) return 0;
  int done = 0;
  while (done < length) {
    const ssize_t got =
        pread(fd, dest + done, static_cast<size_t>(length - done),
              static_cast<off_t>(position + done));
    if (got < 0) {
      if (errno == EINTR) continue;
      failed = true;
      break;
    }
    if (got == 0) break;
    done += static_cast<int>(got);
  }
  return done;
}

#endif
