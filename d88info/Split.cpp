#include "d88info/Split.h"

#include <cstdio>
#include <cstring>

#include "d88info/Listing.h"
#include "d88info/Report.h"
#include "platform/Console.h"
#include "platform/Folder.h"

namespace {

// BASE-NN.d88: the image's file name without its last extension, and the
// disk's number.
std::string NumberedName(const char* imagePath, int index) {
  char name[ReplacingFile::kMaxNameLength + 1];
  const char* file = FileNameOf(imagePath);
  const char* dot = std::strrchr(file, '.');
  const int baseLength = static_cast<int>(
      dot != nullptr && dot != file ? dot - file : std::strlen(file));
  const int length = std::snprintf(name, sizeof name, "%.*s-%02d.d88",
                                   baseLength, file, index + 1);
  return length > 0 && length < static_cast<int>(sizeof name) ? name : "";
}

bool PiecePath(const char* folder, const std::string& name, char* path,
               int size) {
  return !name.empty() && JoinPath(folder, name.c_str(), path, size);
}

char Folded(char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Folded(a[i]) != Folded(b[i])) return false;
  }
  return true;
}

bool IsDeviceName(const std::string& name) {
  std::string base = name.substr(0, name.find('.'));
  for (char& c : base) c = Folded(c);
  for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
    if (base == device) return true;
  }
  return base.size() == 4 && (base.compare(0, 3, "COM") == 0 ||
                              base.compare(0, 3, "LPT") == 0) &&
         base[3] >= '1' && base[3] <= '9';
}

bool IsPlainFileName(const char* folder, const std::string& name) {
  if (name.empty() || name == "." || name == ".." || name.size() > 255 ||
      name.back() == '.' || name.back() == ' ' || IsDeviceName(name)) {
    return false;
  }
  for (const unsigned char c : name) {
    if (c < 0x20 || c == 0x7f || std::strchr("/\\:*?\"<>|", c) != nullptr) {
      return false;
    }
  }
  char path[ReplacingFile::kMaxNameLength + 1];
  return PiecePath(folder, name, path, sizeof path);
}

void ReportFallback(int index, const std::string& name, const char* why,
                    const std::string& numbered) {
  PrintFormat(ConsoleStream::kErr, "d88info: disk %d: ", index + 1);
  PrintText(ConsoleStream::kErr, "\"");
  char byte[5];
  for (const unsigned char c : name) {
    PrintText(ConsoleStream::kErr, QuotedByte(c, byte));
  }
  PrintFormat(ConsoleStream::kErr, "\" %s; written as ", why);
  PrintArgument(ConsoleStream::kErr, numbered.c_str());
  PrintText(ConsoleStream::kErr, "\n");
}

}  // namespace

bool Piece::Begin(const char* folder, const char* imagePath, int index,
                  const std::string& name) {
  SystemError error;
  if (!PiecePath(folder, name.empty() ? NumberedName(imagePath, index) : name,
                 path, sizeof path)) {
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

std::vector<std::string> ChoosePieceNames(
    const char* folder, const char* imagePath,
    const std::vector<std::string>& exactNames) {
  const int count = static_cast<int>(exactNames.size());
  std::vector<std::string> numbered;
  std::vector<bool> plain;
  for (int index = 0; index < count; ++index) {
    numbered.push_back(NumberedName(imagePath, index));
    plain.push_back(IsPlainFileName(folder, exactNames[index]));
  }
  std::vector<std::string> chosen(exactNames.size());
  for (int index = 0; index < count; ++index) {
    const std::string& name = exactNames[index];
    if (name.empty()) continue;
    if (!plain[index]) {
      ReportFallback(index, name, "is no plain file name on every system",
                     numbered[index]);
      continue;
    }
    bool taken = false;
    for (int other = 0; other < count && !taken; ++other) {
      taken = other != index &&
              (SameIgnoringCase(name, numbered[other]) ||
               (plain[other] && SameIgnoringCase(name, exactNames[other])));
    }
    if (taken) {
      ReportFallback(index, name, "is another piece's name too",
                     numbered[index]);
    } else {
      chosen[index] = name;
    }
  }
  return chosen;
}
