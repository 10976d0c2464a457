// Every title of titles/titles.txt has what the list promises: its program,
// its man page, a test table that agrees with its profile, and its fuzzer.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "Titles.h"

namespace {

namespace fs = std::filesystem;

struct ListedTitle {
  std::string name;
  std::string program;
  const TitleProfile* profile;
  const ripcheck::Title* table;
};

std::vector<ListedTitle> ListedTitles() {
#define D88RIP_LISTED(name, Name, program, profile) \
  {#name, program, &profile, &ripcheck::Name##Title()},
  return {D88RIP_FOR_EACH_TITLE(D88RIP_LISTED)};
#undef D88RIP_LISTED
}

// What `command` prints, run by the shell; fails the test on any status
// but 0.
std::string Output(const std::string& command) {
  std::string out;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) {
    ADD_FAILURE() << "cannot run " << command;
    return out;
  }
  char buffer[256];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    out.append(buffer, got);
  }
  EXPECT_EQ(pclose(pipe), 0) << command;
  return out;
}

std::string ReadText(const fs::path& path) {
  std::ifstream file(path);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(TitleList, EveryTitleHasItsProgramManPageTestTableAndFuzzer) {
  const fs::path source = SOURCE_DIR;
  const std::string fuzzTargets =
      Output("cd '" + source.string() + "' && bash fuzz/run.sh --list");
  for (const ListedTitle& title : ListedTitles()) {
    SCOPED_TRACE(title.name);
    const auto version = progrun::Run(progrun::ProgramPath(title.program),
                                      {"--version"}, source);
    EXPECT_EQ(version.out, title.program + " " D88RIP_VERSION "\n");
    EXPECT_EQ(std::string(title.profile->program), title.program);

    const std::string page = ReadText(source / "man" / (title.program + ".1"));
    EXPECT_NE(page.find(".SH NAME\n" + title.program + " \\- "),
              std::string::npos)
        << "man/" << title.program << ".1";

    // The test table, written apart from the profile, knows the same set.
    EXPECT_EQ(title.table->program, progrun::ProgramPath(title.program));
    EXPECT_EQ(title.table->signature,
              std::string(title.profile->signature, kBootSignatureLength));
    std::string tableDigits;
    for (const ripcheck::ExpectedDisk& disk : title.table->disks) {
      if (!disk.message.empty()) tableDigits += disk.digit;
    }
    std::string profileDigits;
    for (int i = 0; i < title.profile->recipeCount; ++i) {
      profileDigits += title.profile->recipes[i].digit;
    }
    EXPECT_EQ(tableDigits, profileDigits);

    EXPECT_NE(("\n" + fuzzTargets).find("\n" + title.name + "\n"),
              std::string::npos)
        << fuzzTargets;
  }
}

}  // namespace
