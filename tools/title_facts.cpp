// Prints what the scripts need of each title, from its profile, one line a
// title in the order of titles/titles.txt:
//
//   NAME PROGRAM SIGNATURE USER_SIGNATURE DIGITS LARGEST
//
// DIGITS: the disk digits of its set, in the profile's order, as one word
// (such as 8912345); LARGEST: the digit of the disk with the most files
// (the first of those that tie).
//
//   title_facts

#include <cstdio>

#include "d88rip/TitleList.h"

namespace {

int CountFiles(const DiskRecipe& recipe) {
  int files = 0;
  for (const RecipeStep& step : recipe.steps) {
    if (step.file != nullptr) {
      ++files;
    } else if (step.series != nullptr) {
      for (const SeriesRow* row = step.series->rows; row->r != 0; ++row) {
        ++files;
      }
    } else {
      break;
    }
  }
  return files;
}

void PrintFacts(const char* name, const char* program,
                const TitleProfile& profile) {
  std::printf("%s %s %.*s %.*s ", name, program, kBootSignatureLength,
              profile.signature, kBootSignatureLength, profile.userSignature);
  int largest = 0;
  for (int i = 0; i < profile.recipeCount; ++i) {
    std::printf("%c", profile.recipes[i].digit);
    if (CountFiles(profile.recipes[i]) > CountFiles(profile.recipes[largest])) {
      largest = i;
    }
  }
  std::printf(" %c\n", profile.recipes[largest].digit);
}

}  // namespace

int main() {
#define PRINT_FACTS(name, Name, program, profile) \
  PrintFacts(#name, program, profile);
  D88RIP_FOR_EACH_TITLE(PRINT_FACTS)
  return std::fflush(stdout) == 0 ? 0 : 1;
}
