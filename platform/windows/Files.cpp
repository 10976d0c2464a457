// Windows' file and folder primitives (platform/Primitives.h). Paths are
// UTF-8 here and go to the wide calls converted (platform/windows/WidePath.h).

#include <windows.h>

#include <cstring>

#include "platform/Folder.h"
#include "platform/Primitives.h"
#include "platform/SystemCalls.h"
#include "platform/windows/WidePath.h"

const FileHandle kNoFile = INVALID_HANDLE_VALUE;

bool CloseFile(FileHandle file) { return systemCalls.closeHandle(file) != 0; }

// A folder does not open as a file, and Windows says only "access denied"
// of it. A name with a wildcard, a pattern that matched nothing, names no
// file: it is missing, as a shell's unmatched pattern is.
FileHandle OpenForReading(const char* path, SystemError& error) {
  static wchar_t wide[kMaxWidePath];
  if (std::strpbrk(FileNameOf(path), "*?") != nullptr) {
    error = SystemError{SystemError::Reason::kSystem, ERROR_FILE_NOT_FOUND};
    return kNoFile;
  }
  if (!ToWidePath(path, wide)) {
    error = LastSystemError();
    return kNoFile;
  }
  const FileHandle opened = systemCalls.createFile(
      wide, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == kNoFile) {
    error = LastSystemError();
    if (IsFolder(path)) error = SystemError{SystemError::Reason::kFolder, 0};
  }
  return opened;
}

// Pipes, consoles and devices open too; only a disk file is an image.
FileKind KindOf(FileHandle file, long long& size, SystemError& error) {
  if (systemCalls.getFileType(file) != FILE_TYPE_DISK) return FileKind::kOther;
  LARGE_INTEGER fileSize = {};
  if (!systemCalls.getFileSize(file, &fileSize)) {
    error = LastSystemError();
    return FileKind::kUnknown;
  }
  size = fileSize.QuadPart;
  return FileKind::kRegular;
}

ReadOutcome ReadSome(FileHandle file, long long position, unsigned char* dest,
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
    return GetLastError() == ERROR_HANDLE_EOF ? ReadOutcome::kRead
                                              : ReadOutcome::kFailed;
  }
  got = static_cast<int>(read);
  return ReadOutcome::kRead;
}

bool WriteAll(FileHandle file, const unsigned char* data, int size) {
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

long ProcessId() { return static_cast<long>(GetCurrentProcessId()); }

bool NameTaken(const SystemError& error) {
  return error.code == ERROR_FILE_EXISTS || error.code == ERROR_ALREADY_EXISTS;
}

const unsigned long kNameTooLongCode = ERROR_FILENAME_EXCED_RANGE;

bool CreateFolder(const char* path, SystemError& error) {
  static wchar_t wide[kMaxWidePath];
  if (ToWidePath(path, wide, kFolderLimit) &&
      systemCalls.createDirectory(wide, nullptr)) {
    return true;
  }
  error = LastSystemError();
  return false;
}

bool IsFolder(const char* path) {
  static wchar_t wide[kMaxWidePath];
  if (!ToWidePath(path, wide)) return false;
  const DWORD attributes = systemCalls.getFileAttributes(wide);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

const char* const kPathSeparator = "\\";

bool IsPathSeparator(char c) { return c == '/' || c == '\\' || c == ':'; }
