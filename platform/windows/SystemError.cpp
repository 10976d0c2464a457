#include <windows.h>

#include "platform/Primitives.h"

SystemError LastSystemError() {
  return SystemError{SystemError::Reason::kSystem, GetLastError()};
}

bool IsClosedPipe(const SystemError& error) {
  return error.reason == SystemError::Reason::kSystem &&
         (error.code == ERROR_NO_DATA || error.code == ERROR_BROKEN_PIPE ||
          error.code == ERROR_PIPE_NOT_CONNECTED);
}

// The system's message for `code`, in the language of the system, without
// its closing line end and full stop, so that it reads like the POSIX
// systems' words inside a message of ours ("(Access is denied)", not
// "(Access is denied.)").
bool SystemText(unsigned long code, char* text, int size) {
  wchar_t wide[512];
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      static_cast<DWORD>(code), 0, wide, 512, nullptr);
  while (length > 0 &&
         (wide[length - 1] == L'\r' || wide[length - 1] == L'\n' ||
          wide[length - 1] == L' ')) {
    --length;
  }
  // A Japanese system ends its messages with an ideographic full stop.
  if (length > 0 && (wide[length - 1] == L'.' || wide[length - 1] == 0x3002)) {
    --length;
  }
  if (length == 0) return false;
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide,
                                        static_cast<int>(length), text,
                                        size - 1, nullptr, nullptr);
  if (bytes <= 0) return false;
  text[bytes] = '\0';
  return true;
}
