#!/bin/sh
# Installs the Debian/Ubuntu packages that the build, the tests, the Windows
# build and its tests under wine, the package checks and the tools need, if
# any is missing. Run as root.
set -eu
packages="cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev clang
libclang-rt-14-dev libc-bin man-db groff-base mandoc dpkg-dev file lintian
g++-mingw-w64-x86-64-posix wine64 strace locales"
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
# The Windows programs' tests run wine under a Western locale, which gives
# them the ANSI code page of a European or American Windows (1252).
if ! locale -a 2>/dev/null | grep -qix 'en_US.utf8'; then
  sed -i 's/^# *\(en_US.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen || echo 'en_US.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen
fi
