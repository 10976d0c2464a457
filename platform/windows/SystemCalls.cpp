#include "platform/SystemCalls.h"

const SystemCalls kRealSystemCalls = {
    ::CreateFileW, ::GetFileType,  ::GetFileAttributesW, ::GetFileSizeEx,
    ::ReadFile,    ::WriteFile,    ::CloseHandle,        ::MoveFileExW,
    ::DeleteFileW, ::GetFullPathNameW, ::SetConsoleCtrlHandler,
    ::CreateDirectoryW, ::FindFirstFileW, ::FindNextFileW, ::FindClose,
};

SystemCalls systemCalls = kRealSystemCalls;
