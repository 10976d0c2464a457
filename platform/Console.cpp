#include "platform/Console.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/SystemCalls.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <iconv.h>
#include <langinfo.h>
#include <strings.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <initializer_list>
#endif

namespace {

// Longest message: a fixed text with an output name of at most 260 bytes.
constexpr int kMaxMessage = kMaxConsoleMessage;

enum class Origin { kProgram, kCommandLine };

constexpr ConsoleStream kStreams[] = {ConsoleStream::kOut, ConsoleStream::kErr};

bool setUp = false;
bool terminal[2] = {false, false};
// The first failure to write standard output, kept for FinishConsole.
bool outputLost = false;
SystemError outputError;

// Notes the reason of standard output's first failed write; a later one
// often says only that the stream is already broken.
void NoteOutput(bool written) {
  if (written || outputLost) return;
  outputLost = true;
  outputError = LastSystemError();
}

// Sends what the C library holds of standard output on its way.
void FlushOutput() { NoteOutput(std::fflush(stdout) == 0); }

int IndexOf(ConsoleStream stream) {
  return stream == ConsoleStream::kOut ? 0 : 1;
}

std::FILE* FileOf(ConsoleStream stream) {
  return stream == ConsoleStream::kOut ? stdout : stderr;
}

// Writes through the C library; a failure on standard output is noted.
void Write(ConsoleStream stream, const char* bytes, int length) {
  const std::size_t size = static_cast<std::size_t>(length);
  const bool written = std::fwrite(bytes, 1, size, FileOf(stream)) == size;
  if (stream == ConsoleStream::kOut) NoteOutput(written);
}

#ifdef _WIN32

HANDLE HandleOf(ConsoleStream stream) {
  return GetStdHandle(stream == ConsoleStream::kOut ? STD_OUTPUT_HANDLE
                                                    : STD_ERROR_HANDLE);
}

void DetectTerminals() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  for (ConsoleStream stream : kStreams) {
    DWORD mode = 0;
    terminal[IndexOf(stream)] = GetConsoleMode(HandleOf(stream), &mode) != 0;
  }
}

// Command-line text can be as long as the command line.
constexpr int kMaxWideText = 32768;
wchar_t wide[kMaxWideText];
char ansi[4 * kMaxWideText];

// A console takes UTF-16 and shows it whatever its code page. Command-line
// text is UTF-8 here (see platform/CommandLine.h), the programs' own text
// code page 932.
bool WriteToTerminal(ConsoleStream stream, const char* text, int length,
                     Origin origin) {
  const UINT codePage = origin == Origin::kProgram ? 932 : CP_UTF8;
  const int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text,
                                        length, wide, kMaxWideText);
  if (units <= 0) return false;
  // Bytes still in the C library's buffers go first.
  FlushOutput();
  DWORD written = 0;
  return WriteConsoleW(HandleOf(stream), wide, static_cast<DWORD>(units),
                       &written, nullptr) != 0 &&
         written == static_cast<DWORD>(units);
}

// A file or pipe gets command-line text in the ANSI code page, as other
// programs' output is: a character that code page lacks becomes '?',
// never a look-alike. The programs' own text goes out as it is.
void WriteToFile(ConsoleStream stream, const char* text, int length,
                 Origin origin) {
  if (origin == Origin::kCommandLine && GetACP() != CP_UTF8) {
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text,
                                          length, wide, kMaxWideText);
    const int bytes =
        units <= 0 ? 0
                   : WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide,
                                         units, ansi, sizeof ansi, "?", nullptr);
    if (bytes > 0) {
      Write(stream, ansi, bytes);
      return;
    }
  }
  Write(stream, text, length);
}

#else

iconv_t fromCp932 = reinterpret_cast<iconv_t>(-1);

// Whether a locale's name gives UTF-8 as its character set: the part after
// its dot and before any '@' is UTF-8 or utf8, in any case.
bool NamesUtf8(const char* locale) {
  const char* codeset = std::strchr(locale, '.');
  if (codeset == nullptr) return false;
  ++codeset;
  const char* end = std::strchr(codeset, '@');
  const std::size_t length =
      end != nullptr ? static_cast<std::size_t>(end - codeset)
                     : std::strlen(codeset);
  return (length == 5 && strncasecmp(codeset, "utf-8", 5) == 0) ||
         (length == 4 && strncasecmp(codeset, "utf8", 4) == 0);
}

// The locale's character set, or, where the locale named in the
// environment is not installed (a container, a fresh WSL), the character
// set that name gives: the terminal shows what the user set it to show.
bool LocaleIsUtf8() {
  bool utf8 = false;
  if (std::setlocale(LC_CTYPE, "") != nullptr) {
    utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
  } else {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
      const char* value = std::getenv(variable);
      if (value == nullptr || *value == '\0') continue;
      utf8 = NamesUtf8(value);
      break;
    }
  }
  // Nothing else in the programs depends on the locale; keep it that way.
  std::setlocale(LC_CTYPE, "C");
  return utf8;
}

void DetectTerminals() {
  if (!LocaleIsUtf8()) return;
  for (ConsoleStream stream : kStreams) {
    terminal[IndexOf(stream)] = isatty(fileno(FileOf(stream))) != 0;
  }
  if (!terminal[0] && !terminal[1]) return;
  fromCp932 = iconv_open("UTF-8", "CP932");
  if (fromCp932 == reinterpret_cast<iconv_t>(-1)) {
    terminal[0] = terminal[1] = false;
  }
}

// A UTF-8 terminal shows command-line text as it is; the programs' own
// text is converted whole or not at all.
bool WriteToTerminal(ConsoleStream stream, const char* text, int length,
                     Origin origin) {
  if (origin == Origin::kCommandLine) return false;
  // Every CP932 character takes at most 3 bytes in UTF-8.
  char converted[3 * kMaxMessage];
  char* in = const_cast<char*>(text);
  std::size_t inLeft = static_cast<std::size_t>(length);
  char* out = converted;
  std::size_t outLeft = sizeof converted;
  const std::size_t failed = static_cast<std::size_t>(-1);
  iconv(fromCp932, nullptr, nullptr, nullptr, nullptr);
  if (iconv(fromCp932, &in, &inLeft, &out, &outLeft) == failed ||
      iconv(fromCp932, nullptr, nullptr, &out, &outLeft) == failed) {
    return false;
  }
  if (stream == ConsoleStream::kErr) FlushOutput();
  Write(stream, converted, static_cast<int>(sizeof converted - outLeft));
  return true;
}

// Everything goes to a file or pipe as it is.
void WriteToFile(ConsoleStream stream, const char* text, int length, Origin) {
  Write(stream, text, length);
}

#endif

void Print(ConsoleStream stream, const char* text, Origin origin) {
  const std::size_t length = std::strlen(text);
  if (length == 0) return;
  if (length > INT_MAX / 4) return;
  if (terminal[IndexOf(stream)] &&
      (length <= kMaxMessage || origin == Origin::kCommandLine) &&
      WriteToTerminal(stream, text, static_cast<int>(length), origin)) {
    return;
  }
  if (stream == ConsoleStream::kErr) FlushOutput();
  WriteToFile(stream, text, static_cast<int>(length), origin);
}

// Each message reaches standard output's file or pipe before the program
// goes on, so that an interruption, which ends the program without
// flushing, loses none of it. Line buffering would do on POSIX systems,
// but Microsoft's C library buffers such a stream fully.
void PrintAndFlush(ConsoleStream stream, const char* text, Origin origin) {
  Print(stream, text, origin);
  if (stream == ConsoleStream::kOut) FlushOutput();
}

}  // namespace

void SetUpConsole() {
  if (setUp) return;
  setUp = true;
  // Each error line goes out at once, so that in a file or pipe shared
  // with standard output it lands after the progress lines before it.
  // Some C libraries buffer standard error when it is not a console.
  std::setvbuf(stderr, nullptr, _IONBF, 0);
  DetectTerminals();
}

void PrintText(ConsoleStream stream, const char* text) {
  PrintAndFlush(stream, text, Origin::kProgram);
}

void PrintFormat(ConsoleStream stream, const char* format, ...) {
  char text[kMaxMessage];
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  if (length >= 0) PrintAndFlush(stream, text, Origin::kProgram);
}

void ConsoleLine::Add(const char* format, ...) {
  if (length > kMaxConsoleMessage / 2) Send();
  va_list arguments;
  va_start(arguments, format);
  const int added = std::vsnprintf(
      piece + length, static_cast<std::size_t>(kMaxConsoleMessage - length),
      format, arguments);
  va_end(arguments);
  if (added > 0) length += added;
  if (length >= kMaxConsoleMessage) length = kMaxConsoleMessage - 1;
}

void ConsoleLine::End() {
  Add("\n");
  Send();
}

void ConsoleLine::Send() {
  if (length == 0) return;
  piece[length] = '\0';
  PrintText(ConsoleStream::kOut, piece);
  length = 0;
}

void PrintArgument(ConsoleStream stream, const char* text) {
  PrintAndFlush(stream, text, Origin::kCommandLine);
}

bool FinishConsole(SystemError& error) {
  FlushOutput();
#ifndef _WIN32
  // Some file systems (NFS) report a failed write only when the file is
  // closed. Closing a copy of the descriptor shows it and keeps standard
  // output open for the lines that may follow.
  if (!outputLost) {
    const int copy = systemCalls.dup(fileno(stdout));
    if (copy >= 0) NoteOutput(systemCalls.close(copy) == 0);
  }
#endif
  error = outputError;
  const bool whole = !outputLost;
  // Reported now; a later call speaks only of what is lost after it.
  outputLost = false;
  std::clearerr(stdout);
  return whole;
}
