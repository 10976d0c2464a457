#pragma once

#include "RipperExpectations.h"

namespace ripcheck {

const Title& PelkTitle();

}  // namespace ripcheck
