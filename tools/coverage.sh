#!/bin/sh
# Builds the programs and tests with gcc's coverage, runs the Linux suite,
# and prints the line and branch coverage of the product code (the reader,
# the driver, the platform layer, the titles and d88info); fails when
# either falls below the floor below: the figures the suite reached when
# the floor was set (97.2% of lines, 86.9% of branches), rounded down.
# Branches that only throw or that the compiler made unreachable do not
# count.
#
# Two tests are left out here, as the coverage data the programs write at
# their end would not reach its files and would be taken for their own
# messages: the one that drops to an ordinary user, who may not write
# those files, and the one that limits the size of the files a program
# may write.
#
#   sh tools/coverage.sh
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
line_floor=97
branch_floor=86

cmake --preset coverage >/dev/null
cmake --build --preset coverage -j2 >/dev/null
find build-coverage -name '*.gcda' -delete
ctest --preset coverage -j2 \
  -E 'UnwritableOutputIsReportedWithItsReason|Faults[.]RealCallsFailingLoseNothing' \
  >/dev/null
gcovr -r . --object-directory build-coverage \
  --filter 'd88/' --filter 'rip/' --filter 'platform/' --filter 'titles/' \
  --filter 'd88info/' \
  --exclude-throw-branches --exclude-unreachable-branches \
  --print-summary \
  --fail-under-line "$line_floor" --fail-under-branch "$branch_floor"
