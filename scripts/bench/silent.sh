#!/usr/bin/env bash
# Benchmark of a whole silent run: builds a package of a ~300 MB mixed folder with OrloPack (64 MB
# parts, MSZIP) whose template autolaunches a fast setup (the FakeSetup fixture as setup.exe) and
# extracts to D:, then times `Tarvex.exe /silent` from process start to exit and prints the wall
# time and the throughput (MB/s of extracted bytes), next to cabextract extracting the same set.
# It also prints the share of the run spent in each phase. The phases come from the first
# appearance of marker lines in the extraction log, stamped by the silent_bench fixture, which
# re-reads the log every 3 ms (the log is appended and closed line by line, so a line is visible as
# soon as it is written; its own times have only second resolution):
#   startup       process start, settings, system report, checks (before the first marker)
#   verification  "|Checking for parts"                  part checks: presence, headers, MD5
#   extraction    "|Extracting files from cabinet"       the cabinet engine, up to its return code
#   handover      "|Return Code for cab extraction"      worker done, the window takes over
#   launch        "|Preparing the launch of the extracted setup", and again "|Launching - ",
#                 through the setup's run and exit code
#   cleanup       "|Deleting folder"                     removal of the temp settings folder
#   shutdown      "START SUMMARY"                        summary block, exit
# "other" in the summary is startup + handover + shutdown. One unattended run of the same package
# follows, for comparison (under Xvfb without a window manager, hiding its progress window costs
# Wine a 2 s wait, which lands in its handover). Best of two runs for the silent run and
# cabextract: the machine is shared. Prints figures only; asserts nothing; not run by CI.
# Usage: scripts/bench/silent.sh [BINARY_DIR] [SIZE_MB]   (defaults: build/x64, 300)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
bin_dir="$(cd "${1:-$root/build/x64}" && pwd)"
size_mb="${2:-300}"
source "$root/scripts/bench/common.sh"
bench_need Tarvex OrloPack FakeSetup silent_bench
bench_need_cabextract

bench="$TARVEX_DRIVE_D/bench-silent"
mkdir -p "$bench"
bench_source "$size_mb"

# Tarvex needs a display even when it shows nothing: use the harness, or start one for this run.
if [[ ! -f "$TARVEX_HARNESS_ENV" ]]; then
  "$root/scripts/harness.sh" start "$bin_dir" >/dev/null
  trap '"$root/scripts/harness.sh" stop "$bin_dir" >/dev/null 2>&1 || true' EXIT
fi
# shellcheck disable=SC1090
source "$TARVEX_HARNESS_ENV"

# The package source: the shared folder (hard links, it stays untouched) plus the setup.
src="$bench/src"
rm -rf "$src" "$bench/pkg" "$bench/target" "$bench/cab" "$bench/x"
cp -al "$BENCH_SOURCE" "$src"
rm -f "$src/.complete"
cp "$bin_dir/bin/FakeSetup.exe" "$src/setup.exe"
log_name="bench-silent.log"
printf '[Package]\r\nName=Bench\r\nNameDispl=Bench\r\nVersionString=1.0\r\n[Runtime]\r\nExtractPath=%s\r\nAutoLaunch=setup.exe\r\nWaitForAutolaunchFinish=1\r\n[OS]\r\nOSAllowed=Windows61+\r\n[LogFiles]\r\nExtractLogFileName=%s\r\n' \
  "$(winpath "$bench/target")" "$log_name" >"$bench/template.ini"
"$root/scripts/wine-run.sh" "$bin_dir" "$bin_dir/bin/OrloPack.exe" build --quiet --source "$(winpath "$src")" \
  --template "$(winpath "$bench/template.ini")" --output "$(winpath "$bench/pkg")" --name Bench \
  --part-size 64M --compression mszip >/dev/null
parts=("$bench/pkg"/Bench.[0-9]*)
bytes=$(bench_folder_bytes "$src")
files=$(find "$src" -type f | wc -l)
part_bytes=$(stat -c %s "${parts[@]}" | awk '{s+=$1} END {print s}')
cat "${parts[@]}" >/dev/null  # same page cache for everyone

marks=(--mark 'verification=|Checking for parts' --mark 'extraction=|Extracting files from cabinet'
  --mark 'handover=|Return Code for cab extraction' --mark 'launch=|Preparing the launch of the extracted setup'
  --mark 'cleanup=|Deleting folder' --mark 'launch=|Launching - ' --mark 'shutdown=START SUMMARY')
log="C:\\ProgramData\\Norlund\\Automation\\Logfiles\\$log_name"

# timed MODE: one run of the package; its figures go to $bench/run-MODE.txt.
timed() {
  rm -rf "$bench/target"
  "$root/scripts/wine-run.sh" "$bin_dir" "$bin_dir/bin/silent_bench.exe" "${marks[@]}" "$log" -- \
    "$(winpath "$bench/pkg/Bench.exe")" "/$1" | tr -d '\r' >"$bench/run-$1.txt"
  local extracted
  extracted=$(bench_folder_bytes "$bench/target")
  [[ "$extracted" -ge "$bytes" ]] || echo "warning: the $1 run extracted $extracted of $bytes bytes ($(grep '^exit' "$bench/run-$1.txt"))" >&2
}
field() { awk -v k="$1" -v n="$2" '$1 == "phase" && $2 == k {print $n; f = 1} $1 == k && k != "phase" {print $2; f = 1} END {if (!f) print 0}' "$3"; }

printf '\npackage: %s MB in %s files; part(s): %s of at most 64 MB, MSZIP, %s MB in all\n\n' "$(mb "$bytes")" "$files" \
  "${#parts[@]}" "$(mb "$part_bytes")"
printf '%-22s %9s %9s %16s\n' "run" "wall s" "MB/s" "extraction MB/s"
best=""
for n in 1 2; do
  timed silent
  wall=$(field wall 2 "$bench/run-silent.txt")
  printf '%-22s %9.2f %9s %16s\n' "Tarvex /silent #$n" "$wall" "$(rate "$bytes" "$wall")" \
    "$(rate "$bytes" "$(field extraction 3 "$bench/run-silent.txt")")"
  if [[ -z "$best" ]] || awk -v a="$wall" -v b="$(field wall 2 "$best")" 'BEGIN {exit !(a < b)}'; then
    cp "$bench/run-silent.txt" "$bench/best-silent.txt"; best="$bench/best-silent.txt"
  fi
done
for n in 1 2; do
  rm -rf "$bench/x"; mkdir -p "$bench/x"
  bench_cabinets "$bench/cab" "${parts[@]}"
  start=$(now); cabextract -q -d "$bench/x" "$bench/cab/Bench.001"; end=$(now)
  wall=$(awk -v a="$start" -v b="$end" 'BEGIN {print b - a}')
  printf '%-22s %9.2f %9s\n' "cabextract #$n" "$wall" "$(rate "$(bench_folder_bytes "$bench/x")" "$wall")"
done
rm -rf "$bench/x" "$bench/cab"
timed unattended
unattended="$bench/run-unattended.txt"
wall=$(field wall 2 "$unattended")
printf '%-22s %9.2f %9s %16s\n' "Tarvex /unattended" "$wall" "$(rate "$bytes" "$wall")" \
  "$(rate "$bytes" "$(field extraction 3 "$unattended")")"

printf '\n%-14s %18s %18s\n' "phase" "silent (best)" "unattended"
for phase in startup verification extraction handover launch cleanup shutdown; do
  printf '%-14s %9.3f s %6s %9.3f s %6s\n' "$phase" "$(field "$phase" 3 "$best")" "$(field "$phase" 4 "$best")" \
    "$(field "$phase" 3 "$unattended")" "$(field "$phase" 4 "$unattended")"
done
other() { awk '$1 == "phase" && ($2 == "startup" || $2 == "handover" || $2 == "shutdown") {s += $3; p += $4}
  END {printf "%9.3f s %5.1f%%", s, p}' "$1"; }
printf '%-14s %s %s\n' "other" "$(other "$best")" "$(other "$unattended")"
printf '\n(wall: CreateProcess to exit, timed inside Wine; MB/s: extracted bytes per second of the whole run;\n'
printf ' extraction MB/s: the same bytes over the extraction phase; part checks read %s MB; the source\n' "$(mb "$part_bytes")"
printf ' stays in %s)\n' "$BENCH_SOURCE"
rm -rf "$bench/target" "$bench/pkg" "$src"
