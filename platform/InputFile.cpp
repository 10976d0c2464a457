#include "platform/InputFile.h"

#include "platform/Primitives.h"

// One open and one read loop over each system's primitives
// (platform/Primitives.h).

InputFile::~InputFile() { Close(); }

bool InputFile::IsOpen() const { return open; }

bool InputFile::Open(const char* path) {
  Close();
  // Nothing of the file before is said of this one.
  failed = false;
  error = SystemError();
  size = 0;
  const FileHandle opened = OpenForReading(path, error);
  if (opened == kNoFile) return false;
  long long fileSize = 0;
  switch (KindOf(opened, fileSize, error)) {
    case FileKind::kRegular:
      file = opened;
      open = true;
      size = fileSize;
      return true;
    case FileKind::kFolder:
      error = SystemError{SystemError::Reason::kFolder, 0};
      break;
    case FileKind::kOther:
      error = SystemError{SystemError::Reason::kNotRegularFile, 0};
      break;
    case FileKind::kUnknown: break;  // `error` holds the system's reason
  }
  CloseFile(opened);
  return false;
}

void InputFile::Close() {
  if (open) CloseFile(file);
  open = false;
}

int InputFile::ReadAt(long long position, unsigned char* dest, int length) {
  if (!open || position < 0 || length <= 0) return 0;
  int done = 0;
  while (done < length) {
    int got = 0;
    const ReadOutcome outcome =
        ReadSome(file, position + done, dest + done, length - done, got);
    if (outcome == ReadOutcome::kInterrupted) continue;
    if (outcome == ReadOutcome::kFailed) {
      error = LastSystemError();
      failed = true;
      break;
    }
    if (got == 0) {
      // The end of the file, where it was when opened; before that, the
      // file has shrunk since, and what is missing is no end of the data.
      if (position + done < size && !failed) {
        error = SystemError{SystemError::Reason::kShrunk, 0};
        failed = true;
      }
      break;
    }
    done += got;
  }
  return done;
}
