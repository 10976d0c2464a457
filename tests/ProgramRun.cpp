#include "ProgramRun.h"

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace progrun {

namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char ch : text) {
    if (ch == '\'') {
      quoted += "'\\''";
    } else {
      quoted += ch;
    }
  }
  return quoted + "'";
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

RunResult Run(const std::string& program, const std::vector<std::string>& args,
              const fs::path& cwd) {
  ScratchDir streams;
  std::string command = "cd " + Quote(cwd.string()) + " && " + Quote(program);
  for (const std::string& arg : args) command += " " + Quote(arg);
  command += " >" + Quote((streams / "out").string()) + " 2>" +
             Quote((streams / "err").string()) + " </dev/null";
  const int raw = std::system(command.c_str());
  RunResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadText(streams / "out");
  result.err = ReadText(streams / "err");
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
