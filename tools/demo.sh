#!/bin/sh
# Installs what building needs if it is missing (tools/install-deps.sh
# demo), builds the programs without the tests, makes a sample image of
# each title's disk set, runs each ripper on it in a fresh folder, shows
# the console text converted from CP932 to UTF-8, and lists the files cut.
# The sample images stay in build-release/samples/, to try d88info and the
# rippers on; the commands the demo suggests for that are run first, so
# that each one it prints works.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
sh "$top/tools/install-deps.sh" demo
build="$top/build-release"
. "$top/tools/titles.sh"
programs=$(rippers)
# shellcheck disable=SC2086 # one program a word
(cd "$top" && cmake --preset release >/dev/null &&
  cmake --build --preset release -j2 --target $programs d88info \
    make_sample_image title_facts >/dev/null)
facts=$("$build/tools/title_facts")

samples="$build/samples"
mkdir -p "$samples"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run_demo() {
  program=$1
  shift
  mkdir "$work/$program"
  "$build/tools/make_sample_image" "$samples/$program.d88" "$@"
  echo "== $program $program.d88 (disks: $*)"
  # The program's status is its own: no pipeline stands between it and
  # the shell.
  (cd "$work/$program" && "$build/$program" "$samples/$program.d88") \
    >"$work/$program.out"
  iconv -f CP932 -t UTF-8 "$work/$program.out"
  echo "== files cut by $program"
  (cd "$work/$program" && ls -l | awk 'NR > 1 { printf "%-8s %6d\n", $9, $5 }')
  echo
}

# Each title's set in the order of its profile, then its user disk; the
# first title's image also holds a disk of another title.
foreign=Foreign1
printf '%s\n' "$facts" >"$work/facts"
while read -r _ program signature user digits _; do
  ids=$(printf '%s' "$digits" | sed "s/./ $signature&/g")
  # shellcheck disable=SC2086 # one boot ID a word
  run_demo "$program" $ids "${user}1" $foreign
  foreign=
  first=${first:-$program}
  last=$program
done <"$work/facts"

# The commands to try next, each run here first, its status its own.
"$build/d88info" --hash "$samples/$first.d88" >"$work/d88info.out"
"$build/d88info" "$samples"/*.d88 >"$work/d88info-all.out"
mkdir "$work/try" && (cd "$work/try" && "$build/$last" "$samples/$last.d88") \
  >"$work/try.out"
echo "The sample images are in $samples:"
echo "  $build/d88info --hash $samples/$first.d88"
echo "  $build/d88info $samples/*.d88   (every image, each line after its path)"
echo "  $build/$last $samples/$last.d88   (in a folder for its files)"
