#include "ProgramRun.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace progrun {

namespace fs = std::filesystem;

namespace {

const char* WindowsFolder() {
  const char* folder = std::getenv("D88RIP_TEST_WINDOWS");
  return folder != nullptr && *folder != '\0' ? folder : nullptr;
}

// Where the output of one stream goes in the child, and how the parent
// reads it back.
struct Stream {
  Sink sink;
  fs::path file;
  int readEnd = -1;   // pipe or terminal, in the parent
  int writeEnd = -1;  // in the child
  std::string* text = nullptr;
};

void ReadAvailable(int fd, std::string& text, bool& stillOpen) {
  char chunk[4096];
  const ssize_t got = read(fd, chunk, sizeof chunk);
  if (got > 0) {
    text.append(chunk, static_cast<std::size_t>(got));
  } else {
    stillOpen = false;  // end of file, or EIO once a terminal's last user left
  }
}

[[noreturn]] void StartChild(const std::vector<std::string>& command,
                             const fs::path& cwd, const Stream (&streams)[2],
                             const RunOptions& options) {
  // With both streams on a terminal, input is that terminal too, as for a
  // program a shell started there.
  const bool onTerminal = streams[0].sink == Sink::kTerminal &&
                          streams[1].sink == Sink::kTerminal;
  const int in = onTerminal ? streams[0].writeEnd
                            : open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (in < 0 || dup2(in, 0) < 0 || chdir(cwd.c_str()) != 0) _exit(126);
  for (int fd = 1; fd <= 2; ++fd) {
    const Stream& stream = streams[fd - 1];
    int target = stream.writeEnd;
    if (stream.sink == Sink::kFile) {
      target = open(stream.file.c_str(),
                    O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    } else if (stream.sink == Sink::kFull) {
      target = open("/dev/full", O_WRONLY | O_CLOEXEC);
    } else if (stream.sink == Sink::kWithOut) {
      target = 1;
    }
    if (target < 0 || dup2(target, fd) < 0) _exit(126);
  }
  if (options.beforeStart) options.beforeStart();
  for (const std::string& setting : options.environment) {
    const std::size_t equals = setting.find('=');
    setenv(setting.substr(0, equals).c_str(),
           setting.substr(equals + 1).c_str(), 1);
  }
  std::vector<char*> argv;
  for (const std::string& word : command) {
    argv.push_back(const_cast<char*>(word.c_str()));
  }
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

}  // namespace

ScratchDir::ScratchDir() {
  static std::atomic<int> counter{0};
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    fs::path candidate =
        base / ("d88rip-test-" + std::to_string(::getpid()) + "-" +
                std::to_string(counter++));
    if (fs::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot make a scratch folder");
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add,
                  ignored);
  fs::remove_all(path_, ignored);
}

std::string ProgramPath(const std::string& name) {
  if (const char* folder = WindowsFolder()) {
    return (fs::absolute(folder) / (name + ".exe")).string();
  }
  return LinuxProgramPath(name);
}

std::string LinuxProgramPath(const std::string& name) {
  return std::string(PROGRAM_DIR) + "/" + name;
}

bool TestingWindowsPrograms() { return WindowsFolder() != nullptr; }

// Wine shows the Unix root as drive Z: and passes the full path.
std::string InvocationName(const std::string& program) {
  if (!TestingWindowsPrograms()) return program;
  std::string name = "Z:" + program;
  for (char& ch : name) {
    if (ch == '/') ch = '\\';
  }
  return name;
}

bool CanTrace() {
  return !TestingWindowsPrograms() && access("/usr/bin/strace", X_OK) == 0;
}

RunOptions UnderStrace(const std::string& syscall, const std::string& onlyPath,
                       const std::string& output, const std::string& inject) {
  RunOptions options;
  options.wrapper = {"/usr/bin/strace", "-f", "-qq", "-y",
                     "-o", output,     "-e", "trace=" + syscall};
  if (!onlyPath.empty()) {
    options.wrapper.insert(options.wrapper.end(), {"-P", onlyPath});
  }
  if (!inject.empty()) {
    options.wrapper.insert(options.wrapper.end(),
                           {"-e", "inject=" + syscall + ":" + inject});
  }
  // LeakSanitizer cannot work under a tracer.
  options.environment = {"ASAN_OPTIONS=detect_leaks=0"};
  return options;
}

RunResult Run(const std::string& program, const std::vector<std::string>& args,
              const fs::path& cwd, const RunOptions& options) {
  ScratchDir captured;
  RunResult result;
  Stream streams[2] = {{options.out, captured / "out", -1, -1, &result.out},
                       {options.err, captured / "err", -1, -1, &result.err}};
  int terminal = -1;
  int terminalUser = -1;
  for (Stream& stream : streams) {
    if (stream.sink == Sink::kPipe || stream.sink == Sink::kClosed) {
      int ends[2];
      if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
      stream.readEnd = ends[0];
      stream.writeEnd = ends[1];
      if (stream.sink == Sink::kClosed) {
        close(stream.readEnd);
        stream.readEnd = -1;
      }
    } else if (stream.sink == Sink::kTerminal) {
      if (terminal < 0) {
        termios raw{};
        cfmakeraw(&raw);
        if (openpty(&terminal, &terminalUser, nullptr, &raw, nullptr) != 0) {
          throw std::runtime_error("no pseudo-terminal");
        }
        fcntl(terminal, F_SETFD, FD_CLOEXEC);
        fcntl(terminalUser, F_SETFD, FD_CLOEXEC);
      }
      stream.writeEnd = terminalUser;
    }
  }

  std::vector<std::string> command = options.wrapper;
  command.push_back(program);
  RunOptions settings = options;
  const char* folder = WindowsFolder();
  const bool windowsProgram =
      program.size() > 4 && program.compare(program.size() - 4, 4, ".exe") == 0;
  if (folder != nullptr && windowsProgram) {
    command.insert(command.end() - 1, WINE_PROGRAM);
    // The prefix, then the build's settings for wine, separated by spaces.
    std::vector<std::string> wine = {
        "WINEPREFIX=" + (fs::absolute(folder) / "wine").string()};
    const std::string settingsText = WINE_ENVIRONMENT;
    for (std::size_t from = 0, to; from <= settingsText.size(); from = to + 1) {
      to = settingsText.find(' ', from);
      if (to == std::string::npos) to = settingsText.size();
      if (to > from) wine.push_back(settingsText.substr(from, to - from));
    }
    settings.environment.insert(settings.environment.begin(), wine.begin(),
                                wine.end());
  }
  command.insert(command.end(), args.begin(), args.end());

  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("cannot start " + program);
  if (child == 0) StartChild(command, cwd, streams, settings);

  std::vector<pollfd> readers;
  std::vector<std::string*> texts;
  for (Stream& stream : streams) {
    if (stream.writeEnd >= 0 && stream.writeEnd != terminalUser) {
      close(stream.writeEnd);
    }
    if (stream.readEnd >= 0) {
      readers.push_back({stream.readEnd, POLLIN, 0});
      texts.push_back(stream.text);
    }
  }
  if (terminal >= 0) {
    close(terminalUser);
    readers.push_back({terminal, POLLIN, 0});
    texts.push_back(&result.terminal);
  }
  // Read while the child runs. Once it has ended, take what is left and
  // stop: a process it started may hold a write end open for longer.
  int raw = 0;
  bool ended = false;
  while (!readers.empty()) {
    if (!ended) ended = waitpid(child, &raw, WNOHANG) == child;
    poll(readers.data(), readers.size(), ended ? 0 : 20);
    for (std::size_t i = readers.size(); i-- > 0;) {
      bool stillOpen = readers[i].revents != 0 || !ended;
      if (readers[i].revents != 0) {
        ReadAvailable(readers[i].fd, *texts[i], stillOpen);
      }
      if (stillOpen) continue;
      close(readers[i].fd);
      readers.erase(readers.begin() + static_cast<std::ptrdiff_t>(i));
      texts.erase(texts.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
  if (!ended) waitpid(child, &raw, 0);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
  for (Stream& stream : streams) {
    if (stream.sink == Sink::kFile) *stream.text = ReadText(stream.file);
  }
  return result;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

d88build::Bytes ReadBytes(const fs::path& path) {
  const std::string text = ReadText(path);
  return d88build::Bytes(text.begin(), text.end());
}

std::map<std::string, d88build::Bytes> Listing(const fs::path& dir) {
  std::map<std::string, d88build::Bytes> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory()) {
      files[name + "/"] = {};
    } else {
      files[name] = ReadBytes(entry.path());
    }
  }
  return files;
}

}  // namespace progrun
