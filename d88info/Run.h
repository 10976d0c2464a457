#pragma once

// The whole run of d88info over the images of its command line: checks
// the command line, reads every catalogue once, then takes each image in
// turn, finding what it holds (ExamineImage) and printing it as text, and
// gives the exit status: 0 when every image is whole and was listed; 1
// when one is not or could not be read, a catalogue or a piece could not
// be read or written, or standard output could not be written; 2 on a
// wrong command line. The arguments are UTF-8 on Windows
// (platform/CommandLine.h). Callers that run it in-process may call it
// again.
int RunD88Info(int argc, char** argv);
