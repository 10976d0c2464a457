#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Primitives.h"

SystemError LastSystemError() {
  return SystemError{SystemError::Reason::kSystem,
                     static_cast<unsigned long>(errno)};
}

bool IsClosedPipe(const SystemError& error) {
  return error.reason == SystemError::Reason::kSystem && error.code == EPIPE;
}

// strerror in the programs' C locale: English ASCII.
bool SystemText(unsigned long code, char* text, int size) {
  std::snprintf(text, static_cast<std::size_t>(size), "%s",
                std::strerror(static_cast<int>(code)));
  return true;
}
