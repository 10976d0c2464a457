#pragma once

// The program's command-line arguments as text the rest of the program
// can pass to the platform layer unchanged: on POSIX systems the bytes of
// argv as they are; on Windows the UTF-16 command line Windows keeps,
// converted to UTF-8, so that no character is lost to, or replaced by a
// look-alike in, the ANSI code page.
struct CommandLine {
  int count;
  char** arguments;
};

CommandLine GetCommandLineArguments(int argc, char** argv);
