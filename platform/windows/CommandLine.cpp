#include "platform/CommandLine.h"

// windows.h first: shellapi.h needs its definitions.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

namespace {

// The command line holds at most 32767 UTF-16 units, and arguments are
// apart by at least one: at most half as many arguments, and at most three
// bytes of UTF-8 for each unit (four for a pair) and a NUL for each.
constexpr int kMaxCommandLine = 32768;
constexpr int kMaxArguments = kMaxCommandLine / 2 + 1;
constexpr int kTextSize = 4 * kMaxCommandLine;

char text[kTextSize];
char* pointers[kMaxArguments + 1];

}  // namespace

CommandLine GetCommandLineArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr || count > kMaxArguments) {
    if (wide != nullptr) LocalFree(wide);
    return {argc, argv};
  }
  int used = 0;
  for (int i = 0; i < count; ++i) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text + used,
                                         kTextSize - used, nullptr, nullptr);
    if (size <= 0) {
      LocalFree(wide);
      return {argc, argv};
    }
    pointers[i] = text + used;
    used += size;
  }
  pointers[count] = nullptr;
  LocalFree(wide);
  return {count, pointers};
}
