#pragma once

#include "platform/SystemError.h"

// The programs' console output. The programs' own texts are Shift-JIS
// (CP932) bytes. On a terminal that would show those bytes as garbage they
// are converted: to UTF-8 when the locale's character set is UTF-8 on
// POSIX systems, to UTF-16 through the console API on a Windows console.
// Anywhere else (a file, a pipe, any other locale) the bytes go out
// exactly as they are. Each stream is judged on its own.

enum class ConsoleStream { kOut, kErr };

// Looks at the standard streams once, before anything is printed, and
// makes standard error unbuffered. On Windows it also puts them in binary
// mode, so that every platform writes the same bytes (LF line ends).
void SetUpConsole();

// Prints text of the program's own. Standard output is flushed after each
// message, so that an interruption loses none of it, and before anything
// goes to standard error, so the two keep their order on a shared terminal
// or file. A text that cannot be converted is printed as it is.
void PrintText(ConsoleStream stream, const char* text);
void PrintFormat(ConsoleStream stream, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// The longest text one PrintText or PrintFormat converts for a terminal.
constexpr int kMaxConsoleMessage = 1024;

// A line of the program's own text on standard output, built item by item
// and sent through PrintText in pieces of at most kMaxConsoleMessage
// bytes, so that a line of any length reaches a terminal converted. A
// caller that must not leave half a line begins one only once it has
// everything the line says.
class ConsoleLine {
 public:
  // Appends one item of at most half a piece; a longer one may be cut.
  void Add(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Ends the line with a newline and sends the rest of it.
  void End();

 private:
  void Send();

  char piece[kMaxConsoleMessage] = {};
  int length = 0;
};

// Prints text that came from the command line (see platform/CommandLine.h),
// never taken for Shift-JIS: on POSIX systems its bytes as they are; on
// Windows, UTF-8 here, it goes to a console as it is and to a file or pipe
// in the ANSI code page, with '?' for what that code page lacks.
void PrintArgument(ConsoleStream stream, const char* text);

// Prints UTF-8 text that is data, such as JSON: to a file or a pipe its
// bytes as they are, on every system; to a Windows console through the
// console API, so that it shows. At most kMaxDataPiece bytes at a time.
void PrintData(ConsoleStream stream, const char* text);
constexpr int kMaxDataPiece = 8192;

// Converts Shift-JIS (code page 932) `text`, whole, to UTF-8 in `utf8`
// (`size` bytes, its NUL included); gives the UTF-8's length, or -1 when
// the text does not convert whole or does not fit. It is the conversion
// that the program's text gets for a terminal: iconv's CP932 on POSIX
// systems (glibc's SHIFT_JIS differs from Windows on several characters),
// code page 932 on Windows.
int Cp932ToUtf8(const char* text, int length, char* utf8, int size);

// True when `stream` is a terminal that the program's Shift-JIS text is
// converted for and `text` (`length` bytes of it) converts whole: such a
// terminal shows it as Japanese.
bool ShowsAsJapanese(ConsoleStream stream, const char* text, int length);

// True once a write to standard output found its pipe closed by the
// reader (see IsClosedPipe): nothing more will reach it.
bool StandardOutputClosed();

// Flushes standard output and, on POSIX systems, closes a copy of its
// descriptor, which shows failures that a file system reports only then.
// Gives false when anything written to it was lost (a full disk, a closed
// pipe); `error` then holds the reason of the first write that failed, or
// of the failed close. Standard output stays open.
bool FinishConsole(SystemError& error);
