#include "d88info/Report.h"

#include "platform/Console.h"

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
