#pragma once

// A program started from Explorer (a double click, or an image dropped on
// its icon) gets a console window of its own, which Windows closes the
// moment the program ends, taking its messages with it.

// Whether to keep such a window open, from what the program can see: only
// when no other process shares its console (no shell started it) and
// standard input, output and error are all that console. A shell, a batch
// file, a pipe, a file or no console at all never waits; nor does a run
// under wine, which gives every program a console of its own, also one
// started from a terminal or a script.
bool KeepsWindowOpen(bool underWine, int processesOnConsole, bool inIsConsole,
                     bool outIsConsole, bool errIsConsole);

// Where KeepsWindowOpen holds for this process (Windows only): names the
// current folder, where the files were written, when `nameFolder`, then
// waits for Enter. Does nothing anywhere else.
void HoldOwnConsoleWindow(bool nameFolder);
