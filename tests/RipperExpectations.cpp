#include "RipperExpectations.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

namespace ripcheck {

std::string Incomplete(const std::string& name, int got, int size) {
  return name + " \x82\xcd\x95\x73\x8a\xae\x91\x53\x82\xc5\x82\xb7 (" +
         std::to_string(got) + "/" + std::to_string(size) +
         " \x83\x6f\x83\x43\x83\x67).\n";
}

std::string Missing(const std::string& name, int c, int h, int r) {
  return name +
         " \x82\xcd\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1 (C " +
         std::to_string(c) + " H " + std::to_string(h) + " R " +
         std::to_string(r) + ").\n";
}

namespace {
const std::string kWriteFailedJa =
    " \x82\xf0\x8f\x91\x82\xab\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1 (";
}  // namespace

std::string WriteFailed(const std::string& name, const std::string& reason) {
  return name + kWriteFailedJa + reason + ").\n";
}

std::string MaskReasons(const std::string& err) {
  std::string masked;
  std::size_t from = 0;
  for (std::size_t at;
       (at = err.find(kWriteFailedJa, from)) != std::string::npos;) {
    const std::size_t reason = at + kWriteFailedJa.size();
    const std::size_t end = err.find(").\n", reason);
    if (end == std::string::npos) break;
    EXPECT_GT(end, reason) << "a write failure without its reason";
    masked += err.substr(from, reason - from) + "*";
    from = end;
  }
  return masked + err.substr(from);
}

std::string ReadError(const std::string& name, int c, int h, int r,
                      const std::string& what) {
  return name +
         " \x82\xcd\x93\xc7\x82\xdd\x8e\xe6\x82\xe8\x83\x47\x83\x89\x81\x5b\x82"
         "\xf0\x8a\xdc\x82\xdd\x82\xdc\x82\xb7 (C " +
         std::to_string(c) + " H " + std::to_string(h) + " R " +
         std::to_string(r) + ": " + what + ").\n";
}

const ExpectedDisk& Title::Disk(char digit) const {
  for (const ExpectedDisk& disk : disks) {
    if (disk.digit == digit) return disk;
  }
  throw std::invalid_argument("no such disk");
}

void PrintTo(const Title* title, std::ostream* os) {
  *os << std::filesystem::path(title->program).filename().string();
}

d88build::DiskSpec TitleDisk(const Title& title, char digit) {
  d88build::DiskSpec disk = d88build::FormattedDisk();
  d88build::SetBootSignature(disk, title.signature, digit);
  return disk;
}

d88build::DiskSpec UserDisk(const Title& title) {
  d88build::DiskSpec disk = d88build::FormattedDisk();
  d88build::SetBootSignature(disk, title.userSignature, '1');
  return disk;
}

std::string ExpectedOutput(const ExpectedDisk& disk) {
  std::string out = disk.message;
  for (const ExpectedFile& file : disk.files) {
    out += "cutting ... " + file.name + "\n";
  }
  return out;
}

void ExpectExactlyFiles(const std::filesystem::path& dir,
                        const std::vector<ExpectedFile>& files) {
  const auto listing = progrun::Listing(dir);
  std::set<std::string> expectedNames;
  for (const ExpectedFile& file : files) {
    expectedNames.insert(file.name);
    const auto found = listing.find(file.name);
    if (found == listing.end()) {
      ADD_FAILURE() << file.name << " was not written";
      continue;
    }
    EXPECT_EQ(found->second,
              d88build::ExpectedRun(file.track, file.r, file.size))
        << file.name << " does not hold the sectors it should";
  }
  for (const auto& [name, bytes] : listing) {
    EXPECT_TRUE(expectedNames.count(name)) << "unexpected file " << name;
  }
}

std::string ImageEndsInsideDisk(int disk, int present, int declared) {
  return "\x83\x43\x83\x81\x81\x5b\x83\x57\x82\xcd " + std::to_string(disk) +
         " \x96\x87\x96\xda\x82\xcc\x83\x66\x83\x42\x83\x58\x83\x4e\x82\xcc\x93"
         "\x72\x92\x86\x82\xc5\x8f\x49\x82\xed\x82\xc1\x82\xc4\x82\xa2\x82\xdc"
         "\x82\xb7 (" +
         std::to_string(present) + "/" + std::to_string(declared) +
         " \x83\x6f\x83\x43\x83\x67).\n";
}

std::string Unowned(long long bytes) {
  return "\x83\x43\x83\x81\x81\x5b\x83\x57\x82\xcc\x8d\xc5\x8c\xe3\x82\xcc " +
         std::to_string(bytes) +
         " \x83\x6f\x83\x43\x83\x67\x82\xcd\x82\xc7\x82\xcc\x83\x66\x83\x42"
         "\x83\x58\x83\x4e\x82\xc9\x82\xe0\x91\xae\x82\xb5\x82\xdc\x82\xb9\x82"
         "\xf1.\n";
}

const std::string kDisksLeftOut =
    "64 \x96\x87\x96\xda\x82\xe6\x82\xe8\x8c\xe3\x82\xcc\x83\x66\x83\x42\x83"
    "\x58\x83\x4e\x82\xcd\x93\xc7\x82\xdd\x8d\x9e\x82\xf1\x82\xc5\x82\xa2\x82"
    "\xdc\x82\xb9\x82\xf1.\n";

void ExpectDamagedRun(const progrun::RunResult& result,
                      const std::filesystem::path& dir,
                      const ExpectedDisk& disk, const SectorBytes& available,
                      const std::string& errTail) {
  std::string expectedOut = disk.message;
  std::string expectedErr;
  std::vector<ExpectedFile> written;
  for (const ExpectedFile& file : disk.files) {
    int track = file.track;
    int r = file.r;
    int got = 0;
    while (got < file.size) {
      const int chunk = std::min(d88build::kSectorSize, file.size - got);
      if (available(track, r) < chunk) break;
      got += chunk;
      d88build::NextSector(track, r);
    }
    if (got == 0) {
      expectedErr += Missing(file.name, file.track >> 1, file.track & 1, file.r);
      continue;
    }
    expectedOut += "cutting ... " + file.name + "\n";
    if (got < file.size) expectedErr += Incomplete(file.name, got, file.size);
    written.push_back({file.name, file.track, file.r, got});
  }
  expectedErr += errTail;
  EXPECT_EQ(result.status, expectedErr.empty() ? 0 : 1);
  EXPECT_EQ(result.out, expectedOut);
  EXPECT_EQ(result.err, expectedErr);
  ExpectExactlyFiles(dir, written);
}

progrun::RunResult RunOn(const Title& title, const d88build::Bytes& image,
                         const progrun::ScratchDir& dir) {
  progrun::ScratchDir imageDir;
  const std::string imagePath = (imageDir / "image.d88").string();
  d88build::WriteFile(imagePath, image);
  return progrun::Run(title.program, {imagePath}, dir.path());
}

}  // namespace ripcheck
