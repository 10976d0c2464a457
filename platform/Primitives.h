#pragma once

// What each system gives the platform layer's shared code: its primitives,
// defined once per system in platform/posix/ and platform/windows/, of
// which CMake builds the one for the system built for. The shared files
// (Console.cpp, Folder.cpp, InputFile.cpp, OutputFile.cpp,
// SystemError.cpp) hold the algorithms over them. Only platform/
// includes this.

#include "platform/Console.h"
#include "platform/FileHandle.h"
#include "platform/OutputFile.h"
#include "platform/SystemError.h"

// Error text ---------------------------------------------------------------

// The system's own words for its error number `code`, as UTF-8 in `text`
// (`size` bytes), without a closing full stop. Gives false when it has
// none.
bool SystemText(unsigned long code, char* text, int size);

// Reading files ------------------------------------------------------------

enum class FileKind { kRegular, kFolder, kOther, kUnknown };
enum class ReadOutcome { kRead, kInterrupted, kFailed };

// Opens `path` for reading, never waiting on a FIFO or a device; kNoFile
// with `error` saying why (a folder's reason is kFolder).
FileHandle OpenForReading(const char* path, SystemError& error);
// What the open file is, and its size when it is a regular file.
FileKind KindOf(FileHandle file, long long& size, SystemError& error);
// One read at `position`; `got` is what arrived (0 at the end).
ReadOutcome ReadSome(FileHandle file, long long position, unsigned char* dest,
                     int length, int& got);

// Writing files and folders ------------------------------------------------

// Writes all of `data`, going on after short and interrupted writes.
bool WriteAll(FileHandle file, const unsigned char* data, int size);
long ProcessId();
// True when `error` says that a file or folder of that name exists.
bool NameTaken(const SystemError& error);
// The system's error number for a path longer than it takes.
extern const unsigned long kNameTooLongCode;

// Makes the folder `path`; its parent must exist.
bool CreateFolder(const char* path, SystemError& error);
// True when `path` names a folder.
bool IsFolder(const char* path);
// The separator JoinPath puts between a folder and a name, and every
// character that ends a folder's name in a path.
extern const char* const kPathSeparator;
bool IsPathSeparator(char c);

// The temporary file -------------------------------------------------------
// A run writes one temporary file at a time. Its path is kept once, in the
// system's own form, for the calls below and for an interruption, which
// removes it (platform/posix/Signals.cpp, platform/windows/Signals.cpp).
// Call these between HoldInterruptions and ReleaseInterruptions.

// The longest temporary's path, in bytes: a name, the process id and a
// number.
constexpr int kMaxTemporaryPath = ReplacingFile::kMaxNameLength + 32;

// Keeps `path`, then creates the file only if nothing of that name exists;
// from then on an interruption removes it. Gives kNoFile, keeping nothing,
// when it cannot (LastSystemError says why).
FileHandle CreateTemporary(const char* path);
// Moves the temporary over `to`, replacing a file of that name.
bool MoveTemporary(const char* to);
// Removes the temporary.
void RemoveTemporary();
// Forgets it: an interruption no longer removes it.
void ForgetTemporary();

// The console --------------------------------------------------------------

// The program's own text (Shift-JIS), text from the command line (UTF-8
// on Windows), and data the program writes as UTF-8 (JSON).
enum class TextOrigin { kProgram, kCommandLine, kData };

// Looks at the standard streams; sets which of the two are terminals that
// the program's text is converted for.
void DetectTerminals(bool terminal[2]);
// Writes `text` converted for a terminal; gives false, writing nothing,
// when it is not converted.
bool WriteToTerminal(ConsoleStream stream, const char* text, int length,
                     TextOrigin origin);
// True when the program's `text` converts whole for a terminal.
bool ConvertsForTerminal(const char* text, int length);
// The program's `text` converted whole from code page 932 to UTF-8
// (Cp932ToUtf8 in platform/Console.h).
int ConvertCp932(const char* text, int length, char* utf8, int size);
// Writes `text` to a file or pipe.
void WriteToFile(ConsoleStream stream, const char* text, int length,
                 TextOrigin origin);
// Shows a failed write that the file system reports only on close, where a
// system does; gives false then.
bool CheckOutputOnClose();

// The shared console code, for the primitives: bytes through the C
// library (a failure on standard output is noted), and standard output's
// buffer on its way.
void WriteConsoleBytes(ConsoleStream stream, const char* bytes, int length);
void FlushConsoleOutput();
