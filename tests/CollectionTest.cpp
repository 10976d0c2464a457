// d88info over several images in one run, as a collection is checked:
// each image gives what it gives alone, its path before each line.

#include <gtest/gtest.h>

#include <filesystem>

#include "ProgramRun.h"
#include "builder/D88Builder.h"

namespace {

namespace fs = std::filesystem;
using d88build::Bytes;

class Collection : public ::testing::Test {
 protected:
  progrun::RunResult Run(const std::vector<std::string>& args) {
    return progrun::Run(progrun::ProgramPath("d88info"), args, dir.path());
  }
  void Write(const std::string& name, const Bytes& bytes) {
    d88build::WriteFile((dir / name).string(), bytes);
  }
  void Write(const std::string& name, const std::string& text) {
    Write(name, Bytes(text.begin(), text.end()));
  }
  progrun::ScratchDir dir;
};

// Each line of `text`, with `prefix` before it.
std::string Prefixed(const std::string& prefix, const std::string& text) {
  std::string lines;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    lines += prefix + text.substr(at, end - at + 1);
    at = end + 1;
  }
  return lines;
}

// Whole images, a missing, an empty and a cut one and one of more than 64
// disks, with every option that lists: standard output is each image's
// own, in the order given, each line after "PATH: "; standard error each
// image's lines in turn, the one that names no image alone naming it; the
// status 1 for the images not whole.
TEST_F(Collection, EachImageGivesWhatItGivesAloneAfterItsPath) {
  d88build::DiskSpec named = d88build::FormattedDisk(2);
  named.name = "Has: a colon";
  const Bytes whole = d88build::BuildImage({named, d88build::FormattedDisk(1)});
  Write("whole.d88", whole);
  Write("empty.d88", Bytes());
  Write("cut.d88", Bytes(whole.begin(), whole.end() - 7));
  Write("many.d88", d88build::BuildImage(std::vector<d88build::DiskSpec>(
                        65, d88build::FormattedDisk(1))));
  Write("other.d88", d88build::BuildImage({d88build::FormattedDisk(3)}));
  Write("c.dat", "<datafile><rom name=\"x\" size=\"1\" crc=\"00000000\"/></datafile>");
  const std::vector<std::string> images = {"whole.d88", "missing.d88", "empty.d88",
                                           "cut.d88",   "many.d88",    "other.d88"};
  const std::vector<std::string> options = {"--tracks", "--map", "--hash",
                                            "--dat", "c.dat"};
  std::string out;
  std::string err;
  for (const std::string& image : images) {
    std::vector<std::string> args = options;
    args.push_back(image);
    const auto alone = Run(args);
    EXPECT_EQ(alone.status, image == "whole.d88" || image == "other.d88" ? 0 : 1)
        << image;
    out += Prefixed(image + ": ", alone.out);
    const std::string unnamed = "d88info: disks past the 64th";
    err += alone.err.rfind(unnamed, 0) == 0
               ? "d88info: " + image + ": " + alone.err.substr(9)
               : alone.err;
  }
  std::vector<std::string> args = options;
  args.insert(args.end(), images.begin(), images.end());
  const auto all = Run(args);
  EXPECT_EQ(all.status, 1);
  EXPECT_EQ(all.out, out);
  EXPECT_EQ(all.err, err);
  const auto whole2 = Run({"--hash", "whole.d88", "other.d88"});
  EXPECT_EQ(whole2.status, 0);
  EXPECT_EQ(whole2.err, "");
}

// With --split, the pieces' names are chosen over every image before any
// is written: an entry named as another image's piece falls back, and so
// does an entry with an empty name, each line naming its image. Two images
// of one BASE, ignoring case, are refused before anything is made.
TEST_F(Collection, SplitNamesPiecesOverEveryImage) {
  const Bytes first = d88build::BuildImage({d88build::FormattedDisk(1)});
  d88build::DiskSpec otherDisk = d88build::FormattedDisk(1);
  otherDisk.name = "other";
  const Bytes second = d88build::BuildImage({otherDisk});
  d88build::DiskSpec thirdDisk = d88build::FormattedDisk(2);
  const Bytes third = d88build::BuildImage({thirdDisk});
  Write("a.d88", first);
  Write("b.d88", second);
  Write("c.d88", third);
  const auto hashes = Run({"--hash", "a.d88", "b.d88", "c.d88"});
  std::vector<std::string> sums;
  for (std::size_t at = hashes.out.find(" crc32 "); at != std::string::npos;
       at = hashes.out.find(" crc32 ", at + 1)) {
    sums.push_back(hashes.out.substr(at + 7, 8) + " " +
                   hashes.out.substr(at + 21, 40));
  }
  ASSERT_EQ(sums.size(), 3u);
  const auto rom = [&](const std::string& name, const Bytes& disk,
                       const std::string& crcAndSha1) {
    return "<rom name=\"" + name + "\" size=\"" + std::to_string(disk.size()) +
           "\" crc=\"" + crcAndSha1.substr(0, 8) + "\" sha1=\"" +
           crcAndSha1.substr(9) + "\"/>";
  };
  const std::string dat = "<datafile>" + rom("Named.d88", first, sums[0]) +
                          rom("A-01.D88", second, sums[1]) +
                          rom("", third, sums[2]) + "</datafile>";
  Write("c.dat", dat);
  const auto split =
      Run({"--dat", "c.dat", "--split", "pieces", "a.d88", "b.d88", "c.d88"});
  EXPECT_EQ(split.status, 0);
  EXPECT_EQ(split.err,
            "d88info: b.d88: disk 1: \"A-01.D88\" is another piece's name "
            "too; written as b-01.d88\n"
            "d88info: c.d88: disk 1: \"\" is no plain file name on every "
            "system; written as c-01.d88\n");
  const auto pieces = progrun::Listing(dir / "pieces");
  EXPECT_EQ(pieces.size(), 3u);
  EXPECT_TRUE(pieces.count("Named.d88") && pieces.at("Named.d88") == first);
  EXPECT_TRUE(pieces.count("b-01.d88") && pieces.at("b-01.d88") == second);
  EXPECT_TRUE(pieces.count("c-01.d88") && pieces.at("c-01.d88") == third);

  fs::create_directory(dir / "sub");
  Write("sub/A.d88", first);
  const auto same = Run({"--split", "made", "a.d88", "b.d88", "sub/A.d88"});
  EXPECT_EQ(same.status, 2);
  EXPECT_EQ(same.out, "");
  EXPECT_EQ(same.err,
            "d88info: a.d88 and sub/A.d88 would both write a-NN.d88\n"
            "Try 'd88info --help' for more information.\n");
  EXPECT_FALSE(fs::exists(dir / "made"));
}

// On Windows, which leaves patterns to the program, a pattern names the
// files that match it in name order, ignoring case, and stays as given
// where none does; and any number of operands keeps its Unicode.
TEST_F(Collection, WindowsExpandsPatternsAndKeepsEveryOperandsName) {
  if (!progrun::TestingWindowsPrograms()) {
    GTEST_SKIP() << "a POSIX shell expands patterns itself";
  }
  const Bytes image = d88build::BuildImage({d88build::FormattedDisk(1)});
  fs::create_directory(dir / "set");
  for (const std::string name : {"b.d88", "C.d88", "a.d88", "notes.txt"}) {
    Write("set/" + name, image);
  }
  const auto matched = Run({"set\\*.d88", "set/?.d88"});
  EXPECT_EQ(matched.status, 0) << matched.err;
  std::string expected;
  for (const std::string name : {"set\\a.d88", "set\\b.d88", "set\\C.d88",
                                 "set/a.d88", "set/b.d88", "set/C.d88"}) {
    expected += name + ": image disks 1\n";
  }
  std::string listed;
  for (std::size_t at = 0; at < matched.out.size();) {
    const std::size_t end = matched.out.find('\n', at) + 1;
    if (matched.out.find(": image disks", at) < end) {
      listed += matched.out.substr(at, end - at);
    }
    at = end;
  }
  EXPECT_EQ(listed, expected);
  // Names that differ only in case, which wine's folders hold, go in
  // their exact order; a pattern that matches only "." and ".." matches
  // nothing.
  fs::create_directory(dir / "case");
  Write("case/a.d88", image);
  Write("case/A.d88", image);
  const auto cases = Run({"case/*.d88"});
  EXPECT_EQ(cases.out.substr(0, cases.out.find(':')), "case/A.d88");
  EXPECT_EQ(Run({"case/.*"}).err.rfind("d88info: cannot open case/.*: ", 0), 0u);
  const auto none = Run({"set/none*.d88", "set/none.d88"});
  EXPECT_EQ(none.status, 1);
  const std::size_t reason = none.err.find(": ", 30) + 2;
  EXPECT_EQ(none.err, "d88info: cannot open set/none*.d88: " +
                          none.err.substr(reason, none.err.find('\n') + 1 - reason) +
                          "d88info: cannot open set/none.d88: " +
                          none.err.substr(reason, none.err.find('\n') + 1 - reason));

  // 70 images named in Japanese, beside files that are no images and whose
  // names differ only in their Japanese: in the ANSI code page, which has
  // none of it, the names would be patterns that take in those too.
  std::vector<std::string> names;
  for (int i = 0; i < 70; ++i) {
    names.push_back("\xe3\x82\xa2" + std::to_string(i) + ".d88");  // アN.d88
    Write(names.back(), image);
    Write("\xe3\x82\xa4" + std::to_string(i) + ".d88", Bytes());  // イN.d88
  }
  const auto many = Run(names);
  EXPECT_EQ(many.status, 0) << many.err;
  EXPECT_EQ(std::count(many.out.begin(), many.out.end(), '\n'), 70 * 2);
}

}  // namespace
