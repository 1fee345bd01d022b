#!/usr/bin/env bash
# Runs a Windows program of the build tree under the build tree's Wine prefix. CTest uses it as the
# cross-compiling emulator: wine-run.sh BINARY_DIR PROGRAM [ARGS...]
# The program is started by its X: path (X: maps the binary tree), from its own folder.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/wine-env.sh" "$1"
shift
"$here/wine-prefix.sh" "$TARVEX_BIN_DIR"
if [[ -f "$TARVEX_HARNESS_ENV" ]]; then
  # shellcheck disable=SC1090
  source "$TARVEX_HARNESS_ENV"
fi
program="$(readlink -f "$1")"
shift
case "$program" in
  "$TARVEX_BIN_DIR"/*) ;;
  *) echo "wine-run: $program is outside the build tree $TARVEX_BIN_DIR" >&2; exit 2 ;;
esac
relative="${program#"$TARVEX_BIN_DIR"/}"
cd "$(dirname "$program")"
# Processes the program leaves behind (Wine's desktop process, started by the first window of the
# session; a setup that a package launched) inherit its output and would keep the caller's pipes
# open, so CTest would wait for them long after the test has ended. The program writes to files in
# the build tree instead, and only the two followers below, which end with it, hold the pipes.
runs="$TARVEX_WINE_DIR/runs"
mkdir -p "$runs"
out="$(mktemp "$runs/out.XXXXXX")"
err="$(mktemp "$runs/err.XXXXXX")"
trap 'rm -f "$out" "$err"' EXIT
{ wine "x:\\${relative//\//\\}" "$@" >"$out" 2>"$err" <&3 3<&- & } 3<&0
pid=$!
tail -n +1 -s 0.05 -f --pid="$pid" "$out" &
follow_out=$!
tail -n +1 -s 0.05 -f --pid="$pid" "$err" >&2 &
follow_err=$!
rc=0
wait "$pid" || rc=$?
wait "$follow_out" "$follow_err" || true
exit "$rc"
