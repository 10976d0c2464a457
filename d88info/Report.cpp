#include "d88info/Report.h"

#include "platform/Console.h"

void BeginFileLine(const char* path) {
  PrintText(ConsoleStream::kErr, "d88info: ");
  PrintArgument(ConsoleStream::kErr, path);
  PrintText(ConsoleStream::kErr, ": ");
}

void ReportFailure(const char* what, const char* path,
                   const SystemError& error) {
  char reason[kMaxReasonText];
  PrintText(ConsoleStream::kErr, "d88info: ");
  PrintText(ConsoleStream::kErr, what);
  if (path != nullptr) PrintArgument(ConsoleStream::kErr, path);
  PrintText(ConsoleStream::kErr, ": ");
  PrintArgument(ConsoleStream::kErr,
                DescribeError(error, reason, sizeof reason));
  PrintText(ConsoleStream::kErr, "\n");
}

bool ReportWhatTheImageLacks(const D88Image& image, const char* path,
                             bool splitting) {
  if (image.IsEmpty()) {
    BeginFileLine(path);
    PrintText(ConsoleStream::kErr, "image is empty\n");
    return true;
  }
  bool lacking = false;
  for (int index = 0; index < image.GetDiskCount(); ++index) {
    int present = 0;
    int declared = 0;
    if (image.GetDiskExtent(index, present, declared) && present < declared) {
      BeginFileLine(path);
      PrintFormat(ConsoleStream::kErr, "ends inside disk %d (%d of %d bytes)\n",
                  index + 1, present, declared);
      lacking = true;
    }
  }
  if (image.HasUnindexedDisks()) {
    PrintFormat(ConsoleStream::kErr,
                splitting ? "d88info: disks past the %dth were neither listed "
                            "nor written\n"
                          : "d88info: disks past the %dth were not listed\n",
                D88Image::kMaxDisks);
    lacking = true;
  }
  if (image.GetUnownedBytes() > 0) {
    BeginFileLine(path);
    PrintFormat(ConsoleStream::kErr,
                "ends with %lld bytes that belong to no disk\n",
                image.GetUnownedBytes());
    lacking = true;
  }
  return lacking;
}
