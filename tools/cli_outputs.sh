#!/usr/bin/env bash
# Writes every output of keelway-cli for each race of a data folder into OUTDIR, so that two
# builds can be compared byte for byte on the same data folder (the KML documents name it):
#   tools/cli_outputs.sh old/bin/keelway-cli DATA A
#   tools/cli_outputs.sh new/bin/keelway-cli DATA B
#   diff -r A B
set -euo pipefail
cli=$1
root=$(readlink -f "$2")
out=$3
mkdir -p "$out"
# Builds from before keelway-cli html have no replay page to compare.
has_html=$("$cli" --help | grep -c 'keelway-cli html' || true)
for race in "$root"/raceadmin/*.txt; do
  name=$(basename "$race" .txt)
  "$cli" summary --root "$root" --race "$race" >"$out/$name.summary.txt" 2>/dev/null
  "$cli" summary --root "$root" --race "$race" --json >"$out/$name.summary.json" 2>/dev/null
  "$cli" report --root "$root" --race "$race" --out "$out/$name.report.csv" >/dev/null 2>&1
  "$cli" kml-race --root "$root" --race "$race" --out "$out/$name.race.kml" >/dev/null 2>&1
  if [ "$has_html" -gt 0 ]; then
    "$cli" html --root "$root" --race "$race" --out "$out/$name.html" >/dev/null 2>&1
  fi
  # the wind estimate, manoeuvres and polars (an older build without them writes nothing here)
  "$cli" wind --estimate --json --root "$root" --race "$race" >"$out/$name.wind.json" 2>/dev/null ||
    true
  "$cli" manoeuvres --root "$root" --race "$race" --out "$out/$name.manoeuvres.csv" \
    >/dev/null 2>&1 || true
  "$cli" polar --root "$root" --race "$race" --out "$out/$name.polar.csv" >/dev/null 2>&1 || true
  for at in -60 600 1800; do
    "$cli" kml-snapshot --at "$at" --root "$root" --race "$race" \
      --out "$out/$name.snapshot$at.kml" >/dev/null 2>&1
  done
done
