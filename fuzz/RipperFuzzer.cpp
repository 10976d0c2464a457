// Fuzzes a ripper's whole run: the input is the image. The run happens in a
// scratch folder, and must account for what it did: its status is 1
// exactly when it said something on standard error (a file missing or
// incomplete, bytes of the image lost), and 0 otherwise; no temporary file
// is left behind, and every file written is one of the profile's, no
// larger than its recipe says.
//
// Built once per title, with RIPPER_PROFILE_HEADER and RIPPER_PROFILE naming
// the title's profile.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "rip/RunRipper.h"
#include RIPPER_PROFILE_HEADER

namespace {

std::map<std::string, int> RecipeSizes(const TitleProfile& profile) {
  std::map<std::string, int> sizes;
  for (int i = 0; i < profile.recipeCount; ++i) {
    for (const RecipeStep& step : profile.recipes[i].steps) {
      if (step.file != nullptr) sizes[step.file->name] = step.file->size;
      if (step.series == nullptr) continue;
      for (int k = 0; step.series->rows[k].r != 0; ++k) {
        char name[260];
        std::snprintf(name, sizeof name, step.series->nameFormat, k);
        sizes[name] = step.series->rows[k].size;
      }
    }
  }
  return sizes;
}

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "ripper fuzzer: %s\n", what);
    std::abort();
  }
}

struct Scratch {
  std::string home;  // where libFuzzer keeps its corpus, maybe by relative path
  std::string folder;
  std::string image;
  std::string errors;  // where the run's standard error goes
  std::map<std::string, int> sizes;
};

const Scratch& Setup() {
  static const Scratch scratch = [] {
    Scratch made;
    char folder[] = "/tmp/d88rip-ripper-fuzz-XXXXXX";
    Check(mkdtemp(folder) != nullptr, "cannot make a scratch folder");
    made.folder = folder;
    made.image = made.folder + ".d88";
    made.errors = made.folder + ".err";
    made.sizes = RecipeSizes(RIPPER_PROFILE);
    char home[4096];
    Check(getcwd(home, sizeof home) != nullptr, "no working folder");
    made.home = home;
    // The run's console text is not checked here and only slows it down.
    Check(std::freopen("/dev/null", "w", stdout) != nullptr, "no /dev/null");
    return made;
  }();
  return scratch;
}

// Checks each file the run left and removes it for the next run.
void CheckAndClearFolder(const Scratch& scratch) {
  DIR* folder = opendir(".");
  Check(folder != nullptr, "cannot list the scratch folder");
  while (const dirent* entry = readdir(folder)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat info {};
    Check(stat(name.c_str(), &info) == 0, "cannot stat an output file");
    const auto recipe = scratch.sizes.find(name);
    Check(recipe != scratch.sizes.end(),
          "a file that is no recipe's output (a temporary file?) was left");
    Check(info.st_size <= recipe->second, "a file is larger than its recipe");
    unlink(name.c_str());
  }
  closedir(folder);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const Scratch& scratch = Setup();
  std::FILE* file = std::fopen(scratch.image.c_str(), "wb");
  Check(file != nullptr, "cannot write the image");
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  char program[] = "ripper";
  std::string imagePath = scratch.image;
  char* argv[] = {program, imagePath.data(), nullptr};
  Check(chdir(scratch.folder.c_str()) == 0, "cannot enter the scratch folder");
  // libFuzzer has put /dev/null on descriptor 2 (-close_fd_mask); the run's
  // errors go to a file of their own for as long as it lasts.
  const int errors =
      open(scratch.errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  Check(errors >= 0, "cannot make the errors file");
  const int savedErr = dup(2);
  Check(savedErr >= 0 && dup2(errors, 2) == 2, "cannot capture errors");
  const int status = RunRipper(RIPPER_PROFILE, 2, argv);
  const off_t errorBytes = lseek(errors, 0, SEEK_END);
  dup2(savedErr, 2);
  close(savedErr);
  close(errors);
  Check(status == 0 || status == 1, "the status is neither 0 nor 1");
  Check((status == 1) == (errorBytes > 0),
        "the status does not match what standard error says");
  CheckAndClearFolder(scratch);
  Check(chdir(scratch.home.c_str()) == 0, "cannot go back to the working folder");
  return 0;
}
