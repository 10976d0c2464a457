#!/bin/sh
# Builds the Windows programs and their in-process test program with
# mingw-w64, checks that the programs need no DLL beyond Windows' own, runs
# that test program and the whole end-to-end suite against the programs
# under wine, and checks the zip a release ships (built with the
# windows-release preset, as tools/package.sh builds it). The end-to-end suite is
# built for Linux in a folder of its own, build-wine, whose tests start the
# .exe files through wine; build/ is left as it was.
#
#   sh tools/test-windows.sh
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
windows="$top/build-windows"

cd "$top"
. tools/titles.sh
programs=$(rippers)
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 >/dev/null

for exe in $programs d88info; do
  # objdump's own status counts: no pipeline stands between it and set -e.
  headers=$(x86_64-w64-mingw32-objdump -p "$windows/$exe.exe")
  dlls=$(printf '%s\n' "$headers" | awk '/DLL Name:/ { print $3 }')
  [ -n "$dlls" ] || { echo "$exe.exe: no imports found"; exit 1; }
  for dll in $dlls; do
    case $dll in
      KERNEL32.dll|msvcrt.dll|SHELL32.dll) ;;
      bcrypt.dll)
        [ "$exe" = d88info ] || { echo "$exe.exe needs $dll"; exit 1; } ;;
      *) echo "$exe.exe needs $dll"; exit 1 ;;
    esac
  done
done

ctest --test-dir "$windows" -L windows --output-on-failure
cmake --preset wine >/dev/null
cmake --build --preset wine -j2 --target ripper_tests >/dev/null
# One test at a time: two programs run at once under one wine session lose
# what a run wrote (an empty standard output or standard error, a write
# that fails) in about one suite of five. One at a time it is rarer still,
# but not gone: a test that failed runs once more, alone, and must pass
# then; one that fails for a reason of its own fails twice.
if ! ctest --test-dir "$top/build-wine" -L windows --output-on-failure; then
  echo "wine: the tests that failed, once more"
  ctest --test-dir "$top/build-wine" -L windows --rerun-failed \
    --output-on-failure
fi

# The zip a user downloads, made as the README and tools/package.sh make
# it: the programs, a guide to each, README.txt and LICENSE.txt, the text
# files with CRLF line ends.
release="$top/build-windows-release"
cmake --preset windows-release >/dev/null
cmake --build --preset windows-release -j2 >/dev/null
(cd "$release" && rm -f d88rip-*.zip && cpack -G ZIP >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$release/CMakeCache.txt")
top_folder="d88rip-$version-win64"
expected=$(for program in $programs d88info; do
  echo "$top_folder/$program.exe"
  echo "$top_folder/$program.html"
done
echo "$top_folder/LICENSE.txt"
echo "$top_folder/LICENSE-expat.txt"
echo "$top_folder/README.txt")
expected=$(printf '%s\n' "$expected" | LC_ALL=C sort)
listing=$(cd "$release" && cmake -E tar tf "$top_folder.zip")
files=$(printf '%s\n' "$listing" | LC_ALL=C sort)
if [ "$files" != "$expected" ]; then
  echo "unexpected file list in the zip:"
  echo "$files"
  exit 1
fi
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
(cd "$unpacked" && cmake -E tar xf "$release/$top_folder.zip")
# Each guide links the others it names, and the rippers' guides give the
# Japanese messages (認, U+8A8D, as mandoc writes it).
for guide in $programs d88info; do
  page="$unpacked/$top_folder/$guide.html"
  for other in $programs d88info; do
    unlinked=$(grep -c "[^>]<b>$other</b>(1)" "$page" || [ $? -eq 1 ])
    if [ "$unlinked" -ne 0 ]; then
      echo "$guide.html names $other without a link to $other.html"
      exit 1
    fi
  done
done
for guide in $programs; do
  grep -q '&#x8A8D;' "$unpacked/$top_folder/$guide.html" ||
    { echo "$guide.html lacks the Japanese messages"; exit 1; }
done
for text in README.txt LICENSE.txt LICENSE-expat.txt; do
  lines=$(wc -l <"$unpacked/$top_folder/$text")
  crlf=$(grep -c "$(printf '\r')\$" "$unpacked/$top_folder/$text" || [ $? -eq 1 ])
  if [ "$lines" -eq 0 ] || [ "$crlf" -ne "$lines" ]; then
    echo "$text: $crlf of $lines lines end with CRLF"
    exit 1
  fi
done
echo "build-windows-release/$top_folder.zip: the programs, their guides, README.txt and the licences"
