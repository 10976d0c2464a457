// Console text on terminals, pipes and files, and output that is lost.

#include <gtest/gtest.h>

#include <csignal>
#include <iconv.h>

#include <regex>

#include "Titles.h"

namespace {

using progrun::Sink;
using ripcheck::PelkTitle;

std::string ToUtf8(const std::string& sjis) {
  iconv_t convert = iconv_open("UTF-8", "CP932");
  std::string in = sjis;
  std::string out(3 * sjis.size(), '\0');
  char* from = in.data();
  char* to = out.data();
  std::size_t fromLeft = in.size();
  std::size_t toLeft = out.size();
  iconv(convert, &from, &fromLeft, &to, &toLeft);
  iconv_close(convert);
  out.resize(out.size() - toLeft);
  return out;
}

// What a terminal shows: wine's console writes control sequences and a CR
// before each LF around the text.
std::string Shown(const std::string& terminal) {
  if (!progrun::TestingWindowsPrograms()) return terminal;
  std::string text;
  for (std::size_t i = 0; i < terminal.size(); ++i) {
    if (terminal[i] == '\x1b' && i + 1 < terminal.size() &&
        terminal[i + 1] == '[') {
      i += 2;
      while (i < terminal.size() && (terminal[i] < 0x40 || terminal[i] > 0x7e))
        ++i;
    } else if (terminal[i] != '\r') {
      text += terminal[i];
    }
  }
  return text;
}

// Disk 3 of the first title, whose KSD.COM breaks off in its third sector,
// and a user disk: Japanese text on both streams, the error line between
// two lines of progress.
struct Sample {
  d88build::Bytes image;
  std::string out;
  std::string err;
  std::string both;  // in the order the two streams were written
};

Sample MakeSample() {
  const ripcheck::Title& title = PelkTitle();
  d88build::DiskSpec disk = ripcheck::TitleDisk(title, '1');
  disk.tracks[12][6].data.resize(100);  // track 12, R 7
  Sample sample;
  sample.image = d88build::BuildImage({disk, ripcheck::UserDisk(title)});
  sample.out = ripcheck::ExpectedOutput(title.Disk('1')) + ripcheck::kUserDisk;
  sample.err = ripcheck::Incomplete("KSD.COM", 1024, 2560);
  const std::string firstCut = "cutting ... KSD.COM\n";
  sample.both = sample.out;
  sample.both.insert(sample.both.find(firstCut) + firstCut.size(), sample.err);
  return sample;
}

TEST(Console, Utf8TerminalsShowJapaneseEverythingElseGetsTheBytes) {
  struct Case {
    const char* locale;  // LC_ALL, or LANG when `lang`
    bool lang;
    bool utf8;           // what the terminal shows
    Sink out;
    Sink err;
  };
  // Locales named but not installed are judged by their names' character
  // set: they are the user's word for what the terminal shows.
  const Case cases[] = {
      {"C.UTF-8", false, true, Sink::kTerminal, Sink::kTerminal},
      {"C.UTF-8", false, true, Sink::kFile, Sink::kTerminal},
      {"C.UTF-8", false, true, Sink::kTerminal, Sink::kFile},
      {"C.UTF-8", false, true, Sink::kPipe, Sink::kPipe},
      {"C.UTF-8", false, true, Sink::kFile, Sink::kFile},
      {"C.UTF-8", false, true, Sink::kFile, Sink::kWithOut},  // >log 2>&1
      {"C", false, false, Sink::kTerminal, Sink::kTerminal},
      {"xx_XX.UTF-8", true, true, Sink::kTerminal, Sink::kTerminal},
      {"xx_XX.utf8@euro", false, true, Sink::kTerminal, Sink::kTerminal},
      {"xx_XX.Utf8", false, true, Sink::kFile, Sink::kFile},
      {"xx_XX.ISO-8859-1", false, false, Sink::kTerminal, Sink::kTerminal},
  };
  const Sample sample = MakeSample();
  for (const Case& test : cases) {
    const bool utf8 = test.utf8;
    // A Windows console is converted whatever the locale, and wine then
    // shows it in the terminal's own character set, which it takes from
    // an installed locale.
    if (progrun::TestingWindowsPrograms() &&
        std::string(test.locale) != "C.UTF-8") {
      continue;
    }
    SCOPED_TRACE(std::string(test.locale) + " out " +
                 std::to_string(static_cast<int>(test.out)) + " err " +
                 std::to_string(static_cast<int>(test.err)));
    progrun::ScratchDir dir;
    const std::string image = (dir / "image.d88").string();
    d88build::WriteFile(image, sample.image);
    progrun::ScratchDir cwd;
    const auto result = progrun::Run(
        PelkTitle().program, {image}, cwd.path(),
        progrun::Streams(
            test.out, test.err,
            test.lang ? std::vector<std::string>{"LC_ALL=", "LC_CTYPE=",
                                                 std::string("LANG=") +
                                                     test.locale}
                      : std::vector<std::string>{std::string("LC_ALL=") +
                                                 test.locale}));
    const bool outShown = test.out == Sink::kTerminal;
    const bool errShown = test.err == Sink::kTerminal;
    const bool shared = test.err == Sink::kWithOut;
    const std::string onTerminal = outShown && errShown ? sample.both
                                   : outShown           ? sample.out
                                   : errShown           ? sample.err
                                                        : "";
    EXPECT_EQ(result.status, 1);  // KSD.COM is incomplete
    EXPECT_EQ(Shown(result.terminal), utf8 ? ToUtf8(onTerminal) : onTerminal);
    EXPECT_EQ(result.out, outShown ? "" : shared ? sample.both : sample.out);
    EXPECT_EQ(result.err, errShown || shared ? "" : sample.err);
  }
}

// A disk's name in Shift-JIS shows as Japanese on a terminal that shows the
// programs' Japanese, with the ASCII quote and backslash escaped and a
// trail byte 0x5c kept as it is; in a pipe, and for a name that is no
// Shift-JIS text, every byte outside printable ASCII is escaped.
TEST(Console, JapaneseDiskNamesShowOnTerminals) {
  const struct {
    std::string name;
    std::string onTerminal;  // Shift-JIS, as the terminal is to show it
    std::string inPipe;
  } cases[] = {
      {"\x83\x51\x81\x5b\x83\x80", "\x83\x51\x81\x5b\x83\x80",  // ゲーム
       "\\x83Q\\x81[\\x83\\x80"},
      {"\x83\x5c\"\\\xb1", "\x83\x5c\\\"\\\\\xb1",  // ソ"\ｱ
       "\\x83\\\\\\\"\\\\\\xb1"},
      {"A\x83", "A\\x83", "A\\x83"},  // a lead byte without its trail byte
      {"A\x80", "A\\x80", "A\\x80"},
      {"Plain \"1\"", "Plain \\\"1\\\"", "Plain \\\"1\\\""},
  };
  progrun::ScratchDir dir;
  const std::string image = (dir / "image.d88").string();
  for (const auto& test : cases) {
    d88build::DiskSpec disk = d88build::FormattedDisk(1);
    disk.name = test.name;
    d88build::WriteFile(image, d88build::BuildImage({disk}));
    for (const Sink out : {Sink::kTerminal, Sink::kPipe}) {
      const auto result =
          progrun::Run(progrun::ProgramPath("d88info"), {image}, dir.path(),
                       progrun::Streams(out, Sink::kPipe, {"LC_ALL=C.UTF-8"}));
      const std::string shown = out == Sink::kTerminal
                                    ? Shown(result.terminal)
                                    : result.out;
      const std::string expected =
          out == Sink::kTerminal
              ? ToUtf8("name \"" + test.onTerminal + "\" media")
              : "name \"" + test.inPipe + "\" media";
      EXPECT_NE(shown.find(expected), std::string::npos) << shown;
    }
  }
}

// The program's name in the usage line is command-line text: a UTF-8
// terminal gets it as it is, never converted as if it were Shift-JIS.
TEST(Console, CommandLineTextReachesATerminalUnchanged) {
  if (progrun::TestingWindowsPrograms()) GTEST_SKIP() << "POSIX names";
  progrun::ScratchDir dir;
  const std::string link = (dir / "caf\xc3\xa9").string();  // café
  std::filesystem::create_symlink(PelkTitle().program, link);
  const auto result =
      progrun::Run(link, {}, dir.path(),
                   progrun::Streams(Sink::kTerminal, Sink::kTerminal,
                                    {"LC_ALL=C.UTF-8"}));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.terminal, "Usage: " + link + " [d88file]\n");
}

// The reason `err`, all of which is one message, gives after `start`: the
// system's words, with no full stop of their own before the closing
// ")." or the line end.
std::string ReasonIn(const std::string& err, const std::string& start) {
  std::smatch reason;
  const bool found =
      err.rfind(start, 0) == 0 &&
      std::regex_match(err.begin() + static_cast<long>(start.size()),
                       err.end(), reason,
                       std::regex("([^)\n]*[^.)\n])(\\)\\.)?\n"));
  EXPECT_TRUE(found) << err;
  return found ? reason[1].str() : "";
}

// Progress that never reached standard output, on a full disk or into a
// pipe whose reader has gone, fails the run with the reason of the first
// write that failed; the cutting goes on and the files are written all
// the same. A listing to a full disk likewise. The Windows programs give
// Windows' words.
TEST(Console, LostStandardOutputIsReportedWithItsReason) {
  const bool windows = progrun::TestingWindowsPrograms();
  const struct {
    Sink out;
    std::string reason;
  } sinks[] = {{Sink::kFull, "No space left on device"},
               {Sink::kClosed, "Broken pipe"}};
  progrun::ScratchDir dir;
  const std::string image = (dir / "image.d88").string();
  for (const auto& sink : sinks) {
    for (const ripcheck::Title* title : ripcheck::AllTitles()) {
      const ripcheck::ExpectedDisk& disk = title->disks.front();
      d88build::WriteFile(image, d88build::BuildImage(
                                     {ripcheck::TitleDisk(*title, disk.digit)}));
      progrun::ScratchDir cwd;
      const auto result = progrun::Run(title->program, {image}, cwd.path(),
                                       progrun::Streams(sink.out, Sink::kFile));
      EXPECT_EQ(result.status, 1) << title->program;
      const std::string reason =
          ReasonIn(result.err, ripcheck::kOutputLostStart);
      if (!windows) {
        EXPECT_EQ(reason, sink.reason) << title->program;
      }
      ripcheck::ExpectExactlyFiles(cwd.path(), disk.files);
    }
    // d88info stops at a closed pipe quietly, as listing programs do (on
    // POSIX systems SIGPIPE ends it), unless it was writing pieces, which
    // are all written; it names any other lost listing.
    d88build::WriteFile(image,
                        d88build::BuildImage({d88build::FormattedDisk(1)}));
    for (const bool split : {false, true}) {
      std::vector<std::string> args = {image};
      if (split) args.insert(args.begin(), {"--split", "pieces"});
      const auto listing =
          progrun::Run(progrun::ProgramPath("d88info"), args, dir.path(),
                       progrun::Streams(sink.out, Sink::kFile));
      if (sink.out == Sink::kClosed && !split) {
        EXPECT_EQ(listing.err, "");
        EXPECT_TRUE(windows ? listing.status == 1 : listing.signal == SIGPIPE)
            << listing.status;
        // Started with SIGPIPE ignored, it sees the closed pipe as a failed
        // write, and still says nothing.
        if (!windows) {
          progrun::RunOptions ignoring = progrun::Streams(sink.out, Sink::kFile);
          ignoring.beforeStart = [] { std::signal(SIGPIPE, SIG_IGN); };
          const auto quiet = progrun::Run(progrun::ProgramPath("d88info"),
                                          args, dir.path(), ignoring);
          EXPECT_EQ(quiet.status, 1);
          EXPECT_EQ(quiet.err, "");
        }
        continue;
      }
      EXPECT_EQ(listing.status, 1);
      const std::string reason = ReasonIn(
          listing.err, "d88info: cannot write to standard output: ");
      if (!windows) {
        EXPECT_EQ(reason, sink.reason);
      }
    }
    EXPECT_EQ(progrun::Listing(dir / "pieces").size(), 1u);
  }
}

}  // namespace
