#include "rip/OutputFile.h"

#include <cstdio>

#include "rip/PlatformFile.h"

namespace {

constexpr int kTemporaryNameSize = 300;
constexpr int kTemporaryNameAttempts = 100;

// Creates a temporary file next to `name` that did not exist before, so that
// no file of the user's is ever overwritten through it.
std::FILE* CreateTemporary(const char* name, char* temporaryName) {
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    const int length = std::snprintf(temporaryName, kTemporaryNameSize,
                                     "%s.%d.tmp", name, attempt);
    if (length < 0 || length >= kTemporaryNameSize) return nullptr;
    std::FILE* file = CreateNewFile(temporaryName);
    if (file != nullptr) return file;
  }
  return nullptr;
}

}  // namespace

bool WriteFileReplacing(const char* name, const unsigned char* data,
                        int size) {
  if (size < 0) return false;
  char temporaryName[kTemporaryNameSize];
  std::FILE* file = CreateTemporary(name, temporaryName);
  if (file == nullptr) return false;

  const std::size_t wanted = static_cast<std::size_t>(size);
  bool written = std::fwrite(data, 1, wanted, file) == wanted;
  // fclose flushes; a failure there is a failed write too.
  written = (std::fclose(file) == 0) && written;
  if (written && MoveIntoPlace(temporaryName, name)) return true;
  std::remove(temporaryName);
  return false;
}
