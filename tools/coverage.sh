#!/bin/sh
# The line and branch coverage of the product code (the reader, the driver,
# the platform layer, the titles and d88info) by both halves of the suite,
# in one report:
#   Linux    the programs and tests built with gcc's coverage (the coverage
#            preset), and the Linux suite run;
#   Windows  the Windows programs and their in-process test program built
#            with mingw-w64's (the windows-coverage preset), that program
#            and the end-to-end suite run against them under wine.
# Each half's data is read with its own compiler's gcov (mingw's for the
# Windows half) into a gcovr tracefile, and gcovr merges the two. Ends with
# one line per product folder, "FOLDER lines L% branches B%", then "all
# lines L% branches B%"; fails below the floors: the whole at 97% of lines
# and 86% of branches (the Linux half's figures when the floors were set,
# rounded down), platform/windows at 90% of lines. Branches that only
# throw or that the compiler made unreachable do not count.
#
# Two Linux tests are left out, as the coverage data the programs write at
# their end would not reach its files and would be taken for their own
# messages: the one that drops to an ordinary user, who may not write
# those files, and the one that limits the size of the files a program
# may write. The wine suite's outcome is tools/test-windows.sh's to judge
# (wine now and then loses a run's output); here it is only measured.
#
#   sh tools/coverage.sh
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
line_floor=97
branch_floor=86
windows_line_floor=90
products="--filter d88/ --filter rip/ --filter platform/ --filter titles/ --filter d88info/"
counting="--exclude-throw-branches --exclude-unreachable-branches"

echo "coverage: the Linux half"
cmake --preset coverage >/dev/null
cmake --build --preset coverage -j2 >/dev/null
find build-coverage -name '*.gcda' -delete
ctest --preset coverage -j2 \
  -E 'UnwritableOutputIsReportedWithItsReason|Faults[.]RealCallsFailingLoseNothing' \
  >/dev/null
# shellcheck disable=SC2086 # options a word each
gcovr -r . build-coverage $products $counting --json build-coverage/linux.json

echo "coverage: the Windows half, under wine"
cmake --preset windows-coverage >/dev/null
cmake --build --preset windows-coverage -j2 >/dev/null
cmake --preset wine >/dev/null
cmake --build --preset wine -j2 --target ripper_tests >/dev/null
find build-windows-coverage -name '*.gcda' -delete
ctest --test-dir build-windows-coverage -L windows >/dev/null
wine=/usr/lib/wine/wine64
prefix="$top/build-windows-coverage/wine"
(
  export WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= LC_ALL=en_US.UTF-8
  sh tests/wine-session.sh "$wine" "$prefix" start
  D88RIP_TEST_WINDOWS="$top/build-windows-coverage" \
    build-wine/tests/ripper_tests >build-windows-coverage/suite.log 2>&1 ||
    echo "coverage: (the wine suite did not pass whole; see build-windows-coverage/suite.log)"
  sh tests/wine-session.sh "$wine" "$prefix" stop
)
# shellcheck disable=SC2086
gcovr -r . build-windows-coverage $products $counting \
  --gcov-executable x86_64-w64-mingw32-gcov-posix \
  --json build-windows-coverage/windows.json

# One line for a part of the code ($1, its name; $2, the filter), from both
# halves' tracefiles: "NAME lines L% branches B%", "-" where it has none.
report() {
  gcovr -r . --add-tracefile build-coverage/linux.json \
    --add-tracefile build-windows-coverage/windows.json --filter "$2" \
    --print-summary |
    awk -v name="$1" '
      /^(lines|branches): / {
        kind = substr($1, 1, length($1) - 1)
        total = $6; sub(/\)$/, "", total)
        text = text " " kind " " (total + 0 > 0 ? $2 : "-")
      }
      END { print name text }'
}
gcovr -r . --add-tracefile build-coverage/linux.json \
  --add-tracefile build-windows-coverage/windows.json
status=0
for folder in d88 d88info platform platform/posix platform/windows rip titles; do
  # platform: the files directly in it.
  case $folder in
    platform) filter='platform/[^/]*$' ;;
    *) filter="$folder/" ;;
  esac
  line=$(report "$folder" "$filter")
  echo "$line"
  if [ "$folder" = platform/windows ]; then
    lines=$(printf '%s\n' "$line" | awk '{ print $3 }' | tr -d '%')
    if awk -v l="$lines" -v f="$windows_line_floor" 'BEGIN { exit !(l < f) }'; then
      echo "coverage: platform/windows below its floor of $windows_line_floor% of lines"
      status=1
    fi
  fi
done
all=$(report all '.')
echo "$all"
lines=$(printf '%s\n' "$all" | awk '{ print $3 }' | tr -d '%')
branches=$(printf '%s\n' "$all" | awk '{ print $5 }' | tr -d '%')
if awk -v l="$lines" -v f="$line_floor" 'BEGIN { exit !(l < f) }'; then
  echo "coverage: below the floor of $line_floor% of lines"
  status=1
fi
if awk -v b="$branches" -v f="$branch_floor" 'BEGIN { exit !(b < f) }'; then
  echo "coverage: below the floor of $branch_floor% of branches"
  status=1
fi
exit $status
