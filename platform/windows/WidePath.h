#pragma once

// Paths inside the programs are UTF-8; the wide file API
// takes them as UTF-16. A path whose full path is too long for the classic
// limit (a long name, or a short one in a deep folder) is made absolute
// and given the "\\?\" prefix, so that it opens all the same.

// The classic limits of a full path without the prefix: a file's, and a
// folder's that CreateDirectoryW makes, which keeps room for a file name
// of 8.3 in it.
constexpr unsigned long kFileLimit = 260;          // MAX_PATH
constexpr unsigned long kFolderLimit = 260 - 12;

// Converts `path` into `wide`, which holds kMaxWidePath characters, with
// the prefix where its full path reaches `limit`. Gives false when the
// path is empty (as a missing file is: ERROR_FILE_NOT_FOUND), is not
// valid UTF-8 or does not fit, with the thread's last error saying why.
constexpr int kMaxWidePath = 32768;
bool ToWidePath(const char* path, wchar_t* wide,
                unsigned long limit = kFileLimit);
