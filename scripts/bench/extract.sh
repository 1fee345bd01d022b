#!/usr/bin/env bash
# Benchmark of part verification and extraction: builds a ~300 MB package with OrloPack (MSZIP,
# 64 MB parts) and prints the MD5 throughput of the part checks next to md5sum on the same parts,
# the extraction throughput next to cabextract on the same set, and the peak working set, for the
# large package and a small one (the peak must not grow with the package). Prints figures only;
# asserts nothing; not run by CI.
# Usage: scripts/bench/extract.sh [BINARY_DIR] [SIZE_MB]   (defaults: build/x64, 300)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
bin_dir="$(cd "${1:-$root/build/x64}" && pwd)"
size_mb="${2:-300}"
source "$root/scripts/bench/common.sh"
bench_need OrloPack extract_bench
bench_need_cabextract

bench="$TARVEX_DRIVE_D/bench-extract"
mkdir -p "$bench"
bench_source "$size_mb"; large_src="$BENCH_SOURCE"
bench_source 30; small_src="$BENCH_SOURCE"
bench_wineserver

printf '[Package]\nName=Bench\n' >"$bench/template.ini"
run() {  # label source
  local label="$1" src="$2" pkg="$bench/pkg-$1" figures start end
  rm -rf "$pkg" "$bench/x-$label" "$bench/t-$label" "$bench/cab-$label" "$bench/c-$label"
  "$root/scripts/wine-run.sh" "$bin_dir" "$bin_dir/bin/OrloPack.exe" build --quiet --source "$(winpath "$src")" \
    --template "$(winpath "$bench/template.ini")" --output "$(winpath "$pkg")" --name Bench \
    --part-size 64M --compression mszip >/dev/null
  local parts=("$pkg"/Bench.[0-9]*)
  local part_bytes
  part_bytes=$(stat -c %s "${parts[@]}" | awk '{s+=$1} END {print s}')
  cat "${parts[@]}" >/dev/null  # same page cache for everyone

  # Best of two runs each: the machine is shared.
  local md5sum_rate=0 md5_rate=0 validate_rate=0 extract_rate=0 cab_rate=0 extracted_mb=0 peak=0 r
  for _ in 1 2; do
    start=$(now); md5sum "${parts[@]}" >/dev/null; end=$(now)
    r=$(rate "$part_bytes" "$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')")
    md5sum_rate=$(max "$md5sum_rate" "$r")

    rm -rf "$bench/x-$label" "$bench/t-$label"
    figures=$("$root/scripts/wine-run.sh" "$bin_dir" "$bin_dir/bin/extract_bench.exe" "$(winpath "$pkg/Bench.exe")" \
      "$(winpath "$bench/x-$label")" "$(winpath "$bench/t-$label")" | tr -d '\r')
    md5_rate=$(max "$md5_rate" "$(awk '/^md5 / {print $4}' <<<"$figures")")
    validate_rate=$(max "$validate_rate" "$(awk '/^validate / {print $4}' <<<"$figures")")
    extract_rate=$(max "$extract_rate" "$(awk '/^extract / {print $8}' <<<"$figures")")
    extracted_mb=$(awk '/^extract / {print $6}' <<<"$figures")
    peak=$(max "$peak" "$(awk '/^peak / {print $2}' <<<"$figures")")

    rm -rf "$bench/c-$label"; mkdir -p "$bench/c-$label"
    bench_cabinets "$bench/cab-$label" "${parts[@]}"
    start=$(now); cabextract -q -d "$bench/c-$label" "$bench/cab-$label/Bench.001"; end=$(now)
    r=$(awk -v m="$extracted_mb" -v a="$start" -v b="$end" 'BEGIN {printf "%.1f", m / (b - a)}')
    cab_rate=$(max "$cab_rate" "$r")
  done

  printf '%-7s %8s MB %6s %9s %9s %6s %10s %9s %10s %6s %9s MB\n' "$label" "$(awk -v b="$part_bytes" 'BEGIN {printf "%.0f", b / 1048576}')" \
    "${#parts[@]}" "$md5_rate" "$md5sum_rate" "$(pct "$md5_rate" "$md5sum_rate")" "$validate_rate" \
    "$extract_rate" "$cab_rate" "$(pct "$extract_rate" "$cab_rate")" "$peak"
  rm -rf "$pkg" "$bench/x-$label" "$bench/t-$label" "$bench/cab-$label" "$bench/c-$label"
}

printf '\n%-7s %11s %6s %9s %9s %6s %10s %9s %10s %6s %12s\n' "package" "parts" "count" "MD5 MB/s" "md5sum" "" \
  "check MB/s" "extr MB/s" "cabextract" "" "peak WS"
run large "$large_src"
run small "$small_src"
printf '\n(MD5: ComputeFileMd5 over every part; check: ValidateParts, MD5 and headers; extraction: the\n'
printf ' cabinet engine over Cabinet.dll under Wine, MB/s of extracted data; sources stay in %s)\n' "$(dirname "$large_src")"
