#include "d88info/DiskPass.h"

#include "d88/DiskBytes.h"
#include "d88info/Digests.h"
#include "d88info/Matching.h"
#include "d88info/Split.h"

namespace {

// Disks are read in pieces of this many bytes.
constexpr int kChunkSize = 65536;
unsigned char chunk[kChunkSize];

// The span's bytes go to whichever of the two takes them.
class SpanSinks : public ByteSink {
 public:
  SpanSinks(ByteSink* digests, ByteSink* piece)
      : digests(digests), piece(piece) {}
  void Add(const unsigned char* data, int size) override {
    if (digests != nullptr) digests->Add(data, size);
    if (piece != nullptr) piece->Add(data, size);
  }

 private:
  ByteSink* digests;
  ByteSink* piece;
};

}  // namespace

bool DiskPass::Needed() const {
  return options.hash || options.splitFolder != nullptr ||
         !options.catalogues.empty();
}

Outcome DiskPass::NamePieces() {
  Outcome outcome;
  if (options.splitFolder == nullptr || options.catalogues.empty()) {
    return outcome;
  }
  std::vector<std::string> exactNames;
  for (int index = 0; index < image.GetDiskCount(); ++index) {
    SpanDigests digests;
    if (!digests.Start()) outcome.cryptoFailed = true;
    if (!FeedDiskSpan(image, index, digests, chunk, kChunkSize)) {
      outcome.readFailed = true;
      return outcome;
    }
    if (!digests.Finish()) outcome.cryptoFailed = true;
    std::string name;
    // Only the exact entries count; no variant is tried or read.
    for (const CatalogueEntry& entry : entries) {
      if (IsExactly(entry, digests)) {
        name = entry.name;
        break;
      }
    }
    exactNames.push_back(name);
  }
  pieceNames =
      ChoosePieceNames(options.splitFolder, options.path, exactNames);
  return outcome;
}

Outcome DiskPass::Run(int index) {
  Outcome outcome;
  Piece piece;
  const bool splitting = options.splitFolder != nullptr;
  const std::string name = static_cast<std::size_t>(index) < pieceNames.size()
                               ? pieceNames[static_cast<std::size_t>(index)]
                               : std::string();
  const bool writing =
      splitting && piece.Begin(options.splitFolder, options.path, index, name);
  if (splitting && !writing) outcome.writeFailed = true;
  const bool hashing = options.hash || !options.catalogues.empty();
  SpanDigests digests;
  if (hashing && !digests.Start()) outcome.cryptoFailed = true;
  SpanSinks sinks(hashing ? &digests : nullptr, writing ? &piece : nullptr);
  if (!FeedDiskSpan(image, index, sinks, chunk, kChunkSize)) {
    piece.Abandon();
    outcome.readFailed = true;
    return outcome;
  }
  if (writing) outcome.Add(piece.Finish());
  if (hashing && !digests.Finish()) {
    outcome.cryptoFailed = true;
    return outcome;
  }
  if (options.hash) {
    outcome.Add(PrintHashLine(image, index, digests, chunk, kChunkSize));
    if (outcome.readFailed || outcome.cryptoFailed) return outcome;
  }
  if (!options.catalogues.empty()) {
    std::vector<DatMatch> matches;
    outcome.Add(
        MatchDisk(image, index, digests, entries, matches, chunk, kChunkSize));
    if (outcome.readFailed) return outcome;
    PrintMatches(index, matches, entries);
  }
  return outcome;
}
