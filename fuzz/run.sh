#!/usr/bin/env bash
# Builds the fuzz targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for DURATION seconds, one after
# another, from the generated seeds and the corpus that earlier runs left in
# the build folder. Fails on any crash, leak, time-out or sanitizer report;
# findings land in build-fuzz/artifacts/. The runs' own console text is
# silenced (-close_fd_mask); libFuzzer and sanitizer reports still show.
#
# The targets: the reader's, the catalogues' XML reader's, and one for each
# title of titles/titles.txt, by its short name.
#
#   fuzz/run.sh DURATION [TARGET]...
#   fuzz/run.sh --list     # the targets, one a line
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-fuzz"
all=(reader catalogue)
while read -r name _; do
  case $name in ''|'#'*) ;; *) all+=("$name") ;; esac
done <"$top/titles/titles.txt"
if [ "${1:-}" = --list ]; then
  printf '%s\n' "${all[@]}"
  exit 0
fi
duration=${1:?usage: fuzz/run.sh DURATION [TARGET]... or fuzz/run.sh --list}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

cd "$top"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 >/dev/null

mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  echo "== ${target}_fuzzer for ${duration} s"
  # Images of a whole title disk run to a few hundred KiB. The fuzzer's
  # own status decides; its log is filtered afterwards, and a filter that
  # finds nothing to show is no failure.
  log="$build/${target}.log"
  status=0
  "$build/fuzz/${target}_fuzzer" "$corpus" "$build/fuzz/seeds/$target" \
    -max_total_time="$duration" -timeout=5 -rss_limit_mb=2048 \
    -max_len=1048576 -close_fd_mask=3 -print_final_stats=1 \
    -artifact_prefix="$build/artifacts/${target}-" >"$log" 2>&1 || status=$?
  grep -E '^(#[0-9]+.*(DONE|pulse)|stat::|==|SUMMARY|ERROR|Done)' \
    "$log" || [ $? -eq 1 ]
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    echo "${target}_fuzzer failed with status $status"
    exit 1
  fi
done
