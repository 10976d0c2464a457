#include "platform/SystemCalls.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {

// open is variadic; the table takes the mode always.
int OpenFile(const char* path, int flags, mode_t mode) {
  return ::open(path, flags, mode);
}

}  // namespace

const SystemCalls kRealSystemCalls = {
    OpenFile, ::fstat,  ::pread,  ::write,     ::close,
    ::dup,    ::rename, ::unlink, ::sigaction, ::sigprocmask,
    ::mkdir,  ::stat,
};

SystemCalls systemCalls = kRealSystemCalls;
