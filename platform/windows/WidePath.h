#pragma once

// Paths inside the programs are UTF-8; the wide file API
// takes them as UTF-16. A path whose full path is too long for the classic
// limit (a long name, or a short one in a deep folder) is made absolute
// and given the "\\?\" prefix, so that it opens all the same.

// Converts `path` into `wide`, which holds kMaxWidePath characters. Gives
// false when the path is not valid UTF-8 or does not fit.
constexpr int kMaxWidePath = 32768;
bool ToWidePath(const char* path, wchar_t* wide);
