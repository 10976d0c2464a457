#pragma once

#include <string>
#include <vector>

#include "d88/DiskBytes.h"
#include "platform/OutputFile.h"
#include "platform/SystemError.h"

// With --split FOLDER, each disk as a file of its own, FOLDER/BASE-NN.d88,
// written whole or not at all (a temporary, renamed once complete). BASE
// is the image's file name without its last extension; nothing of the
// disk's own header (its name) reaches the path.

// A piece that could not be written: the path, and why.
struct WriteFailure {
  std::string path;
  SystemError error;
};

class Piece : public ByteSink {
 public:
  // Makes the temporary for the piece FOLDER/`name`. Gives false when it
  // cannot, with `failure` saying which path and why (the folder, when
  // the path would be too long).
  bool Begin(const char* folder, const std::string& name, WriteFailure& failure);
  // Takes the disk's bytes as they are read (FeedDiskSpan).
  void Add(const unsigned char* data, int size) override;
  // Gives the piece its name once every byte was taken; gives false, with
  // `failure` filled in, when it could not.
  bool Finish(WriteFailure& failure);
  // Removes the temporary: the span was not read whole.
  void Abandon() { file.Abandon(); }
  const char* Path() const { return path; }

 private:
  ReplacingFile file;
  char path[ReplacingFile::kMaxNameLength + 1] = {};
};

// BASE-NN.d88 for disk `index` (from 0) of the image at `imagePath`.
std::string NumberedName(const char* imagePath, int index);

// Two images whose pieces' names would be the same, their BASE equal
// ignoring ASCII case: gives true with their indexes.
bool FindSharedBase(const std::vector<const char*>& images, int& first,
                    int& second);

// BASE of the image at `imagePath`.
std::string BaseOf(const char* imagePath);

// The file name of one piece, chosen with --dat before any is written.
struct PieceName {
  std::string name;             // the name it is written under
  bool hasExact = false;        // the disk is exactly a catalogue entry
  std::string exactName;        // the first such entry's name
  const char* fallback = nullptr;  // why that name was not used, or null
};

// Each piece's name, for every disk of every image of the run:
// `exactNames[i][d]` says whether disk d of image i has an exact entry
// and its name. An entry's name is used where it is a plain file name on
// every system (not empty, none of / \\ : * ? " < > |, no control byte, no
// trailing dot or space, no device name such as CON or COM1, at most 255
// bytes, within the path limit) and no other piece of the run has a name
// equal to it ignoring case; else the piece is BASE-NN.d88, and `fallback`
// says why.
struct ExactName {
  bool has = false;
  std::string name;
};
std::vector<std::vector<PieceName>> ChoosePieceNames(
    const char* folder, const std::vector<const char*>& images,
    const std::vector<std::vector<ExactName>>& exactNames);
