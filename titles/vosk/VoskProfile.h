#pragma once

#include "rip/TitleProfile.h"

// The second title's disk set, as cut by voskrip.
extern const TitleProfile kVoskProfile;
