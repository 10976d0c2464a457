#pragma once

#include <string>
#include <vector>

// The images an operand of the command line names. A POSIX shell expands
// patterns before the program starts; on Windows the program does, as
// Windows programs do: an operand with '*' or '?' in its last part gives
// every file and folder that matches it, in name order (ignoring case),
// each with the operand's folder part as given, and stays as it is when
// nothing matches. Appends them to `paths`.
void ExpandWildcards(const char* operand, std::vector<std::string>& paths);
