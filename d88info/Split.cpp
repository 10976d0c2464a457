#include "d88info/Split.h"

#include <cstdio>
#include <cstring>

#include "d88info/Report.h"
#include "platform/Console.h"
#include "platform/Folder.h"

namespace {

bool PiecePath(const char* folder, const char* imagePath, int index,
               char* path, int size) {
  char name[ReplacingFile::kMaxNameLength + 1];
  const char* file = FileNameOf(imagePath);
  const char* dot = std::strrchr(file, '.');
  const int baseLength = static_cast<int>(
      dot != nullptr && dot != file ? dot - file : std::strlen(file));
  const int length = std::snprintf(name, sizeof name, "%.*s-%02d.d88",
                                   baseLength, file, index + 1);
  return length > 0 && length < static_cast<int>(sizeof name) &&
         JoinPath(folder, name, path, size);
}

}  // namespace

bool Piece::Begin(const char* folder, const char* imagePath, int index) {
  SystemError error;
  if (!PiecePath(folder, imagePath, index, path, sizeof path)) {
    ReportFailure("cannot write ", folder,
                  SystemError{SystemError::Reason::kTooLong, 0});
    return false;
  }
  if (!file.Begin(path, error)) {
    ReportFailure("cannot write ", path, error);
    return false;
  }
  return true;
}

void Piece::Add(const unsigned char* data, int size) { file.Write(data, size); }

Outcome Piece::Finish() {
  Outcome outcome;
  SystemError error;
  if (!file.Finish(error)) {
    ReportFailure("cannot write ", path, error);
    outcome.writeFailed = true;
  }
  return outcome;
}

bool MakeSplitFolder(const char* folder) {
  SystemError error;
  if (MakeFolder(folder, error)) return true;
  ReportFailure("cannot make folder ", folder, error);
  return false;
}
