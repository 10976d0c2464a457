#!/bin/sh
# Installs, from Debian's or Ubuntu's packages, what is missing for:
#   demo  building the programs and the demo: cmake, g++, make, zlib's
#         and OpenSSL's headers for d88info's checksums, expat's for its
#         catalogues and nlohmann-json for its JSON, and mandoc for the
#         Windows users' guides; iconv comes with libc-bin
#   test  the above, and the whole test suite: GoogleTest, strace, and
#         mandoc, man-db and groff-base for the man page check
#   all   (the default) the above, and what CI needs besides: the Windows
#         cross-compiler (mingw-w64) with zlib for it, and wine64 for the
#         Windows tests, clang
#         and its sanitizer and fuzzer runtime, Google Benchmark, lintian,
#         dpkg-dev and file for the Debian package, strip-nondeterminism for
#         reproducible zips, diffoscope to show where two builds differ and
#         gcovr for the test coverage;
#         and the en_US.UTF-8 locale, under which the Windows programs'
#         tests run wine
# Runs apt-get as root, through sudo when not root. Nothing else on the
# machine is changed.
#
#   sh tools/install-deps.sh [demo|test|all]
set -eu
set_of=${1:-all}
packages="cmake g++ make libc-bin zlib1g-dev libssl-dev libexpat1-dev
  nlohmann-json3-dev mandoc"
case $set_of in
  demo) ;;
  test|all)
    packages="$packages libgtest-dev strace mandoc man-db groff-base"
    if [ "$set_of" = all ]; then
      packages="$packages g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 clang
        libclang-rt-14-dev libbenchmark-dev lintian dpkg-dev file locales
        strip-nondeterminism diffoscope-minimal gcovr"
    fi
    ;;
  *) echo "usage: sh tools/install-deps.sh [demo|test|all]" >&2; exit 2 ;;
esac

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=""
for package in $packages; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
    missing="$missing $package"
done
if [ -n "$missing" ]; then
  echo "installing:$missing"
  as_root apt-get update
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y \
    --no-install-recommends $missing
fi
if [ "$set_of" = all ] && ! locale -a 2>/dev/null | grep -qix 'en_US.utf8'; then
  as_root sed -i 's/^# *\(en_US.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen ||
    echo 'en_US.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen
fi
if [ "$set_of" = all ]; then
  sh "$(dirname "$0")/mingw-deps.sh"
fi
