#pragma once

#include "platform/SystemError.h"

// "d88info: WHAT PATH: REASON" on standard error, with the system's reason;
// without PATH when it is null. WHAT ends with the space before PATH.
void ReportFailure(const char* what, const char* path,
                   const SystemError& error);
