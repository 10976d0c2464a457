#include "platform/ConsoleWindow.h"

// A program on a POSIX system runs in a terminal that stays open.
void HoldOwnConsoleWindow(bool) {}
