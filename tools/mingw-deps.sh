#!/bin/sh
# What the Windows programs need beyond the cross-compiler's packages, in
# deps/mingw-w64/, where the Windows configure finds it:
# - nlohmann-json's header (header only), copied from the distribution's
#   package (nlohmann-json3-dev), which the Linux build uses;
# - expat built with the mingw-w64 toolchain from the distribution's own
#   source package of the upstream version that the Linux build links
#   (libexpat1-dev), so that catalogues are read by the same parser on
#   both systems: headers, libexpat.a, its CMake package and its licence.
# tools/install-deps.sh runs this; expat is built only when that version
# is not built already.
#
# The source comes through a private apt configuration in deps/apt/: its
# own lists and cache, and source entries made from the machine's package
# sources (the *.list and *.sources files, one-line or deb822 format). The
# machine's own configuration is only read. The newest Debian revision of
# that upstream version that apt can fetch is taken (a security
# revision's source may be listed and not served).
#
#   sh tools/mingw-deps.sh
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
deps="$top/deps"
prefix="$deps/mingw-w64"
apt="$deps/apt"

mkdir -p "$prefix/include"
rm -rf "$prefix/include/nlohmann"
cp -R /usr/include/nlohmann "$prefix/include/nlohmann"

linked=$(dpkg-query -W -f='${Version}' libexpat1-dev)
# 2.5.0-1+deb12u1 -> 2.5.0 (no epoch, no Debian revision)
upstream=$(printf '%s\n' "$linked" | sed -e 's/^[0-9]*://' -e 's/-[^-]*$//')
stamp="$prefix/expat-version"
if [ -f "$prefix/lib/libexpat.a" ] && [ -f "$stamp" ] &&
   [ "$(sed -n 1p "$stamp")" = "$upstream" ]; then
  exit 0
fi

# Source entries from the machine's package sources.
rm -rf "$apt"
mkdir -p "$apt/sources.list.d" "$apt/lists/partial" \
  "$apt/cache/archives/partial" "$apt/source"
to_source_lines() {
  # One-line format: each deb line also as deb-src.
  sed -n -e 's/^[[:space:]]*deb\([[:space:]]\)/deb-src\1/p' \
    -e '/^[[:space:]]*deb-src[[:space:]]/p' "$1"
}
to_source_stanzas() {
  # deb822: every Types line names deb-src alone.
  sed -e 's/^Types:.*/Types: deb-src/' "$1"
}
: >"$apt/sources.list"
[ -f /etc/apt/sources.list ] &&
  to_source_lines /etc/apt/sources.list >"$apt/sources.list"
for file in /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
  [ -f "$file" ] || continue
  case $file in
    *.list) to_source_lines "$file" >"$apt/sources.list.d/${file##*/}" ;;
    *.sources) to_source_stanzas "$file" >"$apt/sources.list.d/${file##*/}" ;;
  esac
done
set -- -o Dir::Etc::SourceList="$apt/sources.list" \
  -o Dir::Etc::SourceParts="$apt/sources.list.d" \
  -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache"
# As root apt would hand the downloads to its own user, who may not write
# here.
[ "$(id -u)" -ne 0 ] || set -- "$@" -o APT::Sandbox::User=root
apt-get -q "$@" update >/dev/null

# The revisions of that upstream version, newest first.
revisions=$(apt-cache "$@" showsrc expat |
  sed -n "s/^Version: \(\([0-9]*:\)\{0,1\}$upstream-.*\)/\1/p" | sort -u)
ordered=
for revision in $revisions; do
  rest=
  placed=
  for other in $ordered; do
    if [ -z "$placed" ] && dpkg --compare-versions "$revision" gt "$other"; then
      rest="$rest $revision"
      placed=yes
    fi
    rest="$rest $other"
  done
  [ -n "$placed" ] || rest="$rest $revision"
  ordered=$rest
done
fetched=
for revision in $ordered; do
  rm -rf "$apt/source" && mkdir "$apt/source"
  if (cd "$apt/source" && apt-get -q "$@" source "expat=$revision" >/dev/null 2>&1); then
    fetched=$revision
    break
  fi
  echo "mingw-deps: expat $revision is listed but could not be fetched"
done
if [ -z "$fetched" ]; then
  echo "mingw-deps: no source of expat $upstream could be fetched" >&2
  exit 1
fi
source=$(find "$apt/source" -mindepth 3 -maxdepth 3 \
  -path '*/expat/CMakeLists.txt' | head -n 1)
source=${source%/CMakeLists.txt}

# The library alone, static, optimised and without debug information, so
# that no path of this machine goes into the programs.
build="$apt/build"
rm -rf "$build" "$prefix/lib" "$prefix/share" "$prefix/include/expat"*.h
cmake -S "$source" -B "$build" --toolchain "$top/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_EXAMPLES=OFF \
  -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=OFF \
  >/dev/null
# The Debian revision's patches test XML_DTD and XML_NS as numbers, as the
# distribution's own (autotools) build defines them; expat's CMake build
# defines them empty.
sed -i -e 's/^#define XML_DTD$/#define XML_DTD 1/' \
  -e 's/^#define XML_NS$/#define XML_NS 1/' "$build/expat_config.h"
cmake --build "$build" -j2 >/dev/null
cmake --install "$build" >/dev/null
mkdir -p "$prefix/share/licenses/expat"
cp "$source/COPYING" "$prefix/share/licenses/expat/COPYING"
printf '%s\n%s\n' "$upstream" "$fetched" >"$stamp"
echo "mingw-deps: expat $fetched built into deps/mingw-w64"
