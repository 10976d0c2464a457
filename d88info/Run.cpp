#include "d88info/Run.h"

#include <string>
#include <vector>

#include "d88/D88Image.h"
#include "d88info/Arguments.h"
#include "d88info/Catalogue.h"
#include "d88info/Examine.h"
#include "d88info/JsonReport.h"
#include "d88info/Split.h"
#include "d88info/TextReport.h"
#include "platform/Console.h"
#include "platform/Folder.h"
#include "platform/Signals.h"
#include "platform/Wildcards.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

D88Image image;

int RefuseCommandLine() {
  PrintText(ConsoleStream::kErr,
            "Try 'd88info --help' for more information.\n");
  return kExitUsage;
}

// Folds a lost standard output into `status`; a reader that stopped
// reading (| head) is told nothing, but where pieces were written the lost
// listing is a failure to name.
int Finish(int status, bool splitting) {
  SystemError error;
  if (!FinishConsole(error)) {
    if (splitting || !IsClosedPipe(error)) {
      ReportFailure("cannot write to standard output", nullptr, error);
    }
    status = kExitFailed;
  }
  return status;
}

// With --split, before any image is listed: each piece's name, chosen
// over every disk of the run (with --dat, from the catalogue's exact
// entries), and the folder, made once when any image holds a disk. An
// image that cannot be opened or read here is not opened again
// (`failures`). Gives false when the folder cannot be made.
bool PlanPieces(const Options& options, const std::vector<const char*>& images,
                const Catalogue* catalogue,
                std::vector<std::vector<PieceName>>& names,
                std::vector<PlanFailure>& failures) {
  std::vector<std::vector<ExactName>> exact(images.size());
  bool anyDisk = false;
  for (std::size_t i = 0; i < images.size(); ++i) {
    if (!PlanImage(image, images[i], catalogue, exact[i], failures[i])) {
      exact[i].clear();
    }
    anyDisk = anyDisk || !exact[i].empty();
  }
  image.Close();
  names = ChoosePieceNames(options.splitFolder, images, exact);
  SystemError error;
  if (anyDisk && !MakeFolder(options.splitFolder, error)) {
    ReportFailure("cannot make folder ", options.splitFolder, error);
    return false;
  }
  return true;
}

}  // namespace

int RunD88Info(int argc, char** argv) {
  Options options;
  if (!ParseArguments(argc, argv, options)) return RefuseCommandLine();
  const bool splitting = options.splitFolder != nullptr;
  if (options.text != nullptr) {
    PrintText(ConsoleStream::kOut, options.text);
    return Finish(kExitOk, splitting);
  }
  std::vector<std::string> paths;
  for (const char* operand : options.paths) ExpandWildcards(operand, paths);
  std::vector<const char*> images;
  for (const std::string& path : paths) images.push_back(path.c_str());
  int first = 0;
  int second = 0;
  if (splitting && FindSharedBase(images, first, second)) {
    PrintText(ConsoleStream::kErr, "d88info: ");
    PrintArgument(ConsoleStream::kErr, images[first]);
    PrintText(ConsoleStream::kErr, " and ");
    PrintArgument(ConsoleStream::kErr, images[second]);
    PrintText(ConsoleStream::kErr, " would both write ");
    PrintArgument(ConsoleStream::kErr, BaseOf(images[first]).c_str());
    PrintText(ConsoleStream::kErr, "-NN.d88\n");
    return RefuseCommandLine();
  }
  // Every catalogue is read before the first image.
  Catalogue catalogue;
  CatalogueFailure failure;
  if (!ReadCatalogues(options.catalogues, catalogue, failure)) {
    ReportCatalogueFailure(failure);
    return kExitFailed;
  }
  const Catalogue* dat = options.catalogues.empty() ? nullptr : &catalogue;
  std::vector<std::vector<PieceName>> names(images.size());
  std::vector<PlanFailure> unplanned(images.size());
  if (splitting) {
    // Files are written whole or not at all, also when interrupted.
    RemoveTemporaryOnInterruption();
    ReportFailedWritesAsErrors();
    if (!PlanPieces(options, images, dat, names, unplanned)) return kExitFailed;
  }
  const ExamineOptions examine{options.listTracks, options.drawMap,
                               options.hash, dat, options.splitFolder};
  const TextOptions text{images.size() > 1, options.drawMap, splitting, dat};
  const JsonOptions json{options.listTracks, options.drawMap, options.hash,
                         dat, splitting};
  int status = kExitOk;
  for (std::size_t i = 0; i < images.size(); ++i) {
    // Nothing more reaches a reader that is gone; pieces are still written.
    if (!splitting && StandardOutputClosed()) break;
    const ImageReport report =
        unplanned[i].failed
            ? UnplannedImage(images[i], unplanned[i])
            : ExamineImage(image, images[i], examine, names[i]);
    if (options.json) {
      ReportProblems(report, text);
      RenderJson(report, json);
    } else {
      RenderText(report, text);
    }
    if (report.Status() != kExitOk) status = kExitFailed;
  }
  image.Close();
  return Finish(status, splitting);
}
