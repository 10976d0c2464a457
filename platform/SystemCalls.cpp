#include "platform/SystemCalls.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {

// open is variadic; the table takes the mode always.
int OpenFile(const char* path, int flags, mode_t mode) {
  return ::open(path, flags, mode);
}

}  // namespace
#endif

const SystemCalls kRealSystemCalls = {
#ifdef _WIN32
    ::CreateFileW, ::GetFileType,  ::GetFileAttributesW, ::GetFileSizeEx,
    ::ReadFile,    ::WriteFile,    ::CloseHandle,        ::MoveFileExW,
    ::DeleteFileW, ::GetFullPathNameW, ::SetConsoleCtrlHandler,
    ::CreateDirectoryW,
#else
    OpenFile, ::fstat,  ::pread,  ::write,     ::close,
    ::dup,    ::rename, ::unlink, ::sigaction, ::sigprocmask,
    ::mkdir,  ::stat,
#endif
};

SystemCalls systemCalls = kRealSystemCalls;
