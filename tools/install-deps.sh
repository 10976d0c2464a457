#!/bin/sh
# Installs the Debian/Ubuntu packages that the build, the tests and the tools
# need, if any is missing. Run as root.
set -eu
packages="cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev clang
libclang-rt-14-dev libc-bin man-db groff-base dpkg-dev file"
missing=""
for package in $packages; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
    missing="$missing $package"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
fi
