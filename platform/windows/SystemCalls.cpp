#include "platform/SystemCalls.h"

const SystemCalls kRealSystemCalls = {
    ::CreateFileW, ::GetFileType,  ::GetFileAttributesW, ::GetFileSizeEx,
    ::ReadFile,    ::WriteFile,    ::CloseHandle,        ::MoveFileExW,
    ::DeleteFileW, ::GetFullPathNameW, ::SetConsoleCtrlHandler,
    ::CreateDirectoryW, ::LoadLibraryW, ::GetProcAddress,
};

SystemCalls systemCalls = kRealSystemCalls;
