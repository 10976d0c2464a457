#pragma once

#include "platform/SystemError.h"

// Writes `size` bytes to the file `name` in the current directory, replacing
// any file of that name only once the new contents are complete: the data
// goes to a temporary file beside it, "NAME.PID.N.tmp", made fresh (never
// one that exists already) and moved over `name` once written and closed.
// Every write and the close are checked. On failure the temporary file is
// removed, an existing `name` is left as it was and `error` says why; an
// interruption removes it too (see platform/Signals.h). Gives true when
// `name` now holds exactly the data.
bool WriteFileReplacing(const char* name, const unsigned char* data, int size,
                        SystemError& error);
