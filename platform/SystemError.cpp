#include "platform/SystemError.h"

#include <cstdio>

#include "platform/Primitives.h"

namespace {

constexpr const char* kFolderText = "is a folder";
constexpr const char* kNotRegularText = "not a regular file";
constexpr const char* kTooLongText = "path too long";
constexpr const char* kNotFolderText = "not a folder";
constexpr const char* kShrunkText =
    "the file is shorter than when it was opened";

void Copy(const char* from, char* text, int size) {
  std::snprintf(text, static_cast<std::size_t>(size), "%s", from);
}

}  // namespace

const char* DescribeError(const SystemError& error, char* text, int size) {
  switch (error.reason) {
    case SystemError::Reason::kFolder: Copy(kFolderText, text, size); break;
    case SystemError::Reason::kNotRegularFile:
      Copy(kNotRegularText, text, size);
      break;
    case SystemError::Reason::kTooLong: Copy(kTooLongText, text, size); break;
    case SystemError::Reason::kNotFolder:
      Copy(kNotFolderText, text, size);
      break;
    case SystemError::Reason::kShrunk: Copy(kShrunkText, text, size); break;
    case SystemError::Reason::kSystem:
      if (!SystemText(error.code, text, size)) {
        std::snprintf(text, static_cast<std::size_t>(size), "error %lu",
                      error.code);
      }
      break;
    case SystemError::Reason::kNone: Copy("no error", text, size); break;
  }
  return text;
}
