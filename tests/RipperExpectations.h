#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "ProgramRun.h"
#include "builder/D88Builder.h"

// What a ripper run must print and leave behind, written out independently
// of the programs' own tables.
namespace ripcheck {

// Console texts in Shift-JIS bytes.
// "を認識しました."
inline const std::string kRecognisedJa =
    "\x82\xf0\x94\x46\x8e\xaf\x82\xb5\x82\xdc\x82\xb5\x82\xbd.";
// "User Diskを認識しました.\n"
inline const std::string kUserDisk = "User Disk" + kRecognisedJa + "\n";
// "認識できないディスクです.\n"
inline const std::string kNotRecognised =
    "\x94\x46\x8e\xaf\x82\xc5\x82\xab\x82\xc8\x82\xa2\x83\x66\x83\x42\x83\x58"
    "\x83\x4e\x82\xc5\x82\xb7.\n";
// "ファイルをオープンできません.\n"
inline const std::string kOpenFailed =
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x83\x49\x81\x5b\x83\x76\x83\x93"
    "\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1.\n";
// "ファイルを読み込めません (", followed by the reason and ").\n"
inline const std::string kReadFailedStart =
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x93\xc7\x82\xdd\x8d\x9e"
    "\x82\xdf\x82\xdc\x82\xb9\x82\xf1 (";
// "標準出力に書き込めません (", followed by the reason and ").\n"
inline const std::string kOutputLostStart =
    "\x95\x57\x8f\x80\x8f\x6f\x97\xcd\x82\xc9\x8f\x91\x82\xab\x8d\x9e\x82\xdf"
    "\x82\xdc\x82\xb9\x82\xf1 (";
// "イメージは空です.\n"
inline const std::string kImageEmpty =
    "\x83\x43\x83\x81\x81\x5b\x83\x57\x82\xcd\x8b\xf3\x82\xc5\x82\xb7.\n";
// "<name> は不完全です (<got>/<size> バイト).\n"
std::string Incomplete(const std::string& name, int got, int size);
// "<name> は見つかりません (C <c> H <h> R <r>).\n"
std::string Missing(const std::string& name, int c, int h, int r);
// "<name> を書き込めません (<reason>).\n"
std::string WriteFailed(const std::string& name, const std::string& reason);
// Standard error with the reason of each write failure replaced by "*",
// for the Windows programs, whose reasons are the system's own words.
// Fails the test where a reason is empty.
std::string MaskReasons(const std::string& err);
// "<name> は読み取りエラーを含みます (C <c> H <h> R <r>: <what>).\n"
std::string ReadError(const std::string& name, int c, int h, int r,
                      const std::string& what);

// A file cut from a formatted disk: `size` bytes from sector R `r` of
// `track` on.
struct ExpectedFile {
  std::string name;
  int track;
  int r;
  int size;
};

struct ExpectedDisk {
  char digit;
  std::string message;  // empty when the digit has no recipe
  std::vector<ExpectedFile> files;
};

struct Title {
  std::string program;
  std::string signature;
  std::string userSignature;
  std::vector<ExpectedDisk> disks;
  const ExpectedDisk& Disk(char digit) const;
};

// Shows a title as its program's name, so test names stay the same from
// build to build.
void PrintTo(const Title* title, std::ostream* os);

d88build::DiskSpec TitleDisk(const Title& title, char digit);
d88build::DiskSpec UserDisk(const Title& title);

// The recognition message followed by one cutting line per file.
std::string ExpectedOutput(const ExpectedDisk& disk);

// The folder holds exactly these files, each with the bytes its run reads.
void ExpectExactlyFiles(const std::filesystem::path& dir,
                        const std::vector<ExpectedFile>& files);

// How many bytes of sector R `r` of `track` a damaged image still holds.
using SectorBytes = std::function<int(int track, int r)>;

// Checks a run over one disk whose sectors hold only `available` bytes: a
// file whose first sector is short is left out and named as missing, a file
// whose run breaks off later is written with the whole sectors read before
// the break and named as incomplete; either makes the status 1.
// `errTail` is what standard error ends with after the files' messages.
void ExpectDamagedRun(const progrun::RunResult& result,
                      const std::filesystem::path& dir,
                      const ExpectedDisk& disk, const SectorBytes& available,
                      const std::string& errTail = "");

// "イメージは <disk> 枚目のディスクの途中で終わっています (<present>/<declared> バイト).\n"
std::string ImageEndsInsideDisk(int disk, int present, int declared);
// "イメージの最後の <bytes> バイトはどのディスクにも属しません.\n"
std::string Unowned(long long bytes);
// "64 枚目より後のディスクは読み込んでいません.\n"
extern const std::string kDisksLeftOut;

// Runs the title's program on `image` in a fresh folder `dir`.
progrun::RunResult RunOn(const Title& title, const d88build::Bytes& image,
                         const progrun::ScratchDir& dir);

}  // namespace ripcheck
