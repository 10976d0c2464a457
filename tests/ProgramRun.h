#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "builder/D88Builder.h"

// Runs the real programs in scratch folders and reads back what they left.
//
// The programs under test are the ones this build made, or, when the
// environment variable D88RIP_TEST_WINDOWS names a folder, the Windows
// programs in it (NAME.exe), run under wine with a prefix in that folder.
namespace progrun {

// A fresh empty folder, removed with everything in it at the end of scope.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const {
    return path_ / name;
  }

 private:
  std::filesystem::path path_;
};

// The program file of `name` (a ripper or d88info) under test.
std::string ProgramPath(const std::string& name);
// The Linux program of `name` that this build made, also when the
// programs under test are the Windows ones: to compare their output.
std::string LinuxProgramPath(const std::string& name);
// True when the programs under test are the Windows ones.
bool TestingWindowsPrograms();
// What the program started from ProgramPath sees as its own name (argv[0]).
std::string InvocationName(const std::string& program);

// Where a run's standard output or error goes.
enum class Sink {
  kFile,      // a regular file, read back into `out` or `err`
  kPipe,      // a pipe, read into `out` or `err`
  kTerminal,  // a pseudo-terminal shared by both streams, read into
              // `terminal` byte for byte (no line-end translation); also
              // standard input when both streams are on it
  kFull,      // /dev/full: every write fails
  kClosed,    // a pipe whose reader has gone: every write fails with EPIPE
  kWithOut,   // standard error only: the same open file as standard output
};

struct RunOptions {
  Sink out = Sink::kFile;
  Sink err = Sink::kFile;
  std::vector<std::string> environment;  // NAME=value, set for this run
  // Words put before the program's own, such as a tracer and its options.
  std::vector<std::string> wrapper;
  // Runs in the child, in `cwd`, just before the program starts (its
  // process id is the program's).
  std::function<void()> beforeStart;
};

// Options that set where the two streams go, and the environment.
inline RunOptions Streams(Sink out, Sink err,
                          std::vector<std::string> environment = {}) {
  RunOptions options;
  options.out = out;
  options.err = err;
  options.environment = std::move(environment);
  return options;
}

struct RunResult {
  int status = -1;  // the exit status; -1 when a signal ended the program
  int signal = 0;   // the signal that ended it
  std::string out;
  std::string err;
  std::string terminal;
};

// True when strace can run the Linux programs under test: the Windows ones
// run under wine, which a tracer would see instead.
bool CanTrace();

// Options that run the program under strace, tracing only `syscall` (only
// its calls on the file `onlyPath`, when that is not empty) and writing
// the trace, each call with the file it works on, to `output`; `inject`,
// when not empty, is strace's inject= setting for that call.
RunOptions UnderStrace(const std::string& syscall, const std::string& onlyPath,
                       const std::string& output,
                       const std::string& inject = "");

// Runs `program` with `args` in the folder `cwd`, with standard input
// empty. Captured streams are kept outside `cwd`, so that it holds only
// what the program wrote.
RunResult Run(const std::string& program, const std::vector<std::string>& args,
              const std::filesystem::path& cwd, const RunOptions& options = {});

std::string ReadText(const std::filesystem::path& path);
d88build::Bytes ReadBytes(const std::filesystem::path& path);

// Every regular file and folder directly in `dir`: name -> contents (empty
// for folders, whose names end in '/').
std::map<std::string, d88build::Bytes> Listing(
    const std::filesystem::path& dir);

}  // namespace progrun
