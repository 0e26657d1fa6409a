#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (build-fuzz/) and runs each for SECONDS (default 20),
# one after another, from a corpus seeded with the demo's files and the shared real files.
# A crash stops the script with the input saved as build-fuzz/crashes/<reader>-crash-...; add it
# to tests/fuzz_regressions/ with a test. A longer soak: bash scripts/fuzz.sh 1800
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
export ASAN_OPTIONS=detect_leaks=0
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKEELWAY_FUZZ=ON -DKEELWAY_APP=OFF -DKEELWAY_BENCH=OFF >/dev/null
targets=(race_file gpx nmea text_track trb trl gdb mps wind grid_square plain_coast whole_coast
  lights)
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

real=../shared/realdata
seed() {  # seed TARGET FIND-ARGS...: copies matching files (first 64 KB) into the corpus
  local dir=build-fuzz/corpus/$1
  shift
  mkdir -p "$dir"
  for root in demo "$real" tests/fuzz_regressions; do
    [ -d "$root" ] || continue
    find "$root" -type f "$@" -size -4M -print0 2>/dev/null |
      while IFS= read -r -d '' f; do
        head -c 65536 "$f" >"$dir/$(printf '%s' "$f" | md5sum | cut -c1-16)"
      done
  done
}
seed race_file -path '*raceadmin*' -name '*.txt'
seed gpx -iname '*.gpx'
seed nmea \( -iname '*.log' -o -iname '*.nmea' -o -iname 'NMEA*.TXT' \)
seed text_track \( -iname '*.dtr' -o -iname '*.trk' \)
seed trb -iname '*.trb'
seed trl -iname '*.trl'
seed gdb -iname '*.gdb'
seed mps -iname '*.mps'
seed wind -path '*winddat*' -iname '*.csv'
seed grid_square -path '*coastline*' -iname '[0-9][0-9][0-9][0-9].cst'
seed plain_coast -path '*coastline*' -iname '*.cst' ! -iname 'jcoast.cst'
seed whole_coast -iname 'jcoast.cst'
seed lights -iname '*.lh'

mkdir -p build-fuzz/crashes
for t in "${targets[@]}"; do
  echo "fuzz: $t for ${seconds}s"
  build-fuzz/bin/fuzz_$t build-fuzz/corpus/$t -max_total_time="$seconds" -max_len=65536 \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/crashes/$t-" 2>&1 |
    grep -E "^(stat::number_of_executed_units|stat::average_exec_per_sec|#[0-9]+[[:space:]]+DONE)|ERROR|SUMMARY|==[0-9]+==" || true
  # grep hides the progress lines; the fuzzer's own status decides.
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "fuzz: $t found a crash (build-fuzz/crashes/)" >&2; exit 1; }
done
