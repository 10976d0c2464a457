// Ripper runs under the faults a user meets: failing reads of the image,
// failing writes, closes and renames, interruptions, a file size limit, a
// full folder and leftovers of earlier runs. Whatever happens, no file is
// lost or half written, no temporary file is left, and a run that did not
// go cleanly says so.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <iostream>
#include <sstream>

#include "Titles.h"

namespace {

namespace fs = std::filesystem;
using d88build::Bytes;
using progrun::RunOptions;
using progrun::RunResult;
using progrun::ScratchDir;
using progrun::Sink;
using ripcheck::ExpectedFile;

const Bytes kOlder(7, 0x6f);  // what the folder held before the run

// Two disks of the first title with 20 files between them, the image in a
// folder of its own, and what a clean run prints and writes.
struct Setting {
  ScratchDir imageDir;
  std::string image;
  std::string out;
  std::vector<ExpectedFile> files;

  Setting() : image((imageDir / "image.d88").string()) {
    const ripcheck::Title& title = ripcheck::PelkTitle();
    std::vector<d88build::DiskSpec> disks;
    for (char digit : {'2', '1'}) {
      disks.push_back(ripcheck::TitleDisk(title, digit));
      out += ripcheck::ExpectedOutput(title.Disk(digit));
      files.insert(files.end(), title.Disk(digit).files.begin(),
                   title.Disk(digit).files.end());
    }
    d88build::WriteFile(image, d88build::BuildImage(disks));
  }

  // Runs pelkrip in `dir`, which holds an older file under each of the
  // first `older` names.
  RunResult Run(const ScratchDir& dir, const RunOptions& options = {},
                std::size_t older = SIZE_MAX) const {
    for (std::size_t i = 0; i < files.size() && i < older; ++i) {
      d88build::WriteFile((dir / files[i].name).string(), kOlder);
    }
    return progrun::Run(ripcheck::PelkTitle().program, {image}, dir.path(),
                        options);
  }

  // Every file in the folder is the older one or the clean run's; no
  // older file is gone, and there is no other file, no temporary. Gives
  // the names the run wrote.
  std::vector<std::string> ExpectOlderOrClean(
      const ScratchDir& dir, std::size_t older = SIZE_MAX) const {
    std::vector<std::string> replaced;
    const auto listing = progrun::Listing(dir.path());
    std::size_t known = 0;
    for (std::size_t i = 0; i < files.size(); ++i) {
      const ExpectedFile& file = files[i];
      const auto found = listing.find(file.name);
      if (found == listing.end()) {
        if (i < older) ADD_FAILURE() << file.name << " is gone";
        continue;
      }
      ++known;
      if (found->second == kOlder) continue;
      EXPECT_EQ(found->second,
                d88build::ExpectedRun(file.track, file.r, file.size))
          << file.name << " is half written";
      replaced.push_back(file.name);
    }
    EXPECT_EQ(listing.size(), known) << "a stray or temporary file";
    return replaced;
  }

  // The messages naming each file that is not among those `written`.
  std::string WriteFailures(const std::vector<std::string>& written) const {
    std::string messages;
    for (const ExpectedFile& file : files) {
      if (std::find(written.begin(), written.end(), file.name) ==
          written.end()) {
        messages += ripcheck::WriteFailed(file.name, "*");
      }
    }
    return messages;
  }
};

// The calls to `syscall` in a clean run, in order, as strace shows them:
// with the file each works on, so a call on an output file names its
// temporary.
std::vector<std::string> TraceCalls(const Setting& setting,
                                    const std::string& syscall,
                                    bool onImage) {
  ScratchDir dir;
  ScratchDir traceDir;
  const std::string trace = (traceDir / "trace").string();
  setting.Run(dir, progrun::UnderStrace(
                       syscall, onImage ? setting.image : "", trace));
  std::ifstream in(trace);
  std::vector<std::string> calls;
  for (std::string line; std::getline(in, line);) {
    if (line.find(syscall + "(") != std::string::npos) calls.push_back(line);
  }
  return calls;
}

// Each call K of a system call fails in turn, or is interrupted, with the
// older files in the folder. Never is a file lost or half written, never
// is a temporary left. A failed read of the image ends the run with its
// message, keeping the files announced before it; a failed call on an
// output file leaves that file's older one and names it; an interrupted
// run ends by its signal; an interrupted read is read again.
TEST(Faults, InjectedFaultsLoseNothingAndFailLoudly) {
  if (!progrun::CanTrace()) {
    GTEST_SKIP() << "needs strace and the Linux programs";
  }
  struct Fault {
    const char* syscall;
    bool onImage;        // only the image's calls count
    const char* inject;  // what happens at call K
    bool fromKOn;        // at every call from K on, not only at K
    int step;            // K goes 1, 1 + step, 1 + 2 step, ...
    int signal;          // the signal injected, 0 for none
  };
  const Fault faults[] = {
      {"pread64", true, "error=EIO", false, 1, 0},
      {"pread64", true, "error=EIO", true, 1, 0},
      {"pread64", true, "error=EINTR", false, 1, 0},
      {"write", false, "error=ENOSPC", false, 1, 0},
      {"close", false, "error=EIO", false, 1, 0},
      {"rename", false, "error=EIO", false, 1, 0},
      {"write", false, "signal=SIGINT", false, 3, SIGINT},
      {"rename", false, "signal=SIGTERM", false, 4, SIGTERM},
      {"close", false, "signal=SIGHUP", false, 5, SIGHUP},
  };
  const Setting setting;
  for (const Fault& fault : faults) {
    const std::vector<std::string> calls =
        TraceCalls(setting, fault.syscall, fault.onImage);
    ASSERT_FALSE(calls.empty()) << fault.syscall;
    for (std::size_t k = 1; k <= calls.size(); k += fault.step) {
      SCOPED_TRACE(std::string(fault.inject) + " at " + calls[k - 1] +
                   (fault.fromKOn ? " and on" : ""));
      const RunOptions options = progrun::UnderStrace(
          fault.syscall, fault.onImage ? setting.image : "", "/dev/null",
          std::string(fault.inject) + ":when=" + std::to_string(k) +
              (fault.fromKOn ? "+" : ""));
      ScratchDir dir;
      const RunResult result = setting.Run(dir, options);
      const std::vector<std::string> replaced = setting.ExpectOlderOrClean(dir);
      const bool interrupted = std::string(fault.inject) == "error=EINTR";
      if (fault.signal != 0) {
        EXPECT_EQ(result.signal, fault.signal);
        // Standard output, a file, kept the cutting line of every file
        // made before the interruption.
        for (const std::string& name : replaced) {
          EXPECT_NE(result.out.find("cutting ... " + name + "\n"),
                    std::string::npos) << name;
        }
      } else if (interrupted || result.status == 0) {
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, setting.out);
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(replaced.size(), setting.files.size());
      }
      if (fault.signal != 0 || interrupted) continue;
      if (fault.onImage) {
        // The files announced were written, and only those.
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, ripcheck::kReadFailedStart + "Input/output error).\n");
        EXPECT_EQ(setting.out.rfind(result.out, 0), 0u) << result.out;
        std::vector<std::string> announced;
        std::istringstream lines(result.out);
        for (std::string line; std::getline(lines, line);) {
          const std::string cutting = "cutting ... ";
          if (line.rfind(cutting, 0) == 0) {
            announced.push_back(line.substr(cutting.size()));
          }
        }
        EXPECT_EQ(replaced, announced);
      } else if (calls[k - 1].find(".tmp") != std::string::npos) {
        // Every file but the one whose call failed is written.
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(replaced.size() + 1, setting.files.size());
        EXPECT_EQ(ripcheck::MaskReasons(result.err),
                  setting.WriteFailures(replaced));
      } else if (result.status != 0) {
        // The loader's own calls, standard output and the image's close.
        EXPECT_NE(result.err, "");
      }
    }
  }
}

// Temporaries that another run, or a run killed outright, left behind,
// including one under the very name this run would pick first, are
// neither written through nor removed, and never block a name.
TEST(Faults, LeftoverTemporariesAreLeftAlone) {
  const Setting setting;
  RunOptions options;
  options.beforeStart = [&setting] {
    const std::string pid = std::to_string(getpid());
    for (const ExpectedFile& file : setting.files) {
      for (const std::string& leftover :
           {file.name + "." + pid + ".0.tmp", file.name + ".0.tmp"}) {
        d88build::WriteFile(leftover, kOlder);
      }
    }
  };
  ScratchDir dir;
  const RunResult result = setting.Run(dir, options);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.err, "");
  const auto listing = progrun::Listing(dir.path());
  int leftovers = 0;
  for (const auto& [name, bytes] : listing) {
    if (name.size() < 4 || name.substr(name.size() - 4) != ".tmp") continue;
    EXPECT_EQ(bytes, kOlder) << name;
    fs::remove(dir / name);
    ++leftovers;
  }
  EXPECT_EQ(leftovers, 2 * static_cast<int>(setting.files.size()));
  ripcheck::ExpectExactlyFiles(dir.path(), setting.files);
}

// Room that runs out part way, with older files of the first names: a
// file size limit, and a folder on a small file system. Each file that
// does not fit is named and its older file kept; the walk goes on, and
// the run fails.
TEST(Faults, RoomRunningOutKeepsTheOlderFiles) {
  constexpr std::size_t kOlderFiles = 5;
  constexpr rlim_t kSizeLimit = 1024;
  const Setting setting;
  for (const bool smallFolder : {false, true}) {
    SCOPED_TRACE(smallFolder ? "small folder" : "file size limit");
    ScratchDir dir;
    RunOptions options = progrun::Streams(Sink::kPipe, Sink::kPipe);
    if (!smallFolder && progrun::TestingWindowsPrograms()) continue;
    if (!smallFolder) {
      options.beforeStart = [] {
        const rlimit limit{kSizeLimit, kSizeLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
      };
    } else if (mount("tmpfs", dir.path().c_str(), "tmpfs", 0, "size=40k")) {
      // Ten pages: room for the older files and five more.
      std::cout << "skipped: cannot mount a small tmpfs here (needs root)\n";
      continue;
    }
    const RunResult result = setting.Run(dir, options, kOlderFiles);
    const auto written = setting.ExpectOlderOrClean(dir, kOlderFiles);
    if (smallFolder) umount(dir.path().c_str());
    EXPECT_FALSE(written.empty());
    EXPECT_LT(written.size(), setting.files.size());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, setting.out);
    EXPECT_EQ(ripcheck::MaskReasons(result.err), setting.WriteFailures(written));
  }
}

}  // namespace
