#!/usr/bin/env bash
# Builds the native fuzz targets (clang, libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# into build/fuzz and runs each of them for a while from its committed corpus.
#   scripts/fuzz.sh                 every target for FUZZ_SECONDS (default 15) each
#   scripts/fuzz.sh 600 os_rules    one target for ten minutes
# Targets run side by side, FUZZ_JOBS at a time (default: the number of cores). New inputs go to
# build/fuzz/corpus/<target>; a failing input is saved as build/fuzz/findings/<target>-crash-...
# and the script exits non-zero. Exits 0 when every target ran clean.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

seconds="${1:-${FUZZ_SECONDS:-15}}"
shift || true
jobs="${FUZZ_JOBS:-$(nproc 2>/dev/null || echo 2)}"
build="$root/build/fuzz"

scripts/bootstrap.sh

CC=clang-14 CXX=clang++-14 cmake -S fuzz -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$jobs" >/dev/null

targets=("$@")
if ((${#targets[@]} == 0)); then
  for binary in "$build"/fuzz_*; do
    targets+=("$(basename "$binary" | sed 's/^fuzz_//')")
  done
fi

mkdir -p "$build/corpus" "$build/findings" "$build/logs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

run_target() {
  local name="$1"
  local work="$build/corpus/$name"
  mkdir -p "$work"
  # The committed corpus is read, never written: it holds the seeds and every past finding.
  local status=0
  "$build/fuzz_$name" "$work" "$root/fuzz/corpus/$name" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -max_len=8192 -print_final_stats=1 -artifact_prefix="$build/findings/$name-" \
    >"$build/logs/$name.log" 2>&1 || status=$?
  echo "$status" >"$build/logs/$name.status"
}

rm -f "$build"/logs/*.status
for name in "${targets[@]}"; do
  if [[ ! -x "$build/fuzz_$name" ]]; then
    echo "fuzz: no target $name" >&2
    exit 2
  fi
  while (($(jobs -rp | wc -l) >= jobs)); do
    wait -n || true
  done
  run_target "$name" &
done
wait

passed=0
failed=0
for name in "${targets[@]}"; do
  log="$build/logs/$name.log"
  if [[ "$(cat "$build/logs/$name.status" 2>/dev/null)" == "0" ]]; then
    passed=$((passed + 1))
    verdict="ok"
  else
    failed=$((failed + 1))
    verdict="FAILED (log: build/fuzz/logs/$name.log)"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  coverage=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 || true)
  printf 'fuzz: %-16s %10s runs  %-22s %s\n' "$name" "${runs:-?}" "${coverage:-}" "$verdict"
  if [[ "$verdict" != "ok" ]]; then
    grep -E 'ERROR|invariant|SUMMARY|Test unit written' "$log" | head -5 | sed 's/^/    /' || true
  fi
done
echo "fuzz: $passed passed, $failed failed"
((failed == 0))
