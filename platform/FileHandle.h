#pragma once

// The system's handle of an open file, the value that stands for none, and
// its close, defined once per system (platform/posix/Files.cpp,
// platform/windows/Files.cpp); the handle's type is the system's.
#ifdef _WIN32
using FileHandle = void*;  // a HANDLE
#else
using FileHandle = int;    // a file descriptor
#endif

extern const FileHandle kNoFile;

// Gives false when the close failed; the file is closed all the same.
bool CloseFile(FileHandle file);
