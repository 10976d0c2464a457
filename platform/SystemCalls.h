#pragma once

// The system calls of the platform layer, made through one table that is
// set to the real calls and that a test may replace, entry by entry, to
// make any call fail, come up short or be interrupted. Only platform/ and
// its tests include this. The table's members are each system's own
// calls.

#ifdef _WIN32
#include <windows.h>

struct SystemCalls {
  decltype(&::CreateFileW) createFile;
  decltype(&::GetFileType) getFileType;
  decltype(&::GetFileAttributesW) getFileAttributes;
  decltype(&::GetFileSizeEx) getFileSize;
  decltype(&::ReadFile) readFile;
  decltype(&::WriteFile) writeFile;
  decltype(&::CloseHandle) closeHandle;
  decltype(&::MoveFileExW) moveFile;
  decltype(&::DeleteFileW) deleteFile;
  decltype(&::GetFullPathNameW) getFullPathName;
  decltype(&::SetConsoleCtrlHandler) setConsoleCtrlHandler;
  decltype(&::CreateDirectoryW) createDirectory;
  decltype(&::FindFirstFileW) findFirstFile;
  decltype(&::FindNextFileW) findNextFile;
  decltype(&::FindClose) findClose;
  decltype(&::GetConsoleMode) getConsoleMode;
  decltype(&::WriteConsoleW) writeConsole;
  decltype(&::ReadConsoleW) readConsole;
  decltype(&::GetConsoleProcessList) getConsoleProcessList;
  decltype(&::GetCurrentDirectoryW) getCurrentDirectory;
  decltype(&::GetModuleHandleW) getModuleHandle;
  decltype(&::GetProcAddress) getProcAddress;
};
#else
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>

struct SystemCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  int (*fstat)(int fd, struct stat* status);
  ssize_t (*pread)(int fd, void* dest, size_t length, off_t position);
  ssize_t (*write)(int fd, const void* data, size_t length);
  int (*close)(int fd);
  int (*dup)(int fd);
  int (*rename)(const char* from, const char* to);
  int (*unlink)(const char* path);
  int (*sigaction)(int signal, const struct sigaction* action,
                   struct sigaction* before);
  int (*sigprocmask)(int how, const sigset_t* set, sigset_t* before);
  int (*mkdir)(const char* path, mode_t mode);
  int (*stat)(const char* path, struct stat* status);
};
#endif

// The table the platform layer calls through.
extern SystemCalls systemCalls;

// The real calls, to restore the table from.
extern const SystemCalls kRealSystemCalls;
