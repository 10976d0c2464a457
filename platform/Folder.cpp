#include "platform/Folder.h"

#include <cstdio>
#include <cstring>

#include "platform/SystemCalls.h"

#ifdef _WIN32
#include "platform/WidePath.h"
#else
#include <cerrno>
#endif

#ifdef _WIN32

namespace {

constexpr const char* kSeparator = "\\";

bool IsSeparator(char c) { return c == '/' || c == '\\' || c == ':'; }

}  // namespace

bool MakeFolder(const char* path, SystemError& error) {
  static wchar_t wide[kMaxWidePath];
  if (!ToWidePath(path, wide)) {
    error = LastSystemError();
    return false;
  }
  if (systemCalls.createDirectory(wide, nullptr)) return true;
  error = LastSystemError();
  const DWORD attributes = systemCalls.getFileAttributes(wide);
  return error.code == ERROR_ALREADY_EXISTS &&
         attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

#else

namespace {

constexpr const char* kSeparator = "/";

bool IsSeparator(char c) { return c == '/'; }

}  // namespace

bool MakeFolder(const char* path, SystemError& error) {
  if (systemCalls.mkdir(path, 0777) == 0) return true;
  error = LastSystemError();
  struct stat status;
  return error.code == EEXIST && systemCalls.stat(path, &status) == 0 &&
         S_ISDIR(status.st_mode);
}

#endif

const char* FileNameOf(const char* path) {
  const char* name = path;
  for (const char* at = path; *at != '\0'; ++at) {
    if (IsSeparator(*at)) name = at + 1;
  }
  return name;
}

bool JoinPath(const char* folder, const char* name, char* path, int size) {
  const std::size_t length = std::strlen(folder);
  const bool ends = length > 0 && IsSeparator(folder[length - 1]);
  const int written =
      std::snprintf(path, static_cast<std::size_t>(size), "%s%s%s", folder,
                    ends ? "" : kSeparator, name);
  return written >= 0 && written < size;
}
