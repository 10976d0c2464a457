// Windows' console primitives (platform/Primitives.h): a console takes
// UTF-16 through the console API and shows it whatever its code page.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/Primitives.h"
#include "platform/SystemCalls.h"

namespace {

HANDLE HandleOf(ConsoleStream stream) {
  return GetStdHandle(stream == ConsoleStream::kOut ? STD_OUTPUT_HANDLE
                                                    : STD_ERROR_HANDLE);
}

bool IsConsole(ConsoleStream stream) {
  DWORD mode = 0;
  return systemCalls.getConsoleMode(HandleOf(stream), &mode) != 0;
}

// Command-line text can be as long as the command line.
constexpr int kMaxWideText = 32768;
wchar_t wide[kMaxWideText];
char ansi[4 * kMaxWideText];

}  // namespace

// Binary mode as well, so that every platform writes the same bytes (LF
// line ends).
void DetectTerminals(bool terminal[2]) {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  terminal[0] = IsConsole(ConsoleStream::kOut);
  terminal[1] = IsConsole(ConsoleStream::kErr);
}

int ConvertCp932(const char* text, int length, char* utf8, int size) {
  const int units = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text, length,
                                        wide, kMaxWideText);
  const int bytes =
      units <= 0 ? 0
                 : WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8, size,
                                       nullptr, nullptr);
  return bytes > 0 ? bytes : -1;
}

bool ConvertsForTerminal(const char* text, int length) {
  return MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, text, length, nullptr,
                             0) > 0;
}

// Command-line text and data are UTF-8 here (see platform/CommandLine.h),
// the programs' own text code page 932.
bool WriteToTerminal(ConsoleStream stream, const char* text, int length,
                     TextOrigin origin) {
  const UINT codePage = origin == TextOrigin::kProgram ? 932 : CP_UTF8;
  const int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text,
                                        length, wide, kMaxWideText);
  if (units <= 0) return false;
  // Bytes still in the C library's buffers go first.
  FlushConsoleOutput();
  DWORD written = 0;
  return systemCalls.writeConsole(HandleOf(stream), wide,
                                  static_cast<DWORD>(units), &written,
                                  nullptr) != 0 &&
         written == static_cast<DWORD>(units);
}

// A file or pipe gets command-line text in the ANSI code page, as other
// programs' output is: a character that code page lacks becomes '?',
// never a look-alike. The programs' own text goes out as it is.
void WriteToFile(ConsoleStream stream, const char* text, int length,
                 TextOrigin origin) {
  if (origin == TextOrigin::kCommandLine && GetACP() != CP_UTF8) {
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text,
                                          length, wide, kMaxWideText);
    const int bytes =
        units <= 0 ? 0
                   : WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide,
                                         units, ansi, sizeof ansi, "?", nullptr);
    if (bytes > 0) {
      WriteConsoleBytes(stream, ansi, bytes);
      return;
    }
  }
  WriteConsoleBytes(stream, text, length);
}

// Windows reports a failed write at the write.
bool CheckOutputOnClose() { return true; }
