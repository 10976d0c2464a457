#!/usr/bin/env bash
# Whole-run benchmark of every title's ripper (titles/titles.txt), on
# images made by the tests' image builder, printed side by side:
#   set      each ripper on one full set of its title's disks, against
#            `cp -r` of the folder that run produced
#   scale    each ripper on 64 copies of its title's disk with the most
#            files, against the write floor (the same file writes, no reads)
#   hash     d88info --hash on the largest scale image, against sha1sum
#            of that file
#   dat      d88info --hash --dat with a catalogue of 4000 entries (64 of
#            them the image's disks), against --hash alone
#   collection
#            d88info over a folder of 300 images of one disk each (about
#            370 KB): --hash over all of them in one run, against sha1sum
#            over the same files (bound: 3 times), and --json --hash
#            likewise; --dat with a software
#            list of 100,000 entries of the images' size, against --dat
#            over one image plus 3 times sha1sum over all; and its peak
#            memory, against that of one image (bound: 8 MiB more)
#   hostile  the first title's ripper on 64 disks whose tracks all point at
#            one chain of empty headers, for several chain lengths
# with the peak resident memory of each run and, where strace is installed,
# the read and seek calls of the scale runs. Then the reader's
# micro-benchmarks. Times are medians of RUNS runs (default 5).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build-bench"
runs=${RUNS:-5}

(cd "$top" && cmake --preset bench >/dev/null &&
  cmake --build --preset bench -j2 >/dev/null)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
images="$work/images"
mkdir "$images"

now_ns() { date +%s%N; }

# run_in_folder COMMAND...: runs COMMAND in $work/run with its output
# discarded. The rippers end with 0 or 1 (a hostile image names what it
# lacks); any other status, a crash, ends the benchmark.
run_in_folder() {
  local status=0
  (cd "$work/run" && "$@" >/dev/null 2>&1) || status=$?
  if [ "$status" -gt 1 ]; then
    echo "bench: $* ended with status $status" >&2
    exit 1
  fi
}

# median_ms COMMAND...: runs COMMAND $runs times, each in a fresh empty
# folder $work/run, and prints the median wall time in milliseconds.
median_ms() {
  local times=()
  for _ in $(seq "$runs"); do
    rm -rf "$work/run" && mkdir "$work/run"
    local start end
    start=$(now_ns)
    run_in_folder "$@"
    end=$(now_ns)
    times+=($(( (end - start) / 1000 )))
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{ t[NR] = $1 }
    END { printf "%.1f", t[int((NR + 1) / 2)] / 1000 }'
}

# peak_kib COMMAND...: peak resident memory of one run, in KiB.
peak_kib() {
  rm -rf "$work/run" && mkdir "$work/run"
  run_in_folder /usr/bin/time -f '%M' -o "$work/peak" "$@"
  # The last line: time first says so when the command fails, as a run on
  # a hostile image does.
  tail -n 1 "$work/peak"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }

make_set() { "$build/tools/make_sample_image" "$@"; }

# What each title's profile says of it (tools/title_facts).
declare -A program=() signature=() set_digits=() largest_digit=()
titles=()
facts=$("$build/tools/title_facts")
while read -r name ripper sign _ digits largest; do
  titles+=("$name")
  program[$name]=$ripper
  signature[$name]=$sign
  set_digits[$name]=$digits
  largest_digit[$name]=$largest
done <<<"$facts"

largest_image=
for title in "${titles[@]}"; do
  ids=()
  for ((i = 0; i < ${#set_digits[$title]}; ++i)); do
    ids+=("${signature[$title]}${set_digits[$title]:i:1}")
  done
  make_set "$images/$title-set.d88" "${ids[@]}"
  ids=()
  for _ in $(seq 64); do ids+=("${signature[$title]}${largest_digit[$title]}"); done
  make_set "$images/$title-scale.d88" "${ids[@]}"
  if [ -z "$largest_image" ] ||
     [ "$(stat -c %s "$images/$title-scale.d88")" -gt "$(stat -c %s "$largest_image")" ]; then
    largest_image="$images/$title-scale.d88"
  fi
done

echo "run                         ripper ms   baseline ms   ratio   peak KiB"
for title in "${titles[@]}"; do
  rip="$build/${program[$title]}"

  # set: against cp -r of the folder the run produced.
  rm -rf "$work/set-out" && mkdir "$work/set-out"
  (cd "$work/set-out" && "$rip" "$images/$title-set.d88" >/dev/null)
  t_rip=$(median_ms "$rip" "$images/$title-set.d88")
  t_cp=$(median_ms cp -r "$work/set-out" copy)
  peak=$(peak_kib "$rip" "$images/$title-set.d88")
  printf '%-27s %9s   %11s   %5s   %8s\n' "set ${program[$title]}" "$t_rip" \
    "$t_cp (cp -r)" "$(ratio "$t_rip" "$t_cp")" "$peak"

  # scale: against the write floor, fed the names and sizes in write order.
  rm -rf "$work/scale-out" && mkdir "$work/scale-out"
  (cd "$work/scale-out" && "$rip" "$images/$title-scale.d88" |
    sed -n 's/^cutting \.\.\. //p' >"$work/$title-order")
  : >"$work/$title-list"
  while read -r name; do
    echo "$name $(stat -c %s "$work/scale-out/$name")" >>"$work/$title-list"
  done <"$work/$title-order"
  t_rip=$(median_ms "$rip" "$images/$title-scale.d88")
  t_floor=$(median_ms "$build/bench/write_floor" "$work/$title-list" 1)
  peak=$(peak_kib "$rip" "$images/$title-scale.d88")
  printf '%-27s %9s   %11s   %5s   %8s\n' "scale ${program[$title]} (64 disks)" \
    "$t_rip" "$t_floor (floor)" "$(ratio "$t_rip" "$t_floor")" "$peak"
done

# d88info --hash: against sha1sum of the same file; its memory against
# the listing's without the hashes.
image=$largest_image
t_hash=$(median_ms "$build/d88info" --hash "$image")
t_sha1sum=$(median_ms sha1sum "$image")
peak_hash=$(peak_kib "$build/d88info" --hash "$image")
peak_list=$(peak_kib "$build/d88info" "$image")
printf '%-27s %9s   %11s   %5s   %8s (%s without --hash)\n' \
  "d88info --hash (64 disks)" "$t_hash" "$t_sha1sum (sha1sum)" \
  "$(ratio "$t_hash" "$t_sha1sum")" "$peak_hash" "$peak_list"

# A catalogue of 4000 entries: the image's disks as they lie, and made-up
# entries of about their size.
hashes=$("$build/d88info" --hash "$image")
{
  echo '<?xml version="1.0"?>'
  echo '<!DOCTYPE datafile PUBLIC "-//Logiqx//DTD ROM Management Datafile//EN" "http://www.logiqx.com/Dats/datafile.dtd">'
  echo '<datafile>'
  printf '%s\n' "$hashes" | awk -v size="$(( $(stat -c %s "$image") / 64 ))" '
    / crc32 / { n++; printf "<game name=\"d%d\"><rom name=\"d%d.d88\" size=\"%d\" crc=\"%s\" sha1=\"%s\"/></game>\n", n, n, size, $4, $6 }
    END { for (i = n; i < 4000; i++) printf "<game name=\"x%d\"><rom name=\"x%d.d88\" size=\"%d\" crc=\"%08x\" sha1=\"%040d\"/></game>\n", i, i, size - (i % 2), i * 2654435761 % 2147483648, i }'
  echo '</datafile>'
} >"$work/catalogue.dat"
t_dat=$(median_ms "$build/d88info" --hash --dat "$work/catalogue.dat" "$image")
peak_dat=$(peak_kib "$build/d88info" --hash --dat "$work/catalogue.dat" "$image")
printf '%-27s %9s   %11s   +%s ms   %8s (%s with --hash alone)\n' \
  "d88info --dat (4000 entries)" "$t_dat" "$t_hash (--hash)" \
  "$(awk -v a="$t_dat" -v b="$t_hash" 'BEGIN { printf "%.1f", a - b }')" \
  "$peak_dat" "$peak_hash"

# The collection: 300 images of one disk each, and a software list of
# 100,000 entries of their size, each with a CRC32 and a SHA-1, 300 of them
# the images'.
collection="$work/collection"
mkdir "$collection"
for i in $(seq -w 1 300); do
  make_set "$collection/disk$i.d88" "Bench$i"
done
disk_size=$(stat -c %s "$collection/disk001.d88")
"$build/d88info" --hash "$collection"/*.d88 >"$work/collection-hashes"
{
  echo '<?xml version="1.0"?>'
  echo '<!DOCTYPE softwarelist SYSTEM "softwarelist.dtd">'
  echo '<softwarelist name="bench" description="Benchmark">'
  awk -v size="$disk_size" '
    function entry(name, crc, sha1) {
      printf "\t<software name=\"%s\">\n\t\t<description>%s</description>\n", name, name
      printf "\t\t<part name=\"flop1\" interface=\"floppy_3_5\">\n\t\t\t<dataarea name=\"flop\" size=\"%d\">\n", size
      printf "\t\t\t\t<rom name=\"%s.d88\" size=\"%d\" crc=\"%s\" sha1=\"%s\"/>\n", name, size, crc, sha1
      printf "\t\t\t</dataarea>\n\t\t</part>\n\t</software>\n"
    }
    / crc32 / { n++; entry("disk" n, $4, $6) }
    END {
      for (i = n; i < 100000; i++)
        entry("other" i, sprintf("%08x", i * 2654435761 % 4294967296), sprintf("%040d", i))
    }' "$work/collection-hashes"
  echo '</softwarelist>'
} >"$work/big.xml"
one="$collection/disk001.d88"
t_hash_all=$(median_ms "$build/d88info" --hash "$collection"/*.d88)
t_json_all=$(median_ms "$build/d88info" --json --hash "$collection"/*.d88)
t_sha1sum_all=$(median_ms sha1sum "$collection"/*.d88)
t_dat_one=$(median_ms "$build/d88info" --dat "$work/big.xml" "$one")
t_dat_all=$(median_ms "$build/d88info" --dat "$work/big.xml" "$collection"/*.d88)
peak_dat_one=$(peak_kib "$build/d88info" --dat "$work/big.xml" "$one")
peak_dat_all=$(peak_kib "$build/d88info" --dat "$work/big.xml" "$collection"/*.d88)
echo
echo "collection: 300 images of $disk_size bytes, software list of 100,000 entries ($(( $(stat -c %s "$work/big.xml") / 1048576 )) MiB)"
printf '%-27s %9s   %-26s %5s   %s\n' "run" "ms" "bound ms" "ratio" "peak KiB"
printf '%-27s %9s   %-26s %5s\n' "--hash, 300 images" "$t_hash_all" \
  "$(awk -v s="$t_sha1sum_all" 'BEGIN { printf "%.1f (3 x sha1sum %.1f)", 3 * s, s }')" \
  "$(ratio "$t_hash_all" "$t_sha1sum_all")"
printf '%-27s %9s   %-26s %5s\n' "--json --hash, 300 images" "$t_json_all" \
  "$(awk -v s="$t_sha1sum_all" 'BEGIN { printf "%.1f (3 x sha1sum %.1f)", 3 * s, s }')" \
  "$(ratio "$t_json_all" "$t_sha1sum_all")"
printf '%-27s %9s   %-26s %5s   %s (one image: %s)\n' "--dat BIG, 300 images" \
  "$t_dat_all" \
  "$(awk -v o="$t_dat_one" -v s="$t_sha1sum_all" 'BEGIN { printf "%.1f (one %.1f + 3 x sha1sum)", o + 3 * s, o }')" \
  "$(awk -v a="$t_dat_all" -v o="$t_dat_one" -v s="$t_sha1sum_all" 'BEGIN { printf "%.2f", a / (o + 3 * s) }')" \
  "$peak_dat_all" "$peak_dat_one"
rm -rf "$collection"

echo
first=${titles[0]}
hostile_rip="$build/${program[$first]}"
printf '%-27s chain   image MiB   ms   peak KiB\n' \
  "hostile ${program[$first]}, 64 disks"
for chain in 16384 32768 65535 131070; do
  "$build/bench/make_hostile_image" "$images/hostile.d88" \
    "${signature[$first]}${largest_digit[$first]}" "$chain"
  size=$(( $(stat -c %s "$images/hostile.d88") / 1048576 ))
  t=$(median_ms "$hostile_rip" "$images/hostile.d88")
  peak=$(peak_kib "$hostile_rip" "$images/hostile.d88")
  printf '%-27s %6d   %9d   %5s   %8s\n' "" "$chain" "$size" "$t" "$peak"
done
rm -f "$images/hostile.d88"

if command -v strace >/dev/null; then
  echo
  echo "system calls of the scale runs (strace -c -f)"
  for title in "${titles[@]}"; do
    rm -rf "$work/run" && mkdir "$work/run"
    (cd "$work/run" && strace -c -f -o "$work/strace" \
      "$build/${program[$title]}" "$images/$title-scale.d88" >/dev/null)
    printf '%s: ' "${program[$title]}"
    awk '$NF ~ /^(read|pread64|lseek|write|openat|rename)$/ { printf "%s %s  ", $NF, $4 }' \
      "$work/strace"
    echo
    rm -rf "$work/run" && mkdir "$work/run"
    (cd "$work/run" && strace -c -f -o "$work/strace" \
      "$build/bench/write_floor" "$work/$title-list" 1 >/dev/null)
    printf 'write floor: '
    awk '$NF ~ /^(read|pread64|lseek|write|openat|rename)$/ { printf "%s %s  ", $NF, $4 }' \
      "$work/strace"
    echo
  done
fi

echo
"$build/bench/reader_benchmark" --benchmark_min_time=0.2 2>&1 | grep -v WARNING
