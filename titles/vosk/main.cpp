#include "rip/RunRipper.h"
#include "titles/vosk/VoskProfile.h"

int main(int argc, char** argv) { return RunRipper(kVoskProfile, argc, argv); }
