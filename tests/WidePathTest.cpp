// Windows paths as the wide file calls get them.

#include <gtest/gtest.h>

#ifdef _WIN32

#include <cwchar>
#include <string>

#include "platform/Folder.h"
#include "platform/OutputFile.h"
#include "platform/SystemCalls.h"
#include "platform/windows/WidePath.h"

namespace {

// The classic length limit holds for the full path, also of a short name
// in a deep folder: such a name reaches CreateFileW prefixed and full.
TEST(WidePath, LongFullPathsArePrefixed) {
  static std::wstring folder;
  static std::wstring given;
  static std::wstring created;
  systemCalls.getFullPathName = [](LPCWSTR path, DWORD size, LPWSTR out,
                                   LPWSTR*) -> DWORD {
    given = path;
    const std::wstring full = folder + L"\\" + given;
    std::wcsncpy(out, full.c_str(), size);
    return static_cast<DWORD>(full.size());
  };
  systemCalls.createFile = [](LPCWSTR path, DWORD, DWORD,
                              LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                              HANDLE) -> HANDLE {
    created = path;
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  };
  const std::wstring deep(250, L'd');
  const struct {
    std::wstring folder;
    std::wstring prefix;  // what comes before the name as given
  } cases[] = {
      {L"C:\\" + deep, L"\\\\?\\C:\\" + deep + L"\\"},
      {L"\\\\server\\share\\" + deep,
       L"\\\\?\\UNC\\server\\share\\" + deep + L"\\"},
      {L"C:\\short", L""},
  };
  for (const auto& test : cases) {
    folder = test.folder;
    SystemError error;
    const unsigned char data[] = {1};
    EXPECT_FALSE(WriteFileReplacing("MUS400", data, 1, error));
    EXPECT_EQ(created, test.prefix + given);
  }
  systemCalls = kRealSystemCalls;
}

// A path that is not UTF-8 or too long even prefixed is refused with its
// reason; one prefixed already goes as it is.
TEST(WidePath, PathsThatCannotGoAreRefusedWithTheirReason) {
  static wchar_t wide[kMaxWidePath];
  const std::string tooLong(kMaxWidePath, 'a');
  const struct {
    std::string path;
    DWORD error;  // ERROR_SUCCESS: taken
  } cases[] = {
      {"\xff\xfe.d88", ERROR_NO_UNICODE_TRANSLATION},
      {tooLong, ERROR_FILENAME_EXCED_RANGE},
      {"", ERROR_FILE_NOT_FOUND},
      {"\\\\?\\C:\\" + std::string(300, 'p'), ERROR_SUCCESS},
  };
  for (const auto& test : cases) {
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(ToWidePath(test.path.c_str(), wide), test.error == ERROR_SUCCESS);
    if (test.error != ERROR_SUCCESS) {
      EXPECT_EQ(GetLastError(), test.error) << test.path.substr(0, 16);
    } else {
      EXPECT_EQ(std::wcslen(wide), test.path.size());
    }
  }
}

// CreateDirectoryW refuses a folder whose full path, unprefixed, leaves
// no room for an 8.3 name under MAX_PATH (as Windows does, and wine does
// not): such a folder, 248 to 259 characters long, is made prefixed.
TEST(WidePath, FoldersNearTheLimitAreMade) {
  static std::wstring folder;
  systemCalls.getFullPathName = [](LPCWSTR path, DWORD size, LPWSTR out,
                                   LPWSTR*) -> DWORD {
    const std::wstring full = folder + L"\\" + path;
    std::wcsncpy(out, full.c_str(), size);
    return static_cast<DWORD>(full.size());
  };
  systemCalls.createDirectory = [](LPCWSTR path, LPSECURITY_ATTRIBUTES) -> BOOL {
    const bool prefixed = std::wcsncmp(path, L"\\\\?\\", 4) == 0;
    if (!prefixed && folder.size() + 1 + std::wcslen(path) >= MAX_PATH - 12) {
      SetLastError(ERROR_FILENAME_EXCED_RANGE);
      return FALSE;
    }
    return TRUE;
  };
  for (const std::size_t length : {247u, 248u, 259u, 260u}) {
    folder = L"C:\\" + std::wstring(length - 3 - 1 - 4, L'd');
    SystemError error;
    EXPECT_TRUE(MakeFolder("made", error)) << length;
  }
  systemCalls = kRealSystemCalls;
}

}  // namespace

#endif
