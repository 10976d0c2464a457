#include "platform/Folder.h"

#include <cstdio>
#include <cstring>

#include "platform/Primitives.h"

bool MakeFolder(const char* path, SystemError& error) {
  if (CreateFolder(path, error)) return true;
  if (!NameTaken(error)) return false;
  if (IsFolder(path)) return true;
  error = SystemError{SystemError::Reason::kNotFolder, 0};
  return false;
}

const char* FileNameOf(const char* path) {
  const char* name = path;
  for (const char* at = path; *at != '\0'; ++at) {
    if (IsPathSeparator(*at)) name = at + 1;
  }
  return name;
}

bool JoinPath(const char* folder, const char* name, char* path, int size) {
  const std::size_t length = std::strlen(folder);
  const bool ends = length > 0 && IsPathSeparator(folder[length - 1]);
  const int written =
      std::snprintf(path, static_cast<std::size_t>(size), "%s%s%s", folder,
                    ends ? "" : kPathSeparator, name);
  return written >= 0 && written < size;
}
