#!/bin/sh
# Builds what a release ships and packs it: the release preset's programs
# and their Debian package, the Windows programs and their zip, and a
# SHA256SUMS of the two packages, all in OUT. The same source gives the
# same bytes in any folder, at any time, under any time zone and umask
# (see cmake/Packaging.cmake for the date the packages carry).
#
#   sh tools/package.sh [OUT]    # OUT defaults to dist/
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/dist}
cd "$top"
for preset in release windows-release; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j2 >/dev/null
done
(cd build-release && rm -f d88rip_*.deb && cpack -G DEB >/dev/null)
(cd build-windows-release && rm -f d88rip-*.zip && cpack -G ZIP >/dev/null)

mkdir -p "$out"
rm -f "$out"/d88rip_*.deb "$out"/d88rip-*.zip "$out/SHA256SUMS"
cp build-release/d88rip_*.deb build-windows-release/d88rip-*.zip "$out"
(cd "$out" && sha256sum d88rip_*.deb d88rip-*.zip >SHA256SUMS)
echo "$out:" $(cd "$out" && ls d88rip_*.deb d88rip-*.zip SHA256SUMS)
