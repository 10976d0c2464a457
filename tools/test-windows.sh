#!/bin/sh
# Builds the Windows programs with mingw-w64, checks that they need no DLL
# beyond Windows' own, runs the whole end-to-end suite against them under
# wine (from the Linux build folder, whose tests start the .exe files
# through wine), and checks the zip that cpack makes.
#
#   sh tools/test-windows.sh
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
windows="$top/build-windows"
linux="$top/build"

cd "$top"
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 >/dev/null

for exe in pelkrip voskrip d88info; do
  for dll in $(x86_64-w64-mingw32-objdump -p "$windows/$exe.exe" |
               awk '/DLL Name:/ { print $3 }'); do
    case $dll in
      KERNEL32.dll|msvcrt.dll|SHELL32.dll) ;;
      *) echo "$exe.exe needs $dll"; exit 1 ;;
    esac
  done
done

cmake --preset default -DD88RIP_WINDOWS_BUILD="$windows" >/dev/null
cmake --build --preset default -j2 >/dev/null
ctest --test-dir "$linux" -L windows -j2 --output-on-failure

(cd "$windows" && rm -f d88rip-*.zip && cpack -G ZIP >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$windows/CMakeCache.txt")
top_folder="d88rip-$version-win64"
expected="$top_folder/LICENSE
$top_folder/README.md
$top_folder/d88info.exe
$top_folder/pelkrip.exe
$top_folder/voskrip.exe"
files=$(cd "$windows" && cmake -E tar tf "$top_folder.zip" | sort)
if [ "$files" != "$expected" ]; then
  echo "unexpected file list in the zip:"
  echo "$files"
  exit 1
fi
echo "build-windows/$top_folder.zip: the three programs, README and LICENSE"
