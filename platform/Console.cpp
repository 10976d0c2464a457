#include "platform/Console.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/Primitives.h"

// What every system's console does alike: which text is converted, the
// order of the two streams, the line builder and the noting of lost
// output; each system's conversion and terminal test are its primitives
// (platform/Primitives.h).

namespace {

// The longest text one message converts for a terminal: a fixed text with
// a name or a path in it fits.
constexpr int kMaxMessage = kMaxConsoleMessage;

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

int IndexOf(ConsoleStream stream) {
  return stream == ConsoleStream::kOut ? 0 : 1;
}

void Print(ConsoleStream stream, const char* text, TextOrigin origin) {
  const std::size_t length = std::strlen(text);
  if (length == 0) return;
  if (length > INT_MAX / 4) return;
  if (terminal[IndexOf(stream)] &&
      (length <= kMaxMessage || origin != TextOrigin::kProgram) &&
      WriteToTerminal(stream, text, static_cast<int>(length), origin)) {
    return;
  }
  if (stream == ConsoleStream::kErr) FlushConsoleOutput();
  WriteToFile(stream, text, static_cast<int>(length), origin);
}

// Each message reaches standard output's file or pipe before the program
// goes on, so that an interruption, which ends the program without
// flushing, loses none of it. Line buffering would do on POSIX systems,
// but Microsoft's C library buffers such a stream fully.
void PrintAndFlush(ConsoleStream stream, const char* text, TextOrigin origin) {
  Print(stream, text, origin);
  if (stream == ConsoleStream::kOut) FlushConsoleOutput();
}

}  // namespace

void WriteConsoleBytes(ConsoleStream stream, const char* bytes, int length) {
  const std::size_t size = static_cast<std::size_t>(length);
  std::FILE* file = stream == ConsoleStream::kOut ? stdout : stderr;
  const bool written = std::fwrite(bytes, 1, size, file) == size;
  if (stream == ConsoleStream::kOut) NoteOutput(written);
}

void FlushConsoleOutput() { NoteOutput(std::fflush(stdout) == 0); }

void SetUpConsole() {
  if (setUp) return;
  setUp = true;
  // Each error line goes out at once, so that in a file or pipe shared
  // with standard output it lands after the progress lines before it.
  // Some C libraries buffer standard error when it is not a console.
  std::setvbuf(stderr, nullptr, _IONBF, 0);
  DetectTerminals(terminal);
}

void PrintText(ConsoleStream stream, const char* text) {
  PrintAndFlush(stream, text, TextOrigin::kProgram);
}

void PrintFormat(ConsoleStream stream, const char* format, ...) {
  char text[kMaxMessage];
  va_list arguments;
  va_start(arguments, format);
  const int length = std::vsnprintf(text, sizeof text, format, arguments);
  va_end(arguments);
  if (length >= 0) PrintAndFlush(stream, text, TextOrigin::kProgram);
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
  PrintAndFlush(stream, text, TextOrigin::kCommandLine);
}

void PrintData(ConsoleStream stream, const char* text) {
  PrintAndFlush(stream, text, TextOrigin::kData);
}

int Cp932ToUtf8(const char* text, int length, char* utf8, int size) {
  if (length < 0 || size <= 0) return -1;
  const int bytes = length == 0 ? 0 : ConvertCp932(text, length, utf8, size - 1);
  if (bytes < 0) return -1;
  utf8[bytes] = '\0';
  return bytes;
}

bool ShowsAsJapanese(ConsoleStream stream, const char* text, int length) {
  return terminal[IndexOf(stream)] && length > 0 &&
         length <= kMaxMessage && ConvertsForTerminal(text, length);
}

bool StandardOutputClosed() { return outputLost && IsClosedPipe(outputError); }

bool FinishConsole(SystemError& error) {
  FlushConsoleOutput();
  if (!outputLost) NoteOutput(CheckOutputOnClose());
  error = outputError;
  const bool whole = !outputLost;
  // Reported now; a later call speaks only of what is lost after it.
  outputLost = false;
  std::clearerr(stdout);
  return whole;
}
