// Images at paths a user may have: folder and file names in Japanese,
// Korean and emoji, names that differ only by fullwidth letters, and a
// path past the classic 260-character limit. Under wine the Windows
// programs run with the ANSI code page of a Western Windows (1252), which
// has none of these characters.

#include <gtest/gtest.h>

#include <tuple>

#include "Titles.h"
#include "platform/ConsoleWindow.h"

namespace {

namespace fs = std::filesystem;
using progrun::ScratchDir;
using ripcheck::PelkTitle;

// What a run shows a user: status, both streams and the files it left.
using Seen = std::tuple<int, std::string, std::string,
                        std::map<std::string, d88build::Bytes>>;

Seen RunOn(const std::string& program, const fs::path& image) {
  ScratchDir dir;
  const auto result = progrun::Run(program, {image.string()}, dir.path());
  return {result.status, result.out, result.err, progrun::Listing(dir.path())};
}

TEST(Paths, AnyPathGivesWhatAPlainPathGives) {
  ScratchDir dir;
  // A disk of each title.
  std::vector<d88build::DiskSpec> disks;
  std::vector<std::string> programs = {progrun::ProgramPath("d88info")};
  for (const ripcheck::Title* title : ripcheck::AllTitles()) {
    disks.push_back(ripcheck::TitleDisk(*title, title->disks.front().digit));
    programs.push_back(title->program);
  }
  const d88build::Bytes image = d88build::BuildImage(disks);
  const fs::path plain = dir / "plain.d88";
  d88build::WriteFile(plain.string(), image);

  std::string deep;
  while (deep.size() < 300) deep += std::string(60, 'd') + "/";
  const std::string paths[] = {
      "\xe3\x82\xb2\xe3\x83\xbc\xe3\x83\xa0/"  // ゲーム/ディスク１.d88
      "\xe3\x83\x87\xe3\x82\xa3\xe3\x82\xb9\xe3\x82\xaf\xef\xbc\x91.d88",
      "\xea\xb2\x8c\xec\x9e\x84/\xeb\x94\x94\xec\x8a\xa4\xed\x81\xac.d88",  // 게임/디스크
      "\xf0\x9f\x8e\xae/\xf0\x9f\x92\xbe.d88",  // 🎮/💾.d88
      deep + "image.d88",
  };
  for (const std::string& path : paths) {
    const fs::path at = dir / path;
    fs::create_directories(at.parent_path());
    d88build::WriteFile(at.string(), image);
    ASSERT_GT(at.string().size(), path.size());
    for (const std::string& program : programs) {
      SCOPED_TRACE(program + " " + path);
      const Seen expected = RunOn(program, plain);
      EXPECT_EQ(std::get<0>(expected), 0);
      EXPECT_TRUE(RunOn(program, at) == expected);
    }
  }
}

// No look-alike is ever opened in place of the name given: "ｄｉｓｋ.d88"
// (fullwidth letters) is not "disk.d88".
TEST(Paths, FullwidthNameOpensItselfNotItsLookAlike) {
  ScratchDir dir;
  const std::string fullwidth = "\xef\xbd\x84\xef\xbd\x89\xef\xbd\x93\xef\xbd\x8b";
  d88build::WriteFile((dir / (fullwidth + ".d88")).string(),
                      d88build::BuildImage({ripcheck::TitleDisk(PelkTitle(), '1')}));
  d88build::WriteFile((dir / "disk.d88").string(),
                      d88build::BuildImage({ripcheck::TitleDisk(PelkTitle(), '4')}));
  const auto [status, out, err, files] =
      RunOn(PelkTitle().program, dir / (fullwidth + ".d88"));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out, ripcheck::ExpectedOutput(PelkTitle().Disk('1')));

  // The usage line names the program as started, from a folder with that
  // name; in a pipe, Windows gives it in the ANSI code page, where each
  // character it lacks is '?', never a look-alike.
  fs::create_directory(dir / fullwidth);
  const fs::path copy = dir / fullwidth / fs::path(PelkTitle().program).filename();
  fs::copy_file(PelkTitle().program, copy);
  const auto usage = progrun::Run(copy.string(), {}, dir.path(),
                                  progrun::Streams(progrun::Sink::kPipe,
                                                   progrun::Sink::kPipe));
  std::string shown = progrun::InvocationName(copy.string());
  if (progrun::TestingWindowsPrograms()) {
    shown.replace(shown.find(fullwidth), fullwidth.size(), "????");
  }
  EXPECT_EQ(usage.status, 1);
  EXPECT_EQ(usage.err, "Usage: " + shown + " [d88file]\n");
}

// A window is kept open for reading only when the program is alone on a
// console that all three streams use: started from Explorer; never under
// wine, where every program is alone on a console of its own.
TEST(ConsoleWindow, OnlyAProgramAloneOnItsConsoleWaits) {
  struct Case {
    bool wine;
    int processes;
    bool in, out, err;
    bool waits;
  };
  const Case cases[] = {
      {false, 1, true, true, true, true},     // Explorer: a console of its own
      {false, 2, true, true, true, false},    // cmd.exe, PowerShell, a batch
      {false, 1, false, true, true, false},   // input from a file or pipe
      {false, 1, true, false, true, false},   // output to a file or pipe
      {false, 1, true, true, false, false},   // errors to a file
      {false, 0, false, false, false, false}, // no console at all
      {true, 1, true, true, true, false},     // wine, from a terminal
  };
  for (const Case& test : cases) {
    EXPECT_EQ(KeepsWindowOpen(test.wine, test.processes, test.in, test.out,
                              test.err),
              test.waits)
        << test.wine << test.processes << test.in << test.out << test.err;
  }
}

}  // namespace
