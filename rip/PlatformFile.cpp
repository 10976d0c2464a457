#include "rip/PlatformFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32

#include <io.h>
#include <windows.h>

std::FILE* CreateNewFile(const char* path) {
  const int fd = _open(path, _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                       _S_IREAD | _S_IWRITE);
  if (fd < 0) return nullptr;
  std::FILE* file = _fdopen(fd, "wb");
  if (file == nullptr) {
    _close(fd);
    std::remove(path);
  }
  return file;
}

// rename() on Windows refuses to replace an existing file.
bool MoveIntoPlace(const char* from, const char* to) {
  return MoveFileExA(from, to,
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

#else

#include <unistd.h>

std::FILE* CreateNewFile(const char* path) {
  const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  std::FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    close(fd);
    std::remove(path);
  }
  return file;
}

bool MoveIntoPlace(const char* from, const char* to) {
  return std::rename(from, to) == 0;
}

#endif
