#include "rip/RunRipper.h"
#include "titles/pelk/PelkProfile.h"

int main(int argc, char** argv) { return RunRipper(kPelkProfile, argc, argv); }
