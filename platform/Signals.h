#pragma once

// What an interruption does to a ripper run. On POSIX systems SIGINT,
// SIGTERM and SIGHUP interrupt; on Windows Ctrl-C, Ctrl-Break and closing
// the console window do.

// From now on an interruption removes the temporary file being written
// (platform/OutputFile.h), then ends the program as that interruption ends
// any program (on POSIX the signal is raised again with its default
// action, so the shell sees 130, 143 or 129). Signals that were ignored when the
// program started stay ignored.
void RemoveTemporaryOnInterruption();

// Makes a closed pipe on an output stream and a file size limit failed
// writes, which the program reports, rather than the end of the program
// (SIGPIPE and SIGXFSZ are ignored; Windows has neither).
void ReportFailedWritesAsErrors();

// From HoldInterruptions to ReleaseInterruptions an interruption waits; it
// takes effect on release. The two come in pairs and do not nest.
void HoldInterruptions();
void ReleaseInterruptions();
