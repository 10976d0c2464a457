#pragma once

// Writes `size` bytes to the file `name` in the current directory, replacing
// any file of that name only once the new contents are complete: the data
// goes to a fresh temporary file beside it, which is renamed over `name`.
// On failure the temporary file is removed and an existing `name` is left
// as it was. Gives true when `name` now holds exactly the data.
bool WriteFileReplacing(const char* name, const unsigned char* data, int size);
