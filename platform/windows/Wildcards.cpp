// Windows: patterns on the command line are the program's to expand
// (platform/Wildcards.h), through the call table.

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "platform/Folder.h"
#include "platform/SystemCalls.h"
#include "platform/Wildcards.h"
#include "platform/windows/WidePath.h"

namespace {

std::string ToUtf8(const wchar_t* text) {
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (bytes <= 1) return std::string();
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], bytes, nullptr, nullptr);
  utf8.resize(static_cast<std::size_t>(bytes - 1));
  return utf8;
}

// Name order as Explorer and dir give it: ignoring case, then exactly.
bool InNameOrder(const std::wstring& a, const std::wstring& b) {
  const int folded = CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()),
                                          b.c_str(), static_cast<int>(b.size()),
                                          TRUE);
  if (folded != CSTR_EQUAL) return folded == CSTR_LESS_THAN;
  return a < b;
}

}  // namespace

void ExpandWildcards(const char* operand, std::vector<std::string>& paths) {
  const char* name = FileNameOf(operand);
  static wchar_t wide[kMaxWidePath];
  WIN32_FIND_DATAW found;
  const HANDLE search =
      std::strpbrk(name, "*?") == nullptr || !ToWidePath(operand, wide)
          ? INVALID_HANDLE_VALUE
          : systemCalls.findFirstFile(wide, &found);
  if (search == INVALID_HANDLE_VALUE) {
    paths.push_back(operand);
    return;
  }
  std::vector<std::wstring> names;
  do {
    if (std::wcscmp(found.cFileName, L".") != 0 &&
        std::wcscmp(found.cFileName, L"..") != 0) {
      names.push_back(found.cFileName);
    }
  } while (systemCalls.findNextFile(search, &found));
  systemCalls.findClose(search);
  if (names.empty()) {
    paths.push_back(operand);
    return;
  }
  std::sort(names.begin(), names.end(), InNameOrder);
  const std::string folder(operand, static_cast<std::size_t>(name - operand));
  for (const std::wstring& match : names) {
    paths.push_back(folder + ToUtf8(match.c_str()));
  }
}
