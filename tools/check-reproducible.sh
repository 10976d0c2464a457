#!/bin/sh
# Builds and packs what a release ships twice (tools/package.sh), from two
# copies of this source: one in a folder under /tmp, with TZ=Asia/Tokyo and
# umask 022; the other later in a folder on /dev/shm (a tmpfs), with
# TZ=America/Los_Angeles and umask 077. The programs, the .deb, the .exe
# files, the zip and SHA256SUMS must come out byte for byte the same; what
# differs is shown with diffoscope when it is installed.
#
#   sh tools/check-reproducible.sh
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
first=$(mktemp -d /tmp/d88rip-first.XXXXXX)
second=$(mktemp -d /dev/shm/d88rip-second.XXXXXX)
trap 'rm -rf "$first" "$second"' EXIT

# The source as it stands: tracked and new files, without build folders;
# and expat built for Windows (deps/mingw-w64), which the Windows programs
# link as the Linux ones link the system's libraries.
copy() {
  (cd "$top" && git ls-files -z --cached --others --exclude-standard |
     xargs -0 tar -cf -) | tar -xf - -C "$1"
  (cd "$top" && tar -cf - deps/mingw-w64) | tar -xf - -C "$1"
}
copy "$first"
copy "$second"
(cd "$first" && umask 022 && TZ=Asia/Tokyo sh tools/package.sh >/dev/null)
(cd "$second" && umask 077 && TZ=America/Los_Angeles sh tools/package.sh >/dev/null)

. "$top/tools/titles.sh"
programs=$(rippers)
packages=$(cd "$first" && ls dist/d88rip_*.deb dist/d88rip-*.zip)
files=dist/SHA256SUMS
for program in $programs d88info; do
  files="$files build-release/$program build-windows-release/$program.exe"
done
status=0
for file in $files $packages; do
  if cmp -s "$first/$file" "$second/$file"; then
    echo "same: $file"
  else
    echo "differs: $file"
    if command -v diffoscope >/dev/null; then
      # 1: it found the differences it shows; anything else is its failure.
      diffoscope "$first/$file" "$second/$file" || [ $? -eq 1 ]
    fi
    status=1
  fi
done
(cd "$second/dist" && sha256sum -c SHA256SUMS)
exit $status
