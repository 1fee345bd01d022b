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
source "$root/scripts/wine-env.sh" "$bin_dir"
"$root/scripts/wine-prefix.sh" "$bin_dir"
[[ -x "$bin_dir/bin/OrloPack.exe" ]] || { echo "build OrloPack first: cmake --build $bin_dir --target OrloPack" >&2; exit 1; }
command -v cabextract >/dev/null || { echo "cabextract is missing (scripts/bootstrap.sh installs it)" >&2; exit 1; }

# The source folder is generated once and kept for later runs (it lives in the build tree only).
bench="$TARVEX_DRIVE_D/bench-orlopack"
src="$bench/src-$size_mb"
if [[ ! -f "$src/.complete" ]]; then
  echo "generating a ${size_mb} MB mixed folder in $src ..."
  rm -rf "$src"
  mkdir -p "$src/random" "$src/binaries" "$src/text" "$src/small"
  third=$((size_mb / 3))
  # Incompressible data in files of 1 to 16 MB.
  n=0; made=0
  while [[ $made -lt $third ]]; do
    mb=$((1 + n % 16)); n=$((n + 1)); made=$((made + mb))
    head -c $((mb * 1048576)) /dev/urandom >"$src/random/blob$n.bin"
  done
  # Real executables and libraries of the build tree, copied until a third is reached.
  mapfile -t exes < <(find "$bin_dir" -path "$bin_dir/wine" -prune -o -type f \( -name '*.exe' -o -name '*.a' -o -name '*.obj' \) -size +100k -print)
  made=0; n=0
  while [[ $made -lt $((third * 1048576)) && ${#exes[@]} -gt 0 ]]; do
    f="${exes[$((n % ${#exes[@]}))]}"; n=$((n + 1))
    cp "$f" "$src/binaries/$n-$(basename "$f")"
    made=$((made + $(stat -c %s "$f")))
  done
  # Text: log-like lines, and base64 of random bytes (text that compresses less well).
  made=0; n=0
  while [[ $made -lt $((third * 1048576 / 2)) ]]; do
    n=$((n + 1))
    seq 1 60000 | awk -v c="$n" '{printf "2024-05-17 10:%02d:%02d INFO component-%d processed request %d in %d ms\n", $1 % 60, $1 % 59, c, $1, $1 % 97}' >"$src/text/log$n.txt"
    made=$((made + $(stat -c %s "$src/text/log$n.txt")))
  done
  head -c $((third * 1048576 * 3 / 8)) /dev/urandom | base64 >"$src/text/encoded.txt"
  for i in $(seq 1 2000); do printf 'setting%d=value %d\n' "$i" "$i" >"$src/small/s$i.ini"; done
  touch "$src/.complete"
fi
source_bytes=$(find "$src" -type f ! -name .complete -printf '%s\n' | awk '{s+=$1} END {print s}')
files=$(find "$src" -type f ! -name .complete | wc -l)
printf '[Package]\nName=Bench\n' >"$bench/template.ini"

mb() { awk -v b="$1" 'BEGIN {printf "%.1f", b / 1048576}'; }
rate() { awk -v b="$1" -v s="$2" 'BEGIN {if (s > 0) printf "%.1f", b / 1048576 / s; else print "-"}'; }
now() { date +%s.%N; }

# One persistent Wine server for all runs; its helper processes must not hold our output pipe.
if [[ ! -f "$TARVEX_HARNESS_ENV" ]]; then
  wineserver -p >/dev/null 2>&1 </dev/null || true
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
fi
printf '\nsource: %s MB in %s files\n\n' "$(mb "$source_bytes")" "$files"
printf '%-26s %12s %14s %10s %16s\n' "run" "build MB/s" "compressed MB" "ratio" "cabextract MB/s"
for compression in mszip none; do
  out="$bench/out-$compression"
  rm -rf "$out"
  start=$(now)
  "$root/scripts/wine-run.sh" "$bin_dir" "$bin_dir/bin/OrloPack.exe" build --quiet --source 'D:\bench-orlopack\src-'"$size_mb" \
    --template 'D:\bench-orlopack\template.ini' --output 'D:\bench-orlopack\out-'"$compression" --name Bench \
    --part-size 64M --compression "$compression" >/dev/null
  end=$(now)
  build_s=$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')
  packed=$(find "$out" -name 'Bench.[0-9]*' -printf '%s\n' | awk '{s+=$1} END {print s}')
  # Baseline: cabextract on the same set, parts turned back into ordinary cabinets.
  cab="$bench/cab-$compression"; rm -rf "$cab" "$bench/x"; mkdir -p "$cab" "$bench/x"
  cp "$out"/Bench.[0-9]* "$cab/"
  for p in "$cab"/*; do printf 'MSCF' | dd of="$p" bs=1 count=4 conv=notrunc status=none; done
  start=$(now)
  cabextract -q -d "$bench/x" "$cab/Bench.001"
  end=$(now)
  cab_s=$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')
  printf '%-26s %12s %14s %9s%% %16s\n' "$compression, 64M parts" "$(rate "$source_bytes" "$build_s")" "$(mb "$packed")" \
    "$(awk -v p="$packed" -v s="$source_bytes" 'BEGIN {printf "%.1f", 100 * p / s}')" "$(rate "$source_bytes" "$cab_s")"
  rm -rf "$cab" "$bench/x" "$out"
done
printf '\n(build: OrloPack under Wine, Cabinet.dll FCI, including the MD5 of every part; the source stays in %s)\n' "$src"
