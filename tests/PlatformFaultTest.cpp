// The platform layer's system calls made to fail, come up short or be
// interrupted, one call at a time, through its call table, in a ripper run
// in this process: the same tests on POSIX systems and on Windows.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <thread>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#ifdef D88RIP_COVERAGE
extern "C" void __gcov_dump(void);
#endif
#else
#include <unistd.h>

#include <cerrno>
#include <csignal>
#endif

#include "builder/D88Builder.h"
#include "platform/InputFile.h"
#include "platform/OutputFile.h"
#include "platform/Signals.h"
#include "platform/SystemCalls.h"
#include "d88info/Run.h"
#include "platform/Console.h"
#include "platform/ConsoleWindow.h"
#include "rip/RunRipper.h"
#include "titles/pelk/PelkProfile.h"

namespace {

namespace fs = std::filesystem;
// kEnd: a read or a write takes no byte and gives no error, as a read at
// the end of the file does.
enum class Mode { kCount, kFail, kShort, kInterrupt, kEnd };
using Call = void (*)();

struct Injection {
  Call target = nullptr;  // the fake whose calls count
  Mode mode = Mode::kCount;
  long k = 0;             // the call struck, from 1
  bool fromKOn = false;   // and every one after it
  long calls = 0;
} injection;

// The entries a read or a write can come up short in, and those whose
// failure a run may shrug off: setting up signals, removing what is gone
// anyway, telling a folder from a file that did not open, copying
// standard output's descriptor to close the copy, and closing the image
// after the walk (the last close of a run). Entries are named by their
// members, so that the table's order does not matter. Shorten halves the
// length of a read or a write; Track sees each call that went through,
// and on Windows keeps the interruption handler to call as Windows would.
#define ENTRY(member) #member
#ifdef _WIN32
const std::string kRead = ENTRY(readFile), kWrite = ENTRY(writeFile),
                  kClose = ENTRY(closeHandle), kRename = ENTRY(moveFile);
constexpr auto kCloseEntry = &SystemCalls::closeHandle;
const std::set<std::string> kHarmless = {ENTRY(getFileAttributes),
                                         ENTRY(deleteFile),
                                         ENTRY(setConsoleCtrlHandler)};
PHANDLER_ROUTINE handler = nullptr;
void Shorten(HANDLE&, LPVOID&, DWORD& n, LPDWORD&, LPOVERLAPPED&) {
  n -= n / 2;
}
void Shorten(HANDLE&, LPCVOID&, DWORD& n, LPDWORD&, LPOVERLAPPED&) {
  n -= n / 2;
}
void Track(BOOL, PHANDLER_ROUTINE routine, BOOL) { handler = routine; }
bool End(BOOL& result, HANDLE, LPVOID, DWORD, LPDWORD read, LPOVERLAPPED) {
  *read = 0;
  result = TRUE;
  return true;
}
bool End(BOOL& result, HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED) {
  *written = 0;
  result = TRUE;
  return true;
}
#else
const std::string kRead = ENTRY(pread), kWrite = ENTRY(write),
                  kClose = ENTRY(close), kRename = ENTRY(rename);
constexpr auto kCloseEntry = &SystemCalls::close;
const std::set<std::string> kHarmless = {ENTRY(dup), ENTRY(unlink),
                                         ENTRY(sigaction), ENTRY(sigprocmask)};
void Shorten(int&, void*&, size_t& n, off_t&) { n -= n / 2; }
void Shorten(int&, const void*&, size_t& n) { n -= n / 2; }
bool End(ssize_t& result, int, void*, size_t, off_t) {
  result = 0;
  return true;
}
bool End(ssize_t& result, int, const void*, size_t) {
  result = 0;
  return true;
}
#endif
template <typename... A> void Shorten(A&...) {}
template <typename R, typename... A> bool End(R&, A...) { return false; }
template <typename R, typename... A> void Track(R, A...) {}

template <typename R> R Failure() {
#ifdef _WIN32
  SetLastError(ERROR_GEN_FAILURE);
  if constexpr (std::is_same_v<R, HANDLE>) {
    return INVALID_HANDLE_VALUE;
  } else if constexpr (std::is_pointer_v<R>) {
    return nullptr;  // a module or a procedure not found
  }
  return 0;
#else
  errno = injection.mode == Mode::kInterrupt ? EINTR : EIO;
  return -1;
#endif
}

// Stands in for one entry of the table: the real call, unless it is struck.
// A close that fails has closed all the same, as the systems' do.
template <typename P, P SystemCalls::*M> struct Fake;
template <typename R, typename... A, R (*SystemCalls::*M)(A...)>
struct Fake<R (*)(A...), M> {
  static R Call(A... a) {
    if (injection.target == reinterpret_cast<::Call>(&Call) &&
        ++injection.calls >= injection.k && injection.mode != Mode::kCount &&
        (injection.fromKOn || injection.calls == injection.k)) {
      R ended{};
      if (injection.mode == Mode::kEnd && End(ended, a...)) return ended;
      if (injection.mode != Mode::kShort) {
        if (Closes()) (kRealSystemCalls.*M)(a...);
        return Failure<R>();
      }
      Shorten(a...);
    }
    const R result = (kRealSystemCalls.*M)(a...);
    Track(result, a...);
    return result;
  }
  static bool Closes() {
    return reinterpret_cast<::Call>(kRealSystemCalls.*M) ==
           reinterpret_cast<::Call>(kRealSystemCalls.*kCloseEntry);
  }
};
template <typename T> struct Entry;
template <typename P> struct Entry<P SystemCalls::*> { using Pointer = P; };
template <auto M> Call FakeOf() {
  using F = Fake<typename Entry<decltype(M)>::Pointer, M>;
  systemCalls.*M = F::Call;
  return reinterpret_cast<Call>(&F::Call);
}

// Fakes every entry of the table; gives each fake's identity by the
// entry's name. A new entry left out here fails the size check.
#define FAKE(member) {#member, FakeOf<&SystemCalls::member>()}
std::map<std::string, Call> InstallFakes() {
  std::map<std::string, Call> fakes = {
#ifdef _WIN32
      FAKE(createFile),  FAKE(getFileType),     FAKE(getFileAttributes),
      FAKE(getFileSize), FAKE(readFile),        FAKE(writeFile),
      FAKE(closeHandle), FAKE(moveFile),        FAKE(deleteFile),
      FAKE(getFullPathName), FAKE(setConsoleCtrlHandler),
      FAKE(createDirectory), FAKE(findFirstFile), FAKE(findNextFile),
      FAKE(findClose), FAKE(getConsoleMode), FAKE(writeConsole),
      FAKE(readConsole), FAKE(getConsoleProcessList), FAKE(getCurrentDirectory),
      FAKE(getModuleHandle), FAKE(getProcAddress),
#else
      FAKE(open),   FAKE(fstat),  FAKE(pread),     FAKE(write),
      FAKE(close),  FAKE(dup),    FAKE(rename),    FAKE(unlink),
      FAKE(sigaction), FAKE(sigprocmask), FAKE(mkdir),  FAKE(stat),
#endif
  };
  EXPECT_EQ(fakes.size() * sizeof(Call), sizeof(SystemCalls))
      << "an entry of the table has no fake";
  return fakes;
}

std::string ReadAll(const fs::path& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

const std::string kOlder = "older";
// "標準出力に書き込めません", which the reason follows
const std::string kOutputLost =
    "\x95\x57\x8f\x80\x8f\x6f\x97\xcd\x82\xc9\x8f\x91\x82\xab\x8d\x9e\x82\xdf"
    "\x82\xdc\x82\xb9\x82\xf1";

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
  std::map<std::string, std::string> files;  // what the folder holds
};

// Runs `run` in `folder` with standard output and error going to files in
// `root`, and gives its status, what it printed and what the folder then
// holds (a folder's name ends in '/', its files' as "sub/name").
template <typename Run>
Outcome RunCaptured(const fs::path& root, const fs::path& folder, Run run) {
  fs::current_path(folder);
  std::fflush(stdout);
  const int saved[] = {dup(1), dup(2)};
  for (int fd : {1, 2}) {
    std::FILE* file =
        std::fopen((root / std::to_string(fd)).string().c_str(), "wb");
    dup2(fileno(file), fd);
    std::fclose(file);
  }
  Outcome outcome;
  outcome.status = run();
  std::fflush(stdout);
  for (int fd : {1, 2}) dup2(saved[fd - 1], fd), close(saved[fd - 1]);
#ifndef _WIN32
  sigset_t none;  // a failed call that was to unblock them did not
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
#endif
  fs::current_path(root);
  outcome.out = ReadAll(root / "1");
  outcome.err = ReadAll(root / "2");
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(entry.path(), folder).generic_string();
    outcome.files[entry.is_directory() ? name + "/" : name] =
        entry.is_directory() ? std::string() : ReadAll(entry.path());
  }
  return outcome;
}

class PlatformFaults : public ::testing::Test {
 protected:
  // Disk 4 of the first title, whose first file runs on into the next
  // track side, which a long sector puts in another of the reader's 64 KiB
  // blocks; and Disk 2, which yields no file.
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("d88rip-platform-" + std::to_string(getpid()));
    fs::create_directories(root);
    entries = InstallFakes();
    d88build::DiskSpec disk4 = d88build::FormattedDisk();
    d88build::SetBootSignature(disk4, "Pelk_No", '2');
    d88build::SectorRecord longSector;
    longSector.c = 32, longSector.h = 1, longSector.r = 0xf0;
    longSector.data.assign(65000, 0xe5);
    disk4.tracks[65].push_back(longSector);
    d88build::DiskSpec disk2 = d88build::FormattedDisk(1);
    d88build::SetBootSignature(disk2, "Pelk_No", '9');
    image = (root / "set.d88").string();
    d88build::WriteFile(image, d88build::BuildImage({disk4, disk2}));
    clean = RunIn(false);
    ASSERT_EQ(clean.status, 0);
    ASSERT_EQ(clean.files.size(), 5u);
  }
  void TearDown() override {
    systemCalls = kRealSystemCalls;
    fs::current_path(root.parent_path());
    fs::remove_all(root);
  }

  // Runs pelkrip on the image in a fresh folder holding, when `older`,
  // the older file under each name and, under the name this run would
  // give its first temporary, one that a run killed outright left; the
  // streams go to files.
  Outcome RunIn(bool older) {
    const fs::path folder = root / "run";
    fs::create_directory(folder);
    for (const auto& [file, bytes] : clean.files) {
      if (older) std::ofstream(folder / file, std::ios::binary) << kOlder;
    }
    if (older) std::ofstream(folder / kLeftover, std::ios::binary) << kOlder;
    std::string argument = image;
    char program[] = "pelkrip";
    char* argv[] = {program, argument.data(), nullptr};
    Outcome run = RunCaptured(root, folder, [&] {
      return RunRipperWithArguments(kPelkProfile, 2, argv);
    });
    fs::remove_all(folder);
    return run;
  }

  // Each file is the older one or the clean run's, the leftover is as it
  // was, and nothing else is there. A run that is not the clean one fails,
  // says so and names each file it announced and did not write; each file
  // written was announced.
  void ExpectSound(const Outcome& run) {
    EXPECT_EQ(run.files.size(), clean.files.size() + 1)
        << "a file gone or left";
    for (const auto& [name, bytes] : run.files) {
      if (name == kLeftover && bytes == kOlder) continue;
      const auto cleanFile = clean.files.find(name);
      ASSERT_NE(cleanFile, clean.files.end()) << "a stray file " << name;
      EXPECT_TRUE(bytes == kOlder || bytes == cleanFile->second) << name;
      const bool announced =
          run.out.find("cutting ... " + name + "\n") != std::string::npos;
      const bool named = run.err.find(name) != std::string::npos;
      EXPECT_TRUE(bytes == kOlder ? !announced || named : announced) << name;
    }
    EXPECT_EQ(run.status == 0, run.err.empty()) << run.err;
    // Lost progress is named with its reason.
    const std::size_t lost = run.err.find(kOutputLost);
    if (lost != std::string::npos) {
      EXPECT_EQ(run.err.find(" (", lost), lost + kOutputLost.size());
      EXPECT_EQ(run.err.find(" ()", lost), std::string::npos) << run.err;
    }
    EXPECT_TRUE(run.status == 0 ? run.out == clean.out : run.status == 1);
  }

  const std::string kLeftover = "MUS400." + std::to_string(getpid()) + ".0.tmp";
  fs::path root;
  std::map<std::string, Call> entries;
  std::string image;
  Outcome clean;
};

// Each call of each entry in turn fails (once, and from there on), comes
// up short, is interrupted, or takes nothing (a read finds the end of the
// file early, a write writes no byte):
// `run` runs the program, with older files in its folder when told to;
// `check` judges each run struck.
template <typename Run, typename Check>
void StrikeEveryCall(const std::map<std::string, Call>& entries, Run run,
                     Check check) {
  std::vector<std::pair<std::string, Mode>> rows;
  for (const auto& [entry, fake] : entries) rows.push_back({entry, Mode::kFail});
  for (const std::string& entry : {kRead, kWrite}) {
    rows.push_back({entry, Mode::kShort});
#ifndef _WIN32
    rows.push_back({entry, Mode::kInterrupt});
#endif
  }
  rows.push_back({kRead, Mode::kEnd});
  rows.push_back({kWrite, Mode::kEnd});
  for (const auto& [entry, mode] : rows) {
    injection = Injection{entries.at(entry)};
    ASSERT_EQ(run(false).status, 0);
    const long calls = injection.calls;
    for (long k = 1; k <= calls; ++k) {
      for (const bool fromKOn : {false, true}) {
        if (fromKOn && mode != Mode::kFail) continue;
        SCOPED_TRACE(entry + " mode " + std::to_string(static_cast<int>(mode)) +
                     " call " + std::to_string(k) + (fromKOn ? " on" : ""));
        injection = Injection{entries.at(entry), mode, k, fromKOn};
        check(run(true), entry, mode, k == calls);
      }
    }
  }
}

// A short or interrupted call is made good; a read that finds the file
// shorter than it was is no end of the data (one at its end is).
TEST_F(PlatformFaults, EveryCallFailingAnywhereLosesNothing) {
  StrikeEveryCall(
      entries, [&](bool older) { return RunIn(older); },
      [&](const Outcome& run, const std::string& entry, Mode mode, bool last) {
        ExpectSound(run);
        const bool mayPass = kHarmless.count(entry) > 0 || (entry == kClose && last);
        if (mode == Mode::kShort || mode == Mode::kInterrupt) {
          EXPECT_EQ(run.status, 0);
        } else if ((mode == Mode::kFail && !mayPass) || entry == kWrite) {
          EXPECT_EQ(run.status, 1);
        }
      });
}

// d88info's run in this process, struck as the ripper's is: --hash, --dat
// with a catalogue naming the first disk, and --split over the same image,
// so that every read of the image and of the catalogue and every write,
// close and rename of a piece is struck in turn.
class D88InfoFaults : public PlatformFaults {
 protected:
  void SetUp() override {
    PlatformFaults::SetUp();
    SetUpConsole();
    catalogue = (root / "catalogue.xml").string();
    std::ofstream(catalogue, std::ios::binary)
        << "<datafile><game name=\"g\"><rom name=\"r\" size=\"1\" "
           "crc=\"00000000\"/></game></datafile>";
    cleanD88Info = RunD88Info(false);
    ASSERT_EQ(cleanD88Info.status, 0) << cleanD88Info.err;
    ASSERT_EQ(cleanD88Info.files.size(), 3u) << cleanD88Info.out;
  }

  // Runs d88info with the catalogue and the split on the image in a fresh
  // folder; when `older`, pieces/ holds the older file under each piece's
  // name and a temporary that a run killed outright left.
  Outcome RunD88Info(bool older) {
    const fs::path folder = root / "run";
    fs::create_directory(folder);
    if (older) {
      fs::create_directory(folder / "pieces");
      for (const std::string& name :
           {std::string("set-01.d88"), std::string("set-02.d88"), leftover}) {
        std::ofstream(folder / "pieces" / name, std::ios::binary) << kOlder;
      }
    }
    std::vector<std::string> options = {"d88info", "--hash", "--dat", catalogue,
                                        "--split", "pieces", image};
    std::vector<char*> argv;
    for (std::string& option : options) argv.push_back(option.data());
    argv.push_back(nullptr);
    Outcome run = RunCaptured(root, folder, [&] {
      return ::RunD88Info(static_cast<int>(options.size()), argv.data());
    });
    fs::remove_all(folder);
    return run;
  }

  // Each piece is the older one or the clean run's, the leftover is as it
  // was, and nothing else is there. A run that is not the clean one fails
  // and names why in each line, with a reason; its listing ends with its
  // last true line.
  void ExpectSoundD88Info(const Outcome& run) {
    for (const auto& [name, bytes] : run.files) {
      if (name == "pieces/" || bytes == kOlder) continue;
      const auto cleanFile = cleanD88Info.files.find(name);
      ASSERT_NE(cleanFile, cleanD88Info.files.end()) << "a stray file " << name;
      EXPECT_EQ(bytes, cleanFile->second) << name;
    }
    EXPECT_EQ(run.files.size(), 4u) << "a piece gone or a file left";
    EXPECT_EQ(run.status == 0, run.err.empty()) << run.err;
    if (run.status == 0) {
      EXPECT_EQ(run.out, cleanD88Info.out);
    }
    EXPECT_EQ(cleanD88Info.out.rfind(run.out, 0), 0u) << run.out;
    EXPECT_TRUE(run.status == 0 || run.status == 1);
    for (std::size_t at = 0; at < run.err.size();) {
      const std::size_t end = run.err.find('\n', at);
      const std::string line = run.err.substr(at, end - at);
      const std::size_t reason = line.rfind(": ");
      EXPECT_TRUE(line.rfind("d88info: ", 0) == 0 && reason != std::string::npos &&
                  reason + 2 < line.size())
          << line;
      at = end + 1;
    }
  }

  // Under the name this run would give the first piece's temporary.
  const std::string leftover = "set-01.d88." + std::to_string(getpid()) + ".0.tmp";
  std::string catalogue;
  Outcome cleanD88Info;
};

// Every failure is named with its reason and fails the run, and no piece
// is left half written: also a read of the image or the catalogue that
// finds it shorter than it was when opened. Of the closes struck one at a
// time, those of the two pieces fail the run (the image's and the
// catalogue's may pass).
TEST_F(D88InfoFaults, EveryCallFailingAnywhereIsNamedAndLosesNothing) {
  int failedCloses = 0;
  StrikeEveryCall(
      entries, [&](bool older) { return RunD88Info(older); },
      [&](const Outcome& run, const std::string& entry, Mode mode, bool) {
        ExpectSoundD88Info(run);
        if (entry == kClose && mode == Mode::kFail && !injection.fromKOn) {
          failedCloses += run.status;
        }
        if (mode == Mode::kShort || mode == Mode::kInterrupt) {
          EXPECT_EQ(run.status, 0);
        } else if (entry == kWrite ||
                   (mode == Mode::kFail && (entry == kRename || entry == kRead))) {
          EXPECT_EQ(run.status, 1);
        }
      });
  EXPECT_GE(failedCloses, 2);
}

// Only a regular file opens as an image: a pipe, a console or another
// device is refused as "not a regular file" (the system is made to say
// that a real file is one), a folder as "is a folder".
#ifdef _WIN32
DWORD fakeType = FILE_TYPE_DISK;
DWORD WINAPI FakeFileType(HANDLE) { return fakeType; }
BOOL WINAPI FailingRead(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED) {
  SetLastError(ERROR_GEN_FAILURE);
  return FALSE;
}
#else
mode_t fakeType = S_IFREG;
int FakeFileType(int fd, struct stat* status) {
  const int result = ::fstat(fd, status);
  status->st_mode = (status->st_mode & ~S_IFMT) | fakeType;
  return result;
}
ssize_t FailingRead(int, void*, size_t, off_t) {
  errno = EIO;
  return -1;
}
#endif

TEST(InputFiles, OnlyRegularFilesOpen) {
  const fs::path folder = fs::temp_directory_path() / "d88rip-kinds";
  fs::create_directories(folder);
  const std::string file = (folder / "image.d88").string();
  std::ofstream(file, std::ios::binary) << "image";
#ifdef _WIN32
  systemCalls.getFileType = FakeFileType;
  const DWORD kinds[] = {FILE_TYPE_PIPE, FILE_TYPE_CHAR, FILE_TYPE_UNKNOWN};
#else
  systemCalls.fstat = FakeFileType;
  const mode_t kinds[] = {S_IFIFO, S_IFCHR, S_IFBLK, S_IFSOCK};
#endif
  const auto reasonOpening = [](const std::string& path) {
    InputFile input;
    char reason[64];
    return input.Open(path.c_str())
               ? std::string("opened")
               : std::string(DescribeError(input.Error(), reason, 64));
  };
  for (const auto kind : kinds) {
    fakeType = kind;
    EXPECT_EQ(reasonOpening(file), "not a regular file") << kind;
  }
  systemCalls = kRealSystemCalls;
  EXPECT_EQ(reasonOpening(file), "opened");
  EXPECT_EQ(reasonOpening(folder.string()), "is a folder");

  // A failed read is said of its own file only: an open after it, failed or
  // not, starts afresh.
  InputFile input;
  ASSERT_TRUE(input.Open(file.c_str()));
#ifdef _WIN32
  systemCalls.readFile = FailingRead;
#else
  systemCalls.pread = FailingRead;
#endif
  unsigned char byte = 0;
  EXPECT_EQ(input.ReadAt(0, &byte, 1), 0);
  EXPECT_TRUE(input.Failed());
  systemCalls = kRealSystemCalls;
  EXPECT_FALSE(input.Open((folder / "missing.d88").string().c_str()));
  EXPECT_FALSE(input.Failed());
  fs::remove_all(folder);
}

// Interrupted in the middle of writing a file, the program removes the
// temporary and ends; the older file stays. On Windows the handler runs on
// a thread of its own, and Windows ends the process once it has run.
#ifdef _WIN32
BOOL WINAPI InterruptedWrite(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED) {
  std::thread([] { handler(CTRL_C_EVENT); }).join();
#ifdef D88RIP_COVERAGE
  // ExitProcess runs no exit handlers: what the handler ran is counted now.
  __gcov_dump();
#endif
  ExitProcess(3);
}
const auto kEnded = ::testing::ExitedWithCode(3);
#else
ssize_t InterruptedWrite(int, const void*, size_t) {
  raise(SIGTERM);
  return -1;
}
const auto kEnded = ::testing::KilledBySignal(SIGTERM);
#endif

TEST_F(PlatformFaults, InterruptionInAWriteRemovesTheTemporary) {
  // The same folder in this process and in the one that dies.
  const fs::path folder = fs::temp_directory_path() / "d88rip-interrupted";
  fs::remove_all(folder);
  fs::create_directory(folder);
  std::ofstream(folder / "MUS400", std::ios::binary) << kOlder;
  const auto interruptedWrite = [&] {
    fs::current_path(folder);
#ifdef _WIN32
    systemCalls.writeFile = InterruptedWrite;
#else
    systemCalls.write = InterruptedWrite;
    signal(SIGTERM, SIG_DFL);  // as a program started from a shell has it
#endif
    RemoveTemporaryOnInterruption();
    SystemError error;
    const unsigned char data[] = {1, 2, 3};
    WriteFileReplacing("MUS400", data, 3, error);
  };
  EXPECT_EXIT(interruptedWrite(), kEnded, "");
  EXPECT_EQ(ReadAll(folder / "MUS400"), kOlder);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1);
  fs::remove_all(folder);
}

#ifdef _WIN32
// A run started from Explorer, alone on a console of its own that all
// three streams use, names the folder its files went to and waits for
// Enter before its window closes; one started from a shell, or under
// wine, never waits. Windows' console is faked through the call table:
// wine gives every program a console of its own.
struct FakeConsole {
  DWORD processes = 1;
  bool underWine = false;
  std::wstring shown;
  std::vector<std::wstring> typed;
  std::size_t reads = 0;
} console;

TEST(ConsoleWindows, ARunFromExplorerNamesTheFolderAndWaitsForEnter) {
  systemCalls.getConsoleProcessList = [](LPDWORD, DWORD) -> DWORD {
    return console.processes;
  };
  systemCalls.getConsoleMode = [](HANDLE, LPDWORD mode) -> BOOL {
    *mode = 0;
    return TRUE;
  };
  systemCalls.getProcAddress = [](HMODULE module, LPCSTR name) -> FARPROC {
    return console.underWine ? kRealSystemCalls.getProcAddress(module, name)
                             : nullptr;
  };
  systemCalls.getCurrentDirectory = [](DWORD size, LPWSTR folder) -> DWORD {
    std::wcsncpy(folder, L"C:\\disks", size);
    return 8;
  };
  systemCalls.writeConsole = [](HANDLE, const void* text, DWORD length,
                                LPDWORD written, LPVOID) -> BOOL {
    console.shown.append(static_cast<const wchar_t*>(text), length);
    *written = length;
    return TRUE;
  };
  systemCalls.readConsole = [](HANDLE, LPVOID into, DWORD, LPDWORD read,
                               LPVOID) -> BOOL {
    if (console.reads == console.typed.size()) return FALSE;  // closed
    const std::wstring& line = console.typed[console.reads++];
    std::wmemcpy(static_cast<wchar_t*>(into), line.data(), line.size());
    *read = static_cast<DWORD>(line.size());
    return TRUE;
  };
  const std::wstring asked = L"Press Enter to close this window.\n";
  const struct {
    DWORD processes;
    bool underWine;
    bool nameFolder;
    std::vector<std::wstring> typed;
    std::wstring shown;
    std::size_t reads;
  } cases[] = {
      {1, false, true, {L"ab", L"\r\n", L"never read"},
       L"Files written to: C:\\disks\n" + asked, 2},
      {1, false, false, {L"\n"}, asked, 1},
      {1, false, false, {}, asked, 0},  // the window closed
      {2, false, true, {L"\n"}, L"", 0},
      {1, true, true, {L"\n"}, L"", 0},
  };
  for (const auto& test : cases) {
    console = FakeConsole{test.processes, test.underWine, L"", test.typed, 0};
    HoldOwnConsoleWindow(test.nameFolder);
    EXPECT_TRUE(console.shown == test.shown) << test.processes << test.nameFolder;
    EXPECT_EQ(console.reads, test.reads);
  }
  systemCalls = kRealSystemCalls;
}
#endif

}  // namespace
