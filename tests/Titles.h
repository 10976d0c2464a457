#pragma once

#include "RipperExpectations.h"

namespace ripcheck {

const Title& PelkTitle();
const Title& VoskTitle();

}  // namespace ripcheck
