#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "builder/D88Builder.h"

// Runs the real programs in scratch folders and reads back what they left.
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

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs `program` with `args` in the folder `cwd`, capturing both streams
// outside it so that `cwd` holds only what the program wrote.
RunResult Run(const std::string& program, const std::vector<std::string>& args,
              const std::filesystem::path& cwd);

std::string ReadText(const std::filesystem::path& path);
d88build::Bytes ReadBytes(const std::filesystem::path& path);

// Every regular file and folder directly in `dir`: name -> contents (empty
// for folders, whose names end in '/').
std::map<std::string, d88build::Bytes> Listing(
    const std::filesystem::path& dir);

}  // namespace progrun
