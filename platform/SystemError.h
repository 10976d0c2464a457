#pragma once

// Why a call of the platform layer failed, carried up to whoever prints it.
struct SystemError {
  enum class Reason {
    kNone,
    kSystem,          // the system's own error number, in `code`
    kFolder,          // the path names a folder
    kNotRegularFile,  // a FIFO, a device, a socket
    kTooLong,         // a path longer than the programs make
    kNotFolder,       // a file stands where a folder should be
    kShrunk,          // the file ended before the size it had when opened
  };
  Reason reason = Reason::kNone;
  // errno on POSIX systems, GetLastError() on Windows.
  unsigned long code = 0;
};

// The system's error number of the call that just failed.
SystemError LastSystemError();

// True when `error` says that a write found its pipe closed by the reader
// (EPIPE; on Windows ERROR_NO_DATA, ERROR_BROKEN_PIPE or
// ERROR_PIPE_NOT_CONNECTED, which wine gives).
bool IsClosedPipe(const SystemError& error);

// Room for any text DescribeError gives, its NUL included.
constexpr int kMaxReasonText = 512;

// Words for `error` as UTF-8 text in `text` (`size` bytes, at least 1):
// the system's own for its numbers (strerror in the programs' C locale, so
// English ASCII, on POSIX systems; FormatMessageW on Windows, in the
// language of the system), the layer's own for its reasons. Print it as
// command-line text (PrintArgument), never as the programs' Shift-JIS.
const char* DescribeError(const SystemError& error, char* text, int size);
