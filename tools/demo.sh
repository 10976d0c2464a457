#!/bin/sh
# Installs what building needs if it is missing (tools/install-deps.sh
# demo), builds the programs without the tests, makes a sample image of
# each title's disk set, runs each ripper on it in a fresh folder, shows
# the console text converted from CP932 to UTF-8, and lists the files cut.
# The sample images stay in build-release/samples/, to try d88info and the
# rippers on.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
sh "$top/tools/install-deps.sh" demo
build="$top/build-release"
(cd "$top" && cmake --preset release >/dev/null &&
  cmake --build --preset release -j2 --target pelkrip voskrip make_sample_image >/dev/null)

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

run_demo pelkrip Pelk_No8 Pelk_No9 Pelk_No1 Pelk_No2 Pelk_No3 Pelk_No4 \
  Pelk_No5 Pelk_UD1 Foreign1
run_demo voskrip Vosk_No1 Vosk_No2 Vosk_No3 Vosk_No4 Vosk_No5 Vosk_No6 \
  Vosk_UD1

echo "The sample images are in $samples:"
echo "  $build/d88info --hash $samples/pelkrip.d88"
echo "  $build/voskrip $samples/voskrip.d88   (in a folder for its files)"
