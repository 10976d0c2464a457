#pragma once

#include <cstdio>

// The two file operations whose calls differ between POSIX and Windows.

// Creates `path` for binary writing, only if nothing of that name exists
// yet, so that no existing file is ever written through it. Null when
// something does or the file cannot be made.
std::FILE* CreateNewFile(const char* path);

// Puts the complete file `from` in place of `to` in one step; a file named
// `to` is replaced. Gives false, changing nothing, when that cannot be done
// (for instance when `to` is a folder).
bool MoveIntoPlace(const char* from, const char* to);
