#include "d88info/Split.h"

#include <cstdio>
#include <cstring>
#include <map>

#include "platform/Folder.h"

namespace {

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

}  // namespace

std::string BaseOf(const char* imagePath) {
  const char* file = FileNameOf(imagePath);
  const char* dot = std::strrchr(file, '.');
  return std::string(file, dot != nullptr && dot != file
                               ? static_cast<std::size_t>(dot - file)
                               : std::strlen(file));
}

std::string NumberedName(const char* imagePath, int index) {
  const std::string number = std::to_string(index + 1);
  return BaseOf(imagePath) + (number.size() < 2 ? "-0" : "-") + number + ".d88";
}

bool FindSharedBase(const std::vector<const char*>& images, int& first,
                    int& second) {
  for (std::size_t b = 1; b < images.size(); ++b) {
    for (std::size_t a = 0; a < b; ++a) {
      if (SameIgnoringCase(BaseOf(images[a]), BaseOf(images[b]))) {
        first = static_cast<int>(a);
        second = static_cast<int>(b);
        return true;
      }
    }
  }
  return false;
}

bool Piece::Begin(const char* folder, const std::string& name,
                  WriteFailure& failure) {
  SystemError error;
  if (!PiecePath(folder, name, path, sizeof path)) {
    failure = {folder, SystemError{SystemError::Reason::kTooLong, 0}};
    return false;
  }
  if (!file.Begin(path, error)) {
    failure = {path, error};
    return false;
  }
  return true;
}

void Piece::Add(const unsigned char* data, int size) { file.Write(data, size); }

bool Piece::Finish(WriteFailure& failure) {
  SystemError error;
  if (file.Finish(error)) return true;
  failure = {path, error};
  return false;
}

std::vector<std::vector<PieceName>> ChoosePieceNames(
    const char* folder, const std::vector<const char*>& images,
    const std::vector<std::vector<ExactName>>& exactNames) {
  // How many pieces of the run have each name, ignoring case: the names
  // they would be written under.
  std::map<std::string, int> names;
  const auto folded = [](std::string name) {
    for (char& c : name) c = Folded(c);
    return name;
  };
  std::vector<std::vector<PieceName>> chosen(images.size());
  for (std::size_t image = 0; image < images.size(); ++image) {
    for (std::size_t disk = 0; disk < exactNames[image].size(); ++disk) {
      const ExactName& exact = exactNames[image][disk];
      PieceName piece{NumberedName(images[image], static_cast<int>(disk)),
                      exact.has, exact.name, nullptr};
      ++names[folded(piece.name)];
      if (exact.has && !IsPlainFileName(folder, exact.name)) {
        piece.fallback = "is no plain file name on every system";
      } else if (exact.has && folded(exact.name) != folded(piece.name)) {
        ++names[folded(exact.name)];
      }
      chosen[image].push_back(piece);
    }
  }
  for (std::vector<PieceName>& pieces : chosen) {
    for (PieceName& piece : pieces) {
      if (!piece.hasExact || piece.fallback != nullptr) continue;
      // Its own numbered name and its entry's count once between them.
      if (names[folded(piece.exactName)] > 1) {
        piece.fallback = "is another piece's name too";
      } else {
        piece.name = piece.exactName;
      }
    }
  }
  return chosen;
}
