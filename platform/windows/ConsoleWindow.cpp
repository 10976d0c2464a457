// Windows: a window of the program's own held open until Enter
// (platform/ConsoleWindow.h).

#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "platform/ConsoleWindow.h"
#include "platform/SystemCalls.h"

namespace {

// Wine's ntdll exports its version; Windows' has no such function.
bool UnderWine() {
  const HMODULE ntdll = systemCalls.getModuleHandle(L"ntdll.dll");
  return ntdll != nullptr &&
         systemCalls.getProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool IsConsole(DWORD which) {
  DWORD mode = 0;
  return systemCalls.getConsoleMode(GetStdHandle(which), &mode) != 0;
}

void Say(const wchar_t* text) {
  DWORD written = 0;
  systemCalls.writeConsole(GetStdHandle(STD_OUTPUT_HANDLE), text,
                           static_cast<DWORD>(std::wcslen(text)), &written,
                           nullptr);
}

}  // namespace

void HoldOwnConsoleWindow(bool nameFolder) {
  DWORD processes[2];
  const int count =
      static_cast<int>(systemCalls.getConsoleProcessList(processes, 2));
  if (!KeepsWindowOpen(UnderWine(), count, IsConsole(STD_INPUT_HANDLE),
                       IsConsole(STD_OUTPUT_HANDLE),
                       IsConsole(STD_ERROR_HANDLE))) {
    return;
  }
  std::fflush(stdout);
  static wchar_t folder[32768];
  if (nameFolder && systemCalls.getCurrentDirectory(32768, folder) != 0) {
    Say(L"Files written to: ");
    Say(folder);
    Say(L"\n");
  }
  Say(L"Press Enter to close this window.\n");
  wchar_t answer[64];
  DWORD read = 0;
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  // Until a line ends, or the console is gone.
  while (systemCalls.readConsole(in, answer, 64, &read, nullptr) && read > 0 &&
         std::wmemchr(answer, L'\n', read) == nullptr &&
         std::wmemchr(answer, L'\r', read) == nullptr) {
  }
}
