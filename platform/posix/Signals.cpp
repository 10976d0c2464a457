// Interruptions on POSIX systems (platform/Signals.h), and the one
// temporary file they remove (platform/Primitives.h), whose path is kept
// here once.

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Primitives.h"
#include "platform/Signals.h"
#include "platform/SystemCalls.h"

namespace {

// The temporary's path; empty for none. Only changed while interruptions
// are held, so a handler never sees it half written.
char temporary[kMaxTemporaryPath];

constexpr int kInterruptions[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t maskBeforeHold;

sigset_t InterruptionSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : kInterruptions) sigaddset(&set, signal);
  return set;
}

// Only async-signal-safe calls.
extern "C" void OnInterruption(int signal) {
  if (temporary[0] != '\0') systemCalls.unlink(temporary);
  struct sigaction defaults;
  std::memset(&defaults, 0, sizeof defaults);
  defaults.sa_handler = SIG_DFL;
  sigemptyset(&defaults.sa_mask);
  systemCalls.sigaction(signal, &defaults, nullptr);
  // The signal is blocked while its handler runs: it arrives again, with
  // its default action, as soon as the handler returns.
  raise(signal);
}

void Ignore(int signal) {
  struct sigaction ignore;
  std::memset(&ignore, 0, sizeof ignore);
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  systemCalls.sigaction(signal, &ignore, nullptr);
}

}  // namespace

// Only if nothing of that name exists, not even a link to elsewhere.
FileHandle CreateTemporary(const char* path) {
  const std::size_t length = std::strlen(path);
  if (length >= sizeof temporary) {
    errno = ENAMETOOLONG;
    return kNoFile;
  }
  std::memcpy(temporary, path, length + 1);
  const FileHandle file =
      systemCalls.open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (file == kNoFile) temporary[0] = '\0';
  return file;
}

bool MoveTemporary(const char* to) {
  return systemCalls.rename(temporary, to) == 0;
}

void RemoveTemporary() { systemCalls.unlink(temporary); }

void ForgetTemporary() { temporary[0] = '\0'; }

void RemoveTemporaryOnInterruption() {
  struct sigaction handler;
  std::memset(&handler, 0, sizeof handler);
  handler.sa_handler = OnInterruption;
  handler.sa_mask = InterruptionSet();
  for (int signal : kInterruptions) {
    struct sigaction before;
    if (systemCalls.sigaction(signal, nullptr, &before) != 0) continue;
    if (before.sa_handler == SIG_IGN) continue;  // nohup, a background job
    systemCalls.sigaction(signal, &handler, nullptr);
  }
}

void ReportFailedWritesAsErrors() {
  Ignore(SIGPIPE);
  Ignore(SIGXFSZ);
}

void HoldInterruptions() {
  const sigset_t set = InterruptionSet();
  systemCalls.sigprocmask(SIG_BLOCK, &set, &maskBeforeHold);
}

void ReleaseInterruptions() {
  systemCalls.sigprocmask(SIG_SETMASK, &maskBeforeHold, nullptr);
}
