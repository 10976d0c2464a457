#pragma once

#include "rip/TitleProfile.h"

// The first title's disk set, as cut by pelkrip.
extern const TitleProfile kPelkProfile;
