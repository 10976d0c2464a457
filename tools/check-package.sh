#!/bin/sh
# Makes the Debian package in BUILD_DIR with cpack, checks its file list,
# runs lintian on it (any error or warning fails), unpacks it into a
# scratch root and runs the programs from there.
set -eu
build=${1:?usage: tools/check-package.sh BUILD_DIR}
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tools/titles.sh"
programs=$(rippers)
facts=$("$build/tools/title_facts")
cd "$build"
rm -f d88rip_*.deb
cpack -G DEB >/dev/null
deb=$(ls d88rip_*.deb)

expected=$(for program in d88info $programs; do
  echo "./usr/bin/$program"
  echo "./usr/share/man/man1/$program.1.gz"
done
echo ./usr/share/doc/d88rip/changelog.gz
echo ./usr/share/doc/d88rip/copyright)
expected=$(printf '%s\n' "$expected" | LC_ALL=C sort)
contents=$(dpkg-deb -c "$deb")
files=$(printf '%s\n' "$contents" | awk '$1 !~ /^d/ { print $NF }' | LC_ALL=C sort)
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
# Each ripper refuses a missing argument, and cuts its title's whole set.
printf '%s\n' "$facts" >"$root/facts"
while read -r name program signature _ digits _; do
  if "$root/usr/bin/$program" 2>/dev/null; then exit 1; fi
  ids=$(printf '%s' "$digits" | sed "s/./ $signature&/g")
  # shellcheck disable=SC2086 # one boot ID a word
  "$build/tools/make_sample_image" "$root/$name.d88" $ids
  mkdir "$root/$name"
  (cd "$root/$name" && "$root/usr/bin/$program" "../$name.d88" >../$name.out)
  grep -q '^cutting \.\.\. ' "$root/$name.out"
  LC_ALL=C.UTF-8 man --warnings -l "$root/usr/share/man/man1/$program.1.gz" >/dev/null
  set_image=$root/$name.d88
  set_size=${#digits}
done <"$root/facts"
"$root/usr/bin/d88info" "$set_image" >"$root/info.out"
grep -q "^image disks $set_size\$" "$root/info.out"
grep -q '^License: Expat' "$root/usr/share/doc/d88rip/copyright"
echo "$deb: file list, dependencies, lintian and unpacked programs check out"
