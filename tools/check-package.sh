#!/bin/sh
# Makes the Debian package in BUILD_DIR with cpack, checks its file list,
# runs lintian on it (any error or warning fails), unpacks it into a
# scratch root and runs the programs from there.
set -eu
build=${1:?usage: tools/check-package.sh BUILD_DIR}
cd "$build"
rm -f d88rip_*.deb
cpack -G DEB >/dev/null
deb=$(ls d88rip_*.deb)

expected='./usr/bin/d88info
./usr/bin/pelkrip
./usr/bin/voskrip
./usr/share/doc/d88rip/changelog.gz
./usr/share/doc/d88rip/copyright
./usr/share/man/man1/d88info.1.gz
./usr/share/man/man1/pelkrip.1.gz
./usr/share/man/man1/voskrip.1.gz'
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $NF }' | sort)
if [ "$files" != "$expected" ]; then
  echo "unexpected file list in $deb:"
  echo "$files"
  exit 1
fi
# The C library for all three; libcrypto and zlib for d88info's checksums.
depends=$(dpkg-deb -f "$deb" Depends)
for package in libc6 libssl3 zlib1g; do
  case $depends in
    *"$package"*) ;;
    *) echo "$deb does not depend on $package: $depends"; exit 1 ;;
  esac
done
if ! report=$(lintian --fail-on error,warning "$deb" 2>&1); then
  echo "$report"
  exit 1
fi

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
"$root/usr/bin/d88info" --help >/dev/null
if "$root/usr/bin/pelkrip" 2>/dev/null; then exit 1; fi
"$build/tools/make_sample_image" "$root/sample.d88" Pelk_No9 Vosk_No5
(cd "$root" && ./usr/bin/pelkrip sample.d88 >pelk.out && ./usr/bin/voskrip sample.d88 >vosk.out)
grep -q '^Disk 2 ' "$root/pelk.out"
grep -q '^Disk 5 ' "$root/vosk.out"
"$root/usr/bin/d88info" "$root/sample.d88" >"$root/info.out"
grep -q '^image disks 2$' "$root/info.out"
LC_ALL=C man --warnings -l "$root/usr/share/man/man1/pelkrip.1.gz" >/dev/null
grep -q '^License: Expat' "$root/usr/share/doc/d88rip/copyright"
echo "$deb: file list, dependencies, lintian and unpacked programs check out"
