#include "platform/SystemError.h"

#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

namespace {

constexpr const char* kFolderText = "is a folder";
constexpr const char* kNotRegularText = "not a regular file";
constexpr const char* kTooLongText = "path too long";

void Copy(const char* from, char* text, int size) {
  std::snprintf(text, static_cast<std::size_t>(size), "%s", from);
}

#ifdef _WIN32

// The system's message for `code`, without its closing line end and
// full stop, so that it reads like the POSIX systems' words inside a
// message of ours ("(Access is denied)", not "(Access is denied.)").
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

#else

bool SystemText(unsigned long code, char* text, int size) {
  Copy(std::strerror(static_cast<int>(code)), text, size);
  return true;
}

#endif

}  // namespace

SystemError LastSystemError() {
  SystemError error;
  error.reason = SystemError::Reason::kSystem;
#ifdef _WIN32
  error.code = GetLastError();
#else
  error.code = static_cast<unsigned long>(errno);
#endif
  return error;
}

const char* DescribeError(const SystemError& error, char* text, int size) {
  switch (error.reason) {
    case SystemError::Reason::kFolder: Copy(kFolderText, text, size); break;
    case SystemError::Reason::kNotRegularFile:
      Copy(kNotRegularText, text, size);
      break;
    case SystemError::Reason::kTooLong: Copy(kTooLongText, text, size); break;
    case SystemError::Reason::kSystem:
      if (!SystemText(error.code, text, size)) {
        std::snprintf(text, static_cast<std::size_t>(size), "error %lu",
                      error.code);
      }
      break;
    case SystemError::Reason::kNone: Copy("no error", text, size); break;
  }
  return text;
}
