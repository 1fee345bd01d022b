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
source "$root/scripts/wine-env.sh" "$bin_dir"
"$root/scripts/wine-prefix.sh" "$bin_dir"
for program in OrloPack extract_bench; do
  [[ -x "$bin_dir/bin/$program.exe" ]] || { echo "build $program first: cmake --build $bin_dir --target $program" >&2; exit 1; }
done
command -v cabextract >/dev/null || { echo "cabextract is missing (scripts/bootstrap.sh installs it)" >&2; exit 1; }

bench="$TARVEX_DRIVE_D/bench-extract"
mkdir -p "$bench"

# A mixed folder: incompressible blobs, build binaries, log-like text and many small files. The
# builder's benchmark folder of the same size is reused when it exists.
make_source() {  # folder size_mb
  local src="$1" size="$2" third n made mb f
  [[ -f "$src/.complete" ]] && return 0
  echo "generating a ${size} MB mixed folder in $src ..."
  rm -rf "$src"
  mkdir -p "$src/random" "$src/binaries" "$src/text" "$src/small"
  third=$((size / 3)); n=0; made=0
  while [[ $made -lt $third ]]; do
    mb=$((1 + n % 16)); n=$((n + 1)); made=$((made + mb))
    head -c $((mb * 1048576)) /dev/urandom >"$src/random/blob$n.bin"
  done
  mapfile -t exes < <(find "$bin_dir" -path "$bin_dir/wine" -prune -o -type f \( -name '*.exe' -o -name '*.a' \) -size +100k -print)
  made=0; n=0
  while [[ $made -lt $((third * 1048576)) && ${#exes[@]} -gt 0 ]]; do
    f="${exes[$((n % ${#exes[@]}))]}"; n=$((n + 1))
    cp "$f" "$src/binaries/$n-$(basename "$f")"
    made=$((made + $(stat -c %s "$f")))
  done
  made=0; n=0
  while [[ $made -lt $((third * 1048576)) ]]; do
    n=$((n + 1))
    seq 1 60000 | awk -v c="$n" '{printf "2024-05-17 10:%02d:%02d INFO component-%d processed request %d in %d ms\n", $1 % 60, $1 % 59, c, $1, $1 % 97}' >"$src/text/log$n.txt"
    made=$((made + $(stat -c %s "$src/text/log$n.txt")))
  done
  for i in $(seq 1 500); do printf 'setting%d=value %d\n' "$i" "$i" >"$src/small/s$i.ini"; done
  touch "$src/.complete"
}

large_src="$TARVEX_DRIVE_D/bench-orlopack/src-$size_mb"
[[ -f "$large_src/.complete" ]] || { large_src="$bench/src-$size_mb"; make_source "$large_src" "$size_mb"; }
small_src="$bench/src-small"
make_source "$small_src" 30

if [[ ! -f "$TARVEX_HARNESS_ENV" ]]; then
  wineserver -p >/dev/null 2>&1 </dev/null || true
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
fi

winpath() { local p="${1#"$TARVEX_DRIVE_D"/}"; printf 'D:\\%s' "${p//\//\\}"; }
now() { date +%s.%N; }
rate() { awk -v b="$1" -v s="$2" 'BEGIN {if (s > 0) printf "%.1f", b / 1048576 / s; else print "-"}'; }
max() { awk -v a="$1" -v b="$2" 'BEGIN {print (a + 0 > b + 0) ? a : b}'; }
pct() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.0f%%", 100 * a / b; else print "-"}'; }

printf '[Package]\nName=Bench\n' >"$bench/template.ini"
run() {  # label source
  local label="$1" src="$2" pkg="$bench/pkg-$1" out figures start end
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

    rm -rf "$bench/cab-$label" "$bench/c-$label"
    mkdir -p "$bench/cab-$label" "$bench/c-$label"
    cp "${parts[@]}" "$bench/cab-$label/"
    for p in "$bench/cab-$label"/*; do printf 'MSCF' | dd of="$p" bs=1 count=4 conv=notrunc status=none; done
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
printf ' cabinet engine over Cabinet.dll under Wine, MB/s of extracted data; sources stay in %s)\n' "$bench"
