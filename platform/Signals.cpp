#include "platform/Signals.h"

#include <cstring>

#include "platform/SystemCalls.h"

#ifdef _WIN32
#include <windows.h>

#include <cwchar>

#include "platform/WidePath.h"
#else
#include <signal.h>
#include <unistd.h>
#endif

#ifdef _WIN32

namespace {

CRITICAL_SECTION lock;
bool handling = false;
wchar_t temporaryWide[kMaxWidePath];

// Runs on a thread of its own. It takes the lock and never gives it back,
// so the main thread cannot create, move or mark a file after it; then the
// default handler ends the process (STATUS_CONTROL_C_EXIT).
BOOL WINAPI OnControlEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT &&
      event != CTRL_CLOSE_EVENT) {
    return FALSE;
  }
  EnterCriticalSection(&lock);
  // The file was opened to allow this: it goes once its handle is closed,
  // at the latest when the process ends.
  if (temporaryWide[0] != L'\0') systemCalls.deleteFile(temporaryWide);
  return FALSE;
}

}  // namespace

void MarkTemporary(TemporaryPath path) {
  temporaryWide[0] = L'\0';
  if (path == nullptr) return;
  const std::size_t length = std::wcslen(path);
  if (length < kMaxWidePath) std::wmemcpy(temporaryWide, path, length + 1);
}

void RemoveTemporaryOnInterruption() {
  if (handling) return;
  InitializeCriticalSection(&lock);
  handling = true;
  systemCalls.setConsoleCtrlHandler(OnControlEvent, TRUE);
}

void ReportFailedWritesAsErrors() {}

void HoldInterruptions() {
  if (handling) EnterCriticalSection(&lock);
}

void ReleaseInterruptions() {
  if (handling) LeaveCriticalSection(&lock);
}

#else

namespace {

// The temporary's name; only changed while interruptions are held, so a
// handler never sees it half written.
constexpr int kMaxPath = 4096;
char temporary[kMaxPath];

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

void MarkTemporary(TemporaryPath path) {
  temporary[0] = '\0';
  if (path == nullptr) return;
  const std::size_t length = std::strlen(path);
  if (length < sizeof temporary) std::memcpy(temporary, path, length + 1);
}

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

#endif
