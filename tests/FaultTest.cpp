// The Linux ripper run from outside under faults of the real system calls:
// a read of the image failing (strace), a file size limit, interruptions
// (strace). Each call failing in turn is tested in-process, on Linux and
// Windows alike (PlatformFaultTest.cpp); this checks that the real calls
// behave as that test's stand-ins do.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "Titles.h"

namespace {

using progrun::RunOptions;
using progrun::ScratchDir;

const d88build::Bytes kOlder(7, 0x6f);  // what the folder held before
constexpr int kMostCalls = 1000;  // far more than a run of this image makes

// Two disks of the first title with 20 files, in a folder holding an older
// file under each name. A read failing part way ends the walk with its
// reason; a file size limit fails the files that do not fit, with theirs,
// and the walk goes on; an interruption at any write ends the run by its
// signal. Every file is the older one or whole, and a log in a file holds
// the cutting line of each file written.
TEST(Faults, RealCallsFailingLoseNothing) {
  if (!progrun::CanTrace())
    GTEST_SKIP() << "needs strace and the Linux programs";
  const ripcheck::Title& title = ripcheck::PelkTitle();
  ScratchDir imageDir;
  const std::string image = (imageDir / "image.d88").string();
  std::vector<ripcheck::ExpectedFile> files;
  std::string cleanOut;
  std::vector<d88build::DiskSpec> disks;
  for (char digit : {'2', '1'}) {
    disks.push_back(ripcheck::TitleDisk(title, digit));
    cleanOut += ripcheck::ExpectedOutput(title.Disk(digit));
    files.insert(files.end(), title.Disk(digit).files.begin(),
                 title.Disk(digit).files.end());
  }
  d88build::WriteFile(image, d88build::BuildImage(disks));
  progrun::RunResult result;
  std::string older;  // write failures for the files left older
  const auto run = [&](const RunOptions& options) {
    ScratchDir dir;
    for (const auto& file : files) {
      d88build::WriteFile((dir / file.name).string(), kOlder);
    }
    result = progrun::Run(title.program, {image}, dir.path(), options);
    const auto listing = progrun::Listing(dir.path());
    EXPECT_EQ(listing.size(), files.size()) << "a stray or temporary file";
    older.clear();
    for (const auto& file : files) {
      const auto found = listing.find(file.name);
      ASSERT_NE(found, listing.end()) << file.name << " is gone";
      if (found->second == kOlder) {
        older += ripcheck::WriteFailed(file.name, "*");
        continue;
      }
      EXPECT_EQ(found->second,
                d88build::ExpectedRun(file.track, file.r, file.size))
          << file.name << " is half written";
      EXPECT_NE(result.out.find("cutting ... " + file.name + "\n"),
                std::string::npos);
    }
  };

  // A read failing at each read of the image in turn, until a run reads
  // less often than that and goes through.
  for (int k = 1; k < kMostCalls; ++k) {
    SCOPED_TRACE("EIO at read " + std::to_string(k));
    run(progrun::UnderStrace("pread64", image, "/dev/null",
                             "error=EIO:when=" + std::to_string(k)));
    if (result.status == 0) break;
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err,
              ripcheck::kReadFailedStart + "Input/output error).\n");
    EXPECT_EQ(cleanOut.rfind(result.out, 0), 0u) << result.out;
    EXPECT_NE(older, "");
  }
  EXPECT_EQ(result.out, cleanOut);

  RunOptions limited;
  limited.beforeStart = [] {
    const rlimit limit{1024, 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
  };
  run(limited);
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.out, cleanOut);
  EXPECT_NE(older, "");
  EXPECT_EQ(ripcheck::MaskReasons(result.err), older);
  EXPECT_NE(result.err.find("(File too large)"), std::string::npos);

  // An interruption at every third write, to the files or the log, until
  // a run writes less often than that.
  for (int k = 1; k < kMostCalls && result.status != 0; k += 3) {
    SCOPED_TRACE("SIGINT at write " + std::to_string(k));
    run(progrun::UnderStrace("write", "", "/dev/null",
                             "signal=SIGINT:when=" + std::to_string(k)));
    EXPECT_TRUE(result.signal == SIGINT || result.status == 0);
  }
}

}  // namespace
