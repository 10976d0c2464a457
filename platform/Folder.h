#pragma once

#include "platform/SystemError.h"

// Folders, and the names of files in them, as the system writes paths.

// Makes the folder `path` unless a folder of that name is there already;
// its parent must exist. Gives false, with `error` saying why, when it
// cannot (a file of that name: kNotFolder; no parent, no permission).
bool MakeFolder(const char* path, SystemError& error);

// The last part of `path`, after its last folder separator ('/', and on
// Windows also '\\' and a drive's ':').
const char* FileNameOf(const char* path);

// `folder`, a separator and `name` into `path` (`size` bytes). Gives false
// when they do not fit.
bool JoinPath(const char* folder, const char* name, char* path, int size);
