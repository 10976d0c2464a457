// Fuzzes the image reader: the input is an image file followed by the
// operations' arguments (taken from the input's end), out-of-range and
// negative values included. Every disk is selected, read, listed and
// looked up.

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "d88/D88Image.h"

namespace {

constexpr int kBufferSize = 1 << 20;
constexpr int kCallsPerDisk = 6;

D88Image image;
unsigned char buffer[kBufferSize + 4];

const std::string& ImagePath() {
  static const std::string path =
      "/tmp/d88rip-reader-fuzz-" + std::to_string(getpid()) + ".d88";
  return path;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

int AnyInt(FuzzedDataProvider& input) {
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0: return input.ConsumeIntegral<int>();
    case 1: return input.ConsumeIntegralInRange(-2, 300);
    default: return input.ConsumeIntegralInRange(0, 12);
  }
}

// A limit the buffer can hold, or any negative value.
int AnyLimit(FuzzedDataProvider& input) {
  return input.ConsumeBool() ? input.ConsumeIntegralInRange(INT_MIN, -1)
                             : input.ConsumeIntegralInRange(0, kBufferSize);
}

struct Call {
  int track, c, h, r, n, limit, length, first, last, idLimit;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::vector<Call> calls(kCallsPerDisk);
  for (Call& call : calls) {
    call = {AnyInt(input) % 200, AnyInt(input), AnyInt(input), AnyInt(input),
            AnyInt(input), AnyLimit(input), AnyLimit(input), AnyInt(input),
            AnyInt(input), AnyLimit(input)};
  }
  const std::vector<std::uint8_t> bytes = input.ConsumeRemainingBytes<std::uint8_t>();
  std::FILE* file = std::fopen(ImagePath().c_str(), "wb");
  Check(file != nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);

  Check(image.Open(ImagePath().c_str()));
  Check(image.GetDiskCount() >= 0 && image.GetDiskCount() <= 64);
  for (int disk = -1; disk <= image.GetDiskCount(); ++disk) {
    const bool selected = image.SelectDisk(disk);
    Check(!selected || (disk >= 0 && disk < image.GetDiskCount()));
    for (const Call& call : calls) {
      image.SetSectorRange(call.first, call.last);
      const int sector = image.ReadSector(call.track, call.c, call.h, call.r,
                                          call.n, buffer, call.limit);
      Check(sector >= 0 && (call.limit < 0 ? sector == 0 : sector <= call.limit));
      const int run = image.ReadSectors(call.track, call.c, call.h, call.r,
                                        call.n, buffer, call.length);
      Check(run >= 0 && (call.length < 0 ? run == 0 : run <= call.length));
      // A listing stopped by its visitor takes the records before; a
      // record's data lies within the file.
      int listed = 0;
      const int taken =
          image.ForEachSector(call.track, [&](const SectorRecord& record) {
            if (listed >= call.idLimit) return false;
            Check(record.dataLength >= 0 && record.dataPosition >= 0 &&
                  record.dataPosition + record.dataLength <=
                      static_cast<long long>(bytes.size()));
            ++listed;
            return true;
          });
      Check(taken == listed && listed <= std::max(call.idLimit, 0));
      SectorInfo info;
      if (image.FindSector(call.track, call.c, call.h, call.r, call.n, info)) {
        Check(info.c == call.c && info.h == call.h && info.r == call.r &&
              info.n == call.n);
      }
      if (image.FindReadError(call.track, call.c, call.h, call.r, call.n,
                              call.limit, call.length, info)) {
        Check(IsReadError(info.status) && info.n == call.n);
      }
    }
  }
  image.Close();
  return 0;
}
