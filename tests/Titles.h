#pragma once

#include "RipperExpectations.h"

#include <vector>

#include "d88rip/TitleList.h"

namespace ripcheck {

// Each title's table, NameTitle(), defined in tests/NameTitle.cpp.
#define D88RIP_DECLARE_TITLE(name, Name, program, profile) \
  const Title& Name##Title();
D88RIP_FOR_EACH_TITLE(D88RIP_DECLARE_TITLE)
#undef D88RIP_DECLARE_TITLE

// Every title's table, in the order of titles/titles.txt.
inline std::vector<const Title*> AllTitles() {
#define D88RIP_TITLE_ENTRY(name, Name, program, profile) &Name##Title(),
  return {D88RIP_FOR_EACH_TITLE(D88RIP_TITLE_ENTRY)};
#undef D88RIP_TITLE_ENTRY
}

}  // namespace ripcheck
