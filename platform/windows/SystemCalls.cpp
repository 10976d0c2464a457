#include "platform/SystemCalls.h"

const SystemCalls kRealSystemCalls = {
    ::CreateFileW, ::GetFileType,  ::GetFileAttributesW, ::GetFileSizeEx,
    ::ReadFile,    ::WriteFile,    ::CloseHandle,        ::MoveFileExW,
    ::DeleteFileW, ::GetFullPathNameW, ::SetConsoleCtrlHandler,
    ::CreateDirectoryW, ::FindFirstFileW, ::FindNextFileW, ::FindClose,
    ::GetConsoleMode, ::WriteConsoleW, ::ReadConsoleW, ::GetConsoleProcessList,
    ::GetCurrentDirectoryW, ::GetModuleHandleW, ::GetProcAddress,
};

SystemCalls systemCalls = kRealSystemCalls;
