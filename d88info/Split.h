#pragma once

#include <string>
#include <vector>

#include "d88/D88Image.h"
#include "d88/DiskBytes.h"
#include "d88info/Outcome.h"
#include "platform/OutputFile.h"

// With --split FOLDER, each disk as a file of its own, FOLDER/BASE-NN.d88,
// written whole or not at all (a temporary, renamed once complete). BASE
// is the image's file name without its last extension; nothing of the
// disk's own header (its name) reaches the path.
class Piece : public ByteSink {
 public:
  // Makes the temporary for disk `index` of the image at `imagePath`,
  // whose piece is FOLDER/`name`, or FOLDER/BASE-NN.d88 when `name` is
  // empty. Gives false, naming the piece and the reason, when it cannot.
  bool Begin(const char* folder, const char* imagePath, int index,
             const std::string& name);
  // Takes the disk's bytes as they are read (FeedDiskSpan).
  void Add(const unsigned char* data, int size) override;
  // Gives the piece its name once every byte was taken; a failure is
  // named.
  Outcome Finish();
  // Removes the temporary: the span was not read whole.
  void Abandon() { file.Abandon(); }

 private:
  ReplacingFile file;
  char path[ReplacingFile::kMaxNameLength + 1] = {};
};

// Makes the folder, unless it is there; names it and the reason when it
// cannot. A disk that the image ends inside is written as far as the
// image holds it; that and bytes no piece holds are named as the image's
// (ReportWhatTheImageLacks).
bool MakeSplitFolder(const char* folder);

// With --dat: the file name each disk's piece gets, from `exactNames`, the
// name of each disk's first exact entry (empty for none): used where it is
// a plain file name on every system (none of / \\ : * ? " < > |, no control
// byte, no trailing dot or space, no device name such as CON or COM1, at
// most 255 bytes, within the path limit) and no other piece of the run has
// a name equal to it ignoring case; else empty, for BASE-NN.d88, with one
// line on standard error saying why.
std::vector<std::string> ChoosePieceNames(
    const char* folder, const char* imagePath,
    const std::vector<std::string>& exactNames);
