#include "platform/windows/WidePath.h"

#include <cwchar>

#include "platform/SystemCalls.h"

static_assert(kFileLimit == MAX_PATH, "the classic limit");

namespace {

constexpr wchar_t kLongPrefix[] = L"\\\\?\\";
constexpr wchar_t kLongUncPrefix[] = L"\\\\?\\UNC\\";

}  // namespace

bool ToWidePath(const char* path, wchar_t* wide, unsigned long limit) {
  // An empty path names no file; the calls below would say so with an
  // error left by an earlier call, or none.
  if (path[0] == '\0') {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  wchar_t given[kMaxWidePath];
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path, -1, given,
                          kMaxWidePath) <= 0) {
    // A path too long for the buffer is too long for any call.
    if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
    }
    return false;
  }
  if (std::wcsncmp(given, kLongPrefix, 4) == 0) {
    std::wcscpy(wide, given);
    return true;
  }
  // The classic limit holds for the full path, also when the path given is
  // relative: a short name in a deep folder needs the prefix too, and the
  // prefix needs a full path with backslashes, which this makes.
  wchar_t full[kMaxWidePath];
  SetLastError(ERROR_SUCCESS);
  const DWORD length =
      systemCalls.getFullPathName(given, kMaxWidePath, full, nullptr);
  if (length == 0) {
    if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  // Room for the longest prefix; a longer path is refused with its reason.
  if (length >= kMaxWidePath - 8) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  if (length < limit) {
    std::wcscpy(wide, given);
  } else if (full[0] == L'\\' && full[1] == L'\\') {  // \\server\share\...
    std::wcscpy(wide, kLongUncPrefix);
    std::wcscat(wide, full + 2);
  } else {
    std::wcscpy(wide, kLongPrefix);
    std::wcscat(wide, full);
  }
  return true;
}
