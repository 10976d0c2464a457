// Interruptions on Windows (platform/Signals.h): Ctrl-C, Ctrl-Break and
// closing the console window; and the one temporary file they remove
// (platform/Primitives.h), whose path is kept here once, as the wide file
// calls take it.

#include <windows.h>

#include "platform/Primitives.h"
#include "platform/Signals.h"
#include "platform/SystemCalls.h"
#include "platform/windows/WidePath.h"

namespace {

CRITICAL_SECTION lock;
bool handling = false;
// The temporary's path, made once when it is created: moving or removing
// it never hangs on converting it again. Empty for none.
wchar_t temporary[kMaxWidePath];

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
  if (temporary[0] != L'\0') systemCalls.deleteFile(temporary);
  return FALSE;
}

}  // namespace

// Only if nothing of that name exists. Shared for deletion, so that an
// interruption can remove it while it is open.
FileHandle CreateTemporary(const char* path) {
  if (!ToWidePath(path, temporary)) {
    temporary[0] = L'\0';
    return kNoFile;
  }
  const FileHandle file = systemCalls.createFile(
      temporary, GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == kNoFile) temporary[0] = L'\0';
  return file;
}

// rename() on Windows refuses to replace an existing file.
bool MoveTemporary(const char* to) {
  static wchar_t wideTo[kMaxWidePath];
  return ToWidePath(to, wideTo) &&
         systemCalls.moveFile(temporary, wideTo,
                              MOVEFILE_REPLACE_EXISTING |
                                  MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveTemporary() { systemCalls.deleteFile(temporary); }

void ForgetTemporary() { temporary[0] = L'\0'; }

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
