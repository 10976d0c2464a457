#include "platform/WidePath.h"

#ifdef _WIN32

#include <windows.h>

#include <cwchar>

namespace {

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";

}  // namespace

bool ToWidePath(const char* path, wchar_t* wide) {
  wchar_t given[kMaxWidePath];
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, given,
                          kMaxWidePath) <= 0) {
    return false;
  }
  if (std::wcslen(given) < MAX_PATH || std::wcsncmp(given, kLongPrefix, 4) == 0) {
    std::wcscpy(wide, given);
    return true;
  }
  // The prefix needs a full path with backslashes, which this makes.
  wchar_t full[kMaxWidePath];
  const DWORD length = GetFullPathNameW(given, kMaxWidePath, full, nullptr);
  if (length == 0 || length >= kMaxWidePath - 8) return false;
  if (full[0] == L'\\' && full[1] == L'\\') {  // \\server\share\...
    std::wcscpy(wide, kLongUncPrefix);
    std::wcscat(wide, full + 2);
  } else {
    std::wcscpy(wide, kLongPrefix);
    std::wcscat(wide, full);
  }
  return true;
}

#endif
