#!/usr/bin/env bash
# Benchmark of the package builder: builds a package from a ~300 MB mixed folder (binaries and text)
# with OrloPack under Wine and prints the build throughput and the compressed size, then extracts
# the same set with cabextract (parts turned back into ordinary cabinets) as the baseline for the
# extraction figures of the front end. Prints figures only; asserts nothing; not run by CI.
# Usage: scripts/bench/orlopack.sh [BINARY_DIR] [SIZE_MB]   (defaults: build/x64, 300)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
bin_dir="$(cd "${1:-$root/build/x64}" && pwd)"
size_mb="${2:-300}"
source "$root/scripts/bench/common.sh"
bench_need OrloPack
bench_need_cabextract

bench="$TARVEX_DRIVE_D/bench-orlopack"
mkdir -p "$bench"
bench_source "$size_mb"; src="$BENCH_SOURCE"
source_bytes=$(bench_folder_bytes "$src")
files=$(find "$src" -type f ! -name .complete | wc -l)
printf '[Package]\nName=Bench\n' >"$bench/template.ini"

bench_wineserver
printf '\nsource: %s MB in %s files\n\n' "$(mb "$source_bytes")" "$files"
printf '%-26s %12s %14s %10s %16s\n' "run" "build MB/s" "compressed MB" "ratio" "cabextract MB/s"
for compression in mszip none; do
  out="$bench/out-$compression"
  rm -rf "$out"
  start=$(now)
  "$root/scripts/wine-run.sh" "$bin_dir" "$bin_dir/bin/OrloPack.exe" build --quiet --source "$(winpath "$src")" \
    --template 'D:\bench-orlopack\template.ini' --output 'D:\bench-orlopack\out-'"$compression" --name Bench \
    --part-size 64M --compression "$compression" >/dev/null
  end=$(now)
  build_s=$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')
  packed=$(find "$out" -name 'Bench.[0-9]*' -printf '%s\n' | awk '{s+=$1} END {print s}')
  # Baseline: cabextract on the same set, parts turned back into ordinary cabinets.
  cab="$bench/cab-$compression"; rm -rf "$bench/x"; mkdir -p "$bench/x"
  bench_cabinets "$cab" "$out"/Bench.[0-9]*
  start=$(now)
  cabextract -q -d "$bench/x" "$cab/Bench.001"
  end=$(now)
  cab_s=$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')
  printf '%-26s %12s %14s %9s%% %16s\n' "$compression, 64M parts" "$(rate "$source_bytes" "$build_s")" "$(mb "$packed")" \
    "$(awk -v p="$packed" -v s="$source_bytes" 'BEGIN {printf "%.1f", 100 * p / s}')" "$(rate "$source_bytes" "$cab_s")"
  rm -rf "$cab" "$bench/x" "$out"
done
printf '\n(build: OrloPack under Wine, Cabinet.dll FCI, including the MD5 of every part; the source stays in %s)\n' "$src"
